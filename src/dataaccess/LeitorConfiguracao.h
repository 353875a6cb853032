#pragma once

#include <QList>
#include <QString>

// The INI configuration file, read and written with section and key names exactly as they stand
// ("Ligação", "Tipo de Terminal"). Read as UTF-8, or as Latin-1 when the file is not valid UTF-8;
// written as UTF-8 with CR LF line ends. Section and key names compare without regard to case.
class LeitorConfiguracao
{
public:
    static constexpr qint64 TamanhoMaximo = 1024 * 1024;

    LeitorConfiguracao() = default;
    explicit LeitorConfiguracao(const QString& ficheiro) : m_ficheiro(ficheiro) {}

    const QString& ficheiro() const { return m_ficheiro; }
    void setFicheiro(const QString& f) { m_ficheiro = f; }

    // Reads the file. False, with a message naming the path, when it is missing, unreadable,
    // too large, binary or has a line that is neither a section, a key, a comment nor blank.
    bool carregar(QString* erro = nullptr);
    // Reads a text value; "" when absent (the file is loaded on first use if needed).
    QString Ler(const QString& seccao, const QString& chave);
    bool existe(const QString& seccao, const QString& chave);
    void Escrever(const QString& seccao, const QString& chave, const QString& valor);
    // Writes the whole file back.
    bool gravar(QString* erro = nullptr);

private:
    struct Entrada
    {
        QString seccao;
        QString chave;
        QString valor;
        QString linha; // comments and blank lines kept as they were
    };
    int procurar(const QString& seccao, const QString& chave) const;

    QString m_ficheiro;
    QList<Entrada> m_entradas;
    bool m_carregado = false;
};

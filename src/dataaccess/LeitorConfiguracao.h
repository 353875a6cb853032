#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The INI configuration file, read and written with section and key names exactly as they stand
// ("Ligação", "Tipo de Terminal"). Read as UTF-8, or as Latin-1 when the file is not valid UTF-8.
// Section and key names compare without regard to case.
//
// Writing changes only the lines of the values that changed and adds the new keys at the end of
// their section (a new section at the end of the file); every other line is written back byte for
// byte, in the file's encoding, with its own line end (new lines take those of the first line,
// CR LF in a new file). A file that exists but could not be read is never written over: it may
// hold sections and comments that would be lost. A new file is created readable by its owner only
// (it may hold passwords); an existing one keeps its mode.
class LeitorConfiguracao
{
public:
    static constexpr qint64 TamanhoMaximo = 1024 * 1024;

    LeitorConfiguracao() = default;
    explicit LeitorConfiguracao(const QString& ficheiro) : m_ficheiro(ficheiro) {}

    const QString& ficheiro() const { return m_ficheiro; }
    void setFicheiro(const QString& f)
    {
        m_ficheiro = f;
        m_estado = Estado::PorLer;
    }

    // Reads the file. False, with a message naming the path, when it is missing, not a regular
    // file (a pipe, a device, a folder), unreadable, too large, binary or has a line that is
    // neither a section, a key, a comment nor blank (the message names the line).
    bool carregar(QString* erro = nullptr);
    // Reads a text value; "" when absent (the file is loaded on first use if needed).
    QString Ler(const QString& seccao, const QString& chave);
    bool existe(const QString& seccao, const QString& chave);
    // Sets a value to be written by gravar(). Values that would not read back as they are (blanks
    // at either end, enclosing quotes) are written between quotes.
    void Escrever(const QString& seccao, const QString& chave, const QString& valor);
    // Writes the changes. False, with the reason in `erro`, when the file exists but could not be
    // read, when a value cannot be written (a line break, or a character the file's Latin-1
    // cannot hold) or when the file cannot be written.
    bool gravar(QString* erro = nullptr);

    // True when `ficheiro` may be written: it does not exist yet, or it reads without error. Else
    // `erro` says why it cannot be read (naming the file, and the line when one is at fault).
    static bool Gravavel(const QString& ficheiro, QString* erro = nullptr);

private:
    enum class Estado { PorLer, Lido, EmFalta, Ilegivel };
    struct Entrada
    {
        QString seccao;
        QString chave; // empty for sections, comments and blank lines
        QString valor;
        QString prefixo;  // the line up to its value ("Servidor = "), kept when the value changes
        QByteArray bruto; // the line as read, with its line end
        bool alterada = false;
    };
    int procurar(const QString& seccao, const QString& chave) const;
    QString recusa() const;

    QString m_ficheiro;
    QList<Entrada> m_entradas;
    Estado m_estado = Estado::PorLer;
    QString m_erroLeitura;
    bool m_bom = false;
    bool m_latin1 = false;
    QByteArray m_fimLinha = "\r\n";
};

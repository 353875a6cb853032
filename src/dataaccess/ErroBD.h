#pragma once

#include <QString>

#include <stdexcept>

// A database failure: the driver's text, its native code, and whether running the whole
// transaction again may succeed (busy database, deadlock, key clash), the connection was lost, or
// it was lost while committing, so that nobody can tell whether the work landed.
class ErroBD : public std::runtime_error
{
public:
    enum class Tipo { Outro, Repetivel, LigacaoPerdida, ResultadoIncerto };

    ErroBD(const QString& texto, const QString& codigoNativo = {}, Tipo tipo = Tipo::Outro)
        : std::runtime_error(texto.toStdString()), m_texto(texto), m_codigo(codigoNativo), m_tipo(tipo)
    {
    }

    const QString& texto() const { return m_texto; }
    const QString& codigoNativo() const { return m_codigo; }
    Tipo tipo() const { return m_tipo; }
    // How an error of kind ResultadoIncerto begins, also where a caller traps it and shows its text.
    static QString avisoResultadoIncerto() { return QStringLiteral("A ligação à base de dados perdeu-se ao gravar"); }

    bool repetivel() const { return m_tipo == Tipo::Repetivel || m_tipo == Tipo::LigacaoPerdida; }

private:
    QString m_texto;
    QString m_codigo;
    Tipo m_tipo;
};

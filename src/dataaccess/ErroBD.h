#pragma once

#include <QString>

#include <stdexcept>

// A database failure: the driver's text, its native code, and whether running the whole
// transaction again may succeed (busy database, deadlock, key clash) or the connection was lost.
class ErroBD : public std::runtime_error
{
public:
    enum class Tipo { Outro, Repetivel, LigacaoPerdida };

    ErroBD(const QString& texto, const QString& codigoNativo = {}, Tipo tipo = Tipo::Outro)
        : std::runtime_error(texto.toStdString()), m_texto(texto), m_codigo(codigoNativo), m_tipo(tipo)
    {
    }

    const QString& texto() const { return m_texto; }
    const QString& codigoNativo() const { return m_codigo; }
    Tipo tipo() const { return m_tipo; }
    bool repetivel() const { return m_tipo != Tipo::Outro; }

private:
    QString m_texto;
    QString m_codigo;
    Tipo m_tipo;
};

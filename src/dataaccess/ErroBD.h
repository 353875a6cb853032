#pragma once

#include <stdexcept>

#include <QString>

// A database failure: the text (what happened, the database and the driver's own words), the
// driver's native code, and its kind:
//   Repetivel         busy database, deadlock, key clash: running the whole transaction again may succeed;
//   LigacaoPerdida    the connection to the server was lost (reopened once);
//   SemResposta       the server did not answer within the time limit (a held lock, a stalled server);
//   ResultadoIncerto  lost or unanswered while committing, so nobody can tell whether the work landed;
//   Outro             anything else (a read-only or full disk, a missing table...): not run again.
class ErroBD : public std::runtime_error
{
public:
    enum class Tipo { Outro, Repetivel, LigacaoPerdida, ResultadoIncerto, SemResposta };

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

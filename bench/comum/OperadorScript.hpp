#pragma once
// A scripted operator for benchmarks and load tests: confirms every question and keeps every
// system message (the engine's and the posting's trapped errors) as an error. Header only.

#include <QStringList>

#include "base/InteraccaoOperador.h"

namespace bench {

class OperadorScript : public OperadorSemEcra
{
public:
    void Aviso(const QString&, int, int) override {}
    bool Confirmacao(const QString&, int, int) override
    {
        ++perguntas;
        return true;
    }
    int MensagemSistema(const QString& texto, int tipo) override
    {
        erros << texto;
        return (tipo >= 0 && tipo <= 2) ? 1 : 0;
    }

    // Messages shown since the last call.
    QStringList tirarErros()
    {
        QStringList e;
        e.swap(erros);
        return e;
    }

    QStringList erros;
    int perguntas = 0;
};

} // namespace bench

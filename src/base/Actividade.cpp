#include "base/Actividade.h"

#include <atomic>

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QPair>

namespace {

struct Registo
{
    QMutex mutex;
    QList<QPair<int, Actividade::Funcao>> funcoes;
    int seguinte = 1;
    std::atomic<int> quantas{0};
};

Registo& registo()
{
    static Registo r;
    return r;
}

} // namespace

int Actividade::Juntar(Funcao f)
{
    Registo& r = registo();
    QMutexLocker trinco(&r.mutex);
    const int numero = r.seguinte++;
    r.funcoes.append({numero, std::move(f)});
    r.quantas = int(r.funcoes.size());
    return numero;
}

void Actividade::Retirar(int numero)
{
    Registo& r = registo();
    QMutexLocker trinco(&r.mutex);
    r.funcoes.removeIf([numero](const QPair<int, Funcao>& p) { return p.first == numero; });
    r.quantas = int(r.funcoes.size());
}

void Actividade::Pulsar()
{
    Registo& r = registo();
    if (r.quantas.load(std::memory_order_relaxed) == 0) return;
    QList<QPair<int, Funcao>> funcoes;
    {
        QMutexLocker trinco(&r.mutex);
        funcoes = r.funcoes;
    }
    // Called outside the lock: a function may join or leave.
    for (const auto& p : funcoes)
        p.second();
}

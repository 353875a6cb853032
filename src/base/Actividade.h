#pragma once

#include <functional>

// Long work on the user-interface thread (statements, password checks) calls Pulsar() where it
// may stop for a moment; whoever needs those moments (the busy indicator, which paints then,
// since no timer can run while the thread works) joins in. From any thread; with nobody joined
// it costs one atomic read.
namespace Actividade {

using Funcao = std::function<void()>;

// Adds `f`, called at every pulse from then on; returns the number that removes it.
int Juntar(Funcao f);
void Retirar(int numero);
void Pulsar();

} // namespace Actividade

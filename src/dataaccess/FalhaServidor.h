#pragma once

#include "dataaccess/ErroBD.h"

// True when a database error means that the server could not be reached: the connection was
// refused, lost, or lost while committing (then the token tells later whether the work landed),
// or the server did not answer within the time limit.
// False for everything the server itself answered (a constraint, a missing table, a busy database
// after its retries): those are not waited out. Every kind is listed, so that a new kind of
// ErroBD does not build until it is placed here.
inline bool ServidorInacessivel(const ErroBD& e)
{
    switch (e.tipo()) {
    case ErroBD::Tipo::LigacaoPerdida:
    case ErroBD::Tipo::ResultadoIncerto:
    case ErroBD::Tipo::SemResposta:
        return true;
    case ErroBD::Tipo::Repetivel:
    case ErroBD::Tipo::Outro:
        return false;
    }
    return false;
}

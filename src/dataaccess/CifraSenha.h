#pragma once

#include <QString>

// Employee passwords are stored as a slow salted hash (argon2id through libsodium) of the
// password in canonical form (NFKC, upper case), so the check ignores case like the terminals
// always did. Nothing turns a stored hash back into the password.
namespace CifraSenha {

// The stored form of `senha`; empty on failure (out of memory).
QString Cifrar(const QString& senha);
// True when `digitada` matches the stored form (case-insensitive).
bool Verificar(const QString& digitada, const QString& guardada);

} // namespace CifraSenha

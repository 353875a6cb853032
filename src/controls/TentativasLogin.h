#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// Wrong passwords in a row and the end of the lock, per employee code, kept in a file of the
// program folder so that a restart of the terminal does not give fresh tries (and terminals
// that share the folder share the count). When the file cannot be written the count is kept in
// memory for the run.
class TentativasLogin
{
public:
    struct Estado
    {
        int falhas = 0;
        QDateTime bloqueadoAte; // invalid when not locked
    };

    static QString NomeFicheiro() { return QStringLiteral("tentativas-login.txt"); }

    // The state of `codigo` (the code as the employee table holds it).
    Estado ler(const QString& codigo);
    // Records the state of `codigo`; no failures and no lock removes it. False when the file
    // could not be written (the reason in erro()); the state is then kept in memory.
    bool gravar(const QString& codigo, const Estado& estado);
    QString erro() const { return m_erro; }

private:
    struct Registo
    {
        Estado estado;
        QDateTime actualizado;
    };
    QString caminho() const;
    QHash<QString, Registo> lerFicheiro() const;

    // What this terminal recorded; used where it is newer than the file (a file that could not
    // be written).
    QHash<QString, Registo> m_memoria;
    QString m_erro;
};

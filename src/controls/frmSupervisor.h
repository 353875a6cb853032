#pragma once

#include <QDialog>
#include <QString>

class InteraccaoOperador;
class LigacaoDados;
class PainelBotoes;
class ucLogin;

// The password of a supervisor, asked before the settings open: the employees as buttons above
// the login control, whose keyboard types the password. The checks are the login's own (the
// hashed passwords, the lock after wrong passwords in a row, kept per employee in the program
// folder); a right password of an employee below `nivelMinimo` is refused as well. "Sair" on
// the keyboard or "Cancelar" on the caption strip leave without opening anything.
class frmSupervisor : public QDialog
{
    Q_OBJECT

public:
    frmSupervisor(LigacaoDados* ligacao, InteraccaoOperador* operador, qint16 nivelMinimo, QWidget* pai = nullptr);

    // Reads the employees; a database error is thrown to the caller.
    void Carregar();

    // The supervisor accepted, "code-name"; empty until one is.
    QString Funcionario;

    PainelBotoes* PainelFuncionarios = nullptr;
    ::ucLogin* Login = nullptr;

signals:
    // A refusal as it happens (unknown employee, wrong password, locked, level too low), with
    // "code-name" (or what was typed) and the message shown.
    void Recusado(const QString& Funcionario, const QString& Mensagem);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void entrou(const QString& codigo, const QString& nome, qint16 nivel);

    LigacaoDados* m_ligacao;
    InteraccaoOperador* m_operador;
    qint16 m_nivelMinimo;
};

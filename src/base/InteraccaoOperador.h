#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

class DefinicoesBD;
class LigacaoDados;
class Registos;

// The five ERP link settings, as the settings dialog edits them.
struct ValoresKova
{
    QString PercursoWindows;
    QString PercursoLog;
    QString Empresa;
    QString UtilizadorKova;
    QString PasswordKova;
};

// What the engine, the ERP posting and start-up ask of the person at the terminal. The screens
// give the touch-dialog implementation; tests give a scripted one. No widget header behind it.
class InteraccaoOperador
{
public:
    virtual ~InteraccaoOperador() = default;

    // Touch message dialog: image kind 0 notice, 1 question, 2 error; height in twips.
    virtual void Aviso(const QString& mensagem, int tipoImagem, int altura) = 0;
    // Yes/no question; true only when the operator touched "Confirma".
    virtual bool Confirmacao(const QString& mensagem, int tipoImagem, int altura) = 0;
    // System message box with OK: kind 0 warning, 1 information, 2 error; any other kind shows
    // nothing and returns 0. Returns the button pressed (1 = OK).
    virtual int MensagemSistema(const QString& texto, int tipo) = 0;
    // List picker: shows `linhas` grouped by the column `colunaGrupo`, with the given column
    // widths in twips; returns the first column of the row touched, "" when closed.
    virtual QString ListaSelecao(const QString& titulo, int tamanho, const Registos& linhas, const QString& colunaGrupo,
                                 const QList<int>& largurasColunas) = 0;
    // Keypad dialog with this window caption; the text typed, "" when closed without enter.
    virtual QString PedirNumero(const QString& titulo) = 0;
    // On-screen alphabetic keyboard dialog; the text typed, "" when closed.
    virtual QString PedirTexto(const QString& titulo) = 0;
    // Suspension-reason dialog over `motivos` (column 0 text, column 1 code); the text of the
    // reason touched, "" when closed.
    virtual QString EscolherMotivo(const Registos& motivos, const QString& titulo) = 0;
    // ERP settings dialog; true when the operator saved new values into `valores`.
    virtual bool EditarDefinicoesKova(ValoresKova& valores) = 0;
    // Database settings dialog; `bdSql` is the schema used to create a new database. True when
    // the operator saved new settings: they are in `definicoes` and written to its file.
    virtual bool EditarDefinicoesBD(DefinicoesBD& definicoes, const QString& bdSql) = 0;
    // Asks, before `titulo` opens, for the password of an employee of level `nivelMinimo` or
    // above (the employees and passwords of `ligacao`, with the login's lock after wrong
    // passwords). True once one was given, with "code-name" in `funcionario`; each refusal goes
    // to `recusado` (employee, message) as it happens. Without a way to ask, the answer is no.
    virtual bool AutorizarSupervisor(const QString& titulo, LigacaoDados* ligacao, qint16 nivelMinimo,
                                     QString& funcionario,
                                     const std::function<void(const QString&, const QString&)>& recusado)
    {
        (void)titulo, (void)ligacao, (void)nivelMinimo, (void)funcionario, (void)recusado;
        return false;
    }
};

// The operator where nobody stands at the terminal (a replay, a check, a benchmark): every
// question is answered yes, every notice and system message is kept in `mostrado` instead of
// shown, and every dialog closes empty.
class OperadorSemEcra : public InteraccaoOperador
{
public:
    void Aviso(const QString& mensagem, int, int) override { mostrado << mensagem; }
    bool Confirmacao(const QString&, int, int) override { return true; }
    int MensagemSistema(const QString& texto, int tipo) override
    {
        mostrado << texto;
        return (tipo >= 0 && tipo <= 2) ? 1 : 0;
    }
    QString ListaSelecao(const QString&, int, const Registos&, const QString&, const QList<int>&) override
    {
        return {};
    }
    QString PedirNumero(const QString&) override { return {}; }
    QString PedirTexto(const QString&) override { return {}; }
    QString EscolherMotivo(const Registos&, const QString&) override { return {}; }
    bool EditarDefinicoesKova(ValoresKova&) override { return false; }
    bool EditarDefinicoesBD(DefinicoesBD&, const QString&) override { return false; }

    QStringList mostrado;
};

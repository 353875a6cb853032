#include "dataaccess/RegistosTerminal.h"

#include <QUuid>

#include "base/Rotinas.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/FalhaServidor.h"
#include "dataaccess/LigacaoDados.h"

namespace {

const QString Tabela = QStringLiteral("oka_RegistosTerminal");

bool existeTabela(LigacaoDados& bd)
{
    try {
        bd.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal WHERE Token = ''"));
        return true;
    } catch (const ErroBD& e) {
        if (ServidorInacessivel(e)) throw;
        return false;
    }
}

// The table's CREATE statement as the dialect's schema script writes it.
QString instrucaoCriar(Dialecto dialecto)
{
    const QString script = EsquemaBD::Script(dialecto);
    const qsizetype inicio = script.indexOf(QStringLiteral("CREATE TABLE ") + Tabela + QStringLiteral(" ("));
    const qsizetype fim = inicio < 0 ? -1 : script.indexOf(QStringLiteral(");"), inicio);
    if (fim < 0) throw ErroBD(QStringLiteral("O esquema da base de dados não tem a tabela %1").arg(Tabela));
    return script.mid(inicio, fim + 1 - inicio);
}

} // namespace

QString RegistosTerminal::NovoToken()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void RegistosTerminal::Garantir(LigacaoDados& bd)
{
    if (existeTabela(bd)) return;
    const QString criar = instrucaoCriar(bd.dialecto());
    try {
        bd.transacao([&] { bd.executar(criar); });
    } catch (const ErroBD& e) {
        // Another terminal may have created it meanwhile.
        if (ServidorInacessivel(e) || !existeTabela(bd)) throw;
    }
}

bool RegistosTerminal::Gravado(LigacaoDados& bd, const QString& token)
{
    return !bd.consultar(QStringLiteral("SELECT Token FROM oka_RegistosTerminal WHERE Token = ?"), {token}).vazio();
}

bool RegistosTerminal::Gravar(LigacaoDados& bd, const QString& token, const QString& terminal, const QString& funcao,
                              const QDateTime& dataHora)
{
    // One statement (one round trip) that records the token unless it is there. A transaction
    // that inserted the same token and has not ended holds this one until it does: then it finds
    // the token (committed) or records it (rolled back).
    const QVariantList valores{token, TextoBD(terminal.left(40)), TextoBD(funcao.left(10)), DataHoraBD(dataHora),
                               DataHoraBD(QDateTime::currentDateTime())};
    const QString inserir =
        QStringLiteral("INSERT INTO oka_RegistosTerminal (Token, Terminal, Funcao, DataHora, Gravado)");
    switch (bd.dialecto()) {
    case Dialecto::SQLite:
        // The write transaction already holds the whole database.
        return bd.executar(QStringLiteral("INSERT OR IGNORE INTO oka_RegistosTerminal (Token, Terminal, Funcao,"
                                          " DataHora, Gravado) VALUES (?, ?, ?, ?, ?)"),
                           valores) > 0;
    case Dialecto::PostgreSQL:
        return bd.executar(inserir + QStringLiteral(" VALUES (?, ?, ?, ?, ?) ON CONFLICT (Token) DO NOTHING"),
                           valores) > 0;
    case Dialecto::SqlServer:
        // The key range stays locked to the transaction's end: a second one waits, then finds it.
        return bd.executar(inserir + QStringLiteral(" SELECT ?, ?, ?, ?, ? WHERE NOT EXISTS (SELECT 1 FROM"
                                                    " oka_RegistosTerminal WITH (UPDLOCK, HOLDLOCK) WHERE Token = ?)"),
                           valores + QVariantList{token}) > 0;
    }
    return false;
}

#include "dataaccess/EsquemaBD.h"

#include "dataaccess/CifraSenha.h"

#include <QFile>

// The resources live in a static library: register them before the first read.
static void registarRecursos()
{
    static const bool feito = [] {
        Q_INIT_RESOURCE(db);
        return true;
    }();
    Q_UNUSED(feito);
}

namespace {

QString lerRecurso(const QString& nome)
{
    registarRecursos();
    QFile f(nome);
    if (!f.open(QIODevice::ReadOnly))
        throw ErroBD(QStringLiteral("Recurso %1 em falta").arg(nome));
    return QString::fromUtf8(f.readAll());
}

} // namespace

QString EsquemaBD::Script(Dialecto dialecto)
{
    switch (dialecto) {
    case Dialecto::SQLite:
        return lerRecurso(QStringLiteral(":/db/sqlite/schema.sql"));
    case Dialecto::PostgreSQL:
        return lerRecurso(QStringLiteral(":/db/postgresql/schema.sql"));
    case Dialecto::SqlServer:
        return lerRecurso(QStringLiteral(":/db/sqlserver/schema.sql"));
    }
    return {};
}

void EsquemaBD::Criar(LigacaoDados& ligacao)
{
    const QString script = Script(ligacao.dialecto());
    ligacao.transacao([&] { ligacao.executarScript(script); });
}

bool EsquemaBD::Existe(LigacaoDados& ligacao)
{
    try {
        ligacao.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_Contador"));
        return true;
    } catch (const ErroBD&) {
        return false;
    }
}

void EsquemaBD::CarregarDemo(LigacaoDados& ligacao, const QString& senhaDemo)
{
    const QString script = lerRecurso(QStringLiteral(":/db/demo.sql"));
    const QString hash = CifraSenha::Cifrar(senhaDemo);
    ligacao.transacao([&] {
        ligacao.executarScript(script);
        ligacao.executar(QStringLiteral("UPDATE oka_Funcionarios SET Senha = ?"), {hash});
    });
}

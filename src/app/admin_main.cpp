// terminal-admin: database chores for the terminal's configured database.
//   terminal-admin [-c FILE] init           create the schema
//   terminal-admin [-c FILE] demo [PASS]    create the schema if needed and load the demo factory
//   terminal-admin [-c FILE] password CODE  set an employee's password, read from standard input
//   terminal-admin [-c FILE] gerar [--ordens N] [--linhas N] [--funcionarios N] [--operacoes N]
//                  [--maquinas N] [--artigos N] [--semente N] [--senha P]
//                                           fill an empty database with a generated factory
#include <cstdio>
#include <functional>
#include <map>

#include <QCoreApplication>
#include <QTextStream>

#include "app/Arranque.h"
#include "base/Rotinas.h"
#include "dataaccess/CifraSenha.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/GeradorDados.h"

namespace {

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}
QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

int uso()
{
    err() << "Uso: terminal-admin [-c FICHEIRO] init | demo [PALAVRA_PASSE] | password CODIGO\n"
             "       terminal-admin [-c FICHEIRO] gerar [--ordens N] [--linhas N] [--funcionarios N]\n"
             "                      [--operacoes N] [--maquinas N] [--artigos N] [--semente N] [--senha P]\n";
    return 2;
}

int init(LigacaoDados& bd, const QStringList&)
{
    if (EsquemaBD::Existe(bd)) {
        err() << "A base de dados já tem as tabelas; nada foi alterado.\n";
        return 1;
    }
    EsquemaBD::Criar(bd);
    out() << "Tabelas criadas.\n";
    return 0;
}

int demo(LigacaoDados& bd, const QStringList& args)
{
    if (!EsquemaBD::Existe(bd)) EsquemaBD::Criar(bd);
    const Registos r = bd.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_Funcionarios"));
    if (r.primeira().inteiro(0) > 0) {
        err() << "A base de dados já tem dados; os dados de demonstração não foram carregados.\n";
        return 1;
    }
    EsquemaBD::CarregarDemo(bd, args.value(0, QStringLiteral("1234")));
    out() << "Dados de demonstração carregados.\n";
    return 0;
}

int password(LigacaoDados& bd, const QStringList& args)
{
    if (args.size() != 1) return uso();
    QTextStream in(stdin);
    const QString senha = in.readLine();
    if (senha.isEmpty()) {
        err() << "A palavra passe não pode ser vazia.\n";
        return 1;
    }
    const QString hash = CifraSenha::Cifrar(senha);
    if (hash.isEmpty()) {
        err() << "Não foi possível cifrar a palavra passe.\n";
        return 1;
    }
    int alteradas = 0;
    bd.transacao([&] {
        alteradas =
            bd.executar(QStringLiteral("UPDATE oka_Funcionarios SET Senha = ? WHERE FuncId = ?"), {hash, args[0]});
    });
    if (alteradas != 1) {
        err() << "O funcionário " << args[0] << " não existe.\n";
        return 1;
    }
    out() << "Palavra passe alterada.\n";
    return 0;
}

int gerar(LigacaoDados& bd, const QStringList& args)
{
    ParametrosGerador p;
    for (int i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return uso();
        const QString& nome = args[i];
        const QString& valor = args[i + 1];
        bool ok = true;
        const qint64 n = valor.toLongLong(&ok);
        if (nome == QLatin1String("--senha")) {
            p.senha = valor;
            continue;
        }
        if (!ok || n < 0) return uso();
        if (nome == QLatin1String("--ordens"))
            p.ordens = int(n);
        else if (nome == QLatin1String("--linhas"))
            p.linhas = n;
        else if (nome == QLatin1String("--funcionarios"))
            p.funcionarios = int(n);
        else if (nome == QLatin1String("--operacoes"))
            p.operacoes = int(n);
        else if (nome == QLatin1String("--maquinas"))
            p.maquinas = int(n);
        else if (nome == QLatin1String("--artigos"))
            p.artigos = int(n);
        else if (nome == QLatin1String("--semente"))
            p.semente = quint32(n);
        else
            return uso();
    }
    const ResultadoGerador r = GeradorDados::Gerar(bd, p, [](const QString& t) {
        out() << t << "\n";
        out().flush();
    });
    out() << "Gerados " << r.ordens << " ordens (" << r.ordensAbertas << " em fabrico), " << r.linhas
          << " linhas de mão de obra (" << r.linhasEmCurso << " em curso, " << r.linhasFimDia << " em fim de dia, "
          << r.linhasPreparadas << " preparadas), " << r.materiais << " linhas de material, " << r.artigos
          << " artigos em " << QString::number(r.segundos, 'f', 1) << " s.\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString ficheiro = QStringLiteral("Terminal_Obras.oka");
    if (args.size() >= 2 && args[0] == QLatin1String("-c")) {
        ficheiro = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty()) return uso();
    const std::map<QString, std::function<int(LigacaoDados&, const QStringList&)>> comandos{
        {QStringLiteral("init"), init},
        {QStringLiteral("demo"), demo},
        {QStringLiteral("password"), password},
        {QStringLiteral("gerar"), gerar}};
    const auto it = comandos.find(args[0]);
    if (it == comandos.end()) return uso();
    LigacaoDados bd;
    QString erro;
    // Only the commands that create the tables may create a missing SQLite file.
    const bool criar = it->first == QLatin1String("init") || it->first == QLatin1String("demo");
    if (Arranque::AbrirBaseDados(ficheiro, bd, nullptr, &erro, criar) != Arranque::Resultado::Aberta) {
        err() << erro << "\n";
        return 1;
    }
    try {
        return it->second(bd, args.mid(1));
    } catch (const ErroBD& e) {
        err() << "Erro da base de dados: " << e.texto() << "\n";
        return 1;
    }
}

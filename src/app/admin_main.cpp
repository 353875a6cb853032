// terminal-admin: database chores for the terminal's configured database.
//   terminal-admin [-c FILE] init           create the schema
//   terminal-admin [-c FILE] demo           create the schema if needed and load the demo factory
//   terminal-admin [-c FILE] password CODE  set an employee's password
//   terminal-admin [-c FILE] gerar [--ordens N] [--linhas N] [--funcionarios N] [--operacoes N]
//                  [--maquinas N] [--artigos N] [--semente N]
//                                           fill an empty database with a generated factory
//   terminal-admin [-c FILE] etiquetas [...]  barcode labels as a PDF (Etiquetas.h)
// Options may come anywhere. Passwords are read from standard input, never from the command line
// (where every user of the machine sees them in the process list).
//   terminal-admin [-c FILE] verificar      run every statement of the terminal once, rolled back
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>

#include "app/Arranque.h"
#include "app/Etiquetas.h"
#include "app/VerificarBD.h"
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

const char* const TextoUso =
    "Uso: terminal-admin [-c FICHEIRO] COMANDO\n"
    "  init               cria as tabelas numa base de dados vazia\n"
    "  demo               cria as tabelas se faltarem e carrega os dados de demonstração\n"
    "  password CODIGO    muda a palavra passe do funcionário CODIGO\n"
    "  gerar [--ordens N] [--linhas N] [--funcionarios N] [--operacoes N] [--maquinas N]\n"
    "        [--artigos N] [--semente N]\n"
    "                     preenche uma base de dados vazia com uma fábrica gerada\n"
    "  verificar          corre uma vez cada instrução do terminal, sem alterar nada\n"
    "  etiquetas [OPÇÕES] [TIPO...]\n"
    "                     etiquetas com códigos de barras num PDF (as opções no README)\n"
    "  -c FICHEIRO        ficheiro de configuração (por omissão Terminal_Obras.oka na pasta do\n"
    "                     programa); as opções podem vir em qualquer posição\n"
    "As palavras passe lêem-se da entrada padrão (uma linha), nunca da linha de comando:\n"
    "  echo 'nova palavra passe' | terminal-admin password 101\n"
    "demo e gerar dão a todos os funcionários a palavra passe lida, ou 1234 quando a entrada\n"
    "padrão é um terminal ou não traz nada.\n";

int uso(const QString& motivo = {})
{
    if (!motivo.isEmpty()) err() << motivo << "\n";
    err() << TextoUso;
    return 2;
}

// The command line once read: the file, the command, its arguments and its --options.
struct Linha
{
    QString ficheiro = QStringLiteral("Terminal_Obras.oka");
    QString comando;
    QStringList argumentos;
    std::map<QString, QString> opcoes;
};

// Reads the whole command line; `motivo` says what is wrong with it.
std::optional<Linha> lerLinha(const QStringList& args, QString& motivo)
{
    Linha l;
    bool comFicheiro = false, soArgumentos = false;
    QStringList posicionais;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (soArgumentos || !a.startsWith(u'-') || a == QLatin1String("-")) {
            posicionais << a;
        } else if (a == QLatin1String("--")) {
            soArgumentos = true; // what follows is never an option (a code that starts with "-")
        } else if (a == QLatin1String("-c")) {
            if (comFicheiro) {
                motivo = QStringLiteral("A opção -c foi dada mais de uma vez.");
                return std::nullopt;
            }
            if (i + 1 >= args.size()) {
                motivo = QStringLiteral("Falta o nome do ficheiro de configuração depois de -c.");
                return std::nullopt;
            }
            l.ficheiro = args[++i];
            comFicheiro = true;
        } else if (a.startsWith(QLatin1String("--")) && a.size() > 2) {
            QString nome = a, valor;
            if (const qsizetype igual = a.indexOf(u'='); igual > 0) {
                nome = a.left(igual);
                valor = a.mid(igual + 1);
            } else if (i + 1 < args.size()) {
                valor = args[++i];
            } else {
                motivo = QStringLiteral("Falta o valor da opção %1.").arg(a);
                return std::nullopt;
            }
            if (l.opcoes.count(nome)) {
                motivo = QStringLiteral("A opção %1 foi dada mais de uma vez.").arg(nome);
                return std::nullopt;
            }
            l.opcoes[nome] = valor;
        } else {
            motivo = QStringLiteral("Opção desconhecida: %1").arg(a);
            return std::nullopt;
        }
    }
    if (posicionais.isEmpty()) {
        motivo = QStringLiteral("Falta o comando.");
        return std::nullopt;
    }
    l.comando = posicionais.takeFirst();
    l.argumentos = posicionais;
    return l;
}

bool entradaETerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

// One line of standard input. On a terminal the typing is not echoed.
QString lerLinhaEntrada()
{
    termios antes{};
    const bool terminal = entradaETerminal() && ::tcgetattr(STDIN_FILENO, &antes) == 0;
    if (terminal) {
        err() << "Palavra passe: ";
        err().flush();
        termios semEco = antes;
        semEco.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &semEco);
    }
    QTextStream in(stdin);
    const QString linha = in.readLine();
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &antes);
        err() << "\n";
    }
    return linha;
}

// Why login could never accept `senha` ("" when it can): the login control trims what is typed,
// so blanks at either end can never be part of it.
QString problemaSenha(const QString& senha)
{
    if (senha.isEmpty()) return QStringLiteral("A palavra passe não pode ser vazia.");
    if (senha.trimmed().isEmpty())
        return QStringLiteral("A palavra passe não pode ser só espaços em branco: o ecrã de entrada retira-os e "
                              "nunca a aceitaria.");
    if (senha != senha.trimmed())
        return QStringLiteral("A palavra passe não pode começar nem acabar em espaços em branco: o ecrã de entrada "
                              "retira-os e nunca a aceitaria.");
    return {};
}

// The password for demo and gerar: the line piped in, or the documented 1234 when standard input
// is a terminal or gives nothing.
std::optional<QString> senhaParaTodos()
{
    if (entradaETerminal()) return QStringLiteral("1234");
    const QString lida = lerLinhaEntrada();
    if (lida.isEmpty()) return QStringLiteral("1234");
    if (const QString problema = problemaSenha(lida); !problema.isEmpty()) {
        err() << problema << "\n";
        return std::nullopt;
    }
    return lida;
}

// True when the command has no options and `quantos` arguments (only password has one: the code).
bool argumentosCertos(const Linha& l, QString& motivo, qsizetype quantos = 0)
{
    if (l.argumentos.size() < quantos) {
        motivo = QStringLiteral("Falta o código do funcionário.");
        return false;
    }
    if (l.argumentos.size() > quantos) {
        motivo = QStringLiteral("Argumento a mais: %1").arg(l.argumentos[quantos]);
        return false;
    }
    if (!l.opcoes.empty()) {
        motivo = QStringLiteral("O comando %1 não tem a opção %2.").arg(l.comando, l.opcoes.begin()->first);
        return false;
    }
    return true;
}

// The generator's sizes from gerar's options.
std::optional<ParametrosGerador> parametrosGerar(const Linha& l, QString& motivo)
{
    if (!argumentosCertos(Linha{l.ficheiro, l.comando, l.argumentos, {}}, motivo)) return std::nullopt;
    ParametrosGerador p;
    const std::map<QString, std::function<void(qint64)>> destinos{
        {QStringLiteral("--ordens"), [&](qint64 n) { p.ordens = int(n); }},
        {QStringLiteral("--linhas"), [&](qint64 n) { p.linhas = n; }},
        {QStringLiteral("--funcionarios"), [&](qint64 n) { p.funcionarios = int(n); }},
        {QStringLiteral("--operacoes"), [&](qint64 n) { p.operacoes = int(n); }},
        {QStringLiteral("--maquinas"), [&](qint64 n) { p.maquinas = int(n); }},
        {QStringLiteral("--artigos"), [&](qint64 n) { p.artigos = int(n); }},
        {QStringLiteral("--semente"), [&](qint64 n) { p.semente = quint32(n); }}};
    for (const auto& [nome, valor] : l.opcoes) {
        const auto destino = destinos.find(nome);
        if (destino == destinos.end()) {
            motivo = nome == QLatin1String("--senha")
                         ? QStringLiteral("A opção --senha deixou de existir: a palavra passe lê-se da entrada padrão.")
                         : QStringLiteral("O comando gerar não tem a opção %1.").arg(nome);
            return std::nullopt;
        }
        bool ok = false;
        const qint64 n = valor.toLongLong(&ok);
        const qint64 maximo =
            nome == QLatin1String("--linhas") ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint32>::max();
        if (!ok || n < 0 || n > maximo) {
            motivo = QStringLiteral("O valor de %1 tem de ser um número inteiro não negativo: %2").arg(nome, valor);
            return std::nullopt;
        }
        destino->second(n);
    }
    return p;
}

int init(LigacaoDados& bd)
{
    if (EsquemaBD::Existe(bd)) {
        err() << "A base de dados já tem as tabelas; nada foi alterado.\n";
        return 1;
    }
    EsquemaBD::Criar(bd);
    out() << "Tabelas criadas.\n";
    return 0;
}

int demo(LigacaoDados& bd, const QString& senha)
{
    if (!EsquemaBD::Existe(bd)) EsquemaBD::Criar(bd);
    const Registos r = bd.consultar(QStringLiteral("SELECT COUNT(*) FROM oka_Funcionarios"));
    if (r.primeira().inteiro(0) > 0) {
        err() << "A base de dados já tem dados; os dados de demonstração não foram carregados.\n";
        return 1;
    }
    EsquemaBD::CarregarDemo(bd, senha);
    out() << "Dados de demonstração carregados.\n";
    return 0;
}

int password(LigacaoDados& bd, const QString& codigo, const QString& senha)
{
    const QString hash = CifraSenha::Cifrar(senha);
    if (hash.isEmpty()) {
        err() << "Não foi possível cifrar a palavra passe.\n";
        return 1;
    }
    int alteradas = 0;
    bd.transacao([&] {
        alteradas =
            bd.executar(QStringLiteral("UPDATE oka_Funcionarios SET Senha = ? WHERE FuncId = ?"), {hash, codigo});
    });
    if (alteradas != 1) {
        err() << "O funcionário " << codigo << " não existe.\n";
        return 1;
    }
    out() << "Palavra passe alterada.\n";
    return 0;
}

int gerar(LigacaoDados& bd, const ParametrosGerador& p)
{
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

// Opens the configured database and runs `trabalho` on it; database errors end with code 1.
// Only the commands that create the tables pass `criar`, which creates a missing SQLite file.
int naBaseDeDados(const QString& ficheiro, const std::function<int(LigacaoDados&)>& trabalho, bool criar = false)
{
    LigacaoDados bd;
    QString erro;
    if (Arranque::AbrirBaseDados(ficheiro, bd, nullptr, &erro, criar) != Arranque::Resultado::Aberta) {
        err() << erro << "\n";
        return 1;
    }
    try {
        return trabalho(bd);
    } catch (const ErroBD& e) {
        err() << "Erro da base de dados: " << e.texto() << "\n";
        return 1;
    }
}

} // namespace

// "etiquetas" parses its own options: the command line without "-c FILE" and the command word, or
// nullopt when the command is another one.
std::optional<QStringList> argumentosEtiquetas(const QStringList& args, QString& ficheiro)
{
    QStringList resto;
    bool eEtiquetas = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-c") && i + 1 < args.size())
            ficheiro = args[++i];
        else if (!eEtiquetas && args[i] == QLatin1String("etiquetas"))
            eEtiquetas = true;
        else
            resto << args[i];
    }
    if (!eEtiquetas) return std::nullopt;
    return resto;
}

int main(int argc, char** argv)
{
    const std::unique_ptr<QCoreApplication> app = Etiquetas::Aplicacao(argc, argv);
    const QStringList args = app->arguments().mid(1);
    QString ficheiroEtiquetas = QStringLiteral("Terminal_Obras.oka");
    if (const std::optional<QStringList> resto = argumentosEtiquetas(args, ficheiroEtiquetas))
        return naBaseDeDados(ficheiroEtiquetas,
                             [&](LigacaoDados& bd) { return Etiquetas::Comando(bd, ficheiroEtiquetas, *resto); });
    if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
        out() << TextoUso;
        return 0;
    }
    QString motivo;
    const std::optional<Linha> linha = lerLinha(args, motivo);
    if (!linha) return uso(motivo);
    const QString& comando = linha->comando;

    // Arguments are checked and passwords read before the database is touched.
    if (comando == QLatin1String("init")) {
        if (!argumentosCertos(*linha, motivo)) return uso(motivo);
        return naBaseDeDados(
            linha->ficheiro, [](LigacaoDados& bd) { return init(bd); }, true);
    }
    if (comando == QLatin1String("demo")) {
        if (!argumentosCertos(*linha, motivo)) return uso(motivo);
        const std::optional<QString> senha = senhaParaTodos();
        if (!senha) return 1;
        return naBaseDeDados(
            linha->ficheiro, [&](LigacaoDados& bd) { return demo(bd, *senha); }, true);
    }
    if (comando == QLatin1String("password")) {
        if (!argumentosCertos(*linha, motivo, 1)) return uso(motivo);
        const QString senha = lerLinhaEntrada();
        if (const QString problema = problemaSenha(senha); !problema.isEmpty()) {
            err() << problema << "\n";
            return 1;
        }
        return naBaseDeDados(linha->ficheiro,
                             [&](LigacaoDados& bd) { return password(bd, linha->argumentos[0], senha); });
    }
    if (comando == QLatin1String("gerar")) {
        std::optional<ParametrosGerador> p = parametrosGerar(*linha, motivo);
        if (!p) return uso(motivo);
        const std::optional<QString> senha = senhaParaTodos();
        if (!senha) return 1;
        p->senha = *senha;
        return naBaseDeDados(linha->ficheiro, [&](LigacaoDados& bd) { return gerar(bd, *p); });
    }
    if (comando == QLatin1String("verificar")) {
        if (!argumentosCertos(*linha, motivo)) return uso(motivo);
        return naBaseDeDados(linha->ficheiro, [&](LigacaoDados& bd) {
            return VerificarBD::Comando(bd, linha->ficheiro, linha->argumentos, out(), err());
        });
    }
    return uso(QStringLiteral("Comando desconhecido: %1").arg(comando));
}

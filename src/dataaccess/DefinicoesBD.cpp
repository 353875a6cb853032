#include "dataaccess/DefinicoesBD.h"

#include <algorithm>
#include <utility>

#include <QDir>

#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "dataaccess/LeitorConfiguracao.h"

const QString DefinicoesBD::Seccao = QStringLiteral("Base de Dados");

bool DefinicoesBD::Ler(QString* erro)
{
    LeitorConfiguracao leitor(Ficheiro);
    if (!leitor.carregar(erro)) return false;
    const QString driver = leitor.Ler(Seccao, QStringLiteral("Driver"));
    Driver = driver.isEmpty() ? QStringLiteral("SQLite") : driver;
    Servidor = leitor.Ler(Seccao, QStringLiteral("Servidor"));
    Porta = leitor.Ler(Seccao, QStringLiteral("Porta"));
    BaseDados = leitor.Ler(Seccao, QStringLiteral("Base de Dados"));
    Utilizador = leitor.Ler(Seccao, QStringLiteral("Utilizador"));
    Password = leitor.Ler(Seccao, QStringLiteral("Palavra Passe"));
    DriverOdbc = leitor.Ler(Seccao, QStringLiteral("Driver ODBC"));
    // Whole seconds, 1 to an hour; empty or absent gives the default. An unbounded wait is what
    // these settings are there to prevent, so 0 is refused like any other bad value.
    for (auto [chave, destino] : {std::pair{QStringLiteral("Tempo Limite Ligação"), &TempoLimiteLigacao},
                                  std::pair{QStringLiteral("Tempo Limite Instrução"), &TempoLimiteInstrucao}}) {
        const QString texto = leitor.Ler(Seccao, chave).trimmed();
        bool ok = true;
        const int segundos = texto.isEmpty() ? TempoLimitePadrao : texto.toInt(&ok);
        if (!ok || segundos < 1 || segundos > TempoLimiteMaximo) {
            if (erro)
                *erro = QStringLiteral("Ficheiro de configuração %1: \"%2\" na secção \"%3\" deve ser um número de "
                                       "segundos de 1 a %4 (está \"%5\").")
                            .arg(Ficheiro, chave, Seccao)
                            .arg(TempoLimiteMaximo)
                            .arg(texto.left(20));
            return false;
        }
        *destino = segundos;
    }
    // An unknown driver would otherwise be taken for SQLite and open an empty file.
    static const QStringList conhecidos{QStringLiteral("sqlite"),     QStringLiteral("qsqlite"),
                                        QStringLiteral("postgresql"), QStringLiteral("qpsql"),
                                        QStringLiteral("odbc"),       QStringLiteral("qodbc")};
    if (!conhecidos.contains(Driver.toLower())) {
        if (erro)
            *erro = QStringLiteral("Ficheiro de configuração %1: driver \"%2\" desconhecido na secção \"%3\" "
                                   "(SQLite, PostgreSQL ou ODBC).")
                        .arg(Ficheiro, Driver, Seccao);
        return false;
    }
    return portaValida(erro);
}

bool DefinicoesBD::Gravar(QString* erro) const
{
    if (!portaValida(erro)) return false;
    // A missing file is created; one that exists but cannot be read is left alone (the reader
    // refuses to write over it). Only the lines of the settings that changed are rewritten.
    LeitorConfiguracao leitor(Ficheiro);
    auto escrever = [&](const QString& chave, const QString& valor) {
        // A setting left empty is not added to a file that does not have it.
        if (!valor.isEmpty() || leitor.existe(Seccao, chave)) leitor.Escrever(Seccao, chave, valor);
    };
    leitor.Escrever(Seccao, QStringLiteral("Driver"), Driver);
    escrever(QStringLiteral("Servidor"), Servidor);
    escrever(QStringLiteral("Porta"), Porta);
    escrever(QStringLiteral("Base de Dados"), BaseDados);
    escrever(QStringLiteral("Utilizador"), Utilizador);
    escrever(QStringLiteral("Palavra Passe"), Password);
    escrever(QStringLiteral("Driver ODBC"), DriverOdbc);
    return leitor.gravar(erro);
}

bool DefinicoesBD::portaValida(QString* erro) const
{
    if (Porta.isEmpty()) return true;
    const bool digitos = std::all_of(Porta.begin(), Porta.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const int porta = digitos && Porta.size() <= 5 ? Porta.toInt() : 0;
    if (porta >= 1 && porta <= 65535) return true;
    if (erro)
        *erro = QStringLiteral("Ficheiro de configuração %1: a porta \"%2\" (chave \"Porta\" da secção \"%3\") não é "
                               "um número de 1 a 65535.")
                    .arg(Ficheiro, Porta, Seccao);
    return false;
}

bool DefinicoesBD::faltamDefinicoes() const
{
    const QString d = Driver.toLower();
    if (d == QLatin1String("sqlite")) return BaseDados.isEmpty();
    if (d == QLatin1String("odbc")) return BaseDados.isEmpty() || (!DriverOdbc.isEmpty() && Servidor.isEmpty());
    return Servidor.isEmpty() || BaseDados.isEmpty() || Utilizador.isEmpty();
}

ParametrosLigacao DefinicoesBD::CadeiaLigacao() const
{
    ParametrosLigacao p;
    p.segundosLigacao = TempoLimiteLigacao;
    p.segundosInstrucao = TempoLimiteInstrucao;
    const QString d = Driver.toLower();
    p.servidor = Servidor;
    p.utilizador = Utilizador;
    p.password = Password;
    bool ok = false;
    const int porta = Porta.toInt(&ok);
    if (ok) p.porta = porta;
    if (d == QLatin1String("postgresql") || d == QLatin1String("qpsql")) {
        p.driver = QStringLiteral("QPSQL");
        p.baseDados = BaseDados;
    } else if (d == QLatin1String("odbc") || d == QLatin1String("qodbc")) {
        p.driver = QStringLiteral("QODBC");
        if (!DriverOdbc.isEmpty()) {
            p.baseDados =
                QStringLiteral("DRIVER={%1};SERVER=%2;%3DATABASE=%4;")
                    .arg(DriverOdbc, Servidor, ok ? QStringLiteral("PORT=%1;").arg(porta) : QString(), BaseDados);
        } else {
            p.baseDados = BaseDados;
        }
    } else {
        p.driver = QStringLiteral("QSQLITE");
        p.servidor.clear();
        p.baseDados = QDir::isAbsolutePath(BaseDados) ? BaseDados : QDir(PastaPrograma()).filePath(BaseDados);
    }
    return p;
}

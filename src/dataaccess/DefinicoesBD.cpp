#include "dataaccess/DefinicoesBD.h"

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
    return true;
}

bool DefinicoesBD::Gravar(QString* erro) const
{
    LeitorConfiguracao leitor(Ficheiro);
    leitor.carregar(); // a missing file is created
    leitor.Escrever(Seccao, QStringLiteral("Driver"), Driver);
    leitor.Escrever(Seccao, QStringLiteral("Servidor"), Servidor);
    leitor.Escrever(Seccao, QStringLiteral("Porta"), Porta);
    leitor.Escrever(Seccao, QStringLiteral("Base de Dados"), BaseDados);
    leitor.Escrever(Seccao, QStringLiteral("Utilizador"), Utilizador);
    leitor.Escrever(Seccao, QStringLiteral("Palavra Passe"), Password);
    if (!DriverOdbc.isEmpty() || leitor.existe(Seccao, QStringLiteral("Driver ODBC")))
        leitor.Escrever(Seccao, QStringLiteral("Driver ODBC"), DriverOdbc);
    return leitor.gravar(erro);
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

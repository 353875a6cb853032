// The terminal while its server is out of reach: a proxy between the screen's connection and the
// test's PostgreSQL refuses connections (as a server gone from the network) and lets them through
// again. What the operator sees, what is kept, what the strip counts, what is sent once the server
// answers, and the refused entries a supervisor can read. PostgreSQL only: an embedded database
// never goes out of reach.
#include <QAction>

#include <gtest/gtest.h>

#include "../../bench/comum/ProxyAtraso.hpp"
#include "base/Rotinas.h"
#include "dataaccess/CifraSenha.h"
#include "dataaccess/JornalLocal.h"
#include "dataaccess/MonitorLigacao.h"
#include "erp/LigacaoKovaBD.h"
#include "screens/FixturaTerminal.h"
#include "screens/PainelConsumo.h"
#include "screens/RegistoDiario.h"
#include "screens/ToqueReal.h"
#include "screens/frmTerminal2.h"

namespace {

class SemLigacao : public FixturaTerminal
{
protected:
    void TearDown() override
    {
        ecra.reset();
        m_ligacao.reset();
        m_proxy.reset();
        FixturaTerminal::TearDown();
    }
    // A new terminal (a restart) on the same journal, its connection through the proxy (started
    // with the first).
    void mostrar() override
    {
        if (!m_proxy) {
            m_proxy = std::make_unique<bench::ProxyAtraso>(QStringLiteral("127.0.0.1"),
                                                           qEnvironmentVariable("TERMINAL_PG_PORT").toInt());
            QString erro;
            ASSERT_TRUE(m_proxy->iniciar(&erro)) << erro.toStdString();
            m_parametros = base().parametros();
            m_parametros.servidor = QStringLiteral("127.0.0.1");
            m_parametros.porta = m_proxy->porta();
            m_parametros.segundosLigacao = 2;
        }
        ecra.reset();
        m_ligacao = std::make_unique<LigacaoDados>();
        QString erro;
        ASSERT_TRUE(m_ligacao->Abrir(m_parametros, &erro)) << erro.toStdString();
        mostrarEm(*m_ligacao);
    }
    void funcao(const QString& funcionario, const QString& obra, const QString& texto)
    {
        tocar(ecra->PainelUtilizadores, funcionario);
        if (!obra.isEmpty()) {
            op.numerosDigitados << obra;
            tocar(ecra->PainelObras, QStringLiteral("Obra"));
        }
        tocar(ecra->PainelOperacoes, QStringLiteral("Corte"));
        tocar(ecra->PainelMaquinas, QStringLiteral("Serra"));
        tocar(ecra->PainelFuncoes, texto);
        confirmar();
    }
    // Lets the monitor try again at once and waits for the journal to empty.
    bool esperarEnvio()
    {
        if (MonitorLigacao* m = ecra->Monitor()) {
            m->Parar();
            m->setEsperas(20, 200);
            m->Iniciar();
        }
        return QTest::qWaitFor([&] { return ecra->PorEnviar == 0; }, 15000);
    }
    QStringList mensagensRegisto()
    {
        QStringList r;
        for (const QByteArray& l : LinhasRegisto(base().pasta()))
            r << CamposRegisto(l).value(4);
        return r;
    }

    std::unique_ptr<bench::ProxyAtraso> m_proxy;
    ParametrosLigacao m_parametros;
    std::unique_ptr<LigacaoDados> m_ligacao;
};

} // namespace

// Out of reach: the order typed is taken unchecked, the list of running operations and the
// question about them are skipped, each Confirmar is kept with a notice, the strip counts them.
// Back: sent in order with their own times, the one on an order that does not exist refused with
// the screen's message, every outcome in the daily log.
TEST_P(SemLigacao, GuardaMostraContaEEnviaQuandoVolta)
{
    funcao(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Iniciar Operação"));
    ASSERT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope")), 1);
    EXPECT_TRUE(ecra->FrameDataHora->title().isEmpty());
    op.dialogos.clear();

    m_proxy->recusar(true);
    funcao(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Lista de Operações"));
    ASSERT_EQ(op.textos(QStringLiteral("Aviso")),
              (QStringList{QStringLiteral("Sem ligação ao servidor: não é possível mostrar as operações em curso."),
                           QStringLiteral("Sem ligação ao servidor: registo guardado, será enviado")}));
    EXPECT_EQ(op.dialogos.last().imagem, 0);
    EXPECT_TRUE(ecra->lbNome->text().isEmpty()) << "the selection stays after a kept function";
    EXPECT_EQ(ecra->FrameDataHora->title(), QStringLiteral("Por enviar: 1 · Recusados: 0"));
    EXPECT_TRUE(ecra->Monitor() && ecra->Monitor()->activo());

    // Her first line is still running on the server: online the question would come first.
    funcao(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Iniciar Operação"));
    EXPECT_TRUE(op.textos(QStringLiteral("Confirmacao")).isEmpty());
    funcao(QStringLiteral("Bruno Costa"), QStringLiteral("9999"), QStringLiteral("Iniciar Operação"));
    EXPECT_EQ(ecra->FrameDataHora->title(), QStringLiteral("Por enviar: 3 · Recusados: 0"));
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")).filter(QStringLiteral("registo guardado")).size(), 3);
    const QList<EntradaJornal> guardadas = ecra->Jornal()->Pendentes();
    ASSERT_EQ(guardadas.size(), 3);
    EXPECT_EQ(guardadas[0].Funcao, QStringLiteral("AC008"));
    EXPECT_EQ(
        guardadas[1].VerificacoesOmitidas,
        (QStringList{QStringLiteral("Existência da obra"), QStringLiteral("Pergunta sobre operações já iniciadas")}));
    EXPECT_EQ(guardadas[2].NomeUtilizador, QStringLiteral("Bruno Costa"));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Estado = 1")), 1);

    m_proxy->recusar(false);
    ASSERT_TRUE(esperarEnvio());
    EXPECT_EQ(ecra->FrameDataHora->title(), QStringLiteral("Por enviar: 0 · Recusados: 1"));
    const Registos l = bd().consultar(
        QStringLiteral("SELECT Estado, HoraInicio, HoraFim FROM oka_LinFo_Ope WHERE Func = 'F1' ORDER BY NoLinha"));
    ASSERT_EQ(l.RecordCount(), 2);
    EXPECT_EQ(l[0].inteiro("Estado"), 2);
    EXPECT_EQ(l[0].moeda("HoraFim"), HoraEmNumero(guardadas[0].DataHora));
    EXPECT_EQ(l[1].inteiro("Estado"), 1);
    EXPECT_EQ(l[1].moeda("HoraInicio"), HoraEmNumero(guardadas[1].DataHora));
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE Func = 'F2'")), 0);
    const QList<EntradaJornal> recusadas = ecra->Jornal()->Recusadas();
    ASSERT_EQ(recusadas.size(), 1);
    EXPECT_EQ(recusadas[0].Mensagem, QStringLiteral("A Folha de Obra indicada não existe !"));
    const QStringList registo = mensagensRegisto();
    EXPECT_EQ(registo.filter(QStringLiteral("Sem ligação ao servidor: registo guardado, será enviado")).size(), 3);
    EXPECT_EQ(registo.filter(QRegularExpression(QStringLiteral("^Registo guardado sem ligação de .* enviado$"))).size(),
              2);
    EXPECT_EQ(registo.filter(QStringLiteral("recusado: A Folha de Obra indicada não existe !")).size(), 1);
}

// The refused entries: only with a supervisor's password, listed with the engine's message; both
// the refusal and the viewing go to the daily log.
TEST_P(SemLigacao, RecusadosSoParaOSupervisor)
{
    m_proxy->recusar(true);
    funcao(QStringLiteral("Bruno Costa"), QStringLiteral("9999"), QStringLiteral("Iniciar Operação"));
    m_proxy->recusar(false);
    ASSERT_TRUE(esperarEnvio());
    EXPECT_EQ(ecra->Recusados, 1);
    op.dialogos.clear();

    ecra->Menu_Recusados->trigger();
    ASSERT_EQ(op.dialogos.size(), 1);
    EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("Supervisor"));
    EXPECT_EQ(op.dialogos[0].texto, QStringLiteral("Registos Recusados"));
    op.supervisor = QStringLiteral("9-Chefe");
    ecra->Menu_Recusados->trigger();
    ASSERT_EQ(op.textos(QStringLiteral("Aviso")).size(), 1);
    const QString lista = op.textos(QStringLiteral("Aviso"))[0];
    EXPECT_TRUE(lista.startsWith(QStringLiteral("Registos recusados pelo servidor (1):\r\n\r\n")))
        << lista.toStdString();
    EXPECT_TRUE(lista.contains(QStringLiteral(" — Iniciar Operação, Bruno Costa, obra 9999, Corte, Serra\r\nA Folha de "
                                              "Obra indicada não existe !")))
        << lista.toStdString();
    EXPECT_EQ(op.dialogos.last().altura, 6690);
    EXPECT_TRUE(mensagensRegisto().contains(
        QStringLiteral("Registos recusados vistos com a palavra passe do supervisor (1).")));
}

// Restarted while entries wait: the new terminal counts them at once, waits for the server and
// sends them. The connection lost in the middle of sending (the answer to the first one's COMMIT
// lost, the server out of reach again) leaves them waiting; sent later, each exactly once, the
// first found already done by its token.
TEST_P(SemLigacao, ReiniciadoEInterrompidoAMeioDoEnvio)
{
    m_proxy->recusar(true);
    funcao(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Iniciar Operação"));
    funcao(QStringLiteral("Ana Silva"), QString(), QStringLiteral("Terminar Todas Operações"));
    funcao(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Iniciar Operação"));
    ASSERT_EQ(ecra->PorEnviar, 3);

    m_proxy->recusar(false);
    m_proxy->cortarNoProximoCommit(bench::ProxyAtraso::Corte::DepoisDoCommit, true);
    mostrar();
    EXPECT_EQ(ecra->FrameDataHora->title(), QStringLiteral("Por enviar: 3 · Recusados: 0"));
    ASSERT_TRUE(ecra->Monitor() && ecra->Monitor()->activo());
    ecra->Monitor()->Parar();
    ecra->Monitor()->setEsperas(20, 200);
    ecra->Monitor()->Iniciar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_proxy->commitsCortados() == 1; }, 15000));
    QTest::qWait(100);
    EXPECT_EQ(ecra->PorEnviar, 3);
    EXPECT_TRUE(ecra->Monitor()->activo());
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_LinFo_Ope")), 1) << "the first one landed";

    m_proxy->recusar(false);
    ASSERT_TRUE(esperarEnvio());
    EXPECT_EQ(ecra->FrameDataHora->title(), QString());
    EXPECT_EQ(contar(QStringLiteral("SELECT COUNT(*) FROM oka_RegistosTerminal")), 3);
    const Registos l =
        bd().consultar(QStringLiteral("SELECT Estado FROM oka_LinFo_Ope WHERE Func = 'F1' ORDER BY NoLinha"));
    ASSERT_EQ(l.RecordCount(), 2);
    EXPECT_EQ(l[0].inteiro(0), 2);
    EXPECT_EQ(l[1].inteiro(0), 1);
    const QStringList registo = mensagensRegisto();
    EXPECT_EQ(
        registo.filter(QRegularExpression(QStringLiteral("^Registo guardado sem ligação de .* já estava gravado$")))
            .size(),
        1);
    EXPECT_EQ(registo.filter(QRegularExpression(QStringLiteral("^Registo guardado sem ligação de .* enviado$"))).size(),
              2);
}

// A journal that cannot be written: said as an error naming the file, nothing recorded, nothing
// counted as kept.
TEST_P(SemLigacao, JornalQueNaoSePodeEscrever)
{
    ecra.reset();
    ecra = std::make_unique<frmTerminal>();
    ecra->setLigacao(m_ligacao.get());
    ecra->setOperador(&op);
    const QString ficheiro = QDir(base().pasta()).filePath(QStringLiteral("nao-ha/jornal.db"));
    ecra->setFicheiroJornal(ficheiro);
    ecra->Mostra();
    QCoreApplication::processEvents();
    m_proxy->recusar(true);
    funcao(QStringLiteral("Ana Silva"), QStringLiteral("1001"), QStringLiteral("Iniciar Operação"));
    EXPECT_TRUE(op.textos(QStringLiteral("Aviso")).isEmpty());
    const QStringList erros = op.textos(QStringLiteral("MensagemSistema"));
    ASSERT_EQ(erros.size(), 1);
    EXPECT_TRUE(erros[0].startsWith(QStringLiteral("Sem ligação ao servidor, e o registo não pôde ser guardado no "
                                                   "jornal: Não foi possível abrir o jornal ") +
                                    ficheiro))
        << erros[0].toStdString();
    EXPECT_TRUE(erros[0].endsWith(QStringLiteral("Nada foi registado; repita quando o servidor responder.")));
    EXPECT_EQ(ecra->PorEnviar, 0);
    EXPECT_TRUE(mensagensRegisto().contains(erros[0]));
}

// The ERP terminal: a kept function returns to the identification like a done one, the strip's
// count stays in sight there; material consumption is never kept (stock cannot be checked
// without the server): it goes to its own panel as always.
TEST_P(SemLigacao, TerminalErpGuardaOsRegistosMasNaoOsConsumos)
{
    ecra.reset();
    bd().executar(QStringLiteral("UPDATE oka_Funcionarios SET Senha = ?"),
                  {CifraSenha::Cifrar(QStringLiteral("1234"))});
    auto kova = std::make_unique<LigacaoKovaBD>();
    kova->setModo(2);
    ASSERT_TRUE(
        kova->Ligar(QStringLiteral("."), QString(), QStringLiteral("Demo"), QStringLiteral("u"), QStringLiteral("p")));
    kova->setBaseDados(m_ligacao.get());
    frmTerminal2 t2;
    t2.setLigacao(m_ligacao.get());
    t2.setOperador(&op);
    t2.setLigKova(std::move(kova));
    t2.Mostra();
    QCoreApplication::processEvents();
    auto entrar = [&] {
        tocar(t2.PainelBotesUtilizadores, QStringLiteral("Ana Silva"));
        EscreverLogin(t2.ucLogin, QStringLiteral("1234"));
        ASSERT_TRUE(t2.PainelObra->isVisible());
        tocar(t2.PainelObra, QStringLiteral("Obra 1001"));
    };

    entrar();
    tocar(t2.PainelFuncoes, QStringLiteral("Consumo de Materiais"));
    m_proxy->recusar(true);
    QTest::mouseClick(t2.btConfirmar, Qt::LeftButton);
    EXPECT_TRUE(t2.PainelDonsumo->isVisible());
    EXPECT_EQ(t2.PorEnviar, 0);
    t2.EscondeConsumo();
    t2.Limpar(false);
    m_proxy->recusar(false);
    tocar(t2.PainelObra, QStringLiteral("Obra 1001"));

    tocar(t2.PainelOperacoes, QStringLiteral("Corte"));
    tocar(t2.PainelFuncoes, QStringLiteral("Iniciar Operação"));
    m_proxy->recusar(true);
    QTest::mouseClick(t2.btConfirmar, Qt::LeftButton);
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")).last(),
              QStringLiteral("Sem ligação ao servidor: registo guardado, será enviado"));
    EXPECT_TRUE(t2.ucLogin->isVisible());
    EXPECT_TRUE(t2.FrameDataHora->isVisible());
    EXPECT_EQ(t2.FrameDataHora->title(), QStringLiteral("Por enviar: 1 · Recusados: 0"));
    const QList<EntradaJornal> guardadas = t2.Jornal()->Pendentes();
    ASSERT_EQ(guardadas.size(), 1);
    EXPECT_EQ(guardadas[0].TipoTerminal, 1);
    EXPECT_EQ(guardadas[0].Utilizador, QStringLiteral("F1"));
}

INSTANTIATE_TEST_SUITE_P(Backends, SemLigacao, ::testing::Values(Backend::PostgreSQL), NomeParametroBackend);

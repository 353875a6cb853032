#include "engine/EnvioFuncoes.h"

#include <optional>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "dataaccess/ErroBD.h"

namespace {

// The server: answers as the test says and records what reached it.
class ServidorFalso : public ExecutorFuncoes
{
public:
    ResultadoFuncao Executar(const PedidoFuncao& p) override
    {
        pedidos << p;
        if (erro) throw *erro;
        return {ExecutorEQP::Natureza(p.Funcao, p.Ecra), true, {}};
    }
    bool Gravada(const QString& token) override
    {
        consultados << token;
        if (erroConsulta) throw *erroConsulta;
        return gravadas.contains(token);
    }

    std::optional<ErroBD> erro, erroConsulta;
    QStringList gravadas, consultados;
    QList<PedidoFuncao> pedidos;
};

class EnvioFuncoes_ : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pasta.isValid());
        jornal = std::make_unique<JornalLocal>(QDir(m_pasta.path()).filePath(QStringLiteral("jornal.db")));
        envio = std::make_unique<EnvioFuncoes>(servidor, *jornal, QStringLiteral("base"), QStringLiteral("posto-1"));
    }
    static EntradaJornal Funcao(const QString& codigo, int tipo = 0)
    {
        EntradaJornal e;
        e.Funcao = codigo;
        e.TipoTerminal = tipo;
        e.Utilizador = QStringLiteral("E1");
        e.NomeUtilizador = QStringLiteral("Ana");
        e.Obra = QStringLiteral("26001");
        e.DataHora = QDateTime(QDate(2024, 3, 4), QTime(8, 0));
        e.VerificacoesOmitidas = {QStringLiteral("Existência da obra")};
        return e;
    }

    QTemporaryDir m_pasta;
    ServidorFalso servidor;
    std::unique_ptr<JornalLocal> jornal;
    std::unique_ptr<EnvioFuncoes> envio;
};

} // namespace

// Online: run at once with a token of its own, nothing kept.
TEST_F(EnvioFuncoes_, ComLigacaoCorreLogo)
{
    const DesfechoConfirmacao d = envio->Confirmar(Funcao(QStringLiteral("AC007")));
    EXPECT_FALSE(d.guardada);
    EXPECT_TRUE(d.resultado.resultado);
    ASSERT_EQ(servidor.pedidos.size(), 1);
    EXPECT_EQ(servidor.pedidos[0].Token.size(), 36);
    EXPECT_FALSE(servidor.pedidos[0].Reenvio);
    EXPECT_EQ(jornal->NumeroPendentes(), 0);
}

// Out of reach: kept with the same token, the reason and the skipped checks; the functions after
// it join it without trying the server, in order.
TEST_F(EnvioFuncoes_, SemLigacaoGuardaEMantemAOrdem)
{
    servidor.erro = ErroBD(QStringLiteral("A ligação à base de dados perdeu-se"), {}, ErroBD::Tipo::LigacaoPerdida);
    DesfechoConfirmacao d = envio->Confirmar(Funcao(QStringLiteral("AC007")));
    EXPECT_TRUE(d.guardada);
    EXPECT_EQ(d.resultado.mensagem, QStringLiteral("Sem ligação ao servidor: registo guardado, será enviado"));
    servidor.erro.reset();
    d = envio->Confirmar(Funcao(QStringLiteral("AC008")));
    EXPECT_TRUE(d.guardada);
    EXPECT_EQ(servidor.pedidos.size(), 1);

    const QList<EntradaJornal> p = jornal->Pendentes(QStringLiteral("base"));
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].Token, servidor.pedidos[0].Token);
    EXPECT_EQ(p[0].Razao, QStringLiteral("A ligação à base de dados perdeu-se"));
    EXPECT_EQ(p[0].VerificacoesOmitidas, (QStringList{QStringLiteral("Existência da obra"),
                                                      QStringLiteral("Pergunta sobre operações já iniciadas")}));
    EXPECT_EQ(p[0].Terminal, QStringLiteral("posto-1"));
    EXPECT_EQ(p[0].NomeUtilizador, QStringLiteral("Ana"));
    EXPECT_EQ(p[1].Funcao, QStringLiteral("AC008"));
    EXPECT_EQ(p[1].Razao, QStringLiteral("Registos anteriores por enviar"));
}

// What the server answered is not kept (the screen shows it as today); neither are functions
// that are not the engine's; a journal that cannot be written is an error, never silence.
TEST_F(EnvioFuncoes_, NaoGuardaOQueNaoEFaltaDeLigacao)
{
    servidor.erro = ErroBD(QStringLiteral("value too long"), QStringLiteral("22001"));
    EXPECT_THROW(envio->Confirmar(Funcao(QStringLiteral("AC007"))), ErroBD);
    servidor.erro = ErroBD(QStringLiteral("Connection refused"), {}, ErroBD::Tipo::LigacaoPerdida);
    EXPECT_THROW(envio->Confirmar(Funcao(QStringLiteral("AC008"), 1)), ErroBD); // "Consumo de Materiais"
    servidor.erro.reset();
    EXPECT_EQ(envio->Confirmar(Funcao(QStringLiteral("AC009"), 1)).resultado.tipo, ResultadoFuncao::Tipo::Desconhecida);
    EXPECT_EQ(jornal->NumeroPendentes(), 0);

    JornalLocal semPasta(QDir(m_pasta.path()).filePath(QStringLiteral("nao-ha/jornal.db")));
    EnvioFuncoes semJornal(servidor, semPasta, QStringLiteral("base"), QStringLiteral("posto-1"));
    EXPECT_TRUE(semJornal.Confirmar(Funcao(QStringLiteral("AC007"))).resultado.resultado) << "online needs no journal";
    servidor.erro = ErroBD(QStringLiteral("Connection refused"), {}, ErroBD::Tipo::LigacaoPerdida);
    EXPECT_THROW(semJornal.Confirmar(Funcao(QStringLiteral("AC007"))), ErroJornal);
}

// A COMMIT whose answer was lost: the token is looked up at once. Landed: done, and the operator
// is told so; not landed: kept, and told so; the server silent again: kept for the replay to
// find out. Never run a second time here.
TEST_F(EnvioFuncoes_, CommitSemRespostaResolvidoPeloToken)
{
    const ErroBD incerto(QStringLiteral("A ligação à base de dados perdeu-se ao gravar; verifique"), {},
                         ErroBD::Tipo::ResultadoIncerto);
    servidor.erro = incerto;
    EntradaJornal f = Funcao(QStringLiteral("AC008"));
    f.Token = QStringLiteral("t1");
    servidor.gravadas << QStringLiteral("t1");
    DesfechoConfirmacao d = envio->Confirmar(f);
    EXPECT_TRUE(d.incerta);
    EXPECT_FALSE(d.guardada);
    EXPECT_TRUE(d.resultado.resultado);
    EXPECT_EQ(d.resultado.mensagem,
              QStringLiteral("A ligação ao servidor perdeu-se ao gravar, mas o registo ficou gravado."));
    EXPECT_EQ(servidor.consultados, QStringList{QStringLiteral("t1")});
    EXPECT_EQ(jornal->NumeroPendentes(), 0);

    f.Token = QStringLiteral("t2");
    d = envio->Confirmar(f);
    EXPECT_TRUE(d.incerta);
    EXPECT_TRUE(d.guardada);
    EXPECT_EQ(d.resultado.mensagem, QStringLiteral("A ligação ao servidor perdeu-se ao gravar e o registo não ficou "
                                                   "gravado: registo guardado, será enviado"));
    ASSERT_EQ(jornal->Pendentes().size(), 1);
    EXPECT_EQ(jornal->Pendentes()[0].Token, QStringLiteral("t2"));
    EXPECT_TRUE(jornal->Pendentes()[0].Razao.startsWith(
        QStringLiteral("O registo não ficou gravado quando a ligação se perdeu ao gravar (")));

    // Entries wait now: the next one joins them without asking; a fresh journal for the last case.
    JornalLocal outro(QDir(m_pasta.path()).filePath(QStringLiteral("outro.db")));
    EnvioFuncoes envio2(servidor, outro, QStringLiteral("base"), QStringLiteral("posto-1"));
    servidor.erroConsulta = ErroBD(QStringLiteral("Connection refused"), {}, ErroBD::Tipo::LigacaoPerdida);
    f.Token = QStringLiteral("t3");
    d = envio2.Confirmar(f);
    EXPECT_TRUE(d.guardada);
    EXPECT_EQ(d.resultado.mensagem, QStringLiteral("Sem ligação ao servidor: registo guardado, será enviado"));
    ASSERT_EQ(outro.Pendentes().size(), 1);
    EXPECT_EQ(outro.Pendentes()[0].Razao, incerto.texto());
    EXPECT_EQ(servidor.pedidos.size(), 3) << "run a second time";
}

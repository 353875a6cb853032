#include "DadosEngine.h"
#include "dataaccess/CifraSenha.h"
#include "engine/cl_Funcionarios.h"
#include "engine/cl_Maquinas.h"
#include "engine/cl_Motivos.h"
#include "engine/cl_Operacoes.h"

using namespace dados;

class Consultas : public TesteEngine
{
};

TEST_P(Consultas, Catalogos)
{
    bd().executar(QStringLiteral("UPDATE oka_Funcionarios SET Senha = ? WHERE FuncId = 'E1'"),
                  {CifraSenha::Cifrar(QStringLiteral("Segredo"))});
    cl_Funcionarios f;
    f.setBd_lig(&bd());
    f.Codigo = QStringLiteral("E1");
    ASSERT_TRUE(f.Ler());
    EXPECT_TRUE(f.Nome == QStringLiteral("Ana") && f.Nivel == 1 && f.CustoHora == C("12"));
    EXPECT_TRUE(f.VerificarSenha(QStringLiteral("sEGREDO")));
    EXPECT_FALSE(f.VerificarSenha(QStringLiteral("outra")));
    f.Codigo = QStringLiteral("X'9");
    EXPECT_FALSE(f.Ler());
    EXPECT_TRUE(f.Nome.isEmpty() && f.Nivel == 0 && f.CustoHora == C("0") && !f.VerificarSenha(QString()));
    EXPECT_EQ(f.Lista_Funcionarios()[1].texto(1), QStringLiteral("E2"));

    Operacao(bd(), 5, QString());
    cl_Operacoes o;
    o.setBd_lig(&bd());
    const Registos ops = o.Lista_Operacoes();
    ASSERT_EQ(ops.RecordCount(), 2);
    EXPECT_EQ(ops[0].texto(0), QStringLiteral("Corte"));
    o.Codigo = QStringLiteral("5");
    EXPECT_TRUE(o.Ler());
    // A scanned code is looked up as typed: the id as the table holds it, nothing for a code that
    // is not a number.
    o.Codigo = QStringLiteral("010");
    ASSERT_TRUE(o.Ler());
    EXPECT_EQ(o.CodigoLido, QStringLiteral("10"));
    EXPECT_EQ(o.Descricao, QStringLiteral("Corte"));
    o.Codigo = QStringLiteral("X'1");
    EXPECT_FALSE(o.Ler());
    EXPECT_TRUE(o.CodigoLido.isEmpty() && o.Descricao.isEmpty());

    cl_Maquinas m;
    m.setBd_lig(&bd());
    m.Codigo = QStringLiteral("M1");
    ASSERT_TRUE(m.Ler());
    EXPECT_EQ(m.Descricao, QStringLiteral("Serra"));
    EXPECT_EQ(m.CodigoLido, QStringLiteral("M1"));
    m.Codigo = QStringLiteral("M'9");
    EXPECT_FALSE(m.Ler());
    EXPECT_TRUE(m.CodigoLido.isEmpty() && m.Descricao.isEmpty());

    bd().executar(QStringLiteral("INSERT INTO oka_Motivos (codigo, Motivo) VALUES ('2', 'Falta'), ('1', 'Avaria')"));
    cl_Motivos mot;
    mot.setBid_lig(&bd());
    EXPECT_EQ(mot.Lista_Motivos()[0].texto(1), QStringLiteral("1"));
}

TEST_P(Consultas, OrdensEOperacoes)
{
    Obra(bd(), QStringLiteral("F1"), 1, QStringLiteral("P-7"));
    Obra(bd(), QStringLiteral("F2"), {});
    Obra(bd(), QStringLiteral("F4"), 4);
    Obra(bd(), QStringLiteral(""));
    qint32 estado = -1, sub = -1;
    EXPECT_FALSE(eqp.Existe_FolhaObra(QStringLiteral("X'1"), estado, sub));
    EXPECT_EQ(estado, 9);
    EXPECT_EQ(sub, -1);
    EXPECT_TRUE(eqp.Existe_FolhaObra(QStringLiteral("F2"), estado, sub));
    EXPECT_EQ(estado, 0);
    EXPECT_TRUE(eqp.Existe_FolhaObra(QStringLiteral("F4"), estado, sub));
    EXPECT_EQ(estado, 4);

    EXPECT_EQ(eqp.aNumeroProcessoDaOrdem(QStringLiteral("F1")), QStringLiteral("P-7"));
    EXPECT_EQ(eqp.aNumeroProcessoDaOrdem(QStringLiteral("F2")), QString());
    EXPECT_EQ(eqp.aNumeroProcessoDaOrdem(QStringLiteral("F9")), QString());
    EXPECT_TRUE(operador.dialogos.isEmpty());

    Linha(bd(), QStringLiteral("F1"), 1, QDate(2024, 3, 4), "8", "0", "0", 10, QStringLiteral("E1"), 1);
    Linha(bd(), QStringLiteral("F4"), 1, QDate(2024, 3, 4), "8", "0", "0", 20, QStringLiteral("E1"), 1);
    Linha(bd(), QStringLiteral("F2"), 1, QDate(2024, 3, 4), "8", "9", "1", 10, QStringLiteral("E1"), 2);
    const Registos ops = eqp.ListaOperacoesUtilizador(QStringLiteral("E1"));
    ASSERT_EQ(ops.RecordCount(), 2);
    EXPECT_EQ(ops[0].texto("estado"), QString());
    EXPECT_EQ(ops[1].texto("Fo"), QStringLiteral("F4"));
    EXPECT_EQ(ops[1].texto("OperNome"), QStringLiteral("Solda"));
    EXPECT_EQ(ops[1].texto("estado"), QStringLiteral("(ORDEM JÁ TERMINADA)"));

    const Registos ordens = eqp.ListaOrdensPorFUncionario(QStringLiteral("E2"));
    ASSERT_EQ(ordens.RecordCount(), 1);
    EXPECT_EQ(ordens[0].texto("Fo"), QStringLiteral("F1"));
}

TEST_P(Consultas, ArtigosEStock)
{
    bd().executar(QStringLiteral("INSERT INTO FAMILIA (GRUPO, COD, DESCR) VALUES ('G1', 'F1', 'Chapas')"));
    bd().executar(QStringLiteral("INSERT INTO ARTIGOS (CODIGO, NOME, GRUPO, FAMILIA, FACTEMB, ARTOUDES, UNBASE) VALUES"
                                 " ('A''1', 'Chapa 2mm', 'G1', 'F1', 2.5, 0, 'KG'),"
                                 " ('B1', 'Parafuso', 'G1', 'XX', 1, 0, 'UN'),"
                                 " ('D1', 'Serviço', 'G1', 'F1', 1, 1, 'UN'),"
                                 " ('Z1', 'Interno', 'G9', 'F1', 1, 0, 'UN')"));
    bd().executar(QStringLiteral("INSERT INTO ARTARM (ARTIGO, ARMAZEM, EXISTENC) VALUES ('A''1', 'A1', 10)"));

    operador.escolhaLista = QStringLiteral("B1");
    EXPECT_EQ(eqp.cm_ListaArtigos(), QStringLiteral("B1"));
    ASSERT_EQ(operador.dialogos.size(), 1);
    EXPECT_EQ(operador.dialogos[0].texto, QStringLiteral("Lista de Artigos"));
    EXPECT_EQ(operador.dialogos[0].imagem, 10000);
    EXPECT_EQ(operador.ultimaColunaGrupo, QStringLiteral("Familia"));
    EXPECT_EQ(operador.ultimasLarguras, (QList<int>{2000, 5000, 2000}));
    EXPECT_EQ(operador.ultimaLista.colunas(), (QStringList{"Codigo", "Descricao", "Familia"}));
    ASSERT_EQ(operador.ultimaLista.RecordCount(), 3); // Z1's group is left out
    QStringList familias;
    for (const auto& l : operador.ultimaLista)
        familias << l.texto("Familia");
    EXPECT_TRUE(familias.contains(QStringLiteral("Chapas")) && familias.contains(QString()));
    EXPECT_EQ(familias, (QStringList{QString(), "Chapas", "Chapas"})); // no family first, on every backend

    QString nome, erro, unidade;
    double factor = 0;
    EXPECT_TRUE(eqp.CM_ValidaArtigo(QStringLiteral("A'1"), nome, factor, erro, unidade));
    EXPECT_EQ(nome, QStringLiteral("Chapa 2mm"));
    EXPECT_DOUBLE_EQ(factor, 2.5);
    EXPECT_EQ(unidade, QStringLiteral("KG"));
    EXPECT_FALSE(eqp.CM_ValidaArtigo(QStringLiteral("D1"), nome, factor, erro, unidade));
    EXPECT_EQ(erro, QStringLiteral("Não é possivel movimentar descritores no terminal !"));
    EXPECT_TRUE(nome.isEmpty() && unidade.isEmpty());
    EXPECT_FALSE(eqp.CM_ValidaArtigo(QStringLiteral("NADA"), nome, factor, erro, unidade));
    EXPECT_EQ(erro, QStringLiteral("O Artigo indicado não existe !"));

    QString armazem;
    EXPECT_TRUE(eqp.ExisteQuantidadeNoArmazem(QStringLiteral("A'1"), C("10"), erro, armazem));
    EXPECT_EQ(erro, QString());
    EXPECT_EQ(armazem, QStringLiteral("A1"));
    EXPECT_FALSE(eqp.ExisteQuantidadeNoArmazem(QStringLiteral("A'1"), C("10.0001"), erro, armazem));
    EXPECT_EQ(erro, QStringLiteral("Não existe quantidade necessaria do artigo no armazem !"));
    EXPECT_FALSE(eqp.ExisteQuantidadeNoArmazem(QStringLiteral("B1"), C("1"), erro, armazem));
    EXPECT_EQ(erro, QStringLiteral("Não existe quantidade no armazem !"));
    EXPECT_EQ(armazem, QStringLiteral("A1"));
    bd().executar(QStringLiteral("UPDATE oka_Contador SET ArmMp = '  '"));
    erro = QStringLiteral("antes");
    EXPECT_FALSE(eqp.ExisteQuantidadeNoArmazem(QStringLiteral("A'1"), C("1"), erro, armazem));
    EXPECT_EQ(erro, QStringLiteral("antes"));
    EXPECT_EQ(armazem, QString());
    bd().executar(QStringLiteral("UPDATE oka_Contador SET ArmMp = NULL"));
    armazem = QStringLiteral("x");
    EXPECT_FALSE(eqp.ExisteQuantidadeNoArmazem(QStringLiteral("A'1"), C("1"), erro, armazem));
    EXPECT_EQ(erro, QStringLiteral("Não existe Armazem definido"));
    EXPECT_EQ(armazem, QString());
}

// Trapped errors show the system message box and return an empty or false result.
TEST_P(Consultas, ErrosApanhados)
{
    bd().executar(QStringLiteral("DROP TABLE oka_CabOrc"));
    bd().executar(QStringLiteral("DROP TABLE ARTIGOS"));
    bd().executar(QStringLiteral("DROP TABLE ARTARM"));
    QString a, b, c, d;
    double f = 0;
    EXPECT_EQ(eqp.aNumeroProcessoDaOrdem(QStringLiteral("F1")), QString());
    EXPECT_FALSE(eqp.CM_ValidaArtigo(QStringLiteral("A1"), a, f, b, c));
    EXPECT_FALSE(eqp.ExisteQuantidadeNoArmazem(QStringLiteral("A1"), C("1"), b, d));
    const QStringList caixas = operador.textos(QStringLiteral("MensagemSistema"));
    ASSERT_EQ(caixas.size(), 3);
    EXPECT_TRUE(caixas[0].startsWith(QStringLiteral("Erro ")));
    EXPECT_TRUE(caixas[0].contains(QStringLiteral("\r\n(")));
    EXPECT_TRUE(caixas[0].endsWith(QStringLiteral(")\r\nNa função aNumeroProcessoDaOrdem do Cl_EQP")));
    EXPECT_TRUE(caixas[1].endsWith(QStringLiteral(")\r\nNa função CM_ValidaArtigo do Cl_EQP")));
    EXPECT_TRUE(caixas[2].endsWith(QStringLiteral(")\r\nNa função ExisteQuantidadeNoArmazem do Cl_EQP")));
    EXPECT_EQ(d, QStringLiteral("A1")); // the warehouse was read before the failure
}

INSTANCIAR_BACKENDS(Consultas);

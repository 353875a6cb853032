#include "dataaccess/EsquemaBD.h"

#include <QSet>

#include "base/Rotinas.h"
#include "dataaccess/CifraSenha.h"
#include "dataaccess/LerCI.h"
#include "support/BaseDadosTeste.h"

// The demo factory loads on every backend and holds together: what the screens and the costing
// read from it is there, and the order totals are the roll-up of their closed lines.
class EsquemaBD_ : public TesteBD
{
};

TEST_P(EsquemaBD_, DemoCarregaECoerente)
{
    EXPECT_TRUE(EsquemaBD::Existe(bd()));
    EsquemaBD::CarregarDemo(bd(), QStringLiteral("1234"));
    auto contar = [&](const char* sql) { return bd().consultar(QString::fromLatin1(sql)).primeira().inteiro(0); };
    EXPECT_EQ(contar("SELECT COUNT(*) FROM oka_Funcionarios"), 12);
    EXPECT_EQ(contar("SELECT COUNT(*) FROM oka_Operacoes"), 15);
    EXPECT_EQ(contar("SELECT COUNT(*) FROM oka_Operacoes WHERE OperNome = ''"), 1);
    EXPECT_EQ(contar("SELECT COUNT(*) FROM oka_Maquinas WHERE CustoHora > 0"), 10);
    EXPECT_EQ(contar("SELECT COUNT(*) FROM oka_Motivos"), 8);
    EXPECT_EQ(contar("SELECT COUNT(*) FROM oka_CabOrc"), 40);
    EXPECT_GE(contar("SELECT COUNT(DISTINCT EstadoFo) FROM oka_CabOrc"), 3);
    EXPECT_GE(contar("SELECT COUNT(DISTINCT SubEstado) FROM oka_CabOrc"), 6);
    EXPECT_GT(contar("SELECT COUNT(*) FROM oka_LinFo_Ope WHERE HoraInicio = 0 AND Total = 0"), 0);
    EXPECT_GE(contar("SELECT COUNT(*) FROM ARTIGOS"), 55);
    EXPECT_GT(contar("SELECT COUNT(*) FROM ARTIGOS WHERE ARTOUDES <> 0"), 0);
    EXPECT_GT(contar("SELECT COUNT(*) FROM ARTIGOS a INNER JOIN oka_Contador c ON a.GRUPO = c.Artigos"), 0);
    EXPECT_EQ(contar("SELECT COUNT(*) FROM ARTIGOS a LEFT JOIN FAMILIA f ON a.GRUPO = f.GRUPO AND a.FAMILIA = f.COD "
                     "WHERE f.COD IS NULL"),
              0);
    EXPECT_GT(contar("SELECT COUNT(*) FROM ARTARM s INNER JOIN oka_Contador c ON s.ARMAZEM = c.ArmMp "
                     "WHERE s.EXISTENC > 0"),
              30);
    EXPECT_EQ(contar("SELECT COUNT(*) FROM oka_LinFo_Ope l LEFT JOIN oka_CabOrc c ON l.NoFo = c.Fo WHERE c.Fo IS NULL"),
              0);
    EXPECT_EQ(LerCI(bd()), Currency::fromRaw(75000));

    const Registos definicoes =
        bd().consultar(QStringLiteral("SELECT ArmMp, Artigos, DocSc, SerieSc, SectorMp, Moeda FROM  oka_Contador"));
    ASSERT_EQ(definicoes.RecordCount(), 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(definicoes.primeira().texto(i).trimmed().isEmpty()) << i;

    for (const auto& linha : bd().consultar(QStringLiteral("SELECT Fo FROM oka_CabOrc")))
        EXPECT_LE(linha.texto(0).size(), 6);

    // Every employee has the demo password, stored only as a hash.
    const Registos senhas = bd().consultar(QStringLiteral("SELECT DISTINCT Senha FROM oka_Funcionarios"));
    ASSERT_EQ(senhas.RecordCount(), 1);
    EXPECT_TRUE(CifraSenha::Verificar(QStringLiteral("1234"), senhas.primeira().texto(0)));

    // Order totals against the roll-up of their closed lines.
    const Currency ci = LerCI(bd());
    const Registos ordens = bd().consultar(QStringLiteral("SELECT Fo, TotalCustoProd, TotalCustoInd FROM oka_CabOrc"));
    for (const auto& o : ordens) {
        Currency prod, ind;
        for (const auto& l : bd().consultar(QStringLiteral("SELECT Total, CustoHomem, CustoMaquina FROM oka_LinFo_Ope "
                                                           "WHERE NoFo = ? AND Total > 0"),
                                            {o.texto(0)})) {
            const Currency h = HoraParaDecimal(l.moeda(0));
            prod += (l.moeda(1) + l.moeda(2)) * h;
            ind += ci * h;
        }
        EXPECT_EQ(o.moeda(1), prod) << o.texto(0).toStdString();
        EXPECT_EQ(o.moeda(2), ind) << o.texto(0).toStdString();
    }
}

INSTANCIAR_BACKENDS(EsquemaBD_);

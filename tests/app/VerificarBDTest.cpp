// terminal-admin verificar: every statement of the terminal runs once and nothing stays written.
#include "app/VerificarBD.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

#include "dataaccess/EsquemaBD.h"
#include "support/BaseDadosTeste.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class VerificarBD_ : public TesteBD
{
protected:
    void SetUp() override
    {
        TesteBD::SetUp();
        if (IsSkipped()) return;
        EsquemaBD::CarregarDemo(bd(), u"1234"_s);
        // A document of this year already in the series: the check's posting numbers after it.
        bd().executar(u"INSERT INTO STKDOC (TIPODOC, SERIE, ANO, NUMDOC, ARMAZEM) VALUES ('SC', 1, ?, 1, 'MP')"_s,
                      {QDate::currentDate().year()});
    }

    // The configuration of an ERP terminal (or of the panel terminal) whose ERP link logs into
    // the test's folder.
    QString configuracao(int tipo)
    {
        const QString pasta = base().pasta();
        const QString caminho = QDir(pasta).filePath(u"t.oka"_s);
        QFile f(caminho);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(u"[Ligação]\nTipo de Terminal=%1\n[Kova]\nPercurso Windows=%2\nPercurso Log=%2\nEmpresa=DEMO\n"
                "Utilizador=terminal\nPalavra Passe=demo\n"_s.arg(tipo)
                    .arg(pasta)
                    .toUtf8());
        return caminho;
    }

    // Every row of every table, as text, sorted.
    QStringList conteudo()
    {
        QStringList linhas;
        for (const QString& tabela : {u"oka_CabOrc"_s, u"oka_LinFo_Ope"_s, u"oka_LinFo_Apr"_s, u"oka_Contador"_s,
                                      u"oka_Funcionarios"_s, u"oka_Operacoes"_s, u"oka_Maquinas"_s, u"oka_Motivos"_s,
                                      u"ARTIGOS"_s, u"FAMILIA"_s, u"ARTARM"_s, u"STKDOC"_s, u"STKDOCLIN"_s}) {
            const Registos r = bd().consultar(u"SELECT * FROM "_s + tabela);
            for (const auto& l : r) {
                QStringList campos{tabela};
                for (int c = 0; c < r.colunas().size(); ++c)
                    campos << (l.nulo(c) ? u"<null>"_s : l.texto(c));
                linhas << campos.join(u'|');
            }
        }
        linhas.sort();
        return linhas;
    }

    static QStringList comEstado(const QList<VerificarBD::Resultado>& r, VerificarBD::Estado estado)
    {
        QStringList nomes;
        for (const auto& x : r)
            if (x.estado == estado) nomes << x.nome;
        return nomes;
    }
};

TEST_P(VerificarBD_, EveryStatementRunsOnceAndNothingStaysWrittenOrLogged)
{
    const QStringList antes = conteudo();
    const QString ficheiro = configuracao(1);

    const auto r = VerificarBD::Verificar(bd(), ficheiro);
    for (const auto& x : r)
        EXPECT_EQ(x.estado, VerificarBD::Estado::Ok) << x.nome.toStdString() << ": " << x.texto.toStdString();
    EXPECT_EQ(r.size(), 27);
    for (const QString& nome : {u"Cl_EQP::Operacao_Inicio (linha preparada)"_s, u"Cl_EQP::Dia_Inicio"_s,
                                u"cl_GravaKova::GravaSaidas"_s, u"AbrirLigacaoKova"_s})
        EXPECT_TRUE(comEstado(r, VerificarBD::Estado::Ok).contains(nome)) << nome.toStdString();

    EXPECT_EQ(conteudo(), antes);
    EXPECT_FALSE(bd().emTransacao());
    // The ERP log of the document posted and undone was not written.
    EXPECT_EQ(QDir(base().pasta()).entryList({u"kova-*.log"_s}, QDir::Files), QStringList());

    // The panel terminal uses no materials: those checks are left out, said so.
    const auto painel = VerificarBD::Verificar(bd(), configuracao(0));
    EXPECT_EQ(comEstado(painel, VerificarBD::Estado::Erro), QStringList());
    EXPECT_EQ(comEstado(painel, VerificarBD::Estado::NaoVerificado), QStringList{u"Consumo de materiais e ERP"_s});
    EXPECT_EQ(conteudo(), antes);
}

TEST_P(VerificarBD_, AFailingStatementIsNamedWithItsErrorTheOthersPassAndNothingChanges)
{
    // Only the cost roll-up writes this column.
    bd().executar(u"ALTER TABLE oka_CabOrc RENAME COLUMN TotalCustoInd TO OutroNome"_s);
    const QStringList antes = conteudo();

    QString saida, erros;
    QTextStream out(&saida), err(&erros);
    EXPECT_EQ(VerificarBD::Comando(bd(), configuracao(1), {}, out, err), 1);
    out.flush();

    const auto r = VerificarBD::Verificar(bd(), configuracao(1));
    const QStringList falhadas{u"Cl_EQP::Operacao_fim"_s,     u"Cl_EQP::Obra_Suspender"_s,
                               u"Cl_EQP::Obra_PorTerminar"_s, u"Cl_EQP::Obra_PorControlar"_s,
                               u"Cl_EQP::Obra_Terminar"_s,    u"Cl_EQP::Obra_NaoConforme"_s,
                               u"Cl_EQP::Obra_SubContrato"_s, u"Cl_EQP::Dia_Fim"_s,
                               u"Cl_EQP::Dia_Inicio"_s,       u"Cl_EQP::TerminaTodasOperacoes"_s};
    EXPECT_EQ(comEstado(r, VerificarBD::Estado::Erro), falhadas);
    EXPECT_EQ(comEstado(r, VerificarBD::Estado::Ok).size(), 27 - falhadas.size());
    for (const auto& x : r) {
        if (x.estado == VerificarBD::Estado::Erro) {
            EXPECT_TRUE(x.texto.contains(u"TotalCustoInd"_s, Qt::CaseInsensitive)) << x.texto.toStdString();
        }
    }

    EXPECT_TRUE(saida.startsWith(u"Verificação da base de dados (Driver "_s)) << saida.toStdString();
    EXPECT_TRUE(saida.contains(u"\nOK    Cl_EQP::Operacao_Inicio (linha nova)\n"_s)) << saida.toStdString();
    EXPECT_TRUE(saida.contains(u"\nERRO  Cl_EQP::Operacao_fim: "_s)) << saida.toStdString();
    EXPECT_TRUE(saida.endsWith(u"27 verificações: 17 OK, 10 com erro, 0 não verificadas. Nada foi gravado.\n"_s))
        << saida.toStdString();
    EXPECT_EQ(conteudo(), antes);
    EXPECT_EQ(erros, QString());
}

TEST_P(VerificarBD_, ExtraArgumentsAreRefusedWithTheUsage)
{
    QString saida, erros;
    QTextStream out(&saida), err(&erros);
    EXPECT_EQ(VerificarBD::Comando(bd(), configuracao(0), {u"--tudo"_s}, out, err), 2);
    err.flush();
    EXPECT_EQ(erros, u"Uso: terminal-admin [-c FICHEIRO] verificar\n"_s);
    EXPECT_EQ(saida, QString());
}

INSTANCIAR_BACKENDS(VerificarBD_);

TEST(VerificarBDSemTabelas, AnEmptyDatabaseIsReportedOnce)
{
    BaseDadosTeste base(Backend::SQLite, false);
    const auto r = VerificarBD::Verificar(base.bd(), QDir(base.pasta()).filePath(u"t.oka"_s));
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0].estado, VerificarBD::Estado::Erro);
    EXPECT_EQ(r[0].texto, u"a base de dados não tem as tabelas do terminal (terminal-admin init cria-as)"_s);
}

} // namespace

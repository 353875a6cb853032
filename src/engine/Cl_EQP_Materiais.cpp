#include "base/InteraccaoOperador.h"
#include "dataaccess/LigacaoDados.h"
#include "engine/Cl_EQP.h"

QString Cl_EQP::cm_ListaArtigos()
{
    const Registos r = bd().consultar(
        QStringLiteral("SELECT ARTIGOS.CODIGO AS Codigo, ARTIGOS.NOME AS Descricao, FAMILIA.DESCR AS Familia"
                       " FROM ARTIGOS INNER JOIN oka_Contador ON ARTIGOS.GRUPO <> oka_Contador.Artigos"
                       " LEFT OUTER JOIN FAMILIA ON ARTIGOS.GRUPO = FAMILIA.GRUPO AND ARTIGOS.FAMILIA = FAMILIA.COD"
                       // Articles without a family first on every backend, as SQL Server sorts Nulls.
                       " ORDER BY CASE WHEN FAMILIA.DESCR IS NULL THEN 0 ELSE 1 END, FAMILIA.DESCR, ARTIGOS.CODIGO"));
    // The picker shows the column names as captions: give them one spelling on every backend.
    QList<QVariantList> linhas;
    for (int i = 0; i < r.RecordCount(); ++i)
        linhas << QVariantList{r.celula(i, 0), r.celula(i, 1), r.celula(i, 2)};
    const Registos artigos({QStringLiteral("Codigo"), QStringLiteral("Descricao"), QStringLiteral("Familia")}, linhas);
    if (!m_operador) return QString();
    return m_operador->ListaSelecao(QStringLiteral("Lista de Artigos"), 10000, artigos, QStringLiteral("Familia"),
                                    {2000, 5000, 2000});
}

bool Cl_EQP::CM_ValidaArtigo(const QString& CodigoArtigo, QString& out_DescricaoArtigo, double& out_Factor,
                             QString& Out_MensagemErro, QString& Out_UnidadeBase)
{
    try {
        const Registos r =
            bd().consultar(QStringLiteral("SELECT CODIGO AS Codigo, NOME AS Descricao, FACTEMB AS factor,"
                                          " ARTOUDES, UNBASE FROM ARTIGOS WHERE CODIGO = ?"),
                           {CodigoArtigo});
        if (r.vazio() || r.primeira().inteiro("ARTOUDES") != 0) {
            out_DescricaoArtigo.clear();
            Out_UnidadeBase.clear();
            Out_MensagemErro = r.vazio() ? QStringLiteral("O Artigo indicado não existe !")
                                         : QStringLiteral("Não é possivel movimentar descritores no terminal !");
            return false;
        }
        const auto l = r.primeira();
        out_DescricaoArtigo = l.texto("Descricao");
        out_Factor = l.real("factor");
        Out_UnidadeBase = l.texto("UNBASE");
        return true;
    } catch (const ErroBD& e) {
        MostrarErro(e, QStringLiteral("\r\n"), QStringLiteral("Na função CM_ValidaArtigo do Cl_EQP"));
        return false;
    }
}

bool Cl_EQP::ExisteQuantidadeNoArmazem(const QString& Artigo, Currency Quantidade, QString& Out_MensagemErro,
                                       QString& Out_ArmazemDoArtigo)
{
    try {
        const Registos c = bd().consultar(QStringLiteral("SELECT ArmMp FROM oka_Contador"));
        QString armazem;
        if (!c.vazio() && !c.primeira().nulo(0)) {
            armazem = c.primeira().texto(0).trimmed();
            Out_ArmazemDoArtigo = armazem;
        } else {
            Out_ArmazemDoArtigo.clear();
            Out_MensagemErro = QStringLiteral("Não existe Armazem definido");
        }
        if (armazem.isEmpty()) return false;
        const Registos r = bd().consultar(
            QStringLiteral("SELECT ARTIGO, ARMAZEM, EXISTENC FROM ARTARM WHERE ARTIGO = ? AND ARMAZEM = ?"),
            {Artigo, armazem});
        if (r.vazio()) {
            Out_MensagemErro = QStringLiteral("Não existe quantidade no armazem !");
            return false;
        }
        if (r.primeira().moeda("EXISTENC") >= Quantidade) {
            Out_MensagemErro.clear();
            return true;
        }
        Out_MensagemErro = QStringLiteral("Não existe quantidade necessaria do artigo no armazem !");
        return false;
    } catch (const ErroBD& e) {
        MostrarErro(e, QStringLiteral("\r\n"), QStringLiteral("Na função ExisteQuantidadeNoArmazem do Cl_EQP"));
        return false;
    }
}

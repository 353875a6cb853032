#include "controls/frmMotSus.h"

#include "controls/Ecra.h"
#include "controls/PainelBotoes.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"

frmMotSus::frmMotSus(QWidget* pai) : QDialog(pai)
{
    setModal(true);
    DesenharMoldura(this);
    // The caption, and a touch button that leaves without a reason: no keyboard, no window frame.
    m_titulo = new TituloDialogo(this, QStringLiteral("Cancelar"));
    m_painel = new PainelBotoes(this);
    m_painel->setObjectName(QStringLiteral("PainelMotivo"));
    connect(m_painel, &PainelBotoes::clicou, this, [this](const QString& Nome, const QString&) {
        Motivo = Nome;
        accept();
    });
    dispor();
}

int frmMotSus::AlturaPainel(double alturaTwips)
{
    // Whole rows only: every position the page buttons reach then shows whole rows, none cut at
    // the bottom or half hidden under the page buttons.
    const int linhas = qMax(1, int((alturaTwips - PainelBotoes::BandaPaginas) / PainelBotoes::PassoLinha));
    return PainelBotoes::BandaPaginas + linhas * PainelBotoes::PassoLinha;
}

void frmMotSus::Mostra()
{
    dispor();
    m_painel->ResetBotoes();
    m_painel->CarregarBotoes_Recordset(m_listaMotivos);
    m_listaMotivos = Registos();
}

void frmMotSus::dispor()
{
    // The designed inner area below the caption strip; the window grows by the strip only.
    const int largura = Twips::Px(LarguraInterior);
    const int faixa = m_titulo->alturaPara(largura);
    m_titulo->setGeometry(0, 0, largura, faixa);
    m_painel->move(0, faixa);
    m_painel->setTamanhoTwips(LarguraInterior, AlturaPainel(AlturaInterior));
    setFixedSize(largura, faixa + m_painel->height());
}

void frmMotSus::showEvent(QShowEvent* e)
{
    // The caller sets the caption after Mostra: the strip is laid out for it now.
    dispor();
    QDialog::showEvent(e);
    CentrarNoEcra(this);
}

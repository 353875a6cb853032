#include "controls/frmMotSus.h"

#include "controls/Ecra.h"
#include "controls/PainelBotoes.h"
#include "controls/Twips.h"

frmMotSus::frmMotSus(QWidget* pai) : QDialog(pai)
{
    setModal(true);
    m_painel = new PainelBotoes(this);
    m_painel->setObjectName(QStringLiteral("PainelMotivo"));
    connect(m_painel, &PainelBotoes::clicou, this, [this](const QString& Nome, const QString&) {
        Motivo = Nome;
        accept();
    });
    resize(Twips::Px(LarguraInterior), Twips::Px(AlturaInterior));
    ajustarPainel();
}

void frmMotSus::Mostra()
{
    ajustarPainel();
    m_painel->ResetBotoes();
    m_painel->CarregarBotoes_Recordset(m_listaMotivos);
    m_listaMotivos = Registos();
}

void frmMotSus::ajustarPainel()
{
    if (size() == QSize(Twips::Px(LarguraInterior), Twips::Px(AlturaInterior)))
        m_painel->setTamanhoTwips(LarguraInterior, AlturaInterior);
    else
        m_painel->setGeometry(rect());
    m_painel->move(0, 0);
}

void frmMotSus::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CentrarNoEcra(this);
}

void frmMotSus::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    ajustarPainel();
}

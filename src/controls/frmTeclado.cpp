#include "controls/frmTeclado.h"

#include "controls/Ecra.h"
#include "controls/TeclandoNumerico.h"
#include "controls/Twips.h"

frmTeclado::frmTeclado(QWidget* pai) : QDialog(pai)
{
    setModal(true);
    DesenharMoldura(this);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFixedSize(Twips::Px(LarguraInterior), Twips::Px(AlturaInterior));

    m_teclado = new TeclandoNumerico(this);
    m_teclado->move(Twips::Px(120), Twips::Px(120));
    connect(m_teclado, &TeclandoNumerico::Enter, this, [this](const QString& texto) {
        CodigoDigitado = texto;
        accept();
    });
}

void frmTeclado::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CentrarNoEcra(this);
    m_teclado->setFocus();
}

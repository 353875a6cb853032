#include "controls/frmTeclado.h"

#include "controls/Ecra.h"
#include "controls/TeclandoNumerico.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

frmTeclado::frmTeclado(QWidget* pai) : QDialog(pai)
{
    setModal(true);
    DesenharMoldura(this);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    // The caption (what is asked for) and a cancel key, which leaves with "" as an empty enter
    // does: a kiosk shows no title bar and has no keyboard.
    m_titulo = new TituloDialogo(this, QStringLiteral("Cancelar"));
    m_teclado = new TeclandoNumerico(this);
    connect(m_teclado, &TeclandoNumerico::Enter, this, [this](const QString& texto) {
        CodigoDigitado = texto;
        accept();
    });
    connect(m_titulo->botao(), &QAbstractButton::clicked, this, [this] { CodigoDigitado.clear(); });
    dispor();
}

okaBotao* frmTeclado::btCancelar() const
{
    return m_titulo->botao();
}

void frmTeclado::dispor()
{
    // The designed window below the caption strip; it grows by the strip only.
    const int largura = Twips::Px(LarguraInterior);
    const int faixa = m_titulo->alturaPara(largura);
    m_titulo->setGeometry(0, 0, largura, faixa);
    m_teclado->move(Twips::Px(120), faixa + Twips::Px(120));
    setFixedSize(largura, faixa + Twips::Px(AlturaInterior));
}

void frmTeclado::showEvent(QShowEvent* e)
{
    // The caller sets the caption after creating the dialog: the strip is laid out for it now.
    dispor();
    QDialog::showEvent(e);
    CentrarNoEcra(this);
    m_teclado->setFocus();
}

#include "controls/oka_input.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "controls/Fontes.h"

namespace {
constexpr int FlagsInteiro = Qt::AlignVCenter | Qt::TextWordWrap;
}

oka_input::oka_input(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (m_numero && t != m_mostrado) m_numero.reset();
    });
}

void oka_input::setNumero(Currency valor, const QString& mostrado)
{
    m_numero = valor;
    m_mostrado = mostrado;
    setText(mostrado);
}

bool oka_input::Validar()
{
    // A message shown by the owner while validating moves the focus away and back; that must not
    // validate again.
    if (m_aValidar) return true;
    m_aValidar = true;
    bool cancel = false;
    emit Validate(cancel);
    m_aValidar = false;
    if (cancel && isEnabled() && isVisible())
        setFocus(Qt::OtherFocusReason);
    else
        setModified(false);
    return !cancel;
}

void oka_input::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    m_comFoco = true;
}

void oka_input::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    // A field that a refused validation took the focus back from never really had it.
    if (!m_comFoco) return;
    m_comFoco = false;
    // Leaving the field for another control validates; the window losing the focus (a dialog,
    // another application) does not.
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    Validar();
}

void oka_input::mousePressEvent(QMouseEvent* e)
{
    QLineEdit::mousePressEvent(e);
    if (m_entradaPorToque && isEnabled() && !isReadOnly() && e->button() == Qt::LeftButton) emit Tocado();
}

void oka_input::setMostrarInteiro(bool sim)
{
    m_mostrarInteiro = sim;
    update();
}

int oka_input::flagsInteiro() const
{
    return FlagsInteiro | int(alignment() & Qt::AlignHorizontal_Mask);
}

QRect oka_input::areaTexto() const
{
    QStyleOptionFrame opcao;
    initStyleOption(&opcao);
    return style()->subElementRect(QStyle::SE_LineEditContents, &opcao, this).adjusted(2, 1, -2, -1);
}

QFont oka_input::fonteMostrada() const
{
    if (!m_mostrarInteiro) return font();
    return FonteQueCabe(font(), text(), areaTexto(), flagsInteiro(), 4);
}

bool oka_input::cabe() const
{
    const QRect area = areaTexto();
    if (m_mostrarInteiro) return TextoCabe(fonteMostrada(), text(), area, flagsInteiro());
    return TextoCabe(font(), text(), area, int(alignment()));
}

void oka_input::paintEvent(QPaintEvent* e)
{
    // While typed into, the line edit as usual (cursor, selection).
    if (!m_mostrarInteiro || (hasFocus() && !isReadOnly())) {
        QLineEdit::paintEvent(e);
        return;
    }
    // The frame as the style draws it, then the text wrapped in it.
    QPainter p(this);
    QStyleOptionFrame opcao;
    initStyleOption(&opcao);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &opcao, &p, this);
    p.setFont(fonteMostrada());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    p.drawText(areaTexto(), flagsInteiro(), text());
}

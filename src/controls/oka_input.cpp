#include "controls/oka_input.h"

#include <QFocusEvent>
#include <QMouseEvent>

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

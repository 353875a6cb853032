#include "controls/TecladoNoCampo.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

#include "controls/frmTecladoAlfa.h"

namespace {

class AbrirTeclado : public QObject
{
public:
    AbrirTeclado(QLineEdit* campo, std::function<QString()> titulo)
        : QObject(campo), m_campo(campo), m_titulo(std::move(titulo))
    {
        campo->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        // On the release, so that the press and the release both reach the field first.
        if (o != m_campo || e->type() != QEvent::MouseButtonRelease) return false;
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() != Qt::LeftButton || !m_campo->isEnabled() || m_campo->isReadOnly() ||
            !m_campo->rect().contains(me->position().toPoint()))
            return false;
        QPointer<QLineEdit> campo = m_campo;
        frmTecladoAlfa teclado(m_campo->window());
        teclado.setWindowTitle(m_titulo());
        teclado.setSenha(m_campo->echoMode() != QLineEdit::Normal);
        teclado.setTextoInicial(m_campo->text());
        const bool entrou = teclado.exec() == QDialog::Accepted;
        if (campo && entrou) {
            campo->setText(teclado.Texto);
            campo->setFocus(Qt::OtherFocusReason);
        }
        return true;
    }

private:
    QLineEdit* m_campo;
    std::function<QString()> m_titulo;
};

} // namespace

void TecladoNoCampo(QLineEdit* campo, const QString& titulo)
{
    new AbrirTeclado(campo, [titulo] { return titulo; });
}

void TecladoNoCampo(QLineEdit* campo, std::function<QString()> titulo)
{
    new AbrirTeclado(campo, std::move(titulo));
}

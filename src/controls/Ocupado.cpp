#include "controls/Ocupado.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include "base/Actividade.h"
#include "controls/Fontes.h"
#include "controls/Twips.h"

namespace {

// The veil: the screen dimmed, and in its middle a box with an hourglass that turns at each
// repaint and the seconds gone by.
class Veu : public QWidget
{
public:
    explicit Veu(QWidget* ecra) : QWidget(ecra)
    {
        setObjectName(QStringLiteral("IndicadorOcupado"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        hide();
    }

    QRect caixa() const
    {
        const QSize tamanho(Twips::Px(6000), Twips::Px(2000));
        return QRect(QPoint((width() - tamanho.width()) / 2, (height() - tamanho.height()) / 2), tamanho);
    }
    void avancar(qint64 ms)
    {
        m_passo = (m_passo + 1) % 4;
        m_segundos = int(ms / 1000);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), QColor(0, 0, 0, 90));
        const QRect c = caixa();
        QPainterPath moldura;
        moldura.addRoundedRect(QRectF(c).adjusted(1.5, 1.5, -1.5, -1.5), 10, 10);
        p.fillPath(moldura, QColor(0xfb, 0xfc, 0xfe));
        p.setPen(QPen(QColor(0x2b, 0x4a, 0x72), 3));
        p.drawPath(moldura);

        // The hourglass, on the left, tilted a quarter more at each step.
        const int lado = c.height() * 6 / 10;
        const QRectF ampulheta(c.left() + c.height() / 5, c.top() + (c.height() - lado) / 2.0, lado * 0.7, lado);
        p.save();
        p.translate(ampulheta.center());
        p.rotate(45.0 * m_passo);
        p.translate(-ampulheta.center());
        const QPolygonF vidro({ampulheta.topLeft(), ampulheta.topRight(), ampulheta.center(), ampulheta.bottomRight(),
                               ampulheta.bottomLeft(), ampulheta.center()});
        p.setBrush(QColor(0xc9, 0xd6, 0xe8));
        p.drawPolygon(vidro);
        p.restore();

        QRect texto = c.adjusted(c.height() / 5 + lado, 0, -c.height() / 5, 0);
        p.setPen(QColor(0x10, 0x10, 0x10));
        p.setFont(FonteTerminal(16, true));
        QString legenda = QStringLiteral("A processar...\naguarde");
        if (m_segundos > 0) legenda += QStringLiteral(" (%1 s)").arg(m_segundos);
        p.drawText(texto, Qt::AlignCenter | Qt::TextWordWrap, legenda);
    }

private:
    int m_passo = 0;
    int m_segundos = 0;
};

// What to do with an input event on the busy screen. A touch that begins while the screen is
// busy (a press, a touch's start) is dropped, and so is the rest of it (its moves, its
// release); the end of a touch that began before (the release of the very touch that started
// the work, still queued) goes through, so that no widget is left holding a press.
class Toques
{
public:
    bool engolir(QEvent::Type t, Qt::MouseButtons botoes)
    {
        switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_rato = true;
            return true;
        case QEvent::MouseMove:
            return m_rato;
        case QEvent::MouseButtonRelease: {
            const bool engolido = m_rato;
            if (botoes == Qt::NoButton) m_rato = false;
            return engolido;
        }
        case QEvent::TouchBegin:
            m_toque = true;
            return true;
        case QEvent::TouchUpdate:
            return m_toque;
        case QEvent::TouchEnd:
        case QEvent::TouchCancel: {
            const bool engolido = m_toque;
            m_toque = false;
            return engolido;
        }
        case QEvent::Wheel:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
            return true;
        default:
            return false;
        }
    }
    void limpar() { m_rato = m_toque = false; }

private:
    bool m_rato = false;
    bool m_toque = false;
};

// The busy state of the one screen, shared by nested guards.
class Estado : public QObject
{
public:
    QPointer<QWidget> ecra;
    QPointer<Veu> veu;
    int profundidade = 0;
    int vezes = 0;
    int pulsacao = 0;
    QElapsedTimer desde;
    QElapsedTimer ultimaPintura;
    QSet<QObject*> janelas;
    Toques toques;

    void comecar(QWidget* e)
    {
        ecra = e;
        if (!veu || veu->parentWidget() != e) veu = new Veu(e);
        janelas.clear();
        toques.limpar();
        desde.start();
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        qApp->installEventFilter(this);
        pulsacao = Actividade::Juntar([this] { pulsar(); });
    }

    void terminar()
    {
        Actividade::Retirar(pulsacao);
        // Touches that queued while the work held the thread reach the filter now, and go.
        QCoreApplication::processEvents();
        qApp->removeEventFilter(this);
        if (veu) veu->hide();
        QGuiApplication::restoreOverrideCursor();
        janelas.clear();
    }

    void pulsar()
    {
        if (QThread::currentThread() != qApp->thread() || !ecra || !veu || !janelas.isEmpty()) return;
        const qint64 ms = desde.elapsed();
        if (ms < Ocupado::Limiar) return;
        if (!veu->isVisible()) {
            veu->setGeometry(ecra->rect());
            veu->raise();
            veu->show();
            veu->repaint();
            ++vezes;
            ultimaPintura.start();
        } else if (ultimaPintura.elapsed() >= 250) {
            veu->avancar(ms);
            veu->repaint(veu->caixa());
            ultimaPintura.start();
        }
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        // Input reaches the window first and its widgets after: decide once, at the window.
        if (auto* janela = qobject_cast<QWindow*>(o); janela && ecra && janela == ecra->windowHandle()) {
            Qt::MouseButtons botoes = Qt::NoButton;
            if (e->type() == QEvent::MouseButtonRelease) botoes = static_cast<QMouseEvent*>(e)->buttons();
            return toques.engolir(e->type(), botoes);
        }
        if (e->type() == QEvent::Show || e->type() == QEvent::Hide || e->type() == QEvent::Destroy) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || !w->isWindow() || w == ecra || w->windowType() == Qt::ToolTip) return false;
            const bool antes = janelas.isEmpty();
            if (e->type() == QEvent::Show)
                janelas.insert(o);
            else
                janelas.remove(o);
            if (antes && !janelas.isEmpty()) {
                // The operator's turn: the usual pointer, the screen as it is.
                QGuiApplication::changeOverrideCursor(Qt::ArrowCursor);
                if (veu) veu->hide();
            } else if (!antes && janelas.isEmpty()) {
                QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
                desde.start();
            }
        }
        return false;
    }
};

Estado& estado()
{
    static Estado* e = new Estado;
    return *e;
}

} // namespace

Ocupado::Ocupado(QWidget* ecra)
{
    Estado& e = estado();
    if (e.profundidade++ > 0 || !ecra) return;
    m_exterior = true;
    e.comecar(ecra);
}

Ocupado::~Ocupado()
{
    Estado& e = estado();
    --e.profundidade;
    if (m_exterior) e.terminar();
}

bool Ocupado::activo()
{
    return estado().profundidade > 0;
}

int Ocupado::vezesMostrado()
{
    return estado().vezes;
}

QWidget* Ocupado::indicador()
{
    return estado().veu;
}

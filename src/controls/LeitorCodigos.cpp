#include "controls/LeitorCodigos.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {

// Enter or Tab; also a line end that comes as a key of its own (a scanner's LF suffix, a tool
// typing "\n"), which the window system gives with its control character as the text.
bool terminador(const QKeyEvent* t)
{
    return t->key() == Qt::Key_Return || t->key() == Qt::Key_Enter || t->key() == Qt::Key_Tab ||
           t->text() == QLatin1String("\n") || t->text() == QLatin1String("\r");
}

bool soModificador(const QKeyEvent* t)
{
    switch (t->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

constexpr Qt::KeyboardModifiers Comandos = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// A key that may belong to a code: it types visible characters, without Ctrl, Alt or Meta, and
// was not repeated by holding it down.
bool imprimivel(const QKeyEvent* t)
{
    if (t->isAutoRepeat() || (t->modifiers() & Comandos) || t->text().isEmpty()) return false;
    for (QChar c : t->text())
        if (!c.isPrint()) return false;
    return true;
}

} // namespace

LeitorCodigos::LeitorCodigos(QObject* parent) : QObject(parent)
{
    m_cronometro.start();
    m_espera.setSingleShot(true);
    connect(&m_espera, &QTimer::timeout, this, &LeitorCodigos::descarregar);
}

LeitorCodigos::~LeitorCodigos()
{
    if (m_instalado && QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

void LeitorCodigos::instalar()
{
    if (m_instalado || !QCoreApplication::instance()) return;
    QCoreApplication::instance()->installEventFilter(this);
    m_instalado = true;
}

void LeitorCodigos::setIntervaloMaximo(int ms)
{
    m_intervalo = qMax(1, ms);
}

void LeitorCodigos::setActivo(bool activo)
{
    if (!activo) descarregar();
    m_activo = activo;
}

qint64 LeitorCodigos::tempo(const QKeyEvent* tecla) const
{
    if (m_relogio) return m_relogio();
    // The window system's time stamp is when the key was pressed, not when the busy event loop
    // got round to it.
    if (tecla->timestamp() != 0) return qint64(tecla->timestamp());
    return m_cronometro.elapsed();
}

bool LeitorCodigos::eventFilter(QObject* alvo, QEvent* evento)
{
    if (!m_activo) return false;
    switch (evento->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        break;
    case QEvent::MouseButtonPress:
    case QEvent::TouchBegin:
        // A touch after a few typed keys must find them already delivered.
        if (!m_retidas.empty()) descarregar();
        return false;
    default:
        return false;
    }
    if (m_aEntregar.contains(evento)) return false;
    // A key event that is let through may be seen again on its way (window, focus widget,
    // parents); every decision below gives the same answer the second time.
    auto* tecla = static_cast<QKeyEvent*>(evento);
    return evento->type() == QEvent::KeyPress ? premir(alvo, tecla) : soltar(alvo, tecla);
}

bool LeitorCodigos::premir(QObject* alvo, QKeyEvent* tecla)
{
    m_porSoltar.remove(tecla->key());
    const qint64 agora = tempo(tecla);
    if (!m_retidas.empty() && agora - m_ultimaTecla > m_intervalo) descarregar();

    if (terminador(tecla) && !(tecla->modifiers() & Comandos) && !tecla->isAutoRepeat()) {
        if (m_texto.size() < ComprimentoMinimo) {
            descarregar();
            return false;
        }
        const QString codigo = m_texto;
        for (const Retida& r : m_retidas) {
            const int k = r.evento->key();
            if (r.evento->type() == QEvent::KeyPress)
                m_porSoltar.insert(k);
            else
                m_porSoltar.remove(k);
        }
        m_porSoltar.insert(tecla->key());
        m_espera.stop();
        m_retidas.clear();
        m_texto.clear();
        QMetaObject::invokeMethod(
            this, [this, codigo] { emit codigoLido(codigo); }, Qt::QueuedConnection);
        return true;
    }
    if (soModificador(tecla)) {
        // Shift comes and goes between the characters of a scan: keep it in its place.
        if (m_retidas.empty()) return false;
        reter(alvo, tecla);
        return true;
    }
    if (!imprimivel(tecla)) {
        descarregar();
        return false;
    }
    reter(alvo, tecla);
    m_texto += tecla->text();
    m_ultimaTecla = agora;
    m_espera.start(2 * m_intervalo);
    return true;
}

bool LeitorCodigos::soltar(QObject* alvo, QKeyEvent* tecla)
{
    if (!tecla->isAutoRepeat() && m_porSoltar.remove(tecla->key())) return true;
    if (m_retidas.empty()) return false;
    reter(alvo, tecla);
    return true;
}

void LeitorCodigos::reter(QObject* alvo, const QKeyEvent* tecla)
{
    m_retidas.push_back(Retida{alvo, std::unique_ptr<QKeyEvent>(tecla->clone())});
}

void LeitorCodigos::descarregar()
{
    m_espera.stop();
    if (m_retidas.empty()) return;
    // Taken out first: a key may open a dialog whose event loop brings the next keys here.
    std::vector<Retida> retidas = std::move(m_retidas);
    m_retidas.clear();
    m_texto.clear();
    for (Retida& r : retidas) {
        QObject* destino = r.alvo ? r.alvo.data() : QGuiApplication::focusObject();
        if (!destino) continue;
        m_aEntregar.append(r.evento.get());
        QCoreApplication::sendEvent(destino, r.evento.get());
        m_aEntregar.removeOne(r.evento.get());
    }
}

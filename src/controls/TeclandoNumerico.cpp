#include "controls/TeclandoNumerico.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>

#include "controls/Fontes.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {
struct Tecla
{
    const char* caption;
    const char* tag;
    int coluna;
    int linha;
    int largura;
    int altura;
};

// Indices 0..12 in the order the keys are known by.
constexpr Tecla teclas[] = {
    {"7", "7", 0, 0, 1035, 1035},           {"8", "8", 1, 0, 1035, 1035}, {"9", "9", 2, 0, 1035, 1035},
    {"<--", "backspace", 3, 0, 1035, 1035}, {"4", "4", 0, 1, 1035, 1035}, {"5", "5", 1, 1, 1035, 1035},
    {"6", "6", 2, 1, 1035, 1035},           {"1", "1", 0, 2, 1035, 1035}, {"2", "2", 1, 2, 1035, 1035},
    {"3", "3", 2, 2, 1035, 1035},           {".", ".", 2, 3, 1035, 1035}, {"0", "0", 0, 3, 2235, 1035},
    {"<-|", "enter", 3, 1, 1035, 3435},
};
constexpr int esquerdas[] = {120, 1320, 2520, 3720};
constexpr int topos[] = {240, 1440, 2640, 3840};
} // namespace

TeclandoNumerico::TeclandoNumerico(QWidget* pai) : QWidget(pai)
{
    setFixedSize(Twips::Px(Largura), Twips::Px(Altura));
    setFocusPolicy(Qt::StrongFocus);

    m_visorClaro = new QLineEdit(this);
    m_visorMascara = new QLineEdit(this);
    m_visorMascara->setEchoMode(QLineEdit::Password);
    m_visorMascara->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    for (QLineEdit* v : {m_visorClaro, m_visorMascara}) {
        v->setGeometry(Twips::Rect(120, 120, 4935, 615));
        v->setFont(FonteTerminal(18, true));
        v->setAlignment(Qt::AlignCenter);
        v->setReadOnly(true);
        v->setFocusPolicy(Qt::NoFocus);
    }
    m_visorMascara->hide();

    m_painelNumerico = new QFrame(this);
    m_painelNumerico->setObjectName(QStringLiteral("PainelNumerico"));
    m_painelNumerico->setFrameShape(QFrame::StyledPanel);
    m_painelNumerico->setGeometry(Twips::Rect(120, 840, 4935, 5055));

    for (const Tecla& t : teclas) {
        auto* b = new okaBotao(QString::fromUtf8(t.caption), m_painelNumerico);
        b->setTag(QString::fromUtf8(t.tag));
        b->setFont(FonteTerminal(20.25, true));
        b->setBeep(true);
        b->setGeometry(Twips::Rect(esquerdas[t.coluna], topos[t.linha], t.largura, t.altura));
        connect(b, &QAbstractButton::clicked, this, [this, b] { tocar(b->tag()); });
        m_teclas.push_back(b);
    }
}

void TeclandoNumerico::setPassword(bool p)
{
    m_password = p;
    m_visorMascara->setVisible(p);
    m_visorClaro->setVisible(!p);
}

QString TeclandoNumerico::textoVisor() const
{
    return m_visorClaro->text();
}

void TeclandoNumerico::Limpar()
{
    m_visorClaro->clear();
    m_visorMascara->clear();
}

okaBotao* TeclandoNumerico::tecla(const QString& tag) const
{
    for (okaBotao* b : m_teclas)
        if (b->tag() == tag) return b;
    return nullptr;
}

void TeclandoNumerico::tocar(const QString& tag)
{
    if (tag == QLatin1String("enter")) {
        const QString texto = m_visorClaro->text();
        emit Enter(texto);
        return;
    }
    if (tag == QLatin1String("backspace")) {
        for (QLineEdit* v : {m_visorClaro, m_visorMascara})
            if (!v->text().trimmed().isEmpty()) v->setText(v->text().chopped(1));
        return;
    }
    for (QLineEdit* v : {m_visorClaro, m_visorMascara})
        v->setText(v->text() + tag);
}

// A physical keyboard, where there is one, works the same keys.
void TeclandoNumerico::keyPressEvent(QKeyEvent* e)
{
    QString tag;
    switch (e->key()) {
    case Qt::Key_Backspace:
        tag = QStringLiteral("backspace");
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        tag = QStringLiteral("enter");
        break;
    default:
        if (e->text().size() == 1 && (e->text()[0].isDigit() || e->text() == QLatin1String("."))) tag = e->text();
    }
    if (okaBotao* b = tecla(tag)) {
        b->click();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

#include "controls/frmTecladoAlfa.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {
constexpr int LadoTecla = 1035; // twips
}

frmTecladoAlfa::frmTecladoAlfa(QWidget* pai) : QDialog(pai)
{
    setModal(true);
    // The caption strip along the top edge, with a key that leaves without a text.
    auto* coluna = TituloDialogo::Disposicao(this, QStringLiteral("Cancelar"));
    m_titulo = findChild<TituloDialogo*>();
    coluna->setSpacing(Twips::Px(120));

    m_visor = new QLineEdit(this);
    m_visor->setFont(FonteTerminal(18, true));
    m_visor->setMinimumHeight(Twips::Px(735));
    coluna->addWidget(m_visor);
    connect(m_visor, &QLineEdit::returnPressed, this, [this] { tocar(QStringLiteral("enter")); });

    auto* grelha = new QGridLayout;
    grelha->setSpacing(Twips::Px(90));
    coluna->addLayout(grelha);

    const int lado = Twips::Px(LadoTecla);
    auto criar = [&](const QString& caption, const QString& tag, int linha, int col, int largura = 1) {
        auto* b = new okaBotao(caption, this);
        b->setTag(tag);
        b->setFont(FonteTerminal(caption.size() > 1 ? 12 : 16, true));
        b->setBeep(true);
        b->setMinimumSize(lado * largura + grelha->spacing() * (largura - 1), lado);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(b, &QAbstractButton::clicked, this, [this, tag] { tocar(tag); });
        grelha->addWidget(b, linha, col, 1, largura);
        m_teclas.push_back(b);
    };

    const QStringList linhas = {QStringLiteral("1234567890-"), QStringLiteral("QWERTYUIOP/"),
                                QStringLiteral("ASDFGHJKLÇ."), QStringLiteral("ZXCVBNM_:\\@")};
    for (int l = 0; l < linhas.size(); ++l)
        for (int c = 0; c < linhas[l].size(); ++c) {
            const QString ch = linhas[l].mid(c, 1);
            // "&" would mark an access key; none of these characters is one.
            criar(ch, ch, l, c);
        }
    criar(QStringLiteral("<--"), QStringLiteral("backspace"), 0, 11);
    criar(QStringLiteral("<-|"), QStringLiteral("enter"), 1, 11);
    m_teclas.last()->setMinimumHeight(lado * 3 + grelha->spacing() * 2);
    m_teclas.last()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grelha->removeWidget(m_teclas.last());
    grelha->addWidget(m_teclas.last(), 1, 11, 3, 1);
    criar(QStringLiteral("abc"), QStringLiteral("minusculas"), 4, 0, 2);
    criar(QStringLiteral("Espaço"), QStringLiteral(" "), 4, 2, 7);
    criar(QStringLiteral("#"), QStringLiteral("#"), 4, 9);
    criar(QStringLiteral("!"), QStringLiteral("!"), 4, 10);
}

void frmTecladoAlfa::setSenha(bool sim)
{
    m_visor->setEchoMode(sim ? QLineEdit::Password : QLineEdit::Normal);
}

void frmTecladoAlfa::mudarCaixa()
{
    m_minusculas = !m_minusculas;
    for (okaBotao* b : std::as_const(m_teclas)) {
        if (b->tag().size() == 1 && b->tag()[0].isLetter())
            b->setText(m_minusculas ? b->tag().toLower() : b->tag());
        else if (b->tag() == QLatin1String("minusculas"))
            b->setText(m_minusculas ? QStringLiteral("ABC") : QStringLiteral("abc"));
    }
}

void frmTecladoAlfa::setTextoInicial(const QString& t)
{
    m_visor->setText(t);
}

okaBotao* frmTecladoAlfa::tecla(const QString& tag) const
{
    for (okaBotao* b : m_teclas)
        if (b->tag() == tag) return b;
    return nullptr;
}

void frmTecladoAlfa::tocar(const QString& tag)
{
    if (tag == QLatin1String("enter")) {
        Texto = m_visor->text();
        accept();
    } else if (tag == QLatin1String("backspace")) {
        m_visor->backspace();
    } else if (tag == QLatin1String("minusculas")) {
        mudarCaixa();
    } else {
        m_visor->insert(m_minusculas ? tag.toLower() : tag);
    }
}

void frmTecladoAlfa::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    adjustSize();
    CentrarNoEcra(this);
    m_visor->setFocus();
    // A text to go on from: the keys add at its end rather than replace it.
    m_visor->deselect();
    m_visor->end(false);
}

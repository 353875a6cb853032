#include "controls/PainelBotoes.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include "controls/Fontes.h"
#include "controls/Twips.h"
#include "controls/okaBotao.h"

namespace {

// Nearest whole number, halves to the even neighbour.
double arredondarPar(double v)
{
    const double f = std::floor(v);
    const double resto = v - f;
    if (resto > 0.5) return f + 1;
    if (resto < 0.5) return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

QIcon seta(bool paraCima)
{
    QPixmap pm(64, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1b, 0x3a, 0x63), 2));
    p.setBrush(QColor(0x2f, 0x6f, 0xc0));
    QPolygonF t;
    if (paraCima)
        t << QPointF(32, 4) << QPointF(60, 36) << QPointF(4, 36);
    else
        t << QPointF(4, 4) << QPointF(60, 4) << QPointF(32, 36);
    p.drawPolygon(t);
    return QIcon(pm);
}

} // namespace

PainelBotoes::PainelBotoes(QWidget* pai) : QWidget(pai)
{
    // btPageDown brings back the first rows, btPageUp shows the following ones.
    m_btPageDown = new okaBotao(this);
    m_btPageDown->setObjectName(QStringLiteral("btPageDown"));
    m_btPageDown->setIcon(seta(true));
    m_btPageUp = new okaBotao(this);
    m_btPageUp->setObjectName(QStringLiteral("btPageUp"));
    m_btPageUp->setIcon(seta(false));
    for (okaBotao* b : {m_btPageDown, m_btPageUp}) {
        b->setBeep(true);
        b->setIconSize(QSize(Twips::Px(LarguraBotao) / 2, Twips::Px(AlturaBotao) / 2));
        b->setEnabled(false);
    }
    connect(m_btPageUp, &QAbstractButton::clicked, this, &PainelBotoes::PageUp);
    connect(m_btPageDown, &QAbstractButton::clicked, this, &PainelBotoes::PageDown);

    m_contentor = new QWidget(this);
    m_contentor->setObjectName(QStringLiteral("contentor"));
    m_contentor->setAutoFillBackground(true);
    m_contentor->installEventFilter(this);
}

void PainelBotoes::setTamanhoTwips(double largura, double altura)
{
    m_largTwExacta = largura;
    m_altTwExacta = altura;
    m_pxExacto = QSize(Twips::Px(largura), Twips::Px(altura));
    resize(m_pxExacto);
    aplicarTamanho();
}

void PainelBotoes::setGeometriaTwips(double esquerda, double topo, double largura, double altura)
{
    // From the rounded edges, so that panels side by side in twips neither overlap nor leave a gap.
    const QRect r = Twips::Rect(esquerda, topo, largura, altura);
    m_largTwExacta = largura;
    m_altTwExacta = altura;
    m_pxExacto = r.size();
    setGeometry(r);
    aplicarTamanho();
}

QColor PainelBotoes::BackColor() const
{
    return palette().color(QPalette::Window);
}

void PainelBotoes::setBackColor(const QColor& cor)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, cor);
    setPalette(p);
    setAutoFillBackground(true);
    m_contentor->setPalette(p);
}

double PainelBotoes::larguraTwips() const
{
    return size() == m_pxExacto ? m_largTwExacta : Twips::DePx(width());
}

double PainelBotoes::alturaTwips() const
{
    return size() == m_pxExacto ? m_altTwExacta : Twips::DePx(height());
}

void PainelBotoes::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    aplicarTamanho();
}

// Lays out the page buttons and the viewport for the current size. A widget that is not shown
// yet gets its resize event late, so loading calls this first and the late event finds nothing
// to do.
void PainelBotoes::aplicarTamanho()
{
    if (size() == m_tamanhoAplicado) return;
    m_tamanhoAplicado = size();
    const double w = larguraTwips();
    const double h = alturaTwips();

    const double largPagina = arredondarPar(w * 0.5);
    m_contentor->setGeometry(Twips::Rect(0, BandaPaginas, w, h - BandaPaginas));
    m_btPageDown->setGeometry(Twips::Rect(0, 0, largPagina, AlturaBotao));
    // An odd width makes the two halves, each rounded up, share a twip: btPageUp starts where
    // btPageDown ends, so that they never overlap.
    const double esquerdaUp = qMax(w - largPagina, largPagina);
    m_btPageUp->setGeometry(Twips::Rect(esquerdaUp, 0, w - esquerdaUp, AlturaBotao));

    m_deslocamento = 0;
    // The strip keeps the height of the loaded list, so its last rows stay within reach after
    // a resize; an empty panel's strip is the viewport.
    if (m_numeroItens == 0) m_alturaFaixa = alturaVisor();
    m_btPageDown->setEnabled(false);
    m_btPageUp->setEnabled(false);
    if (m_numeroItens > 0) actualizarPaginas();
    disporBotoes();
}

void PainelBotoes::actualizarPaginas()
{
    const bool activos = m_alturaFaixa >= alturaVisor();
    m_btPageDown->setEnabled(activos);
    m_btPageUp->setEnabled(activos);
}

void PainelBotoes::ResetBotoes()
{
    m_numeroItens = 0;
    m_seleccionados.clear();
    m_textos.clear();
    m_codigos.clear();
    m_registos = Registos();
    m_itemDoSlot.fill(-1);
    disporBotoes();
}

bool PainelBotoes::CarregarBotoes_Recordset(const Registos& rs)
{
    m_registos = rs;
    m_deRegistos = true;
    m_textos.clear();
    m_codigos.clear();
    carregar(rs.RecordCount());
    return false;
}

bool PainelBotoes::CarregarBotoes_Lista(const QStringList& Textos, const QStringList& Codigos)
{
    m_textos = Textos;
    m_codigos = Codigos;
    m_deRegistos = false;
    m_registos = Registos();
    carregar(int(qMax<qsizetype>(0, Textos.size() - 1)));
    return false;
}

QString PainelBotoes::textoItem(int i) const
{
    return m_deRegistos ? m_registos[i].texto(0) : m_textos.value(i + 1);
}

QString PainelBotoes::codigoItem(int i) const
{
    if (!m_deRegistos) return m_codigos.value(i + 1);
    return m_registos.colunas().size() > 1 ? m_registos[i].texto(1) : QString();
}

void PainelBotoes::carregar(int numeroItens)
{
    aplicarTamanho();
    m_numeroItens = numeroItens;
    m_itemDoSlot.fill(-1);

    const double v = larguraVisor();
    m_colunas = int(std::floor(v / PassoColuna));
    const double grelha = double(m_colunas) * LarguraBotao + double(m_colunas - 1) * (PassoColuna - LarguraBotao);
    m_margem = arredondarPar((v - grelha) / 2);

    const double topoUltimo = m_numeroItens == 0 ? 0 : geometriaItem(m_numeroItens).top();
    m_alturaFaixa = topoUltimo + AlturaBotao + FolgaFinal;
    actualizarPaginas();

    // The strip stays where it was, unless that would leave it beyond its last row.
    moverFaixa(m_deslocamento);
}

QRectF PainelBotoes::geometriaItem(int k) const
{
    if (k < 1 || k > m_numeroItens) return {};
    const int i = k - 1;
    const int linha = m_colunas > 0 ? i / m_colunas : i;
    const int coluna = m_colunas > 0 ? i % m_colunas : 0;
    return QRectF(double(coluna) * PassoColuna + m_margem, double(linha) * PassoLinha, LarguraBotao, AlturaBotao);
}

void PainelBotoes::PageUp()
{
    if (!m_btPageUp->isEnabled()) return;
    int d = m_deslocamento - PassoLinha;
    if (m_alturaFaixa + d < alturaVisor()) d = int(std::lround(alturaVisor() - m_alturaFaixa));
    moverFaixa(d);
}

void PainelBotoes::PageDown()
{
    if (!m_btPageDown->isEnabled()) return;
    int d = m_deslocamento + PassoLinha;
    if (d > 0) d = 0;
    moverFaixa(d);
}

void PainelBotoes::moverFaixa(int deslocamento)
{
    const int minimo = qMin(0, int(std::lround(alturaVisor() - m_alturaFaixa)));
    m_deslocamento = qBound(minimo, deslocamento, 0);
    disporBotoes();
}

// Gives the rows in view (and one either side) their buttons. An item keeps the same pooled
// button while it stays in view, so scrolling only touches the rows that come in.
void PainelBotoes::disporBotoes()
{
    const int n = m_numeroItens;
    const int porLinha = qMax(1, m_colunas);
    const int linhas = (n + porLinha - 1) / porLinha;
    const double visor = alturaVisor();
    const int linhasVisor = int(std::floor(qMax(0.0, visor) / PassoLinha)) + 4;
    const int tamanhoPool = n == 0 ? 0 : qMin(n, linhasVisor * porLinha);

    int primeiro = 0;
    int fim = 0;
    if (n > 0) {
        const int primeiraLinha = qMax(0, int(std::floor(-double(m_deslocamento) / PassoLinha)) - 1);
        const int ultimaLinha = qMin(linhas - 1, int(std::floor((visor - m_deslocamento) / PassoLinha)) + 1);
        primeiro = primeiraLinha * porLinha;
        fim = qMin(n, (ultimaLinha + 1) * porLinha);
        fim = qMin(fim, primeiro + tamanhoPool);
    }

    while (m_pool.size() < tamanhoPool) {
        auto* b = new okaBotao(m_contentor);
        b->setFont(FonteTerminal(9, true));
        b->setBeep(true);
        b->installEventFilter(this);
        const int slot = int(m_pool.size());
        connect(b, &QAbstractButton::clicked, this, [this, slot] { botaoTocado(slot); });
        m_pool.push_back(b);
        m_itemDoSlot.push_back(-1);
    }

    QVector<bool> usado(m_pool.size(), false);
    const int passo = qMax(1, tamanhoPool);
    for (int i = primeiro; i < fim; ++i) {
        const int slot = i % passo;
        usado[slot] = true;
        okaBotao* b = m_pool[slot];
        if (m_itemDoSlot[slot] != i) {
            m_itemDoSlot[slot] = i;
            // A name's "&" is shown as it is, not taken as an access key.
            b->setText(QString(textoItem(i)).replace(QLatin1Char('&'), QStringLiteral("&&")));
            b->setTag(codigoItem(i));
        }
        b->setSeleccionado(!m_seleccionados.isEmpty() && m_seleccionados.contains(b->tag()));
        const QRectF g = geometriaItem(i + 1);
        const QRect r = Twips::Rect(g.left(), g.top() + m_deslocamento, g.width(), g.height());
        b->setGeometry(r);
        // Only whole rows are shown: a button cut by the viewport's edge waits for its page.
        const bool inteiro = m_contentor->rect().contains(r);
        if (b->isHidden() == inteiro) b->setVisible(inteiro);
    }
    for (int s = 0; s < m_pool.size(); ++s) {
        if (usado[s]) continue;
        m_itemDoSlot[s] = -1;
        if (!m_pool[s]->isHidden()) m_pool[s]->hide();
    }
}

void PainelBotoes::botaoTocado(int slot)
{
    const int i = m_itemDoSlot.value(slot, -1);
    if (i < 0 || i >= m_numeroItens) return;
    const QString nome = textoItem(i);
    const QString codigo = codigoItem(i);
    emit clicou(nome, codigo);
}

void PainelBotoes::setSeleccionados(const QStringList& codigos)
{
    QStringList marcados;
    for (const QString& c : codigos)
        if (!c.isEmpty() && !marcados.contains(c)) marcados << c;
    if (marcados == m_seleccionados) return;
    m_seleccionados = marcados;
    for (int s = 0; s < m_pool.size(); ++s)
        m_pool[s]->setSeleccionado(m_itemDoSlot[s] >= 0 && m_seleccionados.contains(m_pool[s]->tag()));
}

bool PainelBotoes::temCodigo(const QString& codigo) const
{
    for (int i = 0; i < m_numeroItens; ++i)
        if (codigoItem(i) == codigo) return true;
    return false;
}

QStringList PainelBotoes::textos() const
{
    QStringList r;
    for (int i = 0; i < m_numeroItens; ++i)
        r << textoItem(i);
    return r;
}

QStringList PainelBotoes::codigos() const
{
    QStringList r;
    for (int i = 0; i < m_numeroItens; ++i)
        r << codigoItem(i);
    return r;
}

okaBotao* PainelBotoes::botaoDoItem(int k) const
{
    const int i = int(m_itemDoSlot.indexOf(k - 1));
    return i < 0 ? nullptr : m_pool[i];
}

void PainelBotoes::tocarItem(int k)
{
    const QRectF g = geometriaItem(k);
    if (g.isEmpty()) return;
    if (g.top() + m_deslocamento < 0)
        moverFaixa(int(-g.top()));
    else if (g.top() + AlturaBotao + m_deslocamento > alturaVisor())
        moverFaixa(int(std::lround(alturaVisor() - g.top() - PassoLinha)));
    if (okaBotao* b = botaoDoItem(k)) b->click();
}

// A vertical swipe over the buttons scrolls by whole rows, as the page buttons do; the touch
// that started it then clicks nothing.
bool PainelBotoes::eventFilter(QObject* o, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::LeftButton) {
            m_premido = true;
            m_arrastando = false;
            m_yInicio = int(me->globalPosition().y());
            m_linhasArrastadas = 0;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        if (!m_premido || !(me->buttons() & Qt::LeftButton)) break;
        const int y = int(me->globalPosition().y());
        if (!m_arrastando && std::abs(y - m_yInicio) >= qMax(8, Twips::Px(PassoLinha) / 3)) {
            m_arrastando = true;
            for (okaBotao* b : std::as_const(m_pool))
                b->setDown(false);
        }
        if (m_arrastando) {
            arrastar(y);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (m_arrastando) {
            for (okaBotao* b : std::as_const(m_pool))
                b->setDown(false);
        }
        m_premido = false;
        m_arrastando = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(o, e);
}

void PainelBotoes::arrastar(int yGlobal)
{
    const int passoPx = qMax(1, Twips::Px(PassoLinha));
    // Finger up shows the following rows.
    const int alvo = -(yGlobal - m_yInicio) / passoPx;
    while (m_linhasArrastadas < alvo) {
        ++m_linhasArrastadas;
        PageUp();
    }
    while (m_linhasArrastadas > alvo) {
        --m_linhasArrastadas;
        PageDown();
    }
}

#include "controls/ListaSelecao.h"

#include <QAbstractTableModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/TituloDialogo.h"
#include "controls/Twips.h"
#include "controls/frmTecladoAlfa.h"
#include "controls/okaBotao.h"

namespace {

// Lower case, without accents: "Çapa Ã" -> "capa a".
QString chaveBusca(const QString& s)
{
    const QString d = s.normalized(QString::NormalizationForm_D);
    QString r;
    r.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing) r += c;
    return r.toCaseFolded();
}

} // namespace

// One flat list: each group's title row followed by its rows that pass the filter. A title row
// spans the whole width. Without a grouping column there are no title rows.
class ModeloListaSelecao : public QAbstractTableModel
{
public:
    struct Grupo
    {
        QString titulo;
        QList<int> todas;    // indices into the rows
        QList<int> visiveis; // after the filter
    };

    void carregar(const Registos& linhas, const QString& colunaGrupo, int colunasMostradas)
    {
        beginResetModel();
        m_linhas = linhas;
        m_cabecalhos.clear();
        m_colunas = qMin<int>(colunasMostradas, int(linhas.colunas().size()));
        for (int c = 0; c < m_colunas; ++c)
            m_cabecalhos << linhas.colunas().at(c);
        const int cg = colunaGrupo.isEmpty() ? -1 : linhas.indiceColuna(colunaGrupo);
        m_agrupado = cg >= 0;
        const int cDescricao = linhas.colunas().size() > 1 ? 1 : 0;
        const QString nomeGrupo = cg >= 0 ? linhas.colunas().at(cg) : QString();

        m_grupos.clear();
        m_chaves.clear();
        m_chaves.reserve(linhas.RecordCount());
        QHash<QString, int> porValor;
        for (int r = 0; r < linhas.RecordCount(); ++r) {
            const Registos::Linha l = linhas[r];
            m_chaves << chaveBusca(l.texto(0) + QLatin1Char('\n') + l.texto(cDescricao));
            const QString valor = cg >= 0 ? l.texto(cg) : QString();
            auto it = porValor.constFind(valor);
            int g;
            if (it == porValor.constEnd()) {
                g = int(m_grupos.size());
                porValor.insert(valor, g);
                const QString v = valor.trimmed().isEmpty() ? QStringLiteral("(sem família)") : valor;
                m_grupos.push_back(Grupo{nomeGrupo + QStringLiteral(": ") + v, {}, {}});
            } else {
                g = *it;
            }
            m_grupos[g].todas << r;
        }
        for (Grupo& g : m_grupos)
            g.visiveis = g.todas;
        montarVista();
        endResetModel();
    }

    // Keeps the rows whose code or description holds every word of `texto`.
    void filtrar(const QString& texto)
    {
        const QStringList palavras = chaveBusca(texto).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        beginResetModel();
        for (Grupo& g : m_grupos) {
            g.visiveis.clear();
            for (int r : std::as_const(g.todas)) {
                bool passa = true;
                for (const QString& p : palavras)
                    if (!m_chaves[r].contains(p)) {
                        passa = false;
                        break;
                    }
                if (passa) g.visiveis << r;
            }
        }
        montarVista();
        endResetModel();
    }

    bool agrupado() const { return m_agrupado; }
    // Groups left empty by the filter are not shown.
    QList<int> gruposMostrados() const
    {
        QList<int> r;
        for (int g = 0; g < m_grupos.size(); ++g)
            if (!m_grupos[g].visiveis.isEmpty()) r << g;
        return r;
    }
    const Grupo& grupo(int g) const { return m_grupos[g]; }
    // View rows of the group titles.
    const QList<int>& linhasTitulo() const { return m_linhasTitulo; }
    // Index into the rows for a view row, -1 for a title.
    int linhaDe(int linhaVista) const { return linhaVista < 0 ? -1 : m_vista.value(linhaVista, -1); }
    int linhaVistaDe(int linha) const { return int(m_vista.indexOf(linha)); }
    QString codigo(int linha) const { return m_linhas[linha].texto(0); }
    int totalVisiveis() const { return int(m_vista.size() - m_linhasTitulo.size()); }

    int rowCount(const QModelIndex& pai = {}) const override { return pai.isValid() ? 0 : int(m_vista.size()); }
    int columnCount(const QModelIndex& pai = {}) const override { return pai.isValid() ? 0 : m_colunas; }
    QVariant data(const QModelIndex& i, int papel) const override
    {
        if (!i.isValid() || i.row() >= m_vista.size()) return {};
        const int v = m_vista[i.row()];
        const bool titulo = v < 0;
        if (papel == Qt::DisplayRole) {
            if (titulo) {
                const Grupo& g = m_grupos[-v - 1];
                return i.column() == 0 ? QStringLiteral("%1 (%2)").arg(g.titulo).arg(g.visiveis.size()) : QVariant();
            }
            return m_linhas[v].texto(i.column());
        }
        if (papel == Qt::FontRole && titulo) return FonteTerminal(14, true);
        if (papel == Qt::BackgroundRole && titulo) return QColor(0xdd, 0xe6, 0xf3);
        return {};
    }
    QVariant headerData(int s, Qt::Orientation o, int papel) const override
    {
        if (o == Qt::Horizontal && papel == Qt::DisplayRole) return m_cabecalhos.value(s);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& i) const override
    {
        return i.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

private:
    void montarVista()
    {
        m_vista.clear();
        m_linhasTitulo.clear();
        for (int g = 0; g < m_grupos.size(); ++g) {
            const Grupo& gr = m_grupos[g];
            if (gr.visiveis.isEmpty()) continue;
            if (m_agrupado) {
                m_linhasTitulo << int(m_vista.size());
                m_vista << -(g + 1);
            }
            m_vista += gr.visiveis;
        }
    }

    Registos m_linhas;
    QStringList m_cabecalhos;
    QStringList m_chaves;
    QList<Grupo> m_grupos;
    QList<int> m_vista; // row index, or -(group + 1) for a group title
    QList<int> m_linhasTitulo;
    int m_colunas = 0;
    bool m_agrupado = false;
};

ListaSelecao::ListaSelecao(QWidget* pai) : QDialog(pai)
{
    setModal(true);
    // Rows read at arm's length.
    setFont(FonteTerminal(14));
    // The caption strip along the top edge; the filter and the list below it.
    auto* coluna = TituloDialogo::Disposicao(this);

    auto* linhaFiltro = new QHBoxLayout;
    m_filtro = new QLineEdit(this);
    m_filtro->setFont(FonteTerminal(16, true));
    m_filtro->setMinimumHeight(Twips::Px(795));
    m_filtro->setClearButtonEnabled(true);
    m_filtro->setPlaceholderText(QStringLiteral("Filtrar por código ou descrição"));
    linhaFiltro->addWidget(m_filtro, 1);
    m_btTeclado = new okaBotao(QStringLiteral("Teclado"), this);
    // Closing without a choice, also where no window frame offers a close control.
    auto* btFechar = new okaBotao(QStringLiteral("Fechar"), this);
    btFechar->setObjectName(QStringLiteral("btFechar"));
    for (okaBotao* b : {m_btTeclado, btFechar}) {
        b->setFont(FonteTerminal(14, true));
        b->setFixedSize(okaBotao::LarguraParaLegenda(b->font(), b->text(), Twips::Px(1335)), Twips::Px(795));
        b->setBeep(true);
        linhaFiltro->addWidget(b);
    }
    connect(btFechar, &QAbstractButton::clicked, this, &QDialog::reject);
    coluna->addLayout(linhaFiltro);

    m_modelo = new ModeloListaSelecao;
    m_modelo->setParent(this);
    m_grelha = new QTableView(this);
    m_grelha->setModel(m_modelo);
    m_grelha->verticalHeader()->hide();
    m_grelha->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grelha->verticalHeader()->setDefaultSectionSize(Twips::Px(690));
    m_grelha->horizontalHeader()->setStretchLastSection(true);
    m_grelha->setWordWrap(false);
    m_grelha->setShowGrid(false);
    m_grelha->setSelectionMode(QAbstractItemView::NoSelection);
    m_grelha->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grelha->setFocusPolicy(Qt::NoFocus);
    m_grelha->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grelha->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar:vertical { width: 40px; }"));
    m_grelha->viewport()->installEventFilter(this);
    coluna->addWidget(m_grelha, 1);

    connect(m_filtro, &QLineEdit::textChanged, this, &ListaSelecao::filtrar);
    connect(m_filtro, &QLineEdit::returnPressed, this, [this] {
        // Enter with exactly one row left picks it.
        if (m_modelo->totalVisiveis() != 1) return;
        for (int v = 0; v < m_modelo->rowCount(); ++v)
            if (m_modelo->linhaDe(v) >= 0) {
                Codigo = m_modelo->codigo(m_modelo->linhaDe(v));
                accept();
                return;
            }
    });
    connect(m_grelha, &QAbstractItemView::clicked, this, &ListaSelecao::linhaTocada);
    connect(m_btTeclado, &QAbstractButton::clicked, this, &ListaSelecao::abrirTeclado);
}

void ListaSelecao::setTamanho(int twips)
{
    m_tamanho = twips;
}

void ListaSelecao::setRegistos(const Registos& linhas, const QString& colunaGrupo, const QList<int>& larguras)
{
    m_larguras = larguras;
    const int mostradas = larguras.isEmpty() ? int(linhas.colunas().size()) : int(larguras.size());
    m_modelo->carregar(linhas, colunaGrupo, mostradas);
    filtrar(m_filtro->text());
    for (int c = 0; c < m_larguras.size(); ++c)
        m_grelha->setColumnWidth(c, Twips::Px(m_larguras[c]));
}

void ListaSelecao::filtrar(const QString& texto)
{
    m_modelo->filtrar(texto);
    m_grelha->clearSpans();
    for (int v : m_modelo->linhasTitulo())
        m_grelha->setSpan(v, 0, 1, m_modelo->columnCount());
    m_grelha->scrollToTop();
}

QStringList ListaSelecao::grupos() const
{
    QStringList r;
    if (!m_modelo->agrupado()) return r;
    for (int g : m_modelo->gruposMostrados())
        r << m_modelo->grupo(g).titulo;
    return r;
}

QStringList ListaSelecao::codigosDoGrupo(int grupo) const
{
    QStringList r;
    const QList<int> mostrados = m_modelo->gruposMostrados();
    if (grupo < 0 || grupo >= mostrados.size()) return r;
    for (int linha : m_modelo->grupo(mostrados[grupo]).visiveis)
        r << m_modelo->codigo(linha);
    return r;
}

int ListaSelecao::linhasVisiveis() const
{
    return m_modelo->totalVisiveis();
}

bool ListaSelecao::tocarCodigo(const QString& codigo)
{
    for (int v = 0; v < m_modelo->rowCount(); ++v) {
        const int linha = m_modelo->linhaDe(v);
        if (linha < 0 || m_modelo->codigo(linha) != codigo) continue;
        const QModelIndex i = m_modelo->index(v, 0);
        m_grelha->scrollTo(i);
        const QRect r = m_grelha->visualRect(i);
        if (!r.isValid()) return false;
        const QPoint ponto = r.center();
        const QPoint global = m_grelha->viewport()->mapToGlobal(ponto);
        QMouseEvent prime(QEvent::MouseButtonPress, ponto, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent solta(QEvent::MouseButtonRelease, ponto, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_grelha->viewport(), &prime);
        QCoreApplication::sendEvent(m_grelha->viewport(), &solta);
        return true;
    }
    return false;
}

void ListaSelecao::linhaTocada(const QModelIndex& i)
{
    const int linha = m_modelo->linhaDe(i.row());
    if (linha < 0) return;
    Codigo = m_modelo->codigo(linha);
    accept();
}

void ListaSelecao::abrirTeclado()
{
    frmTecladoAlfa teclado(this);
    teclado.setWindowTitle(windowTitle());
    teclado.setTextoInicial(m_filtro->text());
    if (teclado.exec() == QDialog::Accepted) m_filtro->setText(teclado.Texto);
}

QString ListaSelecao::Mostrar()
{
    Codigo.clear();
    exec();
    return Codigo;
}

QString ListaSelecao::Escolher(const QString& caption, int tamanho, const Registos& linhas, const QString& colunaGrupo,
                               const QList<int>& larguras, QWidget* pai)
{
    ListaSelecao lista(pai);
    lista.setCaption(caption);
    lista.setTamanho(tamanho);
    lista.setRegistos(linhas, colunaGrupo, larguras);
    return lista.Mostrar();
}

void ListaSelecao::showEvent(QShowEvent* e)
{
    QScreen* ecra = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = ecra ? ecra->availableGeometry() : QRect(0, 0, 1024, 768);
    int largura = Twips::Px(m_tamanho);
    int somaColunas = 0;
    for (int l : std::as_const(m_larguras))
        somaColunas += Twips::Px(l);
    largura = qMax(largura, somaColunas + 80);
    resize(qMin(largura, area.width()), qMin(qMax(400, area.height() * 4 / 5), area.height()));
    QDialog::showEvent(e);
    CentrarNoEcra(this);
    m_filtro->setFocus();
}

// Dragging a finger over the rows scrolls them; the touch that started the drag picks nothing.
bool ListaSelecao::eventFilter(QObject* o, QEvent* e)
{
    if (o == m_grelha->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            m_arrastando = false;
            m_yInicio = int(me->globalPosition().y());
            m_valorInicio = m_grelha->verticalScrollBar()->value();
        } else if (e->type() == QEvent::MouseMove) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->buttons() & Qt::LeftButton) {
                const int dy = int(me->globalPosition().y()) - m_yInicio;
                if (!m_arrastando && std::abs(dy) > 12) m_arrastando = true;
                if (m_arrastando) {
                    m_grelha->verticalScrollBar()->setValue(m_valorInicio - dy);
                    return true;
                }
            }
        } else if (e->type() == QEvent::MouseButtonRelease && m_arrastando) {
            m_arrastando = false;
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

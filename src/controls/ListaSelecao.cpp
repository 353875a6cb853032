#include "controls/ListaSelecao.h"

#include "controls/Ecra.h"
#include "controls/Fontes.h"
#include "controls/Twips.h"
#include "controls/frmTecladoAlfa.h"
#include "controls/okaBotao.h"

#include <QAbstractItemModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <memory>

namespace {

// Lower case, without accents: "Çapa Ã" -> "capa a".
QString chaveBusca(const QString& s)
{
    const QString d = s.normalized(QString::NormalizationForm_D);
    QString r;
    r.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing)
            r += c;
    return r.toCaseFolded();
}

class DelegadoTactil : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& i) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(o, i);
        s.setHeight(qMax(s.height(), Twips::Px(690)));
        return s;
    }
};

} // namespace

// Two levels: the groups at the top, the rows under them. A row's internal id is its group's
// index + 1; a group's is 0. Without a grouping column the rows sit at the top level.
class ModeloListaSelecao : public QAbstractItemModel
{
public:
    struct Grupo
    {
        QString titulo;
        QList<int> todas;   // indices into the rows
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
        if (!m_agrupado && m_grupos.isEmpty())
            m_grupos.push_back(Grupo{});
        for (Grupo& g : m_grupos)
            g.visiveis = g.todas;
        mostrarTodos();
        endResetModel();
    }

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
                if (passa)
                    g.visiveis << r;
            }
        }
        mostrarTodos();
        endResetModel();
    }

    // Groups left empty by the filter are not shown.
    void mostrarTodos()
    {
        m_mostrados.clear();
        for (int g = 0; g < m_grupos.size(); ++g)
            if (!m_agrupado || !m_grupos[g].visiveis.isEmpty())
                m_mostrados << g;
    }

    bool agrupado() const { return m_agrupado; }
    int gruposMostrados() const { return int(m_mostrados.size()); }
    const Grupo& grupoMostrado(int i) const { return m_grupos[m_mostrados[i]]; }
    // Row index into the rows for a view index, -1 for a group.
    int linhaDe(const QModelIndex& i) const
    {
        if (!i.isValid())
            return -1;
        if (!m_agrupado)
            return m_mostrados.isEmpty() ? -1 : m_grupos[m_mostrados[0]].visiveis.value(i.row(), -1);
        if (i.internalId() == 0)
            return -1;
        return grupoMostrado(int(i.internalId()) - 1).visiveis.value(i.row(), -1);
    }
    QString codigo(int linha) const { return m_linhas[linha].texto(0); }
    int totalVisiveis() const
    {
        int n = 0;
        for (int g : m_mostrados)
            n += int(m_grupos[g].visiveis.size());
        return n;
    }

    QModelIndex index(int row, int column, const QModelIndex& pai = {}) const override
    {
        if (row < 0 || column < 0 || column >= m_colunas)
            return {};
        if (!pai.isValid())
            return createIndex(row, column, quintptr(0));
        if (!m_agrupado || pai.internalId() != 0)
            return {};
        return createIndex(row, column, quintptr(pai.row() + 1));
    }
    QModelIndex parent(const QModelIndex& filho) const override
    {
        if (!filho.isValid() || !m_agrupado || filho.internalId() == 0)
            return {};
        return createIndex(int(filho.internalId()) - 1, 0, quintptr(0));
    }
    int rowCount(const QModelIndex& pai = {}) const override
    {
        if (!pai.isValid()) {
            if (!m_agrupado)
                return m_mostrados.isEmpty() ? 0 : int(m_grupos[m_mostrados[0]].visiveis.size());
            return int(m_mostrados.size());
        }
        if (!m_agrupado || pai.internalId() != 0 || pai.column() != 0)
            return 0;
        return int(grupoMostrado(pai.row()).visiveis.size());
    }
    int columnCount(const QModelIndex& = {}) const override { return m_colunas; }
    QVariant data(const QModelIndex& i, int papel) const override
    {
        if (!i.isValid())
            return {};
        const bool grupo = m_agrupado && i.internalId() == 0;
        if (papel == Qt::DisplayRole) {
            if (grupo) {
                const Grupo& g = grupoMostrado(i.row());
                return i.column() == 0 ? QStringLiteral("%1 (%2)").arg(g.titulo).arg(g.visiveis.size()) : QVariant();
            }
            const int linha = linhaDe(i);
            return linha < 0 ? QVariant() : QVariant(m_linhas[linha].texto(i.column()));
        }
        if (papel == Qt::FontRole && grupo)
            return FonteTerminal(11, true);
        if (papel == Qt::BackgroundRole && grupo)
            return QColor(0xdd, 0xe6, 0xf3);
        return {};
    }
    QVariant headerData(int s, Qt::Orientation o, int papel) const override
    {
        if (o == Qt::Horizontal && papel == Qt::DisplayRole)
            return m_cabecalhos.value(s);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& i) const override
    {
        return i.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

private:
    Registos m_linhas;
    QStringList m_cabecalhos;
    QStringList m_chaves;
    QList<Grupo> m_grupos;
    QList<int> m_mostrados;
    int m_colunas = 0;
    bool m_agrupado = false;
};

ListaSelecao::ListaSelecao(QWidget* pai) : QDialog(pai)
{
    setModal(true);
    setFont(FonteTerminal(11));
    auto* coluna = new QVBoxLayout(this);

    auto* linhaFiltro = new QHBoxLayout;
    m_filtro = new QLineEdit(this);
    m_filtro->setFont(FonteTerminal(16, true));
    m_filtro->setMinimumHeight(Twips::Px(795));
    m_filtro->setClearButtonEnabled(true);
    m_filtro->setPlaceholderText(QStringLiteral("Filtrar por código ou descrição"));
    linhaFiltro->addWidget(m_filtro, 1);
    m_btTeclado = new okaBotao(QStringLiteral("Teclado"), this);
    m_btTeclado->setFixedSize(Twips::Px(1335), Twips::Px(795));
    m_btTeclado->setBeep(true);
    linhaFiltro->addWidget(m_btTeclado);
    coluna->addLayout(linhaFiltro);

    m_modelo = new ModeloListaSelecao;
    m_modelo->setParent(this);
    m_grelha = new QTreeView(this);
    m_grelha->setModel(m_modelo);
    m_grelha->setItemDelegate(new DelegadoTactil(m_grelha));
    m_grelha->setUniformRowHeights(true);
    m_grelha->setRootIsDecorated(false);
    m_grelha->setItemsExpandable(false);
    m_grelha->setExpandsOnDoubleClick(false);
    m_grelha->setSelectionMode(QAbstractItemView::NoSelection);
    m_grelha->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grelha->setIndentation(0);
    m_grelha->setAlternatingRowColors(true);
    m_grelha->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grelha->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar:vertical { width: 40px; }"));
    m_grelha->viewport()->installEventFilter(this);
    coluna->addWidget(m_grelha, 1);

    connect(m_filtro, &QLineEdit::textChanged, this, &ListaSelecao::filtrar);
    connect(m_filtro, &QLineEdit::returnPressed, this, [this] {
        // Enter with exactly one row left picks it.
        if (m_modelo->totalVisiveis() != 1)
            return;
        for (int g = 0; g < m_modelo->gruposMostrados(); ++g)
            if (!m_modelo->grupoMostrado(g).visiveis.isEmpty()) {
                Codigo = m_modelo->codigo(m_modelo->grupoMostrado(g).visiveis.first());
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
    if (m_modelo->agrupado()) {
        for (int g = 0; g < m_modelo->gruposMostrados(); ++g)
            m_grelha->setFirstColumnSpanned(g, QModelIndex(), true);
        m_grelha->expandAll();
    }
    m_grelha->scrollToTop();
}

QStringList ListaSelecao::grupos() const
{
    QStringList r;
    if (!m_modelo->agrupado())
        return r;
    for (int g = 0; g < m_modelo->gruposMostrados(); ++g)
        r << m_modelo->grupoMostrado(g).titulo;
    return r;
}

QStringList ListaSelecao::codigosDoGrupo(int grupo) const
{
    QStringList r;
    if (grupo < 0 || grupo >= m_modelo->gruposMostrados())
        return r;
    for (int linha : m_modelo->grupoMostrado(grupo).visiveis)
        r << m_modelo->codigo(linha);
    return r;
}

int ListaSelecao::linhasVisiveis() const
{
    return m_modelo->totalVisiveis();
}

bool ListaSelecao::tocarCodigo(const QString& codigo)
{
    for (int g = 0; g < m_modelo->gruposMostrados(); ++g) {
        const auto& vis = m_modelo->grupoMostrado(g).visiveis;
        for (int k = 0; k < vis.size(); ++k) {
            if (m_modelo->codigo(vis[k]) != codigo)
                continue;
            const QModelIndex pai = m_modelo->agrupado() ? m_modelo->index(g, 0) : QModelIndex();
            const QModelIndex i = m_modelo->index(k, 0, pai);
            m_grelha->scrollTo(i);
            const QRect r = m_grelha->visualRect(i);
            if (!r.isValid())
                return false;
            const QPoint ponto = r.center();
            QMouseEvent prime(QEvent::MouseButtonPress, ponto, m_grelha->viewport()->mapToGlobal(ponto),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QMouseEvent solta(QEvent::MouseButtonRelease, ponto, m_grelha->viewport()->mapToGlobal(ponto),
                              Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(m_grelha->viewport(), &prime);
            QCoreApplication::sendEvent(m_grelha->viewport(), &solta);
            return true;
        }
    }
    return false;
}

void ListaSelecao::linhaTocada(const QModelIndex& i)
{
    const int linha = m_modelo->linhaDe(i);
    if (linha < 0)
        return;
    Codigo = m_modelo->codigo(linha);
    accept();
}

void ListaSelecao::abrirTeclado()
{
    frmTecladoAlfa teclado(this);
    teclado.setWindowTitle(windowTitle());
    teclado.setTextoInicial(m_filtro->text());
    if (teclado.exec() == QDialog::Accepted)
        m_filtro->setText(teclado.Texto);
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
                if (!m_arrastando && std::abs(dy) > 12)
                    m_arrastando = true;
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

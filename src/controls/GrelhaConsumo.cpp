#include "controls/GrelhaConsumo.h"

#include <QHeaderView>

#include "controls/Twips.h"

namespace {

const QStringList Titulos = {QStringLiteral("Artigo"),  QStringLiteral("Descrição"),  QStringLiteral("Comprimento"),
                             QStringLiteral("Largura"), QStringLiteral("Quantidade"), QStringLiteral("Lote")};
const int Larguras[] = {1800, 3000, 1500, 1500, 1500, 1500};

bool ColunaNumerica(int c)
{
    return c == GrelhaConsumo::Comprimento || c == GrelhaConsumo::Largura || c == GrelhaConsumo::Quantidade;
}

} // namespace

GrelhaConsumo::GrelhaConsumo(QWidget* parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    verticalHeader()->setVisible(false);
    // Rows tall enough to be touched one by one, and for a long description on two lines.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(Twips::Px(795));
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(this, &QTableWidget::cellClicked, this, [this](int linha, int) { emit LinhaTocada(linha); });
    Configurar();
}

void GrelhaConsumo::Configurar()
{
    setRowCount(0);
    setColumnCount(NumColunas);
    setHorizontalHeaderLabels(Titulos);
    AjustarColunas();
}

void GrelhaConsumo::AjustarColunas()
{
    // The design widths, in their proportions, spread over the width the grid has.
    int total = 0;
    for (int w : Larguras)
        total += w;
    const int disponivel = viewport()->width();
    for (int c = 0; c < NumColunas; ++c)
        setColumnWidth(c, disponivel > Twips::Px(total) ? disponivel * Larguras[c] / total : Twips::Px(Larguras[c]));
}

void GrelhaConsumo::resizeEvent(QResizeEvent* e)
{
    QTableWidget::resizeEvent(e);
    AjustarColunas();
}

int GrelhaConsumo::AdicionarLinha(const QStringList& valores)
{
    const int r = rowCount();
    insertRow(r);
    for (int c = 0; c < NumColunas; ++c) {
        const QString texto = valores.value(c);
        auto* item = new QTableWidgetItem(ColunaNumerica(c) ? Formatar(texto) : texto);
        item->setData(Qt::UserRole, texto);
        if (ColunaNumerica(c)) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(r, c, item);
    }
    scrollToItem(item(r, 0));
    return r;
}

QString GrelhaConsumo::Texto(int linha, int coluna) const
{
    const QTableWidgetItem* i = item(linha, coluna);
    return i ? i->data(Qt::UserRole).toString() : QString();
}

QString GrelhaConsumo::Formatar(const QString& texto)
{
    const auto valor = Currency::parse(texto.trimmed());
    if (!valor) return texto;
    const Currency v = valor->arredondado(3);
    const bool negativo = v < Currency(0);
    const std::int64_t milesimas = (negativo ? -v.raw() : v.raw()) / 10;
    QString inteiro = QString::number(milesimas / 1000);
    for (int p = int(inteiro.size()) - 3; p > 0; p -= 3)
        inteiro.insert(p, QChar(0x00A0));
    return (negativo ? QStringLiteral("-") : QString()) + inteiro + QLatin1Char('.') +
           QStringLiteral("%1").arg(milesimas % 1000, 3, 10, QLatin1Char('0'));
}

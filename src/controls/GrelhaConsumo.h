#pragma once

#include <QStringList>
#include <QTableWidget>

#include "base/Currency.h"

// The grid of consumption lines: six columns (article, description, length, width, quantity,
// lot). Each cell keeps the text it was given; the three measure columns show it as a number
// with thousands grouping and three decimals. Column widths keep the design's proportions. Not editable in place; a
// touch on a row raises `LinhaTocada` so the owner can offer to remove it.
class GrelhaConsumo : public QTableWidget
{
    Q_OBJECT

public:
    enum Coluna { Artigo = 0, Descricao, Comprimento, Largura, Quantidade, Lote, NumColunas };

    explicit GrelhaConsumo(QWidget* parent = nullptr);

    // Captions, widths and zero rows.
    void Configurar();
    // Appends a row with the six texts (missing ones empty) and shows it; returns its index.
    int AdicionarLinha(const QStringList& valores);
    // The text kept in a cell (not the formatted display).
    QString Texto(int linha, int coluna) const;
    int Linhas() const { return rowCount(); }

    // "##,###.000": thousands grouped by a (non-breaking) space, three decimals after a point,
    // the decimal point the keypad types. Text that is not a number is shown as it is.
    static QString Formatar(const QString& texto);

signals:
    void LinhaTocada(int linha);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void AjustarColunas();
};

#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include "dataaccess/Registos.h"

class okaBotao;

// A grid of equal touch buttons that scrolls by whole rows, with two page buttons on top.
// All geometry is kept in twips and mapped to pixels with Twips::Px. Only the buttons of the
// rows the viewport shows (and one row either side) exist as widgets: they are moved and
// reused as the strip scrolls, so a list of any length costs the same to load and to page.
class PainelBotoes : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)

public:
    static constexpr int LarguraBotao = 1335;
    static constexpr int AlturaBotao = 795;
    static constexpr int PassoColuna = 1435;
    static constexpr int PassoLinha = 895;
    static constexpr int BandaPaginas = 840;
    static constexpr int FolgaFinal = 100;

    explicit PainelBotoes(QWidget* pai = nullptr);

    // Sizes the panel to an exact size in twips (the pixel size follows); without it the size
    // in twips is taken from the pixel size.
    void setTamanhoTwips(double largura, double altura);
    // Places and sizes the panel in its parent, in twips.
    void setGeometriaTwips(double esquerda, double topo, double largura, double altura);

    // Background of the panel and of the viewport.
    QColor BackColor() const;
    void setBackColor(const QColor& cor);

    // Removes every loaded button.
    void ResetBotoes();
    // One button per row: caption column 0, code column 1 as text (Null gives ""). A panel
    // that already holds buttons is emptied first. Always returns false; callers ignore it.
    bool CarregarBotoes_Recordset(const Registos& rs);
    // One button per index from 1 (index 0 unused): caption Textos[i], code Codigos[i].
    bool CarregarBotoes_Lista(const QStringList& Textos, const QStringList& Codigos);

    // Vertical position of the strip in the viewport, in twips (0 or negative).
    int Deslocamento() const { return m_deslocamento; }
    // Page buttons' actions: PageUp moves toward the last row, PageDown toward the first.
    void PageUp();
    void PageDown();

    // Marks the buttons of the items whose code is one of `codigos` (empty codes mark nothing),
    // until other codes are given or the panel is emptied. The mark belongs to the item: it
    // follows it as the strip scrolls and its button is reused for other items.
    void setSeleccionados(const QStringList& codigos);
    const QStringList& seleccionados() const { return m_seleccionados; }
    // True when an item has this code.
    bool temCodigo(const QString& codigo) const;

    int numeroItens() const { return m_numeroItens; }
    QStringList textos() const;
    QStringList codigos() const;
    // Scrolls so that item k (from 1) is visible and clicks its button.
    void tocarItem(int k);

    okaBotao* btPageUp() const { return m_btPageUp; }
    okaBotao* btPageDown() const { return m_btPageDown; }
    QWidget* contentor() const { return m_contentor; }
    // Twips geometry, for the host and for tests.
    double larguraTwips() const;
    double alturaTwips() const;
    double larguraVisor() const { return larguraTwips(); }
    double alturaVisor() const { return alturaTwips() - BandaPaginas; }
    double alturaFaixa() const { return m_alturaFaixa; }
    int colunas() const { return m_colunas; }
    double margem() const { return m_margem; }
    // Item k (from 1) in the strip, in twips; an empty rect when out of range.
    QRectF geometriaItem(int k) const;
    // The live button showing item k (from 1), or nullptr when its row is not laid out.
    okaBotao* botaoDoItem(int k) const;
    // Item buttons that exist as widgets, shown or pooled.
    int botoesVivos() const { return int(m_pool.size()); }

signals:
    void clicou(const QString& Nome, const QString& Codigo);

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void aplicarTamanho();
    void carregar(int numeroItens);
    QString textoItem(int i) const;
    QString codigoItem(int i) const;
    void actualizarPaginas();
    void moverFaixa(int deslocamento);
    void disporBotoes();
    void botaoTocado(int slot);
    void arrastar(int yGlobal);

    okaBotao* m_btPageDown = nullptr;
    okaBotao* m_btPageUp = nullptr;
    QWidget* m_contentor = nullptr;
    // The list as given, kept by (shared) value so that loading costs the same at any length:
    // either two lists whose entry 0 is unused or a recordset.
    QStringList m_textos;
    QStringList m_codigos;
    Registos m_registos;
    bool m_deRegistos = false;
    int m_numeroItens = 0;
    QVector<okaBotao*> m_pool;
    QVector<int> m_itemDoSlot; // item index shown by each pooled button, -1 when hidden
    QStringList m_seleccionados;

    QSize m_tamanhoAplicado{-1, -1};
    QSize m_pxExacto{-1, -1};
    double m_largTwExacta = 0;
    double m_altTwExacta = 0;

    int m_deslocamento = 0;
    double m_alturaFaixa = 0;
    int m_colunas = 0;
    double m_margem = 0;

    bool m_arrastando = false;
    bool m_premido = false;
    int m_yInicio = 0;
    int m_linhasArrastadas = 0;
};

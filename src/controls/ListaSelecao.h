#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include "dataaccess/Registos.h"

class QLineEdit;
class QTableView;
class ModeloListaSelecao;
class okaBotao;

// Modal list picker: rows grouped under the values of one column, a filter field on top that
// narrows the rows by code or description (ignoring case and accents), and a touch on a row
// that returns its first column. Closing returns "".
class ListaSelecao : public QDialog
{
    Q_OBJECT

public:
    explicit ListaSelecao(QWidget* pai = nullptr);

    // Window caption.
    void setCaption(const QString& caption) { setWindowTitle(caption); }
    // Width of the window in twips (kept within the screen).
    void setTamanho(int twips);
    // The rows to pick from, the column to group them by ("" for none) and the width in twips
    // of each shown column, in order.
    void setRegistos(const Registos& linhas, const QString& colunaGrupo, const QList<int>& larguras);

    // Shows the picker modally; the code chosen, "" when closed.
    QString Mostrar();
    QString Codigo;

    // Opens a picker over `linhas` and returns the code chosen.
    static QString Escolher(const QString& caption, int tamanho, const Registos& linhas, const QString& colunaGrupo,
                            const QList<int>& larguras, QWidget* pai = nullptr);

    QLineEdit* filtro() const { return m_filtro; }
    QTableView* grelha() const { return m_grelha; }
    // Group titles shown, in order, and the rows (first column) shown under each, after filtering.
    QStringList grupos() const;
    QStringList codigosDoGrupo(int grupo) const;
    int linhasVisiveis() const;
    // Touches the row showing `codigo`, as the operator would; false when it is not shown.
    bool tocarCodigo(const QString& codigo);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void linhaTocada(const QModelIndex& i);
    void filtrar(const QString& texto);
    void abrirTeclado();

    QLineEdit* m_filtro = nullptr;
    okaBotao* m_btTeclado = nullptr;
    QTableView* m_grelha = nullptr;
    ModeloListaSelecao* m_modelo = nullptr;
    QList<int> m_larguras;
    int m_tamanho = 10000;

    bool m_arrastando = false;
    int m_yInicio = 0;
    int m_valorInicio = 0;
};

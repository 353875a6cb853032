#pragma once

#include <optional>

#include <QLineEdit>

#include "base/Currency.h"

// Entry field of the touch screens: a line edit that asks its owner to validate it when it is
// about to lose the focus (a cancel flag set by the owner keeps the focus in the field), and
// that reports a touch so that the owner can open an on-screen keypad or keyboard for it.
class oka_input : public QLineEdit
{
    Q_OBJECT

public:
    explicit oka_input(QWidget* parent = nullptr);

    // When true, a touch (mouse press) on the enabled field raises `Tocado` instead of only
    // placing the cursor; the owner then asks the operator for the value.
    void setEntradaPorToque(bool sim) { m_entradaPorToque = sim; }
    bool entradaPorToque() const { return m_entradaPorToque; }

    // Runs the validation as if the field were left. Returns true when it was accepted; when the
    // owner cancels, the field keeps (or takes back) the focus.
    bool Validar();

    // A number kept exactly while the field shows it in a display format (fewer decimals,
    // grouping): the text is for the eye, numero() is the value. The number is dropped as soon
    // as the text changes otherwise (typed, replaced or cleared).
    void setNumero(Currency valor, const QString& mostrado);
    std::optional<Currency> numero() const { return m_numero; }

    // A field that shows its whole text while it is not being typed into: wrapped onto a second
    // line and made smaller as far as needed, never scrolled out of sight (a description or a
    // measure filled by the program).
    void setMostrarInteiro(bool sim);
    bool mostrarInteiro() const { return m_mostrarInteiro; }
    // The font the text is drawn with, and whether the whole text fits the field with it.
    QFont fonteMostrada() const;
    bool cabe() const;

signals:
    // About to lose the focus: set `Cancel` to true to refuse the value and keep the focus.
    void Validate(bool& Cancel);
    void Tocado();

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QRect areaTexto() const;
    int flagsInteiro() const;

    bool m_entradaPorToque = false;
    bool m_mostrarInteiro = false;
    bool m_aValidar = false;
    bool m_comFoco = false;
    std::optional<Currency> m_numero;
    QString m_mostrado;
};

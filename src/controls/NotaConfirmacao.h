#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QLabel;
class QTimer;

// What an accepted confirmation recorded, shown over the screen in large type on a green band
// that the operator cannot miss. It never takes a touch: touches go through it to the panels
// below, and the first touch anywhere (or a few seconds) takes it away.
class NotaConfirmacao : public QWidget
{
    Q_OBJECT

public:
    // Milliseconds the note stays when nothing is touched.
    static constexpr int Duracao = 6000;
    void setDuracao(int ms);

    explicit NotaConfirmacao(QWidget* pai);
    ~NotaConfirmacao() override;

    // Shows `texto` (the first line large, further lines smaller) centred in `area` of the parent,
    // above every other child, until the next touch or Duracao.
    void Mostrar(const QString& texto, const QRect& area);
    void Esconder();
    QString texto() const { return m_texto; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QString m_texto;
    QLabel* m_titulo = nullptr;
    QLabel* m_detalhe = nullptr;
    QTimer* m_relogio = nullptr;
};

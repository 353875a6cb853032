#pragma once

#include <QLabel>

// A label whose text is never cut: drawn at its own font when it fits, otherwise at the largest
// smaller size at which it fits, wrapped onto more lines where the label is high enough.
class EtiquetaAjustada : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The font the text is drawn with now.
    QFont fonteAjustada() const;
    // True when the text fits the label whole at fonteAjustada().
    bool cabe() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int flags() const;
};

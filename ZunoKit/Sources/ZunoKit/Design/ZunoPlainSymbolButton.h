#pragma once

#include "ZunoCustomDragTrackingView.h"

#include <QAbstractButton>
#include <QColor>

// A borderless button that is its symbol alone (no chrome), drawn at the size of text of `size`
// pixels, dimmed while pressed. A draggable panel never starts moving from it.
class ZunoPlainSymbolButton : public QAbstractButton, public ZunoCustomDragTrackingView {
    Q_OBJECT
public:
    ZunoPlainSymbolButton(const QString &symbol, qreal size, const QColor &color, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QColor m_color;
    qreal m_side;
};

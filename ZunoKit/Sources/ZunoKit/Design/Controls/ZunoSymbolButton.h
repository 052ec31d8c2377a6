#pragma once

#include "ZunoCustomDragTrackingView.h"
#include "ZunoLanguage.h"

#include <QAbstractButton>
#include <QColor>

#include <functional>

// A borderless button that is its symbol alone, as large as the symbol beside text of `size` pixels;
// drawn lighter while pressed. It takes focus by Tab only. A draggable panel never starts moving from it.
class ZunoSymbolButton : public QAbstractButton, public ZunoCustomDragTrackingView {
    Q_OBJECT
public:
    ZunoSymbolButton(const QString &symbol, qreal size, const QColor &color, QWidget *parent = nullptr);

    // A sheet's close button: "xmark.circle.fill" at 18 in the secondary text colour, named "Close".
    static ZunoSymbolButton *closeButton(ZunoLanguage language, std::function<void()> action);

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

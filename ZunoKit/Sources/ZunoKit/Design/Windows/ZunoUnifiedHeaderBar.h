#pragma once

#include "ZunoUnifiedTitlebarMetrics.h"
#include "ZunoWindowDragArea.h"

#include <QColor>
#include <QPointer>

class QHBoxLayout;
class ZunoUnifiedTitlebarWindow;

// The header row of a window without a system title bar: it leaves the window controls their
// clearance (left from `leadingClearance`; right at least `trailingPadding`, more when the controls
// stand there), pads its content vertically, is at least `minHeight` tall, fills its background and
// drags and double-clicks like a title bar on its blank parts. It follows the metrics of its window's
// `ZunoUnifiedTitlebarWindow` (the default metrics without one). The clearances are physical: they
// stay with the controls when the content is laid out right to left.
class ZunoUnifiedHeaderBar : public ZunoWindowDragArea {
    Q_OBJECT
public:
    ZunoUnifiedHeaderBar(qreal minHeight, qreal trailingPadding, qreal verticalPadding,
        const QColor &backgroundColor, QWidget *parent = nullptr);

    // Where the header's items go.
    QHBoxLayout *contentLayout() const { return m_layout; }
    ZunoUnifiedTitlebarMetrics metrics() const { return m_metrics; }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void attach();
    void apply(const ZunoUnifiedTitlebarMetrics &metrics);

    qreal m_minHeight;
    qreal m_trailingPadding;
    qreal m_verticalPadding;
    QColor m_backgroundColor;
    QHBoxLayout *m_layout;
    QPointer<ZunoUnifiedTitlebarWindow> m_titlebar;
    ZunoUnifiedTitlebarMetrics m_metrics;
};

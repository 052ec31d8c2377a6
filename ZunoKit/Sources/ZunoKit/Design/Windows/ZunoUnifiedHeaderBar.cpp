#include "ZunoUnifiedHeaderBar.h"

#include "ZunoUnifiedTitlebarWindow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>
#include <cmath>

ZunoUnifiedHeaderBar::ZunoUnifiedHeaderBar(qreal minHeight, qreal trailingPadding, qreal verticalPadding,
    const QColor &backgroundColor, QWidget *parent)
    : ZunoWindowDragArea(parent)
    , m_minHeight(minHeight)
    , m_trailingPadding(trailingPadding)
    , m_verticalPadding(verticalPadding)
    , m_backgroundColor(backgroundColor)
    , m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    setMinimumHeight(static_cast<int>(std::ceil(minHeight)));
    apply(m_metrics);
    attach();
}

bool ZunoUnifiedHeaderBar::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
        attach();
    return ZunoWindowDragArea::event(event);
}

void ZunoUnifiedHeaderBar::attach()
{
    ZunoUnifiedTitlebarWindow *titlebar = ZunoUnifiedTitlebarWindow::find(window());
    if (titlebar == m_titlebar)
        return;
    if (m_titlebar)
        disconnect(m_titlebar, nullptr, this, nullptr);
    m_titlebar = titlebar;
    if (titlebar) {
        connect(titlebar, &ZunoUnifiedTitlebarWindow::metricsChanged, this, &ZunoUnifiedHeaderBar::apply);
        apply(titlebar->metrics());
    } else {
        apply(ZunoUnifiedTitlebarMetrics {});
    }
}

void ZunoUnifiedHeaderBar::apply(const ZunoUnifiedTitlebarMetrics &metrics)
{
    m_metrics = metrics;
    const int vertical = static_cast<int>(std::lround(m_verticalPadding));
    const int right = static_cast<int>(std::ceil(std::max(m_trailingPadding, metrics.trailingClearance)));
    setContentsMargins(static_cast<int>(std::ceil(metrics.leadingClearance)), vertical, right, vertical);
}

void ZunoUnifiedHeaderBar::paintEvent(QPaintEvent *)
{
    if (m_backgroundColor.alpha() == 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), m_backgroundColor);
}

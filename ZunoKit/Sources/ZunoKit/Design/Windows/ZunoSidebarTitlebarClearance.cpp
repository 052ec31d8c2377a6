#include "ZunoSidebarTitlebarClearance.h"

#include "ZunoUnifiedTitlebarWindow.h"

#include <QEvent>
#include <QWidget>

#include <cmath>

ZunoSidebarTitlebarClearance::ZunoSidebarTitlebarClearance(QWidget *sidebar, qreal extraTop)
    : QObject(sidebar)
    , m_sidebar(sidebar)
    , m_extraTop(extraTop)
{
    sidebar->installEventFilter(this);
    apply(ZunoUnifiedTitlebarMetrics {});
    attach();
}

bool ZunoSidebarTitlebarClearance::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_sidebar && (event->type() == QEvent::ParentChange || event->type() == QEvent::Show))
        attach();
    return false;
}

void ZunoSidebarTitlebarClearance::attach()
{
    if (!m_sidebar)
        return;
    ZunoUnifiedTitlebarWindow *titlebar = ZunoUnifiedTitlebarWindow::find(m_sidebar->window());
    if (titlebar == m_titlebar)
        return;
    if (m_titlebar)
        disconnect(m_titlebar, nullptr, this, nullptr);
    m_titlebar = titlebar;
    if (titlebar) {
        connect(
            titlebar, &ZunoUnifiedTitlebarWindow::metricsChanged, this, &ZunoSidebarTitlebarClearance::apply);
        apply(titlebar->metrics());
    } else {
        apply(ZunoUnifiedTitlebarMetrics {});
    }
}

void ZunoSidebarTitlebarClearance::apply(const ZunoUnifiedTitlebarMetrics &metrics)
{
    if (!m_sidebar)
        return;
    QMargins margins = m_sidebar->contentsMargins();
    margins.setTop(static_cast<int>(std::ceil(m_extraTop + metrics.sidebarTopClearance)));
    m_sidebar->setContentsMargins(margins);
}

ZunoSidebarTitlebarClearance *zunoSidebarTitlebarClearance(QWidget *sidebar, qreal extraTop)
{
    return sidebar ? new ZunoSidebarTitlebarClearance(sidebar, extraTop) : nullptr;
}

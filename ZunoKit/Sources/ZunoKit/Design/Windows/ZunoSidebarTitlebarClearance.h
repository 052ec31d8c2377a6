#pragma once

#include "ZunoUnifiedTitlebarMetrics.h"

#include <QObject>
#include <QPointer>

class QWidget;
class ZunoUnifiedTitlebarWindow;

// Keeps a full-height sidebar's content below the window controls: the sidebar's top contents
// margin is `extraTop` plus the metrics' `sidebarTopClearance`, following its window's
// `ZunoUnifiedTitlebarWindow` (the default metrics without one). A child of the sidebar.
class ZunoSidebarTitlebarClearance : public QObject {
    Q_OBJECT
public:
    ZunoSidebarTitlebarClearance(QWidget *sidebar, qreal extraTop);

    qreal extraTop() const { return m_extraTop; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attach();
    void apply(const ZunoUnifiedTitlebarMetrics &metrics);

    QPointer<QWidget> m_sidebar;
    qreal m_extraTop;
    QPointer<ZunoUnifiedTitlebarWindow> m_titlebar;
};

// Applies the clearance to `sidebar`; returns the helper, owned by the sidebar.
ZunoSidebarTitlebarClearance *zunoSidebarTitlebarClearance(QWidget *sidebar, qreal extraTop);

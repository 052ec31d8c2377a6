#include "ZunoCamStudioWindow.h"

#include "MainCamStudioView.h"
#include "ZunoUnifiedTitlebarWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

ZunoCamStudioWindow::ZunoCamStudioWindow(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("studio"));
    setWindowTitle(QStringLiteral("ZunoCam — by Quarnwell"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDefaultWidth, kDefaultHeight);
    m_titlebar = new ZunoUnifiedTitlebarWindow(this, ZunoUnifiedTitlebarMode::unifiedHeader, 16, 14);
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    m_view = new MainCamStudioView(viewModel, accent, this);
    page->addWidget(m_view);
}

void ZunoCamStudioWindow::closeEvent(QCloseEvent *event)
{
    if (!m_closeHandler) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    m_closeHandler();
}

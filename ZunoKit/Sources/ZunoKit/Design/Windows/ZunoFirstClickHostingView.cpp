#include "ZunoFirstClickHostingView.h"

#include <QMouseEvent>
#include <QVBoxLayout>

ZunoFirstClickHostingView::ZunoFirstClickHostingView(QWidget *rootView, QWidget *parent)
    : QWidget(parent)
    , m_rootView(rootView)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (rootView)
        layout->addWidget(rootView);
}

void ZunoFirstClickHostingView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

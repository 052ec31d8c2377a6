#include "ZunoInitialFocusSink.h"

#include <QKeyEvent>

ZunoInitialFocusSink::ZunoInitialFocusSink(QWidget *content)
    : QWidget(content)
{
    setObjectName(QStringLiteral("zunoInitialFocusSink"));
    // Focus only when given; never by Tab or click.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
}

ZunoInitialFocusSink *ZunoInitialFocusSink::install(QWidget *content)
{
    if (!content)
        return nullptr;
    if (auto *sink = content->findChild<ZunoInitialFocusSink *>(QString(), Qt::FindDirectChildrenOnly))
        return sink;
    auto *sink = new ZunoInitialFocusSink(content);
    sink->show();
    return sink;
}

bool ZunoInitialFocusSink::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Tab) {
        if (QWidget *content = parentWidget()) {
            content->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QWidget::event(event);
}

#include "ZunoGlassScrollArea.h"

#include "ZunoScrollWheelGuard.h"

#include <QScrollArea>
#include <QScrollBar>

namespace {

constexpr char kScrollBarStyle[]
    = "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }"
      "QScrollBar::handle:vertical { background: rgba(255,255,255,0.22);"
      " border-radius: 3px; min-height: 32px; }"
      "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
      "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
      " { background: transparent; }";

} // namespace

void zunoStyleGlassScrollBar(QScrollBar *bar)
{
    bar->setStyleSheet(QString::fromLatin1(kScrollBarStyle));
}

QScrollArea *zunoGlassScrollArea(QWidget *page)
{
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    zunoStyleGlassScrollBar(scroll->verticalScrollBar());
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    // Not a tab stop of its own: Tab goes to the page's controls, and the area scrolls to each.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(page);
    // The scroll area paints its page by default; the ground (or the host) shows through instead.
    page->setAutoFillBackground(false);
    // Scrolling the column over a slider or a picker scrolls; it never changes the control.
    ZunoScrollWheelGuard::install(page);
    return scroll;
}

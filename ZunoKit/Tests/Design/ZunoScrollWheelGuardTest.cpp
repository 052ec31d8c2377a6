// The wheel in a scrolling column: over a value control it scrolls the column; over a list or text it
// scrolls that, until it is at its end in the wheel's direction, and then the column.
#include "ZunoScrollWheelGuard.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoTestWheel.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A column taller than its window: a slider, a list and a text, each with more than it shows.
struct Column {
    Column()
    {
        auto *page = new QWidget;
        auto *layout = new QVBoxLayout(page);
        slider->setRange(0, 100);
        slider->setValue(50);
        layout->addWidget(slider);
        for (int row = 0; row < 60; ++row)
            list->addItem(QStringLiteral("Model %1").arg(row));
        list->setFixedHeight(160);
        layout->addWidget(list);
        QStringList lines;
        for (int line = 0; line < 80; ++line)
            lines << QStringLiteral("Line %1").arg(line);
        text->setPlainText(lines.join(QLatin1Char('\n')));
        text->setFixedHeight(160);
        layout->addWidget(text);
        layout->addSpacing(900);
        area = zunoGlassScrollArea(page);
        auto *windowLayout = new QVBoxLayout(&window);
        windowLayout->addWidget(area);
        window.resize(400, 500);
        window.show();
        QApplication::processEvents();
        // Showing focuses the first control; a focused slider takes the wheel by choice.
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
    }

    QWidget window;
    QSlider *slider = new QSlider(Qt::Horizontal);
    QListWidget *list = new QListWidget;
    QPlainTextEdit *text = new QPlainTextEdit;
    QScrollArea *area = nullptr;
};

} // namespace

TEST(ZunoScrollWheelGuard, AListOrTextUnderThePointerScrollsAndAValueControlPassesTheWheelOn)
{
    struct Case {
        const char *name;
        std::function<QWidget *(Column &)> under;
        // What the wheel should move: a scroll bar; null when only the column moves.
        std::function<QScrollBar *(Column &)> moves;
        // Put the view at its end before the wheel turn.
        bool atEnd = false;
    };
    const std::vector<Case> cases {
        { "slider", [](Column &c) { return c.slider; }, nullptr },
        { "list", [](Column &c) { return c.list; }, [](Column &c) { return c.list->verticalScrollBar(); } },
        { "text", [](Column &c) { return c.text; }, [](Column &c) { return c.text->verticalScrollBar(); } },
        { "list at its end", [](Column &c) { return c.list; }, nullptr, true },
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        Column column;
        QScrollBar *page = column.area->verticalScrollBar();
        ASSERT_GT(page->maximum(), 0) << "the column scrolls";
        QWidget *under = test.under(column);
        column.area->ensureWidgetVisible(under);
        const int pageBefore = page->value();
        QScrollBar *own = test.moves ? test.moves(column) : nullptr;
        if (test.atEnd)
            column.list->verticalScrollBar()->setValue(column.list->verticalScrollBar()->maximum());
        const int ownBefore = own ? own->value() : 0;
        const int listBefore = column.list->verticalScrollBar()->value();

        zunoWheelOver(under, -1);

        EXPECT_EQ(column.slider->value(), 50);
        if (own) {
            EXPECT_GT(own->value(), ownBefore) << "the view under the pointer scrolled";
            EXPECT_EQ(page->value(), pageBefore) << "the column stayed";
        } else {
            EXPECT_GT(page->value(), pageBefore) << "the column scrolled";
            EXPECT_EQ(column.list->verticalScrollBar()->value(), listBefore);
        }
    }
}

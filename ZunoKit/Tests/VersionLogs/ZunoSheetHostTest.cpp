#include "ZunoSheetHost.h"

#include "ZunoSegmentedControl.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Content with two fields to move between.
QWidget *twoFields(QLineEdit **first = nullptr, QLineEdit **second = nullptr)
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    auto *a = new QLineEdit;
    auto *b = new QLineEdit;
    layout->addWidget(a);
    layout->addWidget(b);
    if (first)
        *first = a;
    if (second)
        *second = b;
    return content;
}

struct Window {
    Window(QSize size = QSize(1000, 700))
    {
        window.resize(size);
        outside = new QPushButton(QStringLiteral("Beneath"), &window);
        outside->setGeometry(10, 10, 120, 40);
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window, 20000);
        outside->setFocus();
    }
    bool active = false;
    QWidget window;
    QPushButton *outside;
};

} // namespace

TEST(ZunoSheetHost, CoversTheWindowTakesClicksAndKeepsTabInside)
{
    Window ui;
    ASSERT_TRUE(ui.active);
    QLineEdit *first = nullptr;
    QLineEdit *second = nullptr;
    ZunoSheetHost *sheet = ZunoSheetHost::present(ui.outside, twoFields(&first, &second), QSize(400, 300));
    EXPECT_EQ(sheet->geometry(), ui.window.rect());
    EXPECT_EQ(QApplication::focusWidget(), first);

    for (QWidget *expected : { static_cast<QWidget *>(second), static_cast<QWidget *>(first) }) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), second);

    // The button beneath the backdrop (outside the card) does not react.
    QSignalSpy clicked(ui.outside, &QPushButton::clicked);
    QTest::mouseClick(&ui.window, Qt::LeftButton, {}, ui.outside->geometry().center());
    QTest::mouseClick(sheet, Qt::LeftButton, {}, ui.outside->geometry().center());
    EXPECT_EQ(clicked.count(), 0);

    ui.window.resize(1100, 800);
    EXPECT_EQ(sheet->geometry(), ui.window.rect()) << "follows the window";
    EXPECT_EQ(sheet->cardGeometry().center(), QRect(0, 0, 1100, 800).center());

    sheet->dismiss();
    EXPECT_EQ(QApplication::focusWidget(), ui.outside) << "focus returns";
}

TEST(ZunoSheetHost, CardIsAtLeastTheMinimumAndAtMostTheWindowLessItsMargin)
{
    const struct {
        QSize window;
        QSize minimum;
        QSize card;
    } cases[] = {
        { { 1100, 800 }, { 720, 560 }, { 720, 560 } },
        { { 700, 500 }, { 720, 560 }, { 652, 452 } },
    };
    for (const auto &c : cases) {
        Window ui(c.window);
        ZunoSheetHost *sheet = ZunoSheetHost::present(ui.outside, new QWidget, c.minimum);
        EXPECT_EQ(sheet->cardGeometry().size(), c.card);
        EXPECT_EQ(sheet->cardGeometry().center(), QRect(QPoint(0, 0), c.window).center());
    }
}

TEST(ZunoSheetHost, ASecondSheetStacksAndEscapeClosesOnlyTheTopOne)
{
    Window ui;
    ASSERT_TRUE(ui.active);
    QLineEdit *bottomField = nullptr;
    ZunoSheetHost *bottom = ZunoSheetHost::present(ui.outside, twoFields(&bottomField), QSize(500, 400));
    QLineEdit *topField = nullptr;
    ZunoSheetHost *top = ZunoSheetHost::present(bottomField, twoFields(&topField), QSize(300, 200));
    EXPECT_EQ(ZunoSheetHost::sheets(&ui.window), QList<ZunoSheetHost *>({ bottom, top }));
    EXPECT_EQ(QApplication::focusWidget(), topField);

    QSignalSpy topDismissed(top, &ZunoSheetHost::dismissed);
    QTest::keyClick(topField, Qt::Key_Escape);
    EXPECT_EQ(topDismissed.count(), 1);
    EXPECT_EQ(ZunoSheetHost::sheets(&ui.window), QList<ZunoSheetHost *>({ bottom }));
    EXPECT_EQ(QApplication::focusWidget(), bottomField);

    bottom->setDismissesOnEscape(false);
    QTest::keyClick(bottomField, Qt::Key_Escape);
    EXPECT_FALSE(bottom->isDismissing()) << "a sheet can keep Escape for its content";
}

TEST(ZunoSegmentedControl, ClicksAndArrowKeysChooseASegment)
{
    ZunoSegmentedControl control({ QStringLiteral("All"), QStringLiteral("INFO+"), QStringLiteral("WARN+") });
    control.resize(230, control.sizeHint().height());
    control.show();
    QSignalSpy activated(&control, &ZunoSegmentedControl::activated);
    EXPECT_EQ(control.currentIndex(), 0);

    QTest::mouseClick(&control, Qt::LeftButton, {}, control.segmentRect(2).center().toPoint());
    EXPECT_EQ(control.currentIndex(), 2);
    QTest::keyClick(&control, Qt::Key_Right);
    EXPECT_EQ(control.currentIndex(), 2) << "stops at the end";
    QTest::keyClick(&control, Qt::Key_Left);
    EXPECT_EQ(control.currentIndex(), 1);
    EXPECT_EQ(activated.count(), 2);

    control.setCurrentIndex(0);
    EXPECT_EQ(activated.count(), 2) << "a change by the program is no user choice";

    control.setLayoutDirection(Qt::RightToLeft);
    EXPECT_GT(control.segmentRect(0).left(), control.segmentRect(2).left());
    QTest::keyClick(&control, Qt::Key_Left);
    EXPECT_EQ(control.currentIndex(), 1) << "left moves forward right to left";
}

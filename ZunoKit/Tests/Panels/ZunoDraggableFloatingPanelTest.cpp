#include "ZunoTestTimeouts.h"
#include "ZunoDraggableFloatingPanel.h"
#include "PanelProbe.h"
#include "ZunoCustomDragTrackingView.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class CustomTracker : public QWidget, public ZunoCustomDragTrackingView {
public:
    using QWidget::QWidget;
};

// A panel with draggable content (the probe), a button and the controls that track drags themselves.
class DraggablePanelTest : public ::testing::Test {
protected:
    DraggablePanelTest()
    {
        auto *layout = new QVBoxLayout(&panel);
        probe = new PanelProbe;
        probe->setMinimumSize(200, 80);
        button = new QPushButton(QStringLiteral("Record"));
        field = new QLineEdit;
        slider = new QSlider(Qt::Horizontal);
        scrollBar = new QScrollBar(Qt::Horizontal);
        text = new QPlainTextEdit;
        tracker = new CustomTracker;
        tracker->setMinimumSize(60, 30);
        trackerChild = new QWidget(tracker);
        trackerChild->setGeometry(5, 5, 20, 20);
        for (QWidget *widget :
            std::initializer_list<QWidget *> { probe, button, field, slider, scrollBar, text, tracker })
            layout->addWidget(widget);
        panel.move(300, 200);
        panel.screenMouseLocationProvider = [this] { return pointer; };
        panel.onDragBegan = [this](const QRect &frame) {
            events << QStringLiteral("began %1,%2").arg(frame.x()).arg(frame.y());
        };
        panel.onDragMoved = [this](const QRect &frame) {
            events << QStringLiteral("moved %1,%2").arg(frame.x()).arg(frame.y());
        };
        panel.onDragEnded = [this](const QPoint &origin) {
            events << QStringLiteral("ended %1,%2").arg(origin.x()).arg(origin.y());
        };
        panel.onDragCancelled = [this] { events << QStringLiteral("cancelled"); };
        panel.onEscapePressed = [this] { events << QStringLiteral("escape"); };
        panel.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&panel, kWindowWait));
    }

    QWindow *window() { return panel.windowHandle(); }

    // The pointer goes down on `widget` at `local`; the provider follows it in global coordinates.
    void press(QWidget *widget, QPoint local = QPoint(10, 10))
    {
        const QPoint inWindow = widget->mapTo(&panel, local);
        pointer = panel.mapToGlobal(inWindow);
        QTest::mousePress(window(), Qt::LeftButton, {}, inWindow);
    }
    // The pointer moves by `offset` from where it is, while the button is held.
    void dragBy(QPoint offset)
    {
        pointer += offset;
        QTest::mouseMove(window(), panel.mapFromGlobal(pointer));
    }
    void release() { QTest::mouseRelease(window(), Qt::LeftButton, {}, panel.mapFromGlobal(pointer)); }

    ZunoDraggableFloatingPanel panel;
    PanelProbe *probe = nullptr;
    QPushButton *button = nullptr;
    QLineEdit *field = nullptr;
    QSlider *slider = nullptr;
    QScrollBar *scrollBar = nullptr;
    QPlainTextEdit *text = nullptr;
    CustomTracker *tracker = nullptr;
    QWidget *trackerChild = nullptr;
    QPoint pointer;
    QStringList events;
};

} // namespace

TEST_F(DraggablePanelTest, IsAToolWindowShownWithoutTheFocus)
{
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(DraggablePanelTest, SmallMovesBelongToTheContentAndTheThresholdMovesByTheWholeOffset)
{
    press(probe);
    dragBy(QPoint(2, 3)); // 3.6 px
    EXPECT_EQ(panel.pos(), QPoint(300, 200));
    EXPECT_EQ(probe->count(QEvent::MouseMove), 1);
    EXPECT_TRUE(events.isEmpty());

    dragBy(QPoint(2, -3)); // 4 px from the press
    EXPECT_EQ(panel.pos(), QPoint(304, 200));
    EXPECT_EQ(events, (QStringList { "began 304,200", "moved 304,200" }));
    EXPECT_EQ(probe->count(QEvent::MouseMove), 1); // the content saw no more of it

    dragBy(QPoint(-50, 30));
    EXPECT_EQ(panel.pos(), QPoint(254, 230));
    EXPECT_EQ(events.last(), "moved 254,230");
    EXPECT_EQ(probe->count(QEvent::MouseMove), 1);

    release();
    EXPECT_EQ(events.last(), "ended 254,230");
    // The content's release arrived far outside every control.
    ASSERT_EQ(probe->count(QEvent::MouseButtonRelease), 1);
    const QPoint released = probe->seen.back().position;
    EXPECT_EQ(probe->mapTo(&panel, released), ZunoDraggableFloatingPanel::kSyntheticReleasePosition);
}

TEST_F(DraggablePanelTest, ReleasingAfterADragClicksNothing)
{
    QSignalSpy clicked(button, &QPushButton::clicked);
    press(button);
    dragBy(QPoint(0, 12));
    release();
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(panel.pos(), QPoint(300, 212));
    EXPECT_FALSE(button->isDown());

    // Without a drag the button is clicked as usual.
    press(button);
    dragBy(QPoint(1, 1));
    release();
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(panel.pos(), QPoint(300, 212));
}

TEST_F(DraggablePanelTest, ControlsThatTrackDragsNeverMoveThePanel)
{
    const std::vector<std::pair<const char *, QWidget *>> controls = {
        { "line edit", field },
        { "slider", slider },
        { "scroll bar", scrollBar },
        { "text view", text->viewport() },
        { "custom tracker", tracker },
        { "inside a custom tracker", trackerChild },
    };
    for (const auto &[name, control] : controls) {
        SCOPED_TRACE(name);
        press(control, QPoint(5, 5));
        dragBy(QPoint(40, 25));
        release();
        EXPECT_EQ(panel.pos(), QPoint(300, 200));
        EXPECT_TRUE(events.isEmpty());
    }
}

TEST_F(DraggablePanelTest, EscapeCancelsAStartedDragBeforeReportingEscape)
{
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(events, (QStringList { "escape" }));
    events.clear();

    press(probe);
    dragBy(QPoint(10, 0));
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(events, (QStringList { "began 310,200", "moved 310,200", "cancelled", "escape" }));

    // The rest of that gesture no longer moves the panel.
    dragBy(QPoint(10, 0));
    release();
    EXPECT_EQ(panel.pos(), QPoint(310, 200));
    EXPECT_EQ(events.size(), 4);
}

TEST_F(DraggablePanelTest, HidingDuringADragCancelsIt)
{
    press(probe);
    dragBy(QPoint(0, 6));
    panel.hide();
    EXPECT_EQ(events.last(), "cancelled");
    // Hiding when no drag started reports nothing.
    events.clear();
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, kWindowWait));
    panel.hide();
    EXPECT_TRUE(events.isEmpty());
}

// The focus ring shows for keyboard focus only, and in the accent colour.
#include "ZunoFocusRing.h"
#include "ZunoGlassTokens.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class RingedControl final : public QWidget {
public:
    explicit RingedControl(QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(60, 30);
        ZunoFocusRing::track(this);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        ZunoFocusRing::paintIfVisible(painter, this, QRectF(rect()), 8);
    }
};

bool showsAccentEdge(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    const QColor edge = image.pixelColor(image.width() / 2, 1);
    const QColor accent = ZunoGlassTokens::accentViolet();
    return std::abs(edge.red() - accent.red()) < 40 && std::abs(edge.blue() - accent.blue()) < 40;
}

} // namespace

TEST(ZunoFocusRing, ShowsForTabFocusAndNotForAClick)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *first = new RingedControl;
    auto *second = new RingedControl;
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // Focus given by a click shows no ring.
    second->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(second->hasFocus());
    EXPECT_FALSE(ZunoFocusRing::isVisible(second));
    EXPECT_FALSE(showsAccentEdge(second));

    // Tab and Shift+Tab bring it, on the control that has the focus only.
    QTest::keyClick(&window, Qt::Key_Tab);
    ASSERT_TRUE(first->hasFocus());
    EXPECT_TRUE(ZunoFocusRing::isVisible(first));
    EXPECT_TRUE(showsAccentEdge(first));
    EXPECT_FALSE(showsAccentEdge(second));
    QTest::keyClick(&window, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(second->hasFocus());
    EXPECT_TRUE(ZunoFocusRing::isVisible(second));
    EXPECT_FALSE(ZunoFocusRing::isVisible(first));

    // A click on the focused control hides its ring; a click elsewhere moves the focus without one.
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_FALSE(ZunoFocusRing::isVisible(second));
    QTest::mouseClick(first, Qt::LeftButton);
    ASSERT_TRUE(first->hasFocus());
    EXPECT_FALSE(ZunoFocusRing::isVisible(first));
    EXPECT_FALSE(showsAccentEdge(first));
}

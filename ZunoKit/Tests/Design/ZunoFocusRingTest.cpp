// The focus ring shows for keyboard focus only, and in the accent colour, on every painted control;
// Return and Enter press a focused button.
#include "ZunoFocusRing.h"
#include "DesignProbe.h"
#include "ZunoButton.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassTokens.h"
#include "ZunoLanguageMenuButton.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSegmentedControl.h"
#include "ZunoSymbolButton.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

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

TEST(ZunoFocusRing, EveryPaintedControlDrawsItWhenTabBringsTheFocus)
{
    struct Case {
        const char *name;
        std::function<QWidget *()> make;
    };
    const Case cases[] = {
        { "primary button",
            [] {
                return new ZunoButton(QStringLiteral("Start"), std::make_shared<ZunoPrimaryButtonStyle>());
            } },
        { "glass button",
            [] {
                return new ZunoButton(QStringLiteral("Copy"), std::make_shared<ZunoGlassButtonStyle>(true));
            } },
        { "symbol button",
            [] {
                return new ZunoSymbolButton(
                    QStringLiteral("xmark.circle.fill"), 18, ZunoGlassTokens::textSecondary());
            } },
        { "segmented control",
            [] {
                return new ZunoSegmentedControl({ QStringLiteral("One"), QStringLiteral("Two") });
            } },
        { "language menu", [] { return new ZunoLanguageMenuButton(ZunoLanguage::tr, {}); } },
        { "glass input field",
            [] { return zunoGlassInputField(new QLineEdit(QStringLiteral("Text")), 8, 10, 7); } },
        { "combo box under an overlay",
            [] {
                auto *combo = new QComboBox;
                combo->addItem(QStringLiteral("English"));
                ZunoFocusRing::track(combo);
                ZunoFocusRing::addOverlay(combo, 6);
                return combo;
            } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        auto *before = new RingedControl;
        QWidget *control = c.make();
        layout->addWidget(before);
        layout->addWidget(control);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        before->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(DesignProbe::showsFocusRing(control));

        QTest::keyClick(before, Qt::Key_Tab);
        ASSERT_TRUE(control->hasFocus());
        EXPECT_TRUE(ZunoFocusRing::isVisible(control));
        EXPECT_TRUE(DesignProbe::showsFocusRing(control));

        // Focus by a click shows none.
        before->setFocus(Qt::MouseFocusReason);
        control->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(DesignProbe::showsFocusRing(control));
    }
}

TEST(ZunoFocusRing, ReturnAndEnterPressAFocusedButtonLikeSpace)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *button = new ZunoButton(QStringLiteral("Go"), std::make_shared<ZunoGlassButtonStyle>(false));
    auto *field = new QLineEdit;
    ZunoFocusRing::track(field);
    layout->addWidget(button);
    layout->addWidget(field);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.count(), 3);
    // With a modifier, or disabled, Return does nothing; a field keeps its own Return.
    QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
    button->setEnabled(false);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 3);
    QSignalSpy returned(field, &QLineEdit::returnPressed);
    field->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(returned.count(), 1);
}

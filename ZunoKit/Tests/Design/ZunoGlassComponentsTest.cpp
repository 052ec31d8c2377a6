// Pixel probes of the glass components rendered offscreen on a black ground: fills at their token
// opacities, 1-pixel borders wholly inside the edge, and pressed states.
#include "ZunoTestTimeouts.h"
#include "DesignProbe.h"
#include "ZunoButton.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoToastBanner.h"
#include "ZunoVersionBadge.h"

#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVariantAnimation>

#include <gtest/gtest.h>

#include <memory>

using DesignProbe::at;
using DesignProbe::whiteOver;

namespace {

constexpr int kTolerance = 2;

void expectGrey(const QColor &color, int value, const char *where)
{
    EXPECT_NEAR(color.red(), value, kTolerance) << where;
    EXPECT_NEAR(color.green(), value, kTolerance) << where;
    EXPECT_NEAR(color.blue(), value, kTolerance) << where;
}

// Fill, then a 1-pixel border over it, on black.
int fillThenBorder(double fill, double border)
{
    return whiteOver(whiteOver(0, fill), border);
}

// Probes a glass rectangle of the given size on black: the fill in the middle, the border on the
// outermost pixel rows and columns (a border centred on the edge would spill half outside), and
// nothing outside.
void expectGlassRectangle(const QImage &image, QSize size, double fill, double border)
{
    const int midX = size.width() / 2;
    const int midY = size.height() / 2;
    expectGrey(at(image, midX, midY), whiteOver(0, fill), "middle");
    expectGrey(at(image, midX, 0), fillThenBorder(fill, border), "top edge");
    expectGrey(at(image, midX, size.height() - 1), fillThenBorder(fill, border), "bottom edge");
    expectGrey(at(image, 0, midY), fillThenBorder(fill, border), "leading edge");
    expectGrey(at(image, size.width() - 1, midY), fillThenBorder(fill, border), "trailing edge");
    expectGrey(at(image, midX, 1), whiteOver(0, fill), "inside the top edge");
    expectGrey(at(image, 1, midY), whiteOver(0, fill), "inside the leading edge");
    expectGrey(at(image, midX, -1), 0, "above");
    expectGrey(at(image, -1, midY), 0, "before");
    expectGrey(at(image, 0, 0), 0, "rounded corner");
}

} // namespace

TEST(ZunoGlassCard, FirstSurfaceFillAndSubtleBorderInsideTheEdge)
{
    DesignProbe::Host host;
    auto *content = new QWidget;
    content->setMinimumSize(10, 10);
    auto *card = host.place(new ZunoGlassCard(16, 12, content, nullptr), QSize(160, 90));
    EXPECT_EQ(card->layout()->contentsMargins(), QMargins(16, 16, 16, 16));
    const QImage image = host.grab();
    expectGlassRectangle(image, card->size(), 0.06, 0.14);
    EXPECT_EQ(content->geometry(), QRect(16, 16, 160 - 32, 90 - 32));
}

TEST(ZunoGlassButton, IdleAndActiveFillsAndBordersAndPressedOpacity)
{
    for (bool active : { false, true }) {
        SCOPED_TRACE(active ? "active" : "idle");
        DesignProbe::Host host;
        auto *button = host.place(
            new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(active)), QSize(80, 30));
        const double fill = active ? 0.16 : 0.10;
        const double border = active ? 0.28 : 0.14;
        expectGlassRectangle(host.grab(), button->size(), fill, border);

        // Pressed: the whole button at 78 % at once, no animation and no scale.
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(40, 15));
        EXPECT_TRUE(button->isDown());
        EXPECT_EQ(button->pressProgress(), 1);
        const QImage pressed = host.grab();
        expectGrey(at(pressed, 40, 15), whiteOver(0, fill * 0.78), "pressed middle");
        expectGrey(
            at(pressed, 40, 0), whiteOver(0, fill * 0.78 + (1 - fill) * border * 0.78), "pressed edge");
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 15));
        expectGrey(at(host.grab(), 40, 15), whiteOver(0, fill), "released middle");
    }
}

TEST(ZunoGlassButton, LabelMetricsAndHitShape)
{
    auto style = std::make_shared<ZunoGlassButtonStyle>(false);
    EXPECT_EQ(style->padding(), QMarginsF(11, 6, 11, 6));
    EXPECT_EQ(style->font().family(), QStringLiteral("Inter"));
    EXPECT_EQ(style->font().weight(), QFont::Medium);
    EXPECT_EQ(style->font().pixelSize(), 13);
    EXPECT_EQ(style->foreground(), ZunoGlassTokens::textPrimary());

    DesignProbe::Host host;
    auto *button = host.place(new ZunoButton(QStringLiteral("Snapshot"), style));
    const QFontMetricsF metrics(style->font());
    EXPECT_EQ(
        button->sizeHint().width(), std::ceil(metrics.horizontalAdvance(QStringLiteral("Snapshot")) + 22));
    EXPECT_EQ(button->sizeHint().height(), std::ceil(metrics.height() + 12));
    // The rounded corner does not take clicks (QTest reads a null point as the centre).
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() / 2, button->height() / 2));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(ZunoPrimaryButton, PressedShrinksAndDimsWithAnEaseOutAndReleasesBack)
{
    DesignProbe::Host host;
    auto *button
        = host.place(new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>()), QSize(100, 40));
    QImage image = host.grab();
    expectGrey(at(image, 50, 20), whiteOver(0, 0.96), "idle fill");
    expectGrey(at(image, 0, 20), whiteOver(0, 0.96), "idle leading edge");

    const QVariantAnimation *animation = button->pressAnimation();
    QSignalSpy settled(animation, &QAbstractAnimation::finished);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_EQ(animation->duration(), 120);
    EXPECT_EQ(animation->easingCurve().type(), QEasingCurve::BezierSpline);
    // The standard ease-out: fast at first.
    EXPECT_GT(animation->easingCurve().valueForProgress(0.25), 0.35);
    ASSERT_TRUE(settled.wait(kWindowWait));
    EXPECT_EQ(button->pressProgress(), 1);
    image = host.grab();
    expectGrey(at(image, 50, 20), whiteOver(0, 0.82), "pressed fill");
    // At 98 % about the centre, each side moves in by one pixel.
    expectGrey(at(image, 0, 20), 0, "pressed leading edge");
    expectGrey(at(image, 99, 20), 0, "pressed trailing edge");
    expectGrey(at(image, 1, 20), whiteOver(0, 0.82), "pressed inside leading edge");

    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_EQ(animation->state(), QAbstractAnimation::Running);
    ASSERT_TRUE(settled.wait(kWindowWait));
    EXPECT_EQ(button->pressProgress(), 0);
    image = host.grab();
    expectGrey(at(image, 50, 20), whiteOver(0, 0.96), "released fill");
    expectGrey(at(image, 0, 20), whiteOver(0, 0.96), "released leading edge");
}

TEST(ZunoPrimaryButton, LabelIsSemiboldDarkTextInItsPadding)
{
    ZunoPrimaryButtonStyle style;
    EXPECT_EQ(style.padding(), QMarginsF(14, 7, 14, 7));
    EXPECT_EQ(style.font().weight(), QFont::DemiBold);
    EXPECT_EQ(style.font().pixelSize(), 13);
    EXPECT_EQ(style.foreground().rgb(), QColor(Qt::black).rgb());
    EXPECT_NEAR(style.foreground().alphaF(), 0.9, 1e-4);

    // Dark text on the near-white fill.
    DesignProbe::Host host;
    auto *button
        = host.place(new ZunoButton(QStringLiteral("MMMM"), std::make_shared<ZunoPrimaryButtonStyle>()));
    const QImage image = host.grab();
    int darkest = 255;
    for (int x = 14; x < button->width() - 14; ++x)
        darkest = std::min(darkest, at(image, x, button->height() / 2).red());
    EXPECT_LT(darkest, 80);
}

TEST(ZunoToastBanner, SymbolAndColourFollowTheKindAndTheMessageIsVerbatim)
{
    for (bool isError : { false, true }) {
        SCOPED_TRACE(isError ? "error" : "success");
        DesignProbe::Host host(Qt::white);
        auto *toast = host.place(new ZunoToastBanner(QStringLiteral("Saved clip.mp4"), isError));
        EXPECT_EQ(toast->message(), QStringLiteral("Saved clip.mp4"));
        EXPECT_EQ(toast->symbolName(),
            isError ? QStringLiteral("exclamationmark.triangle.fill")
                    : QStringLiteral("checkmark.circle.fill"));
        const QColor expected = isError ? ZunoGlassTokens::warning() : ZunoGlassTokens::success();
        EXPECT_EQ(toast->symbolColor(), expected);

        const QImage image = host.grab();
        const QRectF capsule = toast->capsuleRect();
        // Black at 0.84 over the white ground, and over part of its own shadow, in the capsule.
        const int cy = static_cast<int>(capsule.center().y());
        const int fill = at(image, static_cast<int>(capsule.left()) + 10, cy).red();
        EXPECT_LE(fill, whiteOver(0, 0.16) + 1);
        EXPECT_GE(fill, whiteOver(0, 0.16 * (1 - 0.35)) - 1);
        // The symbol sits after the 16-pixel padding: its colour appears there.
        int hits = 0;
        for (int x = static_cast<int>(capsule.left()) + 16; x < capsule.left() + 32; ++x) {
            const QColor c = at(image, x, cy);
            if (std::abs(c.red() - expected.red()) < 12 && std::abs(c.green() - expected.green()) < 12
                && std::abs(c.blue() - expected.blue()) < 12)
                ++hits;
        }
        EXPECT_GT(hits, 0);
        // The shadow falls below the capsule: darker under it than above it.
        const int cx = static_cast<int>(capsule.center().x());
        EXPECT_LT(at(image, cx, static_cast<int>(capsule.bottom()) + 3).red(),
            at(image, cx, static_cast<int>(capsule.top()) - 3).red());
    }
}

TEST(ZunoGlassInputField, SecondSurfaceFieldWithSubtleBorderPrimaryTextAndPadding)
{
    DesignProbe::Host host;
    auto *field = zunoGlassInputField(new QLineEdit, 8, 10, 7);
    host.place(field, QSize(140, 32));
    EXPECT_FALSE(field->hasFrame());
    EXPECT_EQ(field->textMargins(), QMargins(10, 7, 10, 7));
    EXPECT_EQ(field->font().pixelSize(), 13);
    EXPECT_EQ(field->palette().color(QPalette::Text), ZunoGlassTokens::textPrimary());
    expectGlassRectangle(host.grab(), field->size(), 0.10, 0.14);
    // Applying it again does not paint the glass twice.
    zunoGlassInputField(field, 8, 10, 7);
    expectGrey(at(host.grab(), 70, 16), whiteOver(0, 0.10), "restyled middle");
}

TEST(ZunoVersionBadge, ShowsTheTagOrTheDetailedVersionOnAGlassCapsule)
{
    const ZunoAppVersion version { QStringLiteral("1.0.0"), QStringLiteral("100") };
    EXPECT_EQ(ZunoVersionBadge(version, false).text(), QStringLiteral("v1.0.0"));
    EXPECT_EQ(ZunoVersionBadge(version, true).text(), QStringLiteral("v1.0.0 (100)"));

    DesignProbe::Host host;
    auto *badge = host.place(new ZunoVersionBadge(version, true));
    const QFontMetricsF metrics([] {
        QFont f(QStringLiteral("JetBrains Mono"));
        f.setPixelSize(10);
        f.setWeight(QFont::DemiBold);
        return f;
    }());
    EXPECT_EQ(badge->sizeHint(),
        QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(badge->text()) + 14)),
            static_cast<int>(std::ceil(metrics.height() + 5))));
    const QImage image = host.grab();
    const int h = badge->height();
    // Capsule: second surface inside, subtle border on the outermost row, round ends.
    expectGrey(at(image, 3, h / 2), whiteOver(0, 0.10), "leading padding");
    expectGrey(at(image, badge->width() / 2, 0), fillThenBorder(0.10, 0.14), "top edge");
    expectGrey(at(image, 0, 0), 0, "round end");
    // Text in the secondary colour: the brightest text pixel is white at about 0.72 over the fill.
    int brightest = 0;
    for (int x = 7; x < badge->width() - 7; ++x)
        for (int y = 2; y < h - 2; ++y)
            brightest = std::max(brightest, at(image, x, y).red());
    EXPECT_NEAR(brightest, whiteOver(whiteOver(0, 0.10), 0.72), 6);
}

TEST(ZunoGroundBackground, PaletteGradientUnderAGlowFromTheLeadingTop)
{
    DesignProbe::Host host;
    auto *ground = host.place(new ZunoGroundBackground(ZunoProductPalette::deepCoral), QSize(800, 800));
    QImage image = host.grab();
    const ZunoGroundStops stops = ZunoProductPalettes::groundStops(ZunoProductPalette::deepCoral);
    // Bottom-trailing corner: the last stop, beyond the glow's reach.
    const QColor bottom = at(image, 799, 799);
    EXPECT_NEAR(bottom.red(), stops.bottomRight.red(), 2);
    EXPECT_NEAR(bottom.green(), stops.bottomRight.green(), 2);
    EXPECT_NEAR(bottom.blue(), stops.bottomRight.blue(), 2);
    // The middle of the diagonal is the middle stop; the glow does not reach it (566 > 520).
    const QColor middle = at(image, 400, 400);
    EXPECT_NEAR(middle.red(), stops.middle.red(), 2);
    EXPECT_NEAR(middle.blue(), stops.middle.blue(), 2);
    // Top-leading corner: the first stop lit by white at 0.09.
    const QColor top = at(image, 0, 0);
    EXPECT_NEAR(top.red(), whiteOver(stops.topLeft.red(), 0.09), 3);
    EXPECT_NEAR(top.green(), whiteOver(stops.topLeft.green(), 0.09), 3);
    // Right to left, the leading top is the right-hand corner.
    ground->setLayoutDirection(Qt::RightToLeft);
    image = host.grab();
    EXPECT_NEAR(at(image, 799, 0).red(), whiteOver(stops.topLeft.red(), 0.09), 3);
    EXPECT_NEAR(at(image, 0, 799).red(), stops.bottomRight.red(), 2);
    EXPECT_NEAR(at(image, 0, 799).blue(), stops.bottomRight.blue(), 2);
}

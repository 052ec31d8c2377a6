#include "NotchTeleprompterContentView.h"
#include "OverlayPixels.h"
#include "ZunoGlassTokens.h"
#include "ZunoProductPalette.h"
#include "ZunoSymbolButton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

const QColor kFill = NotchTeleprompterContentView::kFill;

QColor accent()
{
    return ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
}

NotchTeleprompterContentState scriptState()
{
    NotchTeleprompterContentState state;
    state.title = QStringLiteral("Keynote");
    state.body = QStringLiteral("Welcome to the quarterly update.\nThe camera starts faster now, and the "
                                "teleprompter follows your voice while you speak.");
    return state;
}

struct Content {
    explicit Content(const NotchTeleprompterContentState &state, double offset = 0)
    {
        view.resize(560, 205);
        view.setState(state);
        view.setScrollOffset(offset);
    }
    QImage render() { return renderView(view); }
    NotchTeleprompterContentView view;
};

// A pixel of the card where nothing but the fill is drawn: the header's padding, mid-width.
QPoint plainFillPoint(const NotchTeleprompterContentView &view)
{
    return { view.width() / 2, 4 };
}

// Accent-like pixels (strong red and blue, little green) inside a rectangle.
int accentPixels(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.blue() > 150 && c.green() < 150)
                ++count;
        }
    return count;
}

} // namespace

TEST(NotchTeleprompterContent, CardFillFollowsTheOpacityInsideAOnePixelBorder)
{
    for (const double opacity : { 0.88, 0.5, 0.0 }) {
        NotchTeleprompterContentState state = scriptState();
        state.panelOpacity = opacity;
        Content content(state);
        const QImage image = content.render();
        const QPoint inside = plainFillPoint(content.view);
        QColor expectedFill = kFill;
        expectedFill.setAlphaF(static_cast<float>(opacity));
        if (opacity > 0)
            EXPECT_TRUE(near(pixel(image, inside.x(), inside.y()), expectedFill))
                << opacity << " " << qPrintable(describe(pixel(image, inside.x(), inside.y())));
        else
            EXPECT_EQ(pixel(image, inside.x(), inside.y()).alpha(), 0);

        // The top row is the border over the fill; the next rows are fill alone; outside the rounded
        // corner nothing is drawn.
        const QColor border = pixel(image, 280, 0);
        const QColor &strong = ZunoGlassTokens::borderStrong();
        const double expectedAlpha = strong.alphaF() + opacity * (1 - strong.alphaF());
        EXPECT_NEAR(border.alphaF(), expectedAlpha, 0.02) << opacity;
        EXPECT_GT(border.red(), kFill.red() + 10) << opacity;
        EXPECT_TRUE(near(pixel(image, 280, 2), opacity > 0 ? expectedFill : QColor(Qt::transparent)))
            << opacity;
        EXPECT_EQ(pixel(image, 1, 1).alpha(), 0);
    }
}

TEST(NotchTeleprompterContent, ReadingBandRowsFollowTheFontSize)
{
    for (const double fontSize : { 16.0, 24.0, 44.0 }) {
        NotchTeleprompterContentState state; // no script: nothing drawn over the band
        state.panelOpacity = 1;
        state.fontSize = fontSize;
        Content content(state);
        const QImage image = content.render();
        const QColor bandColour = blend(accent(), 0.14, kFill);
        const int x = 8;
        int first = -1;
        int rows = 0;
        for (int y = 0; y < image.height() - 20; ++y) {
            if (near(pixel(image, x, y), bandColour)) {
                if (first < 0)
                    first = y;
                ++rows;
            }
        }
        EXPECT_EQ(first, content.view.scriptArea().top() + 16) << fontSize;
        EXPECT_EQ(rows, static_cast<int>(std::ceil(fontSize * 1.65))) << fontSize;
        EXPECT_TRUE(near(pixel(image, x, first - 1), kFill)) << fontSize;
    }
}

TEST(NotchTeleprompterContent, StatusDotShowsWhetherTheTextMovesAndWhetherTheVoiceHoldsIt)
{
    struct Case {
        bool scrolling;
        bool gateOpen;
        QColor expected;
    };
    const Case cases[] = {
        { false, true, ZunoGlassTokens::textMuted() },
        { true, true, ZunoGlassTokens::success() },
        { true, false, ZunoGlassTokens::warning() },
    };
    for (const Case &c : cases) {
        NotchTeleprompterContentState state = scriptState();
        state.panelOpacity = 1;
        state.isScrolling = c.scrolling;
        state.isVoiceGateOpen = c.gateOpen;
        Content content(state);
        const QImage image = content.render();
        const QPoint centre = content.view.statusDot().center();
        EXPECT_TRUE(near(pixel(image, centre.x(), centre.y()), blend(c.expected, 1, kFill), 4))
            << c.scrolling << c.gateOpen << " " << qPrintable(describe(pixel(image, centre.x(), centre.y())));
    }
}

TEST(NotchTeleprompterContent, CountdownDimsTheAreaAndShowsTheDigitOnlyFromOne)
{
    NotchTeleprompterContentState state = scriptState();
    state.panelOpacity = 1;
    Content plain(state);
    const QImage before = plain.render();
    const QRect area = plain.view.scriptArea();
    const QRect middle(area.center().x() - 30, area.center().y() - 30, 60, 60);
    const QPoint corner(6, area.bottom() - 30); // left of the text, below the band

    state.countdownRemaining = 3;
    Content counting(state);
    const QImage during = counting.render();
    EXPECT_TRUE(near(pixel(during, corner.x(), corner.y()), blend(Qt::black, 0.55, kFill)))
        << qPrintable(describe(pixel(during, corner.x(), corner.y())));
    EXPECT_GT(accentPixels(during, middle), 200);

    EXPECT_TRUE(near(pixel(before, corner.x(), corner.y()), kFill));
    EXPECT_EQ(accentPixels(before, middle), 0);
}

TEST(NotchTeleprompterContent, MirroredTextIsTheLeftRightMirrorOfThePlainText)
{
    NotchTeleprompterContentState state = scriptState();
    state.panelOpacity = 1;
    Content plain(state, 12);
    state.mirrorTextHorizontally = true;
    Content mirrored(state, 12);
    const QRect area = plain.view.scriptArea().adjusted(0, 0, 0, -24); // above the rounded corners
    const QImage a = plain.render().copy(area).mirrored(true, false);
    const QImage b = mirrored.render().copy(area);
    ASSERT_EQ(a.size(), b.size());
    // Glyphs drawn through a mirroring transform are rasterised a little differently at their
    // edges: every solid text pixel of the mirrored render must have text at its mirror position
    // in the plain one (or right beside it).
    const auto isText = [](const QColor &c, int threshold) { return c.lightness() > threshold; };
    int textPixels = 0;
    int unmatched = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            if (!isText(b.pixelColor(x, y), 200))
                continue;
            ++textPixels;
            bool matched = false;
            for (int dx = -1; dx <= 1 && !matched; ++dx)
                matched = isText(a.pixelColor(std::clamp(x + dx, 0, a.width() - 1), y), 100);
            unmatched += !matched;
        }
    EXPECT_GT(textPixels, 1000);
    EXPECT_LT(unmatched, textPixels / 100) << unmatched << " of " << textPixels;
    // And it is not simply the plain text again.
    const QImage unmirrored = plain.render().copy(area);
    int same = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            same += b.pixelColor(x, y).lightness() > 200 && unmirrored.pixelColor(x, y).lightness() > 200;
    EXPECT_LT(same, textPixels / 2);
}

TEST(NotchTeleprompterContent, ScrollingMovesTheTextUpAndPaintsOnlyTheArea)
{
    NotchTeleprompterContentState state = scriptState();
    state.panelOpacity = 1;
    Content still(state, 0);
    Content moved(state, 20);
    const QRect area = still.view.scriptArea();
    const QImage a = still.render();
    const QImage b = moved.render();
    // Rows of the moved text match the still text 20 rows lower.
    int compared = 0;
    int differing = 0;
    for (int y = area.top() + 80; y < area.top() + 120; ++y)
        for (int x = 30; x < 500; ++x) {
            ++compared;
            differing += !near(a.pixelColor(x, y), b.pixelColor(x, y - 20), 8);
        }
    EXPECT_LT(differing, compared / 100);
}

TEST(NotchTeleprompterContent, HeaderShowsTheTitleBadgeAndPace)
{
    NotchTeleprompterContentState state = scriptState();
    Content content(state);
    EXPECT_TRUE(content.view.badgeRect().isNull());
    EXPECT_EQ(content.view.playPauseButton()->symbol(), QStringLiteral("play.fill"));
    state.showsPrivateBadge = true;
    state.isScrolling = true;
    content.view.setState(state);
    ASSERT_FALSE(content.view.badgeRect().isNull());
    EXPECT_EQ(content.view.playPauseButton()->symbol(), QStringLiteral("pause.fill"));
    const QImage image = content.render();
    const QPoint inBadge(content.view.badgeRect().left() + 3, content.view.badgeRect().center().y());
    QColor fill = kFill;
    fill.setAlphaF(0.88f);
    const QColor badge = pixel(image, inBadge.x(), inBadge.y());
    EXPECT_GT(badge.red(), 60) << qPrintable(describe(badge));
    // The controls keep their place at the right; the title gives way to them.
    EXPECT_EQ(content.view.closeButton()->geometry().right(), 560 - 16 - 1);
    EXPECT_LT(content.view.badgeRect().right(), content.view.slowerButton()->geometry().left());
    for (auto *button : { content.view.slowerButton(), content.view.fasterButton(),
             content.view.rewindButton(), content.view.playPauseButton(), content.view.closeButton() })
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);

    struct Pace {
        double wpm;
        const char *text;
    };
    const Pace paces[] = { { 135, "135 WPM" }, { 182.9, "182 WPM" }, { -0.5, "0 WPM" },
        { std::numeric_limits<double>::quiet_NaN(), "0 WPM" }, { 1e300, "9223372036854775807 WPM" } };
    for (const Pace &p : paces)
        EXPECT_EQ(NotchTeleprompterContentView::paceText(p.wpm), QString::fromLatin1(p.text)) << p.wpm;
}

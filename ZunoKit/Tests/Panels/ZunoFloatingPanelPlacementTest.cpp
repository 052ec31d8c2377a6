#include "ZunoFloatingPanelPlacement.h"
#include "ZunoScreenCaptureExclusion.h"

#include <gtest/gtest.h>

TEST(ZunoFloatingPanelPlacement, CentresBelowTheTopEdgeOrBelowTheTopBar)
{
    struct Case {
        const char *name;
        QRect screen;
        QRect available;
        QSize size;
        int offset;
        QPoint expected;
    };
    const QRect laptop(0, 0, 1512, 982);
    const Case cases[] = {
        { "teleprompter, whole screen", laptop, laptop, { 520, 150 }, 6, { 496, 6 } },
        { "mirror, whole screen", laptop, laptop, { 340, 224 }, 34, { 586, 34 } },
        { "teleprompter under a 32 px bar", laptop, { 0, 32, 1512, 950 }, { 520, 150 }, 6, { 496, 38 } },
        { "mirror under a 32 px bar", laptop, { 0, 32, 1512, 950 }, { 340, 224 }, 34, { 586, 38 } },
        { "mirror under a 20 px bar keeps its offset", laptop, { 0, 20, 1512, 962 }, { 340, 224 }, 34,
            { 586, 34 } },
        { "second screen to the right", { 1512, 0, 1920, 1080 }, { 1512, 0, 1920, 1080 }, { 560, 205 }, 6,
            { 2192, 6 } },
        { "second screen lower down", { 1512, 200, 1920, 1080 }, { 1512, 227, 1920, 1053 }, { 560, 205 }, 6,
            { 2192, 233 } },
        { "odd screen width rounds half away", { 0, 0, 1513, 982 }, { 0, 0, 1513, 982 }, { 520, 150 }, 6,
            { 497, 6 } },
        { "odd panel width", laptop, laptop, { 521, 150 }, 6, { 496, 6 } },
        { "screen left of the origin", { -1920, 0, 1920, 1080 }, { -1920, 0, 1920, 1080 }, { 561, 150 }, 6,
            { -1241, 6 } },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ZunoFloatingPanelPlacement::topCentre(c.screen, c.available, c.size, c.offset), c.expected)
            << c.name;
}

TEST(ZunoScreenCaptureExclusion, NoLinuxDesktopLetsAWindowLeaveScreenCapture)
{
    // The teleprompter's "PRIVATE" badge depends on this: it must not promise what X11 and Wayland
    // cannot give.
    EXPECT_FALSE(ZunoScreenCaptureExclusion::isSupported());
}

// The header pill: colour by state on its fill and border, title, symbol, and what a click does.
#include "ZunoVirtualMemoryHeaderPill.h"
#include "DesignProbe.h"
#include "SuiteViewsFixtures.h"
#include "ZunoGlassTokens.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The channel the colour at the opacity gives over black.
int over(int channel, double opacity)
{
    return static_cast<int>(std::lround(channel * opacity));
}

void expectNear(const QColor &actual, const QColor &expected, const char *what)
{
    EXPECT_NEAR(actual.red(), expected.red(), 3) << what;
    EXPECT_NEAR(actual.green(), expected.green(), 3) << what;
    EXPECT_NEAR(actual.blue(), expected.blue(), 3) << what;
}

} // namespace

TEST(ZunoVirtualMemoryHeaderPill, ColourTitleAndSymbolFollowTheState)
{
    ZunoVirtualMemorySummary nothing = zeroSummary();
    ZunoVirtualMemorySummary warning = nothing;
    warning.pressureLevel = "warning";
    ZunoVirtualMemorySummary warningWithPool = warning;
    warningWithPool.activeDiskPoolCount = 1;
    warningWithPool.diskPoolVirtualBytes = 10'000'000'000;
    warningWithPool.swapUsedBytes = 1'000'000'000;
    ZunoVirtualMemorySummary criticalWithPool = warningWithPool;
    criticalWithPool.pressureLevel = "critical";
    ZunoVirtualMemorySummary swapOnly = nothing;
    swapOnly.swapTotalBytes = 2'147'483'648;

    struct Case {
        const char *name;
        ZunoVirtualMemorySummary summary;
        ZunoLanguage language;
        QColor color;
        QString title;
        QString symbol;
    };
    const Case cases[] = {
        { "nothing", nothing, ZunoLanguage::en, ZunoGlassTokens::accentCyan(), "VM ON", "memorychip" },
        { "warning", warning, ZunoLanguage::en, ZunoGlassTokens::warning(), "VM ON", "memorychip" },
        { "an expansion beats warning", warningWithPool, ZunoLanguage::en, ZunoGlassTokens::accentViolet(),
            "VM: Pool 10.00 GB + Swap 1.00 GB", "externaldrive.badge.timemachine" },
        { "critical beats an expansion", criticalWithPool, ZunoLanguage::en, ZunoGlassTokens::danger(),
            "VM: Pool 10.00 GB + Swap 1.00 GB", "externaldrive.badge.timemachine" },
        { "swap only", swapOnly, ZunoLanguage::en, ZunoGlassTokens::accentCyan(), "VM: Swap 0 B / 2.15 GB",
            "memorychip" },
        { "Turkish", swapOnly, ZunoLanguage::tr, ZunoGlassTokens::accentCyan(),
            "Sanal Bellek: Swap 0 B / 2.15 GB", "memorychip" },
        { "Turkish, nothing", nothing, ZunoLanguage::tr, ZunoGlassTokens::accentCyan(), "Sanal Bellek ON",
            "memorychip" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DesignProbe::Host host;
        auto *pill = host.place(new ZunoVirtualMemoryHeaderPill(c.summary, c.language, [] {}));
        EXPECT_EQ(pill->title(), c.title);
        EXPECT_EQ(pill->symbolName(), c.symbol);
        const QImage image = host.grab();
        const int middle = pill->height() / 2;
        // Inside the right end (past the title): the fill at 0.2; the top edge: the border at 0.45 on it.
        const QColor fill(over(c.color.red(), 0.2), over(c.color.green(), 0.2), over(c.color.blue(), 0.2));
        expectNear(DesignProbe::at(image, pill->width() - 5, middle), fill, "fill");
        const auto border
            = [&](int channel) { return static_cast<int>(std::lround(channel * (0.45 + 0.2 * 0.55))); };
        expectNear(DesignProbe::at(image, pill->width() / 2, 0),
            QColor(border(c.color.red()), border(c.color.green()), border(c.color.blue())), "border");
        // The dot is the colour itself.
        expectNear(DesignProbe::at(image, 12, middle), c.color, "dot");
    }
}

TEST(ZunoVirtualMemoryHeaderPill, ClickCallsTheActionOrBringsUpTheRAMApplication)
{
    SuiteDesktop desktop;
    desktop.setRunning(ZunoSuiteApp::zunoRAM);
    DesignProbe::Host host;
    int taps = 0;
    auto *pill
        = host.place(new ZunoVirtualMemoryHeaderPill(zeroSummary(), ZunoLanguage::en, [&] { ++taps; }));
    QTest::mouseClick(pill, Qt::LeftButton, {}, pill->rect().center());
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(desktop.workspace->activated.isEmpty());
    EXPECT_EQ(pill->toolTip(), "Virtual Memory active — click to open ZunoRAM");

    pill->setOnTap(nullptr);
    QTest::mouseClick(pill, Qt::LeftButton, {}, pill->rect().center());
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(desktop.workspace->activated, QStringList({ "com.quarnwell.ZunoRAM" }));
}

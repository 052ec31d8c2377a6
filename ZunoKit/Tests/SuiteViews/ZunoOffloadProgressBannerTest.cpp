// The offload banner: percentage and bar, bytes and buttons by state, accent and steps, compact look
// and the language fallback of its texts.
#include "ZunoOffloadProgressBanner.h"
#include "DesignProbe.h"
#include "ZunoActivityIndicator.h"
#include "ZunoButton.h"
#include "ZunoCapsuleLabel.h"
#include "ZunoGlassTokens.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <limits>

namespace {

using Banner = ZunoOffloadProgressBanner;

ZunoRAMOffloadLiveProgress run(bool running, bool completed, qint64 step, double fraction,
    const QString &pressure = "normal", qint64 target = 4'000'000'000)
{
    return ZunoRAMOffloadLiveProgress(QDateTime::currentDateTimeUtc(), running, completed, step, 4, fraction,
        "Swap wave", "Swap dalgası", "Moving pages", "", 1'500'000'000, target, {}, pressure);
}

Banner *place(DesignProbe::Host &host, Banner *banner, int width = 520)
{
    banner->spinner()->setFixedPhase(0.25);
    host.place(banner, QSize(width, banner->heightForWidth(width)));
    QApplication::processEvents();
    return banner;
}

} // namespace

TEST(ZunoOffloadProgressBanner, PercentageAndBarFill)
{
    struct Case {
        double fraction;
        const char *percent;
        qreal fill; // of a 300-wide bar
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = { { 0, "0%", 0 }, { 0.01, "1%", 6 }, { 0.05, "5%", 15 }, { 0.125, "13%", 37.5 },
        { 1, "100%", 300 }, { 3.5, "100%", 300 }, { -0.4, "0%", 0 }, { nan, "0%", 0 } };
    for (const Case &c : cases) {
        EXPECT_EQ(Banner::percentText(c.fraction), c.percent) << c.fraction;
        EXPECT_EQ(Banner::fillWidth(c.fraction, 300), c.fill) << c.fraction;
    }
    // A 4-wide bar is never overfilled by the minimum.
    EXPECT_EQ(Banner::fillWidth(0.01, 4), 4);

    // Drawn: the fill's end and the bare track.
    for (const double fraction : { 0.0, 0.01, 1.0, nan, 3.5 }) {
        DesignProbe::Host host;
        auto *banner = place(
            host, new Banner(run(true, false, 2, fraction), ZunoLanguage::en, false, nullptr, nullptr));
        const QImage image = host.grab();
        const QWidget *bar = banner->bar();
        const QPoint origin = bar->mapTo(banner, QPoint(0, bar->height() / 2));
        const QColor start = DesignProbe::at(image, origin.x() + 3, origin.y());
        const QColor end = DesignProbe::at(image, origin.x() + bar->width() - 3, origin.y());
        const bool filled = !std::isnan(fraction) && fraction > 0;
        EXPECT_EQ(start.blue() > 150, filled) << fraction; // violet fill or the faint track
        EXPECT_EQ(end.blue() > 150, filled && fraction >= 1) << fraction;
    }
}

TEST(ZunoOffloadProgressBanner, HeaderPartsByState)
{
    int cancels = 0, dismissals = 0;
    struct Case {
        const char *name;
        ZunoRAMOffloadLiveProgress progress;
        bool withCancel, withDismiss;
        bool spinner, bytes, cancel, close;
    };
    const Case cases[] = {
        { "running", run(true, false, 2, 0.4), true, true, true, true, true, false },
        { "running without a target", run(true, false, 2, 0.4, "normal", 0), true, true, true, false, true,
            false },
        { "running without onCancel", run(true, false, 2, 0.4), false, true, true, true, false, false },
        { "not running", run(false, false, 3, 0.5), true, true, false, false, false, true },
        { "not running without onDismiss", run(false, false, 3, 0.5), true, false, false, false, false,
            false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DesignProbe::Host host;
        auto *banner = place(host,
            new Banner(c.progress, ZunoLanguage::en, false,
                c.withCancel ? Banner::Action([&] { ++cancels; }) : nullptr,
                c.withDismiss ? Banner::Action([&] { ++dismissals; }) : nullptr));
        EXPECT_EQ(banner->spinner()->isVisible(), c.spinner);
        EXPECT_EQ(banner->sealMark()->isVisible(), !c.spinner);
        EXPECT_EQ(banner->bytes()->isVisible(), c.bytes);
        EXPECT_EQ(banner->cancelButton()->isVisible(), c.cancel);
        EXPECT_EQ(banner->closeButton()->isVisible(), c.close);
        if (c.bytes) {
            EXPECT_EQ(banner->bytesText(), "1.50 GB / 4.00 GB");
        }
        if (c.cancel)
            banner->cancelButton()->click();
        if (c.close)
            banner->closeButton()->click();
    }
    EXPECT_EQ(cancels, 2);
    EXPECT_EQ(dismissals, 1);
}

TEST(ZunoOffloadProgressBanner, AccentCounterAndSteps)
{
    const auto looks = [](const ZunoRAMOffloadLiveProgress &p) {
        QStringList symbols;
        for (int step = 1; step <= 4; ++step)
            symbols << Banner::stepLook(p, step).symbol;
        return symbols;
    };
    const QString check = "checkmark.circle.fill", bolt = "bolt.circle.fill", circle = "circle";

    const ZunoRAMOffloadLiveProgress completed = run(false, true, 4, 1, "critical");
    EXPECT_EQ(Banner::accentColor(completed), ZunoGlassTokens::success());
    EXPECT_EQ(looks(completed), QStringList({ check, check, check, check }));
    DesignProbe::Host host;
    auto *done = place(host, new Banner(completed, ZunoLanguage::en, false, nullptr, nullptr));
    EXPECT_EQ(done->counter()->text(), "DONE");
    EXPECT_EQ(done->counter()->textColor(), ZunoGlassTokens::success());
    done->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(done->counter()->text(), "TAMAMLANDI");

    const ZunoRAMOffloadLiveProgress idle = run(false, false, 3, 0.5, "warning");
    EXPECT_EQ(looks(idle), QStringList({ check, check, circle, circle }));
    EXPECT_EQ(Banner::stepLook(idle, 3).color, ZunoGlassTokens::textMuted());
    EXPECT_EQ(Banner::stepLook(idle, 3).fillOpacity, 0.06);
    EXPECT_FALSE(Banner::stepLook(idle, 3).semibold);
    EXPECT_EQ(Banner::accentColor(idle), ZunoGlassTokens::warning());

    const ZunoRAMOffloadLiveProgress running = run(true, false, 3, 0.5, "critical");
    EXPECT_EQ(looks(running), QStringList({ check, check, bolt, circle }));
    EXPECT_EQ(Banner::stepLook(running, 3).color, ZunoGlassTokens::danger());
    EXPECT_EQ(Banner::stepLook(running, 3).fillOpacity, 0.22);
    EXPECT_EQ(Banner::stepLook(running, 1).fillOpacity, 0.14);
    EXPECT_EQ(Banner::accentColor(run(true, false, 3, 0.5, "Critical")), ZunoGlassTokens::accentViolet());
    auto *step = place(host, new Banner(running, ZunoLanguage::en, false, nullptr, nullptr));
    EXPECT_EQ(step->counter()->text(), "STEP 3/4");
    EXPECT_EQ(step->percentage(), "50%");
    // Beyond the fourth step every pill is done.
    EXPECT_EQ(looks(run(true, false, 6, 0.9)), QStringList({ check, check, check, check }));
}

TEST(ZunoOffloadProgressBanner, CompactLookAndTexts)
{
    DesignProbe::Host host;
    auto *full = place(host, new Banner(run(true, false, 2, 0.4), ZunoLanguage::tr, false, nullptr, nullptr));
    auto *compact
        = place(host, new Banner(run(true, false, 2, 0.4), ZunoLanguage::tr, true, nullptr, nullptr));
    EXPECT_TRUE(full->steps()->isVisible());
    EXPECT_FALSE(compact->steps()->isVisible());
    EXPECT_LT(compact->bar()->height(), full->bar()->height());
    EXPECT_LT(compact->height(), full->height());
    EXPECT_EQ(full->phaseTitle(), "Swap dalgası");
    // An empty Turkish detail shows the English one; both empty: no detail line.
    EXPECT_EQ(full->detailText(), "Moving pages");
    EXPECT_TRUE(full->detail()->isVisible());
    ZunoRAMOffloadLiveProgress bare = run(true, false, 2, 0.4);
    bare.detailEN.clear();
    full->setProgress(bare);
    EXPECT_FALSE(full->detail()->isVisible());
}

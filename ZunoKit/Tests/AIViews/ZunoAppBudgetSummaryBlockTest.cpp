// The budget summary rendered offscreen: texts, the badge, the rows' amounts, the bars' fills and
// tones, the warnings, in English and Turkish.
#include "ZunoAppBudgetSummaryBlock.h"

#include "DesignProbe.h"
#include "ZunoCompactProgressBar.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolIcon.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoTabularLabel.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <limits>

namespace {

const QString kApp = QStringLiteral("ZunoCam");

ZunoAppBudgetStatus budget(std::optional<double> dailyCap, double spentToday,
    std::optional<double> monthlyCap = std::nullopt, double spentMonth = 0)
{
    ZunoAppBudgetStatus status;
    status.app = kApp;
    status.dailyLimitCredits = dailyCap;
    status.spentTodayCredits = spentToday;
    status.monthlyLimitCredits = monthlyCap;
    status.spentMonthCredits = spentMonth;
    return status;
}

ZunoBudgetWarning warning(const QString &severity, const QString &message)
{
    return ZunoBudgetWarning { QStringLiteral("cap"), severity, kApp, message };
}

QString textOf(const QWidget *block, const char *name)
{
    const auto *label = block->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QString();
}

QColor colourOf(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

const ZunoTabularLabel *amounts(const QWidget *block, const char *row)
{
    const QWidget *spendRow = block->findChild<QWidget *>(QLatin1String(row));
    return spendRow ? spendRow->findChild<ZunoTabularLabel *>(QStringLiteral("amounts")) : nullptr;
}

const ZunoCompactProgressBar *bar(const QWidget *block, const char *row)
{
    const QWidget *spendRow = block->findChild<QWidget *>(QLatin1String(row));
    return spendRow ? spendRow->findChild<ZunoCompactProgressBar *>(QStringLiteral("bar")) : nullptr;
}

bool near(const QColor &a, const QColor &b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(ZunoAppBudgetSummaryBlock, WithoutABudgetShowsTheNoCapLineOnly)
{
    ZunoAppBudgetSummaryBlock block(kApp, std::nullopt, {}, ZunoLanguage::en);
    EXPECT_EQ(textOf(&block, "title"), QStringLiteral("ZunoCam Spending"));
    EXPECT_EQ(block.findChild<QLabel *>(QStringLiteral("badge")), nullptr);
    const auto *none = block.findChild<QLabel *>(QStringLiteral("noCap"));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->text(), QStringLiteral("No spending cap configured for ZunoCam yet."));
    EXPECT_EQ(colourOf(none), ZunoGlassTokens::textMuted());
    EXPECT_EQ(amounts(&block, "today"), nullptr);
    EXPECT_EQ(block.findChild<QWidget *>(QStringLiteral("warnings")), nullptr);

    block.setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(textOf(&block, "title"), QStringLiteral("ZunoCam Harcaması"));
    EXPECT_EQ(textOf(&block, "noCap"), QStringLiteral("ZunoCam için henüz harcama limiti tanımlanmadı."));
}

TEST(ZunoAppBudgetSummaryBlock, RowsShowAmountsPercentAndToneOfTheEffectiveRatio)
{
    struct Case {
        const char *name;
        ZunoAppBudgetStatus budget;
        ZunoLanguage language;
        const char *today;
        const char *month;
        std::optional<double> todayBar; // ratio of the bar, none without one
        QColor todayTone;
    };
    auto withRatios
        = [](ZunoAppBudgetStatus status, std::optional<double> daily, std::optional<double> monthly) {
              status.dailyRatio = daily;
              status.monthlyRatio = monthly;
              return status;
          };
    const Case cases[] = {
        { "80 of 100", budget(100, 80, std::nullopt, 3.2), ZunoLanguage::en, "80 / 100 cr (80%)",
            "3.2 cr \u00B7 No cap", 0.8, ZunoGlassTokens::warning() },
        { "250 of 100", budget(100, 250), ZunoLanguage::en, "250 / 100 cr (250%)", "0 cr \u00B7 No cap", 2.5,
            ZunoGlassTokens::danger() },
        { "1 of 1000", budget(1000, 1), ZunoLanguage::en, "1 / 1,000 cr (0%)", "0 cr \u00B7 No cap", 0.001,
            ZunoGlassTokens::success() },
        { "halves away from zero", budget(100, 12.5, 0, 3.2), ZunoLanguage::en, "12.5 / 100 cr (13%)",
            "3.2 cr \u00B7 No cap", 0.125, ZunoGlassTokens::success() },
        { "account ratio wins", withRatios(budget(100, 1, 50, 7), 0.9, 0.2), ZunoLanguage::en,
            "1 / 100 cr (90%)", "7 / 50 cr (20%)", 0.9, ZunoGlassTokens::warning() },
        { "ratio of an uncapped row ignored", withRatios(budget(0, 5, std::nullopt, 0), 0.7, 3),
            ZunoLanguage::en, "5 cr \u00B7 No cap", "0 cr \u00B7 No cap", std::nullopt, QColor() },
        { "999 at most", withRatios(budget(10, 150), 15, std::nullopt), ZunoLanguage::en,
            "150 / 10 cr (999%)", "0 cr \u00B7 No cap", 15, ZunoGlassTokens::danger() },
        { "Turkish", budget(2000, 1234.4, std::nullopt, 12.5), ZunoLanguage::tr, "1.234 / 2.000 kr (62%)",
            "12,5 kr \u00B7 Limitsiz", 0.6172, ZunoGlassTokens::success() },
        // Amounts too small for two decimals are never shown as nothing.
        { "tiny cap and spend", budget(0.004, 0.001, std::nullopt, 0.002), ZunoLanguage::en,
            "<0.01 / <0.01 cr (25%)", "<0.01 cr \u00B7 No cap", 0.25, ZunoGlassTokens::success() },
        { "tiny in Turkish", budget(0.004, 0.001), ZunoLanguage::tr, "<0,01 / <0,01 kr (25%)",
            "0 kr \u00B7 Limitsiz", 0.25, ZunoGlassTokens::success() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ZunoAppBudgetSummaryBlock block(kApp, c.budget, {}, c.language);
        ASSERT_NE(amounts(&block, "today"), nullptr);
        ASSERT_NE(amounts(&block, "month"), nullptr);
        EXPECT_EQ(amounts(&block, "today")->text(), QString::fromUtf8(c.today));
        EXPECT_EQ(amounts(&block, "month")->text(), QString::fromUtf8(c.month));
        const ZunoCompactProgressBar *todayBar = bar(&block, "today");
        EXPECT_EQ(todayBar != nullptr, c.todayBar.has_value());
        if (todayBar && c.todayBar) {
            EXPECT_NEAR(todayBar->ratio(), *c.todayBar, 1e-9);
            EXPECT_EQ(todayBar->tint(), c.todayTone);
            EXPECT_EQ(amounts(&block, "today")->color(), ZunoGlassTokens::textPrimary());
        } else {
            EXPECT_EQ(amounts(&block, "today")->color(), ZunoGlassTokens::textSecondary());
        }
    }
}

TEST(ZunoAppBudgetSummaryBlock, BadgePrefersCapReachedOverNearCap)
{
    struct Case {
        bool exceeded, nearLimit;
        ZunoLanguage language;
        const char *badge;
        QColor tone;
    };
    const Case cases[] = {
        { true, true, ZunoLanguage::en, "Cap Reached", ZunoGlassTokens::danger() },
        { false, true, ZunoLanguage::en, "Near Cap", ZunoGlassTokens::warning() },
        { true, false, ZunoLanguage::tr, "Limit Doldu", ZunoGlassTokens::danger() },
        { false, true, ZunoLanguage::tr, "Limite Yakın", ZunoGlassTokens::warning() },
        { false, false, ZunoLanguage::en, nullptr, QColor() },
    };
    for (const Case &c : cases) {
        ZunoAppBudgetStatus status = budget(100, 50);
        status.exceeded = c.exceeded;
        status.nearLimit = c.nearLimit;
        ZunoAppBudgetSummaryBlock block(kApp, status, {}, c.language);
        const auto *badge = block.findChild<QLabel *>(QStringLiteral("badge"));
        if (!c.badge) {
            EXPECT_EQ(badge, nullptr);
            continue;
        }
        ASSERT_NE(badge, nullptr) << c.badge;
        EXPECT_EQ(badge->text(), QString::fromUtf8(c.badge));
        EXPECT_EQ(colourOf(badge), c.tone);
        // The capsule behind it: the tone at 0.16 over the ground.
        DesignProbe::Host host;
        host.place(&block, QSize(360, block.sizeHint().height()));
        const QImage image = host.grab();
        const QPoint inBadge = badge->mapTo(&block, QPoint(2, badge->height() / 2));
        const QColor expected(DesignProbe::whiteOver(0, 0) + qRound(c.tone.red() * 0.16),
            qRound(c.tone.green() * 0.16), qRound(c.tone.blue() * 0.16));
        EXPECT_TRUE(near(DesignProbe::at(image, inBadge.x(), inBadge.y()), expected, 4))
            << qPrintable(DesignProbe::at(image, inBadge.x(), inBadge.y()).name());
        block.setParent(nullptr);
    }
}

TEST(ZunoAppBudgetSummaryBlock, BarsFillTheirShareOfTheWidthWithAFourPixelSliver)
{
    ZunoAppBudgetStatus status = budget(100, 80, 1000, 1);
    ZunoAppBudgetSummaryBlock block(kApp, status, {}, ZunoLanguage::en);
    DesignProbe::Host host;
    host.place(&block, QSize(400, block.sizeHint().height()));
    const QImage image = host.grab();
    const auto probe = [&](const char *row, qreal fill, const QColor &tint) {
        SCOPED_TRACE(row);
        const ZunoCompactProgressBar *b = bar(&block, row);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->height(), ZunoCompactProgressBar::kHeight);
        EXPECT_EQ(b->width(), 400);
        const QPoint origin = b->mapTo(&block, QPoint(0, 2));
        const QColor inside = DesignProbe::at(image, origin.x() + int(fill) - 2, origin.y());
        const QColor beyond = DesignProbe::at(image, origin.x() + int(fill) + 2, origin.y());
        EXPECT_TRUE(near(inside, tint, 8)) << qPrintable(inside.name());
        const int track = DesignProbe::whiteOver(0, 0.10);
        EXPECT_TRUE(near(beyond, QColor(track, track, track), 3)) << qPrintable(beyond.name());
    };
    EXPECT_DOUBLE_EQ(ZunoCompactProgressBar::fillWidth(0.8, 400), 320);
    probe("today", 320, ZunoGlassTokens::warning());
    EXPECT_DOUBLE_EQ(ZunoCompactProgressBar::fillWidth(0.001, 400), 4);
    probe("month", 4, ZunoGlassTokens::success());

    // Full, none, and whatever a bad ratio is.
    EXPECT_DOUBLE_EQ(ZunoCompactProgressBar::fillWidth(2.5, 400), 400);
    EXPECT_DOUBLE_EQ(ZunoCompactProgressBar::fillWidth(0, 400), 0);
    EXPECT_DOUBLE_EQ(ZunoCompactProgressBar::fillWidth(-3, 400), 0);
    EXPECT_DOUBLE_EQ(ZunoCompactProgressBar::fillWidth(std::numeric_limits<double>::quiet_NaN(), 400), 0);
    block.setParent(nullptr);
}

TEST(ZunoAppBudgetSummaryBlock, PercentRoundsHalvesAwayAndSaturates)
{
    struct Case {
        double ratio;
        std::int64_t percent;
    };
    const Case cases[] = {
        { 0.125, 13 },
        { 0.8, 80 },
        { 9.99, 999 },
        { 15, 999 },
        { std::numeric_limits<double>::infinity(), 999 },
        { -0.005, -1 },
        { -0.5, -50 },
        { -1e300, std::numeric_limits<std::int64_t>::min() },
        { -std::numeric_limits<double>::infinity(), std::numeric_limits<std::int64_t>::min() },
        { std::numeric_limits<double>::quiet_NaN(), 0 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ZunoAppBudgetSummaryBlock::percent(c.ratio), c.percent) << c.ratio;
    EXPECT_EQ(ZunoAppBudgetSummaryBlock::tone(0.79), ZunoGlassTokens::success());
    EXPECT_EQ(ZunoAppBudgetSummaryBlock::tone(0.8), ZunoGlassTokens::warning());
    EXPECT_EQ(ZunoAppBudgetSummaryBlock::tone(1), ZunoGlassTokens::danger());

    // A negative account ratio: a negative percent and an empty bar.
    ZunoAppBudgetStatus status = budget(100, 0);
    status.dailyRatio = -0.2;
    ZunoAppBudgetSummaryBlock block(kApp, status, {}, ZunoLanguage::en);
    EXPECT_EQ(amounts(&block, "today")->text(), QStringLiteral("0 / 100 cr (-20%)"));
}

TEST(ZunoAppBudgetSummaryBlock, WarningsInOrderWithTheirSymbolsAndTones)
{
    const QList<ZunoBudgetWarning> warnings = {
        warning(QStringLiteral("CRITICAL"), QStringLiteral("Monthly cap reached for ZunoCam.")),
        warning(QStringLiteral("warning"),
            QStringLiteral("<b>Balance</b> is low and this message is long enough "
                           "to wrap onto a second line in a narrow block.")),
        warning(QString(), QStringLiteral("No severity.")),
    };
    ZunoSymbolRegistry::unknownNamesRequested();
    ZunoAppBudgetSummaryBlock block(kApp, budget(100, 10), warnings, ZunoLanguage::en);
    DesignProbe::Host host;
    host.place(&block, QSize(260, block.heightForWidth(260) > 0 ? block.heightForWidth(260) : 400));
    const QWidget *list = block.findChild<QWidget *>(QStringLiteral("warnings"));
    ASSERT_NE(list, nullptr);
    const QList<QWidget *> rows
        = list->findChildren<QWidget *>(QStringLiteral("warning"), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(rows.size(), 3);
    const struct {
        const char *symbol;
        QColor tone;
    } expected[] = {
        { "exclamationmark.octagon.fill", ZunoGlassTokens::danger() },
        { "exclamationmark.triangle.fill", ZunoGlassTokens::warning() },
        { "exclamationmark.triangle.fill", ZunoGlassTokens::warning() },
    };
    for (int i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const auto *icon = rows[i]->findChild<ZunoSymbolIcon *>();
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->symbol(), QLatin1String(expected[i].symbol));
        EXPECT_EQ(icon->color(), expected[i].tone);
        const auto *message = rows[i]->findChild<QLabel *>(QStringLiteral("message"));
        EXPECT_EQ(message->text(), warnings[i].message);
        // Messages are shown as written, never as markup.
        EXPECT_EQ(message->textFormat(), Qt::PlainText);
        EXPECT_EQ(colourOf(message), ZunoGlassTokens::textPrimary());
    }
    EXPECT_LT(rows[0]->y(), rows[1]->y());
    EXPECT_LT(rows[1]->y(), rows[2]->y());
    // The long message wraps: its row is taller than a one-line row.
    EXPECT_GT(rows[1]->height(), rows[0]->height());
    EXPECT_EQ(rows[1]->y() - (rows[0]->y() + rows[0]->height()), ZunoAppBudgetSummaryBlock::kWarningSpacing);
    EXPECT_TRUE(ZunoSymbolRegistry::unknownNamesRequested().isEmpty());
    block.setParent(nullptr);
}

TEST(ZunoAppBudgetSummaryBlock, NoWarningsAddNoSpaceAtTheEnd)
{
    ZunoAppBudgetSummaryBlock block(kApp, budget(100, 80, 500, 20), {}, ZunoLanguage::en);
    DesignProbe::Host host;
    host.place(&block, QSize(300, block.sizeHint().height()));
    const QWidget *month = block.findChild<QWidget *>(QStringLiteral("month"));
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->mapTo(&block, QPoint(0, month->height())).y(), block.height());
    // The same block with a warning is taller by the warnings' stack and one spacing.
    ZunoAppBudgetSummaryBlock warned(kApp, budget(100, 80, 500, 20),
        { warning(QStringLiteral("warning"), QStringLiteral("Low balance.")) }, ZunoLanguage::en);
    const QWidget *list = warned.findChild<QWidget *>(QStringLiteral("warnings"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(warned.sizeHint().height(),
        block.sizeHint().height() + ZunoAppBudgetSummaryBlock::kSpacing + list->sizeHint().height());
    block.setParent(nullptr);
}

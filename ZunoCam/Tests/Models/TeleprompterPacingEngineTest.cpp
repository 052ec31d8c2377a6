#include "TeleprompterPacingEngine.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

QString words(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("word%1").arg(i);
    return list.join(QLatin1Char(' '));
}

double velocity(double pace, double font, double width)
{
    return TeleprompterPacingEngine::scrollVelocityPointsPerSecond(pace, font, width);
}

} // namespace

TEST(TeleprompterPacingWordCount, CountsRunsOfNonSeparatorCharacters)
{
    const std::vector<std::tuple<const char *, QString, qint64>> cases = {
        { "empty", QString(), 0 },
        { "separators only", QStringLiteral(" \t\n\r\n \u000B\u000C "), 0 },
        { "padded, several spaces and a line break", QStringLiteral("  one   \n two  "), 2 },
        { "lone dash is a word", QStringLiteral("wait - what"), 3 },
        { "hyphenated word and punctuation", QStringLiteral("well-known, really!"), 2 },
        { "no-break space separates", QStringLiteral("no\u00A0break"), 2 },
        { "other White_Space separators", QStringLiteral("a\u1680b\u2007c\u202Fd\u205Fe\u3000f"), 6 },
        { "line and paragraph separators", QStringLiteral("line\u2028sep\u2029para\u0085next"), 4 },
        { "zero-width space is not white space", QStringLiteral("a\u200Bb"), 1 },
        { "mixed scripts", QString::fromUtf8("Merhaba dünya, 你好世界 مرحبا بالعالم Привет"), 6 },
        { "paragraphs", QString::fromUtf8("Günaydın!\n\nBugün demo var.\r\nHazır mısınız?"), 6 },
        { "combining mark stays in its word", QStringLiteral("e\u0301clair cafe\u0301"), 2 },
        { "joiner after a space belongs to the separator", QStringLiteral("go \u200D now"), 2 },
        { "mark after a space belongs to the separator", QStringLiteral("go \u0301 now"), 2 },
        { "emoji sequences",
            QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467 and \U0001F1F9\U0001F1F7"), 3 },
    };
    for (const auto &[name, text, expected] : cases)
        EXPECT_EQ(TeleprompterPacingEngine::wordCount(text), expected) << name;
}

TEST(TeleprompterPacingReadingTime, WordsOverPaceWithAFloorOfForty)
{
    EXPECT_DOUBLE_EQ(TeleprompterPacingEngine::estimatedReadingSeconds(words(270), 135), 120);
    EXPECT_DOUBLE_EQ(TeleprompterPacingEngine::estimatedReadingSeconds(words(100), 20), 150);
    EXPECT_DOUBLE_EQ(TeleprompterPacingEngine::estimatedReadingSeconds(words(100), 1000), 6);
    EXPECT_DOUBLE_EQ(TeleprompterPacingEngine::estimatedReadingSeconds(QString(), 135), 0);
    // A hand-edited pace: NaN reads at the floor, infinity takes no time; never NaN.
    EXPECT_DOUBLE_EQ(TeleprompterPacingEngine::estimatedReadingSeconds(words(100), kNaN), 150);
    EXPECT_DOUBLE_EQ(TeleprompterPacingEngine::estimatedReadingSeconds(words(100), kInfinity), 0);
}

TEST(TeleprompterPacingVelocity, DefaultsScrollAtAbout10Point869)
{
    EXPECT_NEAR(velocity(135, 24, 560), 10.869, 0.0005);
    // Line height × lines per second, spelled out: 34.08 × (2.25 ÷ (512 ÷ 12.96 ÷ 5.6)).
    EXPECT_DOUBLE_EQ(velocity(135, 24, 560), 24 * 1.42 * (135.0 / 60.0 / (512.0 / (24 * 0.54) / 5.6)));
}

TEST(TeleprompterPacingVelocity, InputsAreBoundedLikeTheirLimits)
{
    const std::vector<std::tuple<const char *, double, double>> same = {
        { "pace 400 like 320", velocity(400, 24, 560), velocity(320, 24, 560) },
        { "pace 10 like 50", velocity(10, 24, 560), velocity(50, 24, 560) },
        { "font 80 like 56", velocity(135, 80, 560), velocity(135, 56, 560) },
        { "font 8 like 14", velocity(135, 8, 560), velocity(135, 14, 560) },
        { "width 200 like 288", velocity(135, 24, 200), velocity(135, 24, 288) },
        { "NaN pace like 50", velocity(kNaN, 24, 560), velocity(50, 24, 560) },
        { "infinite pace like 320", velocity(kInfinity, 24, 560), velocity(320, 24, 560) },
        { "NaN font like 14", velocity(135, kNaN, 560), velocity(135, 14, 560) },
        { "NaN width like 288", velocity(135, 24, kNaN), velocity(135, 24, 288) },
        { "negative width like 288", velocity(135, 24, -1e300), velocity(135, 24, 288) },
    };
    for (const auto &[name, actual, expected] : same)
        EXPECT_DOUBLE_EQ(actual, expected) << name;
    EXPECT_NE(velocity(319, 24, 560), velocity(320, 24, 560));

    // A narrow panel with a large font is held at 18 characters (about 3.214 words) a line.
    EXPECT_DOUBLE_EQ(velocity(120, 56, 288), 56 * 1.42 * (2.0 / (18 / 5.6)));
    EXPECT_TRUE(std::isfinite(velocity(135, 24, kInfinity)));
}

TEST(TeleprompterPacingProgress, OffsetOverTotalDistanceClampedToOne)
{
    const QString text = words(270);
    const double total = velocity(135, 24, 560) * 120;
    const auto progress = [&](double offset, const QString &script) {
        return TeleprompterPacingEngine::estimatedProgress(offset, script, 135, 24, 560);
    };
    EXPECT_EQ(progress(0, text), 0);
    EXPECT_DOUBLE_EQ(progress(total / 4, text), 0.25);
    EXPECT_EQ(progress(total * 2, text), 1);
    EXPECT_EQ(progress(-50, text), 0);
    EXPECT_EQ(progress(kNaN, text), 0);
    // No text: no distance, the offset itself clamped.
    EXPECT_DOUBLE_EQ(progress(0.4, QString()), 0.4);
    EXPECT_EQ(progress(5, QString()), 1);
    EXPECT_EQ(progress(-1, QStringLiteral(" \n ")), 0);
}

TEST(TeleprompterPacingVoiceGate, StartsClosedAndOpensOnTheFirstLoudTick)
{
    TeleprompterPacingEngine engine;
    EXPECT_FALSE(engine.isVoiceGateOpen());
    EXPECT_EQ(engine.silenceHoldSeconds(), 0);
    EXPECT_EQ(engine.releaseHoldDuration(), 0.55);

    // Closed and quiet: closed however long the silence, hold untouched.
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(engine.evaluateVoiceGate(0.01, 0.045, 0.1));
    EXPECT_EQ(engine.silenceHoldSeconds(), 0);

    EXPECT_TRUE(engine.evaluateVoiceGate(0.045, 0.045, 1.0 / 60));
    EXPECT_TRUE(engine.isVoiceGateOpen());
}

TEST(TeleprompterPacingVoiceGate, ClosesAfterHoldOf055Seconds)
{
    TeleprompterPacingEngine engine;
    engine.evaluateVoiceGate(0.2, 0.045, 0.1);
    for (int tick = 1; tick <= 5; ++tick)
        EXPECT_TRUE(engine.evaluateVoiceGate(0.0, 0.045, 0.1)) << "tick " << tick;
    EXPECT_NEAR(engine.silenceHoldSeconds(), 0.5, 1e-12);

    // One loud tick starts the hold again.
    EXPECT_TRUE(engine.evaluateVoiceGate(0.3, 0.045, 0.1));
    EXPECT_EQ(engine.silenceHoldSeconds(), 0);
    for (int tick = 1; tick <= 5; ++tick)
        EXPECT_TRUE(engine.evaluateVoiceGate(0.0, 0.045, 0.1)) << "tick " << tick;
    EXPECT_FALSE(engine.evaluateVoiceGate(0.0, 0.045, 0.1));
    EXPECT_FALSE(engine.isVoiceGateOpen());
    EXPECT_NEAR(engine.silenceHoldSeconds(), 0.6, 1e-12);

    // Exactly 0.55 closes.
    TeleprompterPacingEngine exact;
    exact.evaluateVoiceGate(1, 0.045, 0);
    EXPECT_TRUE(exact.evaluateVoiceGate(0, 0.045, 0.5));
    EXPECT_FALSE(exact.evaluateVoiceGate(0, 0.045, 0.05));
}

TEST(TeleprompterPacingVoiceGate, ThresholdIsClampedToItsRange)
{
    const std::vector<std::tuple<const char *, double, double, bool>> cases = {
        // threshold given, level, gate opens
        { "0.001 acts as 0.005: below", 0.001, 0.004, false },
        { "0.001 acts as 0.005: at", 0.001, 0.005, true },
        { "0.9 acts as 0.5: below", 0.9, 0.49, false },
        { "0.9 acts as 0.5: at", 0.9, 0.5, true },
        { "within range: below", 0.2, 0.19, false },
        { "within range: at", 0.2, 0.2, true },
        { "NaN acts as 0.005", kNaN, 0.005, true },
        { "infinity acts as 0.5", kInfinity, 0.5, true },
        { "NaN level is silence", 0.045, kNaN, false },
    };
    for (const auto &[name, threshold, level, opens] : cases) {
        TeleprompterPacingEngine engine;
        EXPECT_EQ(engine.evaluateVoiceGate(level, threshold, 0.1), opens) << name;
    }
}

TEST(TeleprompterPacingVoiceGate, BadTimeStepsNeverBringClosingNearer)
{
    TeleprompterPacingEngine engine;
    engine.evaluateVoiceGate(1, 0.045, 0);
    engine.evaluateVoiceGate(0, 0.045, 0.3);
    for (double step : { -0.5, -kInfinity, kNaN, 0.0 }) {
        EXPECT_TRUE(engine.evaluateVoiceGate(0, 0.045, step));
        EXPECT_NEAR(engine.silenceHoldSeconds(), 0.3, 1e-12);
    }
    EXPECT_FALSE(engine.evaluateVoiceGate(0, 0.045, kInfinity));
}

TEST(TeleprompterPacingVoiceGate, ResetClosesAndCopiesAreIndependent)
{
    TeleprompterPacingEngine engine;
    engine.evaluateVoiceGate(1, 0.045, 0);
    engine.evaluateVoiceGate(0, 0.045, 0.2);
    const TeleprompterPacingEngine copy = engine;

    engine.resetGate();
    EXPECT_FALSE(engine.isVoiceGateOpen());
    EXPECT_EQ(engine.silenceHoldSeconds(), 0);
    EXPECT_TRUE(copy.isVoiceGateOpen());
    EXPECT_NEAR(copy.silenceHoldSeconds(), 0.2, 1e-12);
}

#include "TeleprompterPacingEngine.h"

#include "CamSaturating.h"

#include <QTextBoundaryFinder>

namespace {

constexpr double kLowestReadingPace = 40;
constexpr double kLowestScrollPace = 50;
constexpr double kHighestScrollPace = 320;
constexpr double kSmallestFont = 14;
constexpr double kLargestFont = 56;
constexpr double kHorizontalTextInset = 48;
constexpr double kNarrowestTextWidth = 240;
constexpr double kLineHeightFactor = 1.42;
constexpr double kCharacterWidthFactor = 0.54;
constexpr double kFewestCharactersPerLine = 18;
constexpr double kAverageWordLength = 5.6;
constexpr double kLowestThreshold = 0.005;
constexpr double kHighestThreshold = 0.5;

// White_Space (Unicode PropList) plus the line breaks, which it already contains.
bool isSeparator(char32_t codePoint)
{
    switch (codePoint) {
    case 0x0009:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:
    case 0x0085:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return codePoint >= 0x2000 && codePoint <= 0x200A;
    }
}

char32_t codePointAt(const QString &text, qsizetype index)
{
    const QChar first = text.at(index);
    if (first.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(index + 1));
    return first.unicode();
}

} // namespace

qint64 TeleprompterPacingEngine::wordCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qint64 words = 0;
    bool inWord = false;
    qsizetype start = 0;
    // Each cluster counts by its first code point: a combining mark or joiner after a space stays
    // part of the separator and does not start a word of its own.
    for (qsizetype end = graphemes.toNextBoundary(); end > 0 && start < text.size();
         start = end, end = graphemes.toNextBoundary()) {
        const bool separator = isSeparator(codePointAt(text, start));
        if (!separator && !inWord)
            ++words;
        inWord = !separator;
    }
    return words;
}

double TeleprompterPacingEngine::estimatedReadingSeconds(const QString &text, double wordsPerMinute)
{
    const double pace = wordsPerMinute > kLowestReadingPace ? wordsPerMinute : kLowestReadingPace;
    return static_cast<double>(wordCount(text)) / pace * 60.0;
}

double TeleprompterPacingEngine::scrollVelocityPointsPerSecond(
    double wordsPerMinute, double fontSize, double panelWidth)
{
    const double pace = CamSaturating::clamped(wordsPerMinute, kLowestScrollPace, kHighestScrollPace);
    const double font = CamSaturating::clamped(fontSize, kSmallestFont, kLargestFont);
    const double insetWidth = panelWidth - kHorizontalTextInset;
    const double textWidth = insetWidth > kNarrowestTextWidth ? insetWidth : kNarrowestTextWidth;
    const double lineHeight = font * kLineHeightFactor;
    double charactersPerLine = textWidth / (font * kCharacterWidthFactor);
    if (charactersPerLine < kFewestCharactersPerLine)
        charactersPerLine = kFewestCharactersPerLine;
    const double wordsPerLine = charactersPerLine / kAverageWordLength;
    return lineHeight * ((pace / 60.0) / wordsPerLine);
}

double TeleprompterPacingEngine::estimatedProgress(
    double scrollOffset, const QString &text, double wordsPerMinute, double fontSize, double panelWidth)
{
    const double total = scrollVelocityPointsPerSecond(wordsPerMinute, fontSize, panelWidth)
        * estimatedReadingSeconds(text, wordsPerMinute);
    const double progress = total < 1 ? scrollOffset : scrollOffset / total;
    return CamSaturating::clamped(progress, 0, 1);
}

bool TeleprompterPacingEngine::evaluateVoiceGate(double rmsLevel, double threshold, double deltaTime)
{
    const double bounded = CamSaturating::clamped(threshold, kLowestThreshold, kHighestThreshold);
    if (rmsLevel >= bounded) {
        m_isVoiceGateOpen = true;
        m_silenceHoldSeconds = 0;
        return true;
    }
    if (!m_isVoiceGateOpen)
        return false;
    // A negative or NaN step never brings the gate closer to closing.
    m_silenceHoldSeconds += deltaTime > 0 ? deltaTime : 0;
    if (m_silenceHoldSeconds >= kReleaseHoldDuration)
        m_isVoiceGateOpen = false;
    return m_isVoiceGateOpen;
}

void TeleprompterPacingEngine::resetGate()
{
    m_isVoiceGateOpen = false;
    m_silenceHoldSeconds = 0;
}

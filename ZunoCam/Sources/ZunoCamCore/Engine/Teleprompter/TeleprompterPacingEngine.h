#pragma once

#include <QString>

// The teleprompter's timing rules: word counts, reading time, scroll velocity, progress, and the
// voice gate that pauses scrolling while the speaker is silent.
//
// The counting and timing rules are pure static functions, callable from any thread. The gate is
// the only state; it is a value owned by one thread (the studio's main thread), which updates it on
// every scroll tick. evaluateVoiceGate and scrollVelocityPointsPerSecond run 60 times a second and
// never allocate. Non-finite inputs (from a hand-edited document) are bounded like out-of-range ones.
class TeleprompterPacingEngine {
public:
    static constexpr double kReleaseHoldDuration = 0.55;

    TeleprompterPacingEngine() = default;

    // Words: maximal runs of user-perceived characters whose first code point is neither White_Space
    // nor a line break. Punctuation belongs to the word it touches.
    static qint64 wordCount(const QString &text);
    // Seconds to read `text` at `wordsPerMinute`, the pace raised to at least 40.
    static double estimatedReadingSeconds(const QString &text, double wordsPerMinute);
    // How fast the text must scroll so that the reader keeps the pace, in points per second (pace
    // bounded to 50...320, font size to 14...56, text width at least 240).
    static double scrollVelocityPointsPerSecond(double wordsPerMinute, double fontSize, double panelWidth);
    // How far through the text a scroll offset is, from 0 to 1.
    static double estimatedProgress(
        double scrollOffset, const QString &text, double wordsPerMinute, double fontSize, double panelWidth);

    // One tick of the gate: a level at or above the threshold (bounded to 0.005...0.5) opens it at
    // once; an open gate closes after 0.55 s of ticks below it. Returns the state after the tick.
    bool evaluateVoiceGate(double rmsLevel, double threshold, double deltaTime);
    // Closes the gate and clears the silence held.
    void resetGate();

    bool isVoiceGateOpen() const { return m_isVoiceGateOpen; }
    double silenceHoldSeconds() const { return m_silenceHoldSeconds; }
    double releaseHoldDuration() const { return kReleaseHoldDuration; }

private:
    bool m_isVoiceGateOpen = false;
    double m_silenceHoldSeconds = 0; // silence counted since the gate last heard speech
};

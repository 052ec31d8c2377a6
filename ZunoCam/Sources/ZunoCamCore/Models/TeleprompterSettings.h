#pragma once

#include <QtGlobal>

// The notch teleprompter, voice pacing and LAN-remote settings. A plain value read from a file the
// user may edit by hand: nothing here clamps, so every use of a number bounds it itself (see
// CamSaturating.h). Aggregate-initialisable in declaration order.
struct TeleprompterSettings {
    double wordsPerMinute = 135;
    double fontSize = 24;
    double panelWidth = 560;
    double panelHeight = 205;
    double panelOpacity = 0.88;
    bool mirrorTextHorizontally = false;
    bool hideFromScreenShare = true;
    bool voicePacingEnabled = false;
    double voiceThresholdRMS = 0.045;
    qint64 countdownSecondsBeforeStart = 3;
    qint64 remoteControlPort = 8791;

    friend bool operator==(const TeleprompterSettings &, const TeleprompterSettings &) = default;
};

#pragma once

#include "CameraLookPreset.h"
#include "PortraitBackgroundMode.h"

#include <QString>

// The camera and overlay settings of the studio. A plain value: the capture service keeps its own
// copy and applies it to every frame. Nothing here clamps; code that uses a bounded value bounds
// it where it uses it. Aggregate-initialisable in declaration order.
struct CameraAdjustments {
    CameraLookPreset lookPreset = CameraLookPreset::natural;
    PortraitBackgroundMode portraitBackgroundMode = PortraitBackgroundMode::off;
    bool isMirrored = true;
    bool autoFaceFraming = true;
    bool showFramingGrid = false;
    bool showLowerThird = false;
    QString lowerThirdName = QStringLiteral("Ada Kestrel");
    QString lowerThirdTitle = QStringLiteral("Quarnwell Suite");
    double exposureEV = 0;
    double warmthShift = 0;
    double saturation = 1.05;
    double contrast = 1.02;
    double vignetteIntensity = 0.15;
    double digitalZoom = 1.0;
    bool revealRecordingInFinder = false;

    // Every field; strings by canonical equivalence, numbers numerically.
    friend bool operator==(const CameraAdjustments &a, const CameraAdjustments &b);
};

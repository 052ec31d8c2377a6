#include "CameraAdjustments.h"

#include "ZunoCanonicalText.h"

bool operator==(const CameraAdjustments &a, const CameraAdjustments &b)
{
    return a.lookPreset == b.lookPreset && a.portraitBackgroundMode == b.portraitBackgroundMode
        && a.isMirrored == b.isMirrored && a.autoFaceFraming == b.autoFaceFraming
        && a.showFramingGrid == b.showFramingGrid && a.showLowerThird == b.showLowerThird
        && zunoCanonicallyEqual(a.lowerThirdName, b.lowerThirdName)
        && zunoCanonicallyEqual(a.lowerThirdTitle, b.lowerThirdTitle) && a.exposureEV == b.exposureEV
        && a.warmthShift == b.warmthShift && a.saturation == b.saturation && a.contrast == b.contrast
        && a.vignetteIntensity == b.vignetteIntensity && a.digitalZoom == b.digitalZoom
        && a.revealRecordingInFinder == b.revealRecordingInFinder;
}

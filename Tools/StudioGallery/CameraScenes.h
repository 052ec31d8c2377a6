#pragma once

#include <QString>

// The camera tab on fake camera services with a synthetic frame: placeholder, live with the grid,
// recording at 59:59 and 1:00:00, the nameplate and the soft portrait background; English and Turkish.
bool writeCameraScenes(const QString &folder);

// Times the preview: the median cost of painting a 1280 × 720 frame into the default preview box,
// then the frames painted per second over `seconds` with the standard camera services (set
// ZUNOCAM_VIRTUAL_CAMERA=pattern for the pattern camera). Prints the figures; false on failure.
bool benchmarkCameraPreview(double seconds);

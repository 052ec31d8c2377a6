#pragma once

#include "CameraAdjustments.h"
#include "CameraImageKernels.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// What one frame goes through, decided from the settings before any pixel is touched. Steps whose
// effect would be negligible are absent. Rectangles have a bottom-left origin, like face boxes.
struct CameraColorFilterPlan {
    std::optional<QRectF> crop; // zoom and framing, scaled back to the full frame
    bool mirror = false;
    std::optional<double> exposureEV;
    double saturation = 1;
    double contrast = 1;
    std::optional<double> targetNeutralKelvin; // white-point change from 6500 K
    std::optional<double> vignetteIntensity;
    double vignetteRadius = 1.8;

    // Exposure and contrast (the tone of each channel), then saturation and white point, as one
    // colour pass.
    CameraImageKernels::ColorPass colorPass() const;
};

// The look and adjustments applied to every frame: zoom and face framing, mirroring, look preset,
// exposure, colour controls, warmth and vignette. Stateless; the caller keeps the buffers.
namespace CameraColorFilterEngine {

inline constexpr double kNeutralKelvin = 6500;
inline constexpr double kKelvinPerWarmth = 1800;

// The user's values changed by the look preset.
struct LookValues {
    double exposure;
    double warmth;
    double saturation;
    double contrast;
};
LookValues applyLook(
    CameraLookPreset look, double exposure, double warmth, double saturation, double contrast);

CameraColorFilterPlan plan(
    const CameraAdjustments &adjustments, QPointF faceCenter, double autoZoom, QSizeF extent);

// Buffers kept by the caller between frames.
struct Workspace {
    CameraPixelBuffer zoomed; // the zoomed frame, where a crop needs whole pixels
};

// Processes `image` into `output` (same size). `faceCenter` is normalised with a bottom-left origin.
void process(const CameraPixelBuffer &image, const CameraAdjustments &adjustments, QPointF faceCenter,
    double autoZoom, CameraPixelBuffer &output, Workspace &workspace);

} // namespace CameraColorFilterEngine

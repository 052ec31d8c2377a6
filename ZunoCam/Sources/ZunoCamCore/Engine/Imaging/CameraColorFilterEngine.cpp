#include "CameraColorFilterEngine.h"

#include "FaceFramingSmoother.h"

#include <algorithm>
#include <cmath>

CameraImageKernels::ColorPass CameraColorFilterPlan::colorPass() const
{
    CameraImageKernels::ColorPass pass;
    pass.exposureEV = exposureEV.value_or(0);
    pass.contrast = contrast;
    pass.matrix = CameraColorMatrix::saturation(saturation);
    if (targetNeutralKelvin)
        pass.matrix = pass.matrix.then(
            CameraColorMatrix::temperature(CameraColorFilterEngine::kNeutralKelvin, *targetNeutralKelvin));
    pass.mirror = mirror;
    pass.vignetteIntensity = vignetteIntensity.value_or(0);
    pass.vignetteRadius = vignetteRadius;
    return pass;
}

namespace CameraColorFilterEngine {

LookValues applyLook(CameraLookPreset look, double e, double w, double s, double c)
{
    switch (look) {
    case CameraLookPreset::natural:
        return { e, w, s, c };
    case CameraLookPreset::deepSeaCinema:
        return { e, w - 0.25, std::min(s + 0.08, 1.8), std::min(c + 0.12, 1.4) };
    case CameraLookPreset::warmStudio:
        return { e + 0.12, w + 0.35, std::min(s + 0.06, 1.8), c };
    case CameraLookPreset::crispDaylight:
        return { e + 0.18, w - 0.08, s, std::min(c + 0.08, 1.4) };
    case CameraLookPreset::noirMono:
        return { e, w, 0, std::min(c + 0.18, 1.4) };
    }
    return { e, w, s, c };
}

CameraColorFilterPlan plan(const CameraAdjustments &a, QPointF faceCenter, double autoZoom, QSizeF extent)
{
    CameraColorFilterPlan p;
    const double zoom = std::clamp(a.autoFaceFraming ? autoZoom * a.digitalZoom : a.digitalZoom, 1.0, 2.2);
    if (zoom > 1.01 && !extent.isEmpty()) {
        const QPointF centre = a.autoFaceFraming ? faceCenter : QPointF(0.5, 0.5);
        p.crop = FaceFramingSmoother::cropRect(QRectF(QPointF(0, 0), extent), centre.x(), centre.y(), zoom);
    }
    p.mirror = a.isMirrored;
    const LookValues v = applyLook(a.lookPreset, a.exposureEV, a.warmthShift, a.saturation, a.contrast);
    if (std::fabs(v.exposure) > 0.01)
        p.exposureEV = v.exposure;
    p.saturation = v.saturation;
    p.contrast = v.contrast;
    if (std::fabs(v.warmth) > 0.01)
        p.targetNeutralKelvin = kNeutralKelvin + kKelvinPerWarmth * v.warmth;
    if (a.vignetteIntensity > 0.02)
        p.vignetteIntensity = 1.4 * a.vignetteIntensity;
    return p;
}

void process(const CameraPixelBuffer &image, const CameraAdjustments &adjustments, QPointF faceCenter,
    double autoZoom, CameraPixelBuffer &output, Workspace &workspace)
{
    if (image.isNull())
        return;
    const int w = image.width(), h = image.height();
    const CameraColorFilterPlan p = plan(adjustments, faceCenter, autoZoom, QSizeF(w, h));

    if (p.crop) {
        // Bottom-left rectangle to the top-left pixel rows of the buffer.
        const QRectF &c = *p.crop;
        const QRectF pixels(c.x(), h - c.y() - c.height(), c.width(), c.height());
        CameraImageKernels::cropScaleAndColor(image, pixels, w, h, p.colorPass(), output, workspace.zoomed);
        return;
    }
    CameraImageKernels::colorPass(image, p.colorPass(), output);
}

} // namespace CameraColorFilterEngine

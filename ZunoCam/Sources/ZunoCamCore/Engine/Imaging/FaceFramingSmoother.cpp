#include "FaceFramingSmoother.h"

#include <algorithm>

FaceFramingSmoother::State FaceFramingSmoother::update(
    const std::optional<QRectF> &normalizedFaceRect, double smoothing)
{
    const double k = std::clamp(smoothing, 0.02, 0.5);
    double targetX = 0.5, targetY = 0.5, targetZoom = 1.0, step = k / 2;
    if (normalizedFaceRect) {
        const QRectF &r = *normalizedFaceRect;
        targetX = std::clamp(r.center().x(), 0.22, 0.78);
        targetY = std::clamp(r.center().y(), 0.25, 0.75);
        targetZoom = r.height() <= 0.14 ? 1.48 : std::clamp(0.32 / r.height(), 1.08, 1.48);
        step = k;
    }
    centerX += (targetX - centerX) * step;
    centerY += (targetY - centerY) * step;
    zoom += (targetZoom - zoom) * step;
    return { centerX, centerY, zoom };
}

QRectF FaceFramingSmoother::cropRect(const QRectF &rect, double centerX, double centerY, double zoom)
{
    const double z = std::clamp(zoom, 1.0, 2.2);
    const double w = rect.width() / z;
    const double h = rect.height() / z;
    double x = rect.left() + centerX * rect.width() - w / 2;
    x = std::min(std::max(x, rect.left()), rect.left() + rect.width() - w);
    double y = rect.top() + centerY * rect.height() - h / 2;
    y = std::min(std::max(y, rect.top()), rect.top() + rect.height() - h);
    return { x, y, w, h };
}

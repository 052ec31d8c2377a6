#include "ZunoContinuousShape.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

// How far the easing reaches along each edge, as a fraction of the radius beyond it.
constexpr qreal kSmoothing = 0.6;

qreal radians(qreal degrees)
{
    return degrees * M_PI / 180.0;
}

// One corner, in a frame where s runs back along the incoming edge and t forward along the outgoing
// edge, both from the corner point.
struct Corner {
    QPointF corner;
    QPointF incoming;
    QPointF outgoing;
    QPointF at(qreal s, qreal t) const { return corner - s * incoming + t * outgoing; }
};

struct CornerParameters {
    qreal radius = 0;
    qreal extent = 0; // where the corner leaves the straight edge
    qreal a = 0;
    qreal b = 0;
    qreal c = 0;
    qreal d = 0;
    qreal arcMeasure = 90; // degrees
};

CornerParameters parameters(qreal radius, qreal budget)
{
    CornerParameters p;
    p.radius = std::clamp(radius, 0.0, budget);
    if (p.radius <= 0)
        return p;
    const qreal smoothing = std::clamp(std::min(kSmoothing, budget / p.radius - 1), 0.0, kSmoothing);
    p.extent = std::min((1 + smoothing) * p.radius, budget);
    p.arcMeasure = 90 * (1 - smoothing);
    const qreal arcSection = std::sin(radians(p.arcMeasure / 2)) * p.radius * std::sqrt(2.0);
    const qreal alpha = (90 - p.arcMeasure) / 2;
    const qreal p3ToP4 = p.radius * std::tan(radians(alpha / 2));
    const qreal beta = 45 * smoothing;
    p.c = p3ToP4 * std::cos(radians(beta));
    p.d = p.c * std::tan(radians(beta));
    p.b = (p.extent - arcSection - p.c - p.d) / 3;
    p.a = 2 * p.b;
    return p;
}

void addCorner(QPainterPath &path, const Corner &k, const CornerParameters &p)
{
    if (p.radius <= 0) {
        path.lineTo(k.corner);
        return;
    }
    path.lineTo(k.at(p.extent, 0));
    path.cubicTo(
        k.at(p.extent - p.a, 0), k.at(p.extent - p.a - p.b, 0), k.at(p.extent - p.a - p.b - p.c, p.d));

    // The circular middle, centred (radius, radius) in from the corner and symmetric about the diagonal.
    const qreal r = p.radius;
    const qreal half = p.arcMeasure / 2;
    const qreal from = radians(225 + half);
    const qreal sweep = -radians(p.arcMeasure);
    const qreal to = from + sweep;
    const qreal handle = 4.0 / 3.0 * std::tan(sweep / 4) * r;
    auto onArc = [&](qreal angle) { return QPointF(r + r * std::cos(angle), r + r * std::sin(angle)); };
    auto tangent = [&](qreal angle) { return QPointF(-std::sin(angle), std::cos(angle)); };
    const QPointF start = onArc(from);
    const QPointF end = onArc(to);
    const QPointF c1 = start + handle * tangent(from);
    const QPointF c2 = end - handle * tangent(to);
    path.cubicTo(k.at(c1.x(), c1.y()), k.at(c2.x(), c2.y()), k.at(end.x(), end.y()));

    path.cubicTo(k.at(0, p.extent - p.a - p.b), k.at(0, p.extent - p.a), k.at(0, p.extent));
}

} // namespace

QPainterPath ZunoContinuousShape::roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    const QRectF r = rect.normalized();
    if (r.isEmpty())
        return path;
    const CornerParameters p = parameters(radius, std::min(r.width(), r.height()) / 2);
    const Corner corners[4] = {
        { r.topRight(), { 1, 0 }, { 0, 1 } },
        { r.bottomRight(), { 0, 1 }, { -1, 0 } },
        { r.bottomLeft(), { -1, 0 }, { 0, -1 } },
        { r.topLeft(), { 0, -1 }, { 1, 0 } },
    };
    path.moveTo(corners[3].at(0, p.extent));
    for (const Corner &corner : corners)
        addCorner(path, corner, p);
    path.closeSubpath();
    return path;
}

QPainterPath ZunoContinuousShape::capsule(const QRectF &rect)
{
    return roundedRect(rect, std::min(rect.width(), rect.height()) / 2);
}

void ZunoContinuousShape::strokeBorder(
    QPainter &painter, const QRectF &rect, qreal radius, const QColor &color, qreal lineWidth)
{
    const qreal inset = lineWidth / 2;
    const QRectF inner = rect.adjusted(inset, inset, -inset, -inset);
    const QPainterPath path = radius < 0 ? capsule(inner) : roundedRect(inner, std::max(0.0, radius - inset));
    QPen pen(color, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

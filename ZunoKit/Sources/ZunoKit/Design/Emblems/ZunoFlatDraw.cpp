#include "ZunoFlatDraw.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Sets the composition mode and colour of a paint; the caller has saved the painter. A colour paint
// sets the normal mode itself, so a caller's own mode (Source, say) never reaches the emblem.
QColor applyPaint(QPainter &painter, const ZunoFlatPaint &paint)
{
    if (paint.kind() == ZunoFlatPaint::Kind::color) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return paint.colorValue();
    }
    const qreal strength = std::isfinite(paint.strength()) ? std::clamp<qreal>(paint.strength(), 0, 1) : 0;
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    return QColor::fromRgbF(0, 0, 0, static_cast<float>(strength));
}

void prepareFill(QPainter &painter, const ZunoFlatPaint &paint)
{
    const QColor color = applyPaint(painter, paint);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
}

void prepareStroke(QPainter &painter, const ZunoFlatPaint &paint, qreal lineWidth)
{
    const QColor color = applyPaint(painter, paint);
    painter.setPen(QPen(color, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
}

} // namespace

namespace ZunoFlatDraw {

void fillPath(QPainter &painter, const QPainterPath &path, const ZunoFlatPaint &paint)
{
    QPainterPath winding = path;
    winding.setFillRule(Qt::WindingFill);
    painter.save();
    prepareFill(painter, paint);
    painter.drawPath(winding);
    painter.restore();
}

void strokePath(QPainter &painter, const QPainterPath &path, const ZunoFlatPaint &paint, qreal lineWidth)
{
    painter.save();
    prepareStroke(painter, paint, lineWidth);
    painter.drawPath(path);
    painter.restore();
}

void fillEllipse(QPainter &painter, const QRectF &rect, const ZunoFlatPaint &paint)
{
    painter.save();
    prepareFill(painter, paint);
    painter.drawEllipse(rect);
    painter.restore();
}

void strokeEllipse(QPainter &painter, const QRectF &rect, const ZunoFlatPaint &paint, qreal lineWidth)
{
    painter.save();
    prepareStroke(painter, paint, lineWidth);
    painter.drawEllipse(rect);
    painter.restore();
}

QPainterPath roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath polyline(std::initializer_list<QPointF> points, bool closed)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF &point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    if (closed)
        path.closeSubpath();
    return path;
}

void addArc(QPainterPath &path, const QPointF &centre, qreal radius, qreal startAngle, qreal endAngle)
{
    constexpr qreal kTurn = 2 * std::numbers::pi;
    qreal sweep = endAngle - startAngle;
    if (sweep >= kTurn) {
        sweep = kTurn;
    } else {
        sweep = std::fmod(sweep, kTurn);
        if (sweep < 0)
            sweep += kTurn;
    }
    // Qt counts angles in degrees, growing counter-clockwise on screen: the design angle negated.
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const qreal startDegrees = -startAngle * 180 / std::numbers::pi;
    const qreal sweepDegrees = -sweep * 180 / std::numbers::pi;
    if (path.elementCount() == 0)
        path.arcMoveTo(box, startDegrees);
    path.arcTo(box, startDegrees, sweepDegrees);
}

QPointF polar(const QPointF &centre, qreal radius, qreal degrees)
{
    const qreal radians = degrees * std::numbers::pi / 180;
    return QPointF(centre.x() + radius * std::cos(radians), centre.y() + radius * std::sin(radians));
}

void displayFrame(QPainter &painter, const ZunoEmblemTone &tone)
{
    const QPainterPath screen = roundedRect(QRectF(21, 25, 58, 39), 8.5);
    fillPath(painter, screen, tone.soft());
    strokePath(painter, screen, tone.primary(), 3);
    fillPath(painter, roundedRect(QRectF(38, 70, 24, 4.6), 2.3), tone.primaryAlpha(0.82));
}

void foldedSheet(QPainter &painter, const ZunoEmblemTone &tone)
{
    QPainterPath sheet;
    sheet.moveTo(33, 22);
    sheet.lineTo(56, 22);
    sheet.lineTo(73, 39);
    sheet.lineTo(73, 72);
    sheet.cubicTo(73, 75.3, 70.3, 78, 67, 78);
    sheet.lineTo(33, 78);
    sheet.cubicTo(29.7, 78, 27, 75.3, 27, 72);
    sheet.lineTo(27, 28);
    sheet.cubicTo(27, 24.7, 29.7, 22, 33, 22);
    sheet.closeSubpath();
    fillPath(painter, sheet, tone.primary());

    QPainterPath fold;
    fold.moveTo(56, 22);
    fold.lineTo(56, 34);
    fold.cubicTo(56, 36.8, 58.2, 39, 61, 39);
    fold.lineTo(73, 39);
    fold.closeSubpath();
    fillPath(painter, fold, tone.isWhiteGlass() ? ZunoFlatPaint::cutout(0.55) : tone.accent());
}

void splitShield(QPainter &painter, const ZunoEmblemTone &tone)
{
    QPainterPath left;
    left.moveTo(48.7, 23);
    left.lineTo(27, 31.4);
    left.cubicTo(27, 49.4, 33.8, 65.4, 48.7, 76);
    left.closeSubpath();
    fillPath(painter, left, tone.primary());

    QPainterPath right;
    right.moveTo(51.3, 23);
    right.lineTo(73, 31.4);
    right.cubicTo(73, 49.4, 66.2, 65.4, 51.3, 76);
    right.closeSubpath();
    fillPath(painter, right, tone.mid());
}

std::pair<ZunoFlatPaint, ZunoFlatPaint> derivedShades(const ShadeScheme &scheme, const ZunoEmblemTone &tone)
{
    if (tone.isWhiteGlass())
        return { tone.primaryAlpha(0.46), tone.primaryAlpha(0.28) };
    const QColor primary = tone.primaryColor().toRgb();
    std::array<qreal, 3> rgb { scheme.standIn[0], scheme.standIn[1], scheme.standIn[2] };
    if (primary.isValid())
        rgb = { primary.redF(), primary.greenF(), primary.blueF() };
    const auto opaque = [](const std::array<qreal, 3> &c) {
        return ZunoFlatPaint::color(QColor::fromRgbF(float(c[0]), float(c[1]), float(c[2])));
    };
    if (0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2] > 0.72) {
        const auto fixed = [](const std::array<float, 3> &c) {
            return std::array<qreal, 3> { c[0], c[1], c[2] };
        };
        return { opaque(fixed(scheme.lightFirst)), opaque(fixed(scheme.lightSecond)) };
    }
    const std::array<qreal, 3> pale { 238 / 255.0, 241 / 255.0, 247 / 255.0 };
    const auto mix = [&](qreal share) {
        std::array<qreal, 3> c {};
        for (int i = 0; i < 3; ++i)
            c[i] = share * rgb[i] + (1 - share) * pale[i];
        return opaque(c);
    };
    return { mix(scheme.firstShare), mix(scheme.secondShare) };
}

} // namespace ZunoFlatDraw

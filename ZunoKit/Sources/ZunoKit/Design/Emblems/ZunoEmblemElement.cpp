#include "ZunoEmblemElement.h"

#include "ZunoFlatDraw.h"

#include <numbers>

namespace ZunoEmblemElement {

ZunoFlatPaint resolve(const Paint &paint, const ZunoEmblemTone &tone)
{
    switch (paint.role) {
    case Paint::Role::primary:
        return tone.primary();
    case Paint::Role::accent:
        return tone.accent();
    case Paint::Role::mid:
        return tone.mid();
    case Paint::Role::soft:
        return tone.soft();
    case Paint::Role::stroke:
        return tone.stroke();
    case Paint::Role::primaryAlpha:
        return tone.primaryAlpha(paint.amount);
    case Paint::Role::accentAlpha:
        return tone.accentAlpha(paint.amount);
    case Paint::Role::onPrimaryAccent:
        return tone.onPrimaryAccent();
    case Paint::Role::cutout:
        return tone.cutout(paint.amount);
    case Paint::Role::directCutout:
        // Only white glass is drawn inside a layer of its own; a flat emblem sits on its caller's
        // background, which a cut-out would punch through.
        if (tone.isWhiteGlass())
            return ZunoFlatPaint::cutout(paint.amount);
        return paint.flat == FlatStandIn::accent
            ? tone.accent()
            : ZunoFlatPaint::color(ZunoEmblemTone::flatCutoutColor(paint.amount));
    case Paint::Role::firstShade:
        return ZunoFlatDraw::derivedShades(*paint.shades, tone).first;
    case Paint::Role::secondShade:
        return ZunoFlatDraw::derivedShades(*paint.shades, tone).second;
    }
    return tone.primary();
}

QPainterPath toPath(const Shape &shape)
{
    switch (shape.kind) {
    case Shape::Kind::roundedRect:
        return ZunoFlatDraw::roundedRect(QRectF(shape.x, shape.y, shape.w, shape.h), shape.radius);
    case Shape::Kind::ellipse: {
        QPainterPath path;
        path.addEllipse(QRectF(shape.x, shape.y, shape.w, shape.h));
        return path;
    }
    case Shape::Kind::path:
        break;
    }
    constexpr qreal kRadiansPerDegree = std::numbers::pi / 180;
    QPainterPath path;
    for (int i = 0; i < shape.opCount; ++i) {
        const auto &v = shape.ops[i].v;
        switch (shape.ops[i].kind) {
        case PathOp::Kind::move:
            path.moveTo(v[0], v[1]);
            break;
        case PathOp::Kind::line:
            path.lineTo(v[0], v[1]);
            break;
        case PathOp::Kind::cubic:
            path.cubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        case PathOp::Kind::arc:
            ZunoFlatDraw::addArc(
                path, QPointF(v[0], v[1]), v[2], v[3] * kRadiansPerDegree, v[4] * kRadiansPerDegree);
            break;
        case PathOp::Kind::close:
            path.closeSubpath();
            break;
        }
    }
    return path;
}

void draw(QPainter &painter, const ZunoEmblemTone &tone, const Element &element)
{
    const ZunoFlatPaint paint = resolve(element.paint, tone);
    const Shape &shape = element.shape;
    if (shape.kind == Shape::Kind::ellipse) {
        const QRectF rect(shape.x, shape.y, shape.w, shape.h);
        if (element.lineWidth > 0)
            ZunoFlatDraw::strokeEllipse(painter, rect, paint, element.lineWidth);
        else
            ZunoFlatDraw::fillEllipse(painter, rect, paint);
        return;
    }
    if (element.lineWidth > 0)
        ZunoFlatDraw::strokePath(painter, toPath(shape), paint, element.lineWidth);
    else
        ZunoFlatDraw::fillPath(painter, toPath(shape), paint);
}

void draw(QPainter &painter, const ZunoEmblemTone &tone, std::span<const Element> elements)
{
    for (const Element &element : elements)
        draw(painter, tone, element);
}

} // namespace ZunoEmblemElement

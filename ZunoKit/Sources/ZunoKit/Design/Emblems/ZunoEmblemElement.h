#pragma once

#include "ZunoEmblemTone.h"
#include "ZunoFlatDraw.h"

#include <QPainterPath>

#include <array>
#include <initializer_list>
#include <span>

class QPainter;

// Emblem artwork as data: an element is one shape painted once, filled or stroked, with one paint
// of the tone, in its own save and restore (through ZunoFlatDraw). A routine is a constexpr table of
// elements painted in order; later elements paint over earlier ones or cut holes into them.
// Internal to the emblem family.
namespace ZunoEmblemElement {

// One step of a path, with literal numbers in design units; arc angles are whole degrees, growing
// clockwise on screen (y grows downwards).
struct PathOp {
    enum class Kind : unsigned char { move, line, cubic, arc, close };
    Kind kind;
    std::array<float, 6> v;
};

constexpr PathOp M(float x, float y)
{
    return { PathOp::Kind::move, { x, y } };
}
constexpr PathOp L(float x, float y)
{
    return { PathOp::Kind::line, { x, y } };
}
// A cubic Bézier segment: two control points, then the end point.
constexpr PathOp C(float c1x, float c1y, float c2x, float c2y, float x, float y)
{
    return { PathOp::Kind::cubic, { c1x, c1y, c2x, c2y, x, y } };
}
// A circular arc about (cx, cy) from startDegrees to endDegrees; a line leads to its start when the
// path already has a current point.
constexpr PathOp A(float cx, float cy, float radius, float startDegrees, float endDegrees)
{
    return { PathOp::Kind::arc, { cx, cy, radius, startDegrees, endDegrees } };
}
constexpr PathOp Z()
{
    return { PathOp::Kind::close, {} };
}

inline constexpr int kMaxPathOps = 32;

struct Shape {
    enum class Kind : unsigned char { roundedRect, ellipse, path };
    Kind kind;
    float x = 0, y = 0, w = 0, h = 0, radius = 0;
    std::array<PathOp, kMaxPathOps> ops {};
    int opCount = 0;
};

constexpr Shape roundedRect(float x, float y, float w, float h, float radius)
{
    return { Shape::Kind::roundedRect, x, y, w, h, radius };
}
constexpr Shape ellipse(float x, float y, float w, float h)
{
    return { Shape::Kind::ellipse, x, y, w, h };
}
constexpr Shape path(std::initializer_list<PathOp> ops)
{
    Shape shape { Shape::Kind::path };
    if (ops.size() > kMaxPathOps)
        throw "a path of an emblem holds at most kMaxPathOps steps"; // fails a constant evaluation
    for (const PathOp &op : ops)
        shape.ops[shape.opCount++] = op;
    return shape;
}

// What a direct cut-out becomes on a flat tone, where nothing may erase the caller's background.
enum class FlatStandIn : unsigned char { pale, accent };

// A paint of the tone, resolved when the element is drawn.
struct Paint {
    enum class Role : unsigned char {
        primary,
        accent,
        mid,
        soft,
        stroke,
        primaryAlpha,
        accentAlpha,
        onPrimaryAccent,
        cutout,
        directCutout,
        firstShade,
        secondShade
    };
    Role role;
    float amount = 0;
    FlatStandIn flat = FlatStandIn::pale;
    const ZunoFlatDraw::ShadeScheme *shades = nullptr;
};

namespace paint {
inline constexpr Paint primary { Paint::Role::primary };
inline constexpr Paint accent { Paint::Role::accent };
inline constexpr Paint mid { Paint::Role::mid };
inline constexpr Paint soft { Paint::Role::soft };
inline constexpr Paint stroke { Paint::Role::stroke };
inline constexpr Paint onPrimaryAccent { Paint::Role::onPrimaryAccent };
constexpr Paint primaryAlpha(float alpha)
{
    return { Paint::Role::primaryAlpha, alpha };
}
constexpr Paint accentAlpha(float alpha)
{
    return { Paint::Role::accentAlpha, alpha };
}
constexpr Paint cutout(float alpha)
{
    return { Paint::Role::cutout, alpha };
}
// A cut-out of a fixed strength on white glass; on a flat tone the pale colour at the strength as
// alpha, or the accent colour.
constexpr Paint directCutout(float strength, FlatStandIn flat)
{
    return { Paint::Role::directCutout, strength, flat };
}
// The side faces of a box or a bevel, in the two shades of scheme.
constexpr Paint firstShade(const ZunoFlatDraw::ShadeScheme &scheme)
{
    return { Paint::Role::firstShade, 0, FlatStandIn::pale, &scheme };
}
constexpr Paint secondShade(const ZunoFlatDraw::ShadeScheme &scheme)
{
    return { Paint::Role::secondShade, 0, FlatStandIn::pale, &scheme };
}
} // namespace paint

struct Element {
    Shape shape;
    Paint paint;
    float lineWidth = 0; // 0 fills the shape; otherwise it is stroked this wide
};

constexpr Element fill(const Shape &shape, Paint paint)
{
    return { shape, paint, 0 };
}
constexpr Element stroke(const Shape &shape, float lineWidth, Paint paint)
{
    return { shape, paint, lineWidth };
}

ZunoFlatPaint resolve(const Paint &paint, const ZunoEmblemTone &tone);
QPainterPath toPath(const Shape &shape);

// Paints the elements in order, each through one of ZunoFlatDraw's four painting functions.
void draw(QPainter &painter, const ZunoEmblemTone &tone, std::span<const Element> elements);
void draw(QPainter &painter, const ZunoEmblemTone &tone, const Element &element);

} // namespace ZunoEmblemElement

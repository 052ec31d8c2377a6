#include "EmblemProfile.h"

#include "ZunoFlatDraw.h"

#include <QLineF>

#include <cmath>
#include <numbers>

namespace {

struct Cubic {
    QPointF p0, p1, p2, p3;
};

// Whether a cubic segment is the usual approximation of a circular arc; gives its radius and sweep.
bool isCircularArc(const Cubic &c, qreal *radius, qreal *sweepDegrees)
{
    const QLineF d0(c.p0, c.p1);
    const QLineF d1(c.p2, c.p3);
    const QLineF chord(c.p0, c.p3);
    if (d0.length() < 1e-6 || d1.length() < 1e-6 || chord.length() < 1e-6)
        return false;
    const qreal turn = d0.angleTo(d1) > 180 ? 360 - d0.angleTo(d1) : d0.angleTo(d1);
    if (turn < 1)
        return false;
    // The tangents meet the chord at equal angles, and their lengths follow the arc's radius.
    const qreal a0 = std::min(d0.angleTo(chord), 360 - d0.angleTo(chord));
    const qreal a1 = std::min(chord.angleTo(d1), 360 - chord.angleTo(d1));
    if (std::abs(a0 - turn / 2) > 1.5 || std::abs(a1 - turn / 2) > 1.5)
        return false;
    const qreal theta = turn * std::numbers::pi / 180;
    const qreal r = chord.length() / (2 * std::sin(theta / 2));
    const qreal k = 4.0 / 3.0 * std::tan(theta / 4) * r;
    if (std::abs(d0.length() - k) > 0.05 * k + 0.05 || std::abs(d1.length() - k) > 0.05 * k + 0.05)
        return false;
    *radius = r;
    *sweepDegrees = turn;
    return true;
}

struct SubpathKinds {
    bool lines = false;
    bool arcs = false;
    bool beziers = false;
    bool roundedRect = false;
};

SubpathKinds classify(const QPainterPath &path, int from, int to)
{
    SubpathKinds kinds;
    int quarterArcs = 0;
    int otherArcs = 0;
    bool axisLines = true;
    qreal firstRadius = -1;
    bool sameRadius = true;
    QPointF current = path.elementAt(from);
    for (int i = from + 1; i < to; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isLineTo()) {
            const QPointF to(e);
            if (QLineF(current, to).length() > 1e-6) {
                kinds.lines = true;
                axisLines = axisLines
                    && (std::abs(to.x() - current.x()) < 1e-3 || std::abs(to.y() - current.y()) < 1e-3);
            }
            current = to;
        } else if (e.isCurveTo()) {
            const Cubic c { current, path.elementAt(i), path.elementAt(i + 1), path.elementAt(i + 2) };
            qreal radius = 0;
            qreal sweep = 0;
            if (isCircularArc(c, &radius, &sweep)) {
                if (firstRadius < 0)
                    firstRadius = radius;
                sameRadius = sameRadius && std::abs(radius - firstRadius) < 0.05 * firstRadius;
                (std::abs(sweep - 90) < 2 ? quarterArcs : otherArcs)++;
            } else {
                kinds.beziers = true;
            }
            current = c.p3;
            i += 2;
        }
    }
    if (quarterArcs == 4 && otherArcs == 0 && sameRadius && axisLines && !kinds.beziers)
        kinds.roundedRect = true;
    else if (quarterArcs + otherArcs > 0)
        kinds.arcs = true;
    return kinds;
}

} // namespace

const char *EmblemProfile::label(Kind kind)
{
    static const char *const labels[] = { "cut-outs", "strokes", "rounded rectangles", "filled discs",
        "stroked ellipses", "arcs", "Bezier curves", "straight-line paths", "shared shapes" };
    return labels[kind];
}

void EmblemProfile::add(const std::vector<RecordedPrimitive> &primitives)
{
    std::array<bool, kindCount> uses {};
    for (const RecordedPrimitive &primitive : primitives) {
        uses[cutouts] = uses[cutouts] || primitive.isCutout();
        uses[strokes] = uses[strokes] || primitive.isStroke();
        if (primitive.kind == RecordedPrimitive::Kind::ellipse) {
            uses[primitive.isStroke() ? strokedEllipses : filledDiscs] = true;
            continue;
        }
        const QPainterPath &path = primitive.path;
        int start = 0;
        for (int i = 1; i <= path.elementCount(); ++i) {
            if (i < path.elementCount() && !path.elementAt(i).isMoveTo())
                continue;
            const SubpathKinds kinds = classify(path, start, i);
            uses[roundedRects] = uses[roundedRects] || kinds.roundedRect;
            uses[arcs] = uses[arcs] || kinds.arcs;
            uses[beziers] = uses[beziers] || kinds.beziers;
            uses[straightLinePaths] = uses[straightLinePaths]
                || (kinds.lines && !kinds.arcs && !kinds.beziers && !kinds.roundedRect);
            start = i;
        }
    }
    const ZunoEmblemTone &glass = ZunoEmblemTone::whiteGlass();
    for (auto shape : { ZunoFlatDraw::displayFrame, ZunoFlatDraw::foldedSheet, ZunoFlatDraw::splitShield }) {
        if (containsRun(primitives, recordDrawing([&](QPainter &p) { shape(p, glass); })))
            uses[sharedShapes] = true;
    }
    ++routines;
    elementCounts.push_back(static_cast<int>(primitives.size()));
    for (int kind = 0; kind < kindCount; ++kind)
        routinesUsing[kind] += uses[kind];
}

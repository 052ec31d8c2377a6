#include "ZunoEmblemArtworkProductivity.h"

#include "ZunoEmblemElement.h"
#include "ZunoFlatDraw.h"

#include <QPainter>

#include <array>

namespace {

using namespace ZunoEmblemElement;

// A bullseye: a solid disc with a ring cut out, an accent centre and four sighting notches.
constexpr Element kFocus[] = {
    fill(ellipse(24, 24, 52, 52), paint::primary),
    stroke(ellipse(35, 35, 30, 30), 5, paint::cutout(1)),
    fill(ellipse(43.5, 43.5, 13, 13), paint::accent),
    stroke(path({ M(50, 19), L(50, 29), M(50, 71), L(50, 81), M(19, 50), L(29, 50), M(71, 50), L(81, 50) }),
        4, paint::cutout(1)),
};

// A rounded checkbox with a tick cut out, over a second box behind it.
constexpr Element kTask[] = {
    fill(roundedRect(31, 21, 48, 48, 12), paint::mid),
    fill(roundedRect(26.5, 26.5, 52, 52, 15), paint::cutout(1)),
    fill(roundedRect(21, 31, 48, 48, 12), paint::primary),
    stroke(path({ M(33, 55), L(42, 64), L(58, 45) }), 6.5, paint::cutout(1)),
};

// Three nodes joined by elbowed connectors; the first node holds a trigger dot.
constexpr Element kFlow[] = {
    stroke(path({ M(33, 33), L(33, 67), L(67, 67), M(33, 33), L(66, 33) }), 4.5, paint::mid),
    fill(roundedRect(22, 22, 22, 22, 7), paint::primary),
    fill(ellipse(29, 29, 8, 8), paint::cutout(0.9)),
    fill(roundedRect(56, 56, 22, 22, 7), paint::primary),
    fill(ellipse(58, 24, 18, 18), paint::accent),
};

// A magnifying glass with a glint on its lens.
constexpr Element kFind[] = {
    fill(ellipse(27.5, 27.5, 31, 31), paint::soft),
    stroke(ellipse(24, 24, 38, 38), 7, paint::primary),
    stroke(path({ M(58, 58), L(74, 74) }), 10, paint::primary),
    stroke(path({ A(43, 43, 10, 195, 255) }), 3.2, paint::accent),
};

// An open book with lines on its left page and a ribbon on its right.
constexpr Element kRead[] = {
    fill(path({ M(48.5, 31), C(41, 26, 31, 25, 21, 27), L(21, 71), C(31, 69, 41, 70, 48.5, 75), Z() }),
        paint::primary),
    fill(path({ M(51.5, 31), C(59, 26, 69, 25, 79, 27), L(79, 71), C(69, 69, 59, 70, 51.5, 75), Z() }),
        paint::primary),
    stroke(
        path({ M(28, 39), L(42, 41), M(28, 48), L(42, 50), M(28, 57), L(42, 59) }), 2.8, paint::cutout(0.85)),
    fill(path({ M(61, 29), L(69, 28), L(69, 48), L(65, 44), L(61, 48), Z() }), paint::cutout(1)),
    fill(path({ M(62.5, 29), L(67.5, 28.5), L(67.5, 44.5), L(65, 42), L(62.5, 44.5), Z() }), paint::accent),
};

// The assistant: a central node with a spark cut out, three branches (one curved) to smaller nodes.
constexpr Element kMind[] = {
    stroke(path({ M(50, 50), L(30, 31), M(50, 50), L(72, 41), M(50, 50), C(50, 62, 40, 66, 32, 71) }), 3.5,
        paint::mid),
    fill(ellipse(37, 37, 26, 26), paint::primary),
    fill(path({ M(50, 41), L(52.4, 47.6), L(59, 50), L(52.4, 52.4), L(50, 59), L(47.6, 52.4), L(41, 50),
             L(47.6, 47.6), Z() }),
        paint::cutout(1)),
    fill(ellipse(22, 23, 14, 14), paint::primary),
    fill(ellipse(66, 34, 13, 13), paint::primary),
    fill(ellipse(24, 64, 14, 14), paint::accent),
};

// A grid of cells under a header row in the accent colour.
constexpr Element kSheet[] = {
    fill(roundedRect(23, 25, 54, 12, 5), paint::accent),
    fill(roundedRect(23, 39.5, 54, 35.5, 7), paint::primary),
    stroke(path({ M(41, 39), L(41, 76), M(59, 39), L(59, 76), M(22, 51.5), L(78, 51.5), M(22, 63.5),
               L(78, 63.5) }),
        2.6, paint::cutout(1)),
    stroke(path({ M(41, 24), L(41, 38), M(59, 24), L(59, 38) }), 2.6, paint::cutout(1)),
};

// A square note with its lower right corner turned up, and two lines.
constexpr Element kNote[] = {
    fill(path({ M(31, 24), L(69, 24), C(72.9, 24, 76, 27.1, 76, 31), L(76, 58), L(58, 76), L(31, 76),
             C(27.1, 76, 24, 72.9, 24, 69), L(24, 31), C(24, 27.1, 27.1, 24, 31, 24), Z() }),
        paint::primary),
    fill(path({ M(76, 58), L(61.5, 61.5), L(58, 76), Z() }), paint::directCutout(0.6, FlatStandIn::accent)),
    stroke(path({ M(33, 37), L(63, 37), M(33, 48), L(57, 48) }), 4, paint::cutout(0.9)),
};

// An envelope with its flap, and an unread badge at the top right.
constexpr Element kMail[] = {
    fill(roundedRect(21, 34, 56, 40, 7), paint::primary),
    stroke(path({ M(24, 37.5), L(49, 56), L(74, 37.5) }), 4.2, paint::cutout(1)),
    fill(ellipse(60, 20, 22, 22), paint::cutout(1)),
    fill(ellipse(63.5, 23.5, 15, 15), paint::accent),
};

// A calendar page with two binder rings and one accent day among the cut-out days.
constexpr Element kCalendar[] = {
    fill(roundedRect(23, 28, 54, 49, 8), paint::primary),
    fill(path({ M(30, 45), L(37, 45), L(37, 52), L(30, 52), Z(), M(41, 45), L(48, 45), L(48, 52), L(41, 52),
             Z(), M(52, 45), L(59, 45), L(59, 52), L(52, 52), Z(), M(63, 45), L(70, 45), L(70, 52), L(63, 52),
             Z() }),
        paint::cutout(0.9)),
    fill(path({ M(30, 57), L(37, 57), L(37, 64), L(30, 64), Z(), M(41, 57), L(48, 57), L(48, 64), L(41, 64),
             Z(), M(52, 57), L(59, 57), L(59, 64), L(52, 64), Z() }),
        paint::cutout(0.9)),
    fill(roundedRect(62, 56, 9, 9, 2.5), paint::cutout(1)),
    fill(roundedRect(62, 56, 9, 9, 2.5), paint::accent),
    fill(path({ M(31, 20), L(40, 20), L(40, 36), L(31, 36), Z(), M(60, 20), L(69, 20), L(69, 36), L(60, 36),
             Z() }),
        paint::cutout(1)),
    fill(roundedRect(33, 21.5, 5, 13, 2.5), paint::primary),
    fill(roundedRect(62, 21.5, 5, 13, 2.5), paint::primary),
};

// Two stacked sheets, the front one with lines of text.
constexpr Element kDocs[] = {
    fill(roundedRect(34, 21, 41, 51, 7), paint::mid),
    fill(roundedRect(22, 26, 47, 57, 10), paint::cutout(1)),
    fill(roundedRect(25, 29, 41, 51, 7), paint::primary),
    stroke(path({ M(33, 41), L(58, 41), M(33, 50), L(58, 50), M(33, 59), L(58, 59), M(33, 68), L(48, 68) }),
        3.2, paint::cutout(0.9)),
};

// A pencil across a square with two written lines.
constexpr Element kWriteSheet[] = {
    fill(roundedRect(23, 31, 46, 46, 10), paint::primary),
    stroke(path({ M(31, 59), L(47, 59), M(31, 68), L(58, 68) }), 3.5, paint::cutout(1)),
};
// The pencil along the group's +x axis, its point at x -36.
constexpr Element kWritePencil[] = {
    fill(roundedRect(-30, -8.5, 45, 17, 8.5), paint::cutout(1)),
    fill(roundedRect(-26, -5, 28, 10, 2), paint::primary),
    fill(roundedRect(4, -5, 7, 10, 2.5), paint::accent),
    fill(path({ M(-26, -5), L(-36, 0), L(-26, 5), Z() }), paint::primary),
};

// A screen on an easel showing a small bar chart, its last bar in the accent colour.
constexpr Element kSlide[] = {
    stroke(path({ M(41, 62), L(33, 77), M(59, 62), L(67, 77), M(50, 62), L(50, 75) }), 3.6, paint::mid),
    fill(roundedRect(21, 21, 58, 43, 6), paint::primary),
    fill(path({ M(31, 55), L(31, 43), L(38, 43), L(38, 55), Z(), M(42, 55), L(42, 32), L(49, 32), L(49, 55),
             Z(), M(53, 55), L(53, 39), L(60, 39), L(60, 55), Z(), M(64, 55), L(64, 29), L(71, 29), L(71, 55),
             Z() }),
        paint::cutout(1)),
    fill(path({ M(64, 55), L(64, 29), L(71, 29), L(71, 55), Z() }), paint::accent),
};

// A clipboard with its clip and two lines.
constexpr Element kClip[] = {
    fill(roundedRect(25, 25, 50, 54, 8), paint::primary),
    fill(roundedRect(35, 18, 30, 16, 6), paint::directCutout(1, FlatStandIn::pale)),
    fill(roundedRect(38.5, 21, 23, 10, 4), paint::accent),
    stroke(
        path({ M(34, 47), L(66, 47), M(34, 58), L(66, 58), M(34, 69), L(52, 69) }), 3.4, paint::cutout(0.9)),
};

// A keyboard: rows of key cut-outs, one key in the accent colour, and a space bar.
constexpr Element kType[] = {
    fill(roundedRect(19, 31, 62, 38, 8), paint::primary),
    fill(path({ M(27, 38), L(33, 38), L(33, 44), L(27, 44), Z(), M(37.5, 38), L(43.5, 38), L(43.5, 44),
             L(37.5, 44), Z(), M(48, 38), L(54, 38), L(54, 44), L(48, 44), Z(), M(58.5, 38), L(64.5, 38),
             L(64.5, 44), L(58.5, 44), Z(), M(67, 38), L(73, 38), L(73, 44), L(67, 44), Z() }),
        paint::cutout(1)),
    fill(path({ M(32, 48), L(38, 48), L(38, 54), L(32, 54), Z(), M(42.5, 48), L(48.5, 48), L(48.5, 54),
             L(42.5, 54), Z(), M(53, 48), L(59, 48), L(59, 54), L(53, 54), Z() }),
        paint::cutout(1)),
    fill(roundedRect(63, 48, 6, 6, 1.5), paint::cutout(1)),
    fill(roundedRect(63, 48, 6, 6, 1.5), paint::accent),
    fill(roundedRect(33, 58, 34, 5, 2.5), paint::cutout(1)),
};

// Two overlapping speech bubbles, the front one with text lines.
constexpr Element kTranslate[] = {
    fill(roundedRect(42, 22, 36, 28, 9), paint::mid),
    fill(path({ M(63, 48), L(71, 58), L(55, 49), Z() }), paint::mid),
    stroke(path({ M(52, 31), L(68, 31), M(56, 39), L(64, 39) }), 3, paint::accent),
    fill(roundedRect(18.5, 34.5, 43, 34, 11.5), paint::cutout(1)),
    fill(roundedRect(22, 38, 36, 27, 8), paint::primary),
    fill(path({ M(29, 62), L(27, 74), L(40, 63), Z() }), paint::primary),
    stroke(path({ M(30.5, 48), L(49.5, 48), M(30.5, 56), L(43, 56) }), 3.2, paint::cutout(1)),
};

// A page with a folded corner and an accent label tab standing out at its left edge.
constexpr Element kPDF[] = {
    fill(path({ M(36, 21), L(58, 21), L(74, 37), L(74, 73), C(74, 76.3, 71.3, 79, 68, 79), L(36, 79),
             C(32.7, 79, 30, 76.3, 30, 73), L(30, 27), C(30, 23.7, 32.7, 21, 36, 21), Z() }),
        paint::primary),
    fill(path({ M(58, 21), L(58, 32), C(58, 34.8, 60.2, 37, 63, 37), L(74, 37), Z() }), paint::cutout(0.55)),
    fill(roundedRect(18, 44, 43, 21, 5.5), paint::cutout(1)),
    fill(roundedRect(21, 47, 37, 15, 3.5), paint::accent),
    stroke(path({ M(28, 54.5), L(33, 54.5), M(38, 54.5), L(43, 54.5), M(48, 54.5), L(51, 54.5) }), 3,
        paint::cutout(1)),
    stroke(path({ M(38, 30), L(51, 30), M(38, 72), L(66, 72) }), 3.2, paint::cutout(0.85)),
};

// Four viewfinder corners round a page and an accent scan line.
constexpr Element kScan[] = {
    fill(roundedRect(32, 31, 36, 38, 5), paint::soft),
    stroke(path({ M(24, 37), L(24, 24), L(37, 24), M(63, 24), L(76, 24), L(76, 37), M(76, 63), L(76, 76),
               L(63, 76), M(37, 76), L(24, 76), L(24, 63) }),
        5, paint::primary),
    fill(roundedRect(32, 43, 36, 7, 2), paint::accentAlpha(0.3)),
    stroke(path({ M(27, 50), L(73, 50) }), 4, paint::accent),
};

// A board of three columns with cards of different heights.
constexpr Element kBoard[] = {
    fill(roundedRect(19, 21, 62, 58, 9), paint::soft),
    fill(roundedRect(24, 26, 15, 16, 4), paint::primary),
    fill(roundedRect(24, 46, 15, 13, 4), paint::primary),
    fill(roundedRect(42.5, 26, 15, 26, 4), paint::accent),
    fill(roundedRect(61, 26, 15, 12, 4), paint::primary),
    fill(roundedRect(61, 42, 15, 19, 4), paint::mid),
    fill(roundedRect(42.5, 56, 15, 17, 4), paint::mid),
};

// A progress arc three quarters round its track, about a tick.
constexpr Element kHabit[] = {
    stroke(ellipse(25, 25, 50, 50), 7, paint::stroke),
    stroke(path({ A(50, 50, 25, -90, 180) }), 7, paint::primary),
    stroke(path({ M(39, 50.5), L(47, 58.5), L(61.5, 42.5) }), 5.5, paint::accent),
};

// A pie chart with its accent wedge pulled out towards the upper right.
constexpr Element kBudget[] = {
    fill(path({ M(49, 53), A(49, 53, 25, -30, 270), Z() }), paint::primary),
    stroke(path({ M(44.66, 77.62), L(49, 53), L(25.51, 44.45) }), 2.8, paint::cutout(1)),
    fill(path({ M(53, 49), A(53, 49, 25, -90, -30), Z() }), paint::accent),
};

// A receipt with a zigzag lower edge, lines of items and a total bar.
constexpr Element kInvoice[] = {
    fill(path({ M(34, 21), L(66, 21), C(69.3, 21, 72, 23.7, 72, 27), L(72, 78), L(67.6, 74), L(63.2, 78),
             L(58.8, 74), L(54.4, 78), L(50, 74), L(45.6, 78), L(41.2, 74), L(36.8, 78), L(32.4, 74),
             L(28, 78), L(28, 27), C(28, 23.7, 30.7, 21, 34, 21), Z() }),
        paint::primary),
    stroke(
        path({ M(35, 31), L(57, 31), M(35, 40), L(65, 40), M(35, 49), L(52, 49) }), 3, paint::cutout(0.85)),
    fill(roundedRect(35, 57, 30, 8, 3), paint::cutout(1)),
    fill(roundedRect(46, 57, 19, 8, 3), paint::accent),
};

// An address card with a head and shoulders and three lines.
constexpr Element kContact[] = {
    fill(roundedRect(19, 27, 62, 46, 8), paint::primary),
    fill(ellipse(29, 35, 15, 15), paint::cutout(1)),
    fill(path({ M(25, 66), C(25, 55.5, 48, 55.5, 48, 66), Z() }), paint::cutout(1)),
    stroke(
        path({ M(55, 41), L(72, 41), M(55, 50), L(72, 50), M(55, 59), L(66, 59) }), 3.2, paint::cutout(0.8)),
};

// A mortarboard with its tassel.
constexpr Element kLearn[] = {
    fill(path({ M(33, 49), L(33, 62), C(33, 69, 67, 69, 67, 62), L(67, 49), L(50, 56.5), Z() }), paint::mid),
    fill(path({ M(50, 29), L(80, 42), L(50, 55), L(20, 42), Z() }), paint::primary),
    stroke(path({ M(50, 42), L(73, 47.5), L(73, 63) }), 2.6, paint::accent),
    fill(ellipse(69.5, 61, 7, 10), paint::accent),
    fill(ellipse(46, 38.5, 8, 7), paint::cutout(0.9)),
};

// Angle brackets round a slash.
constexpr Element kCode[] = {
    stroke(path({ M(36, 33), L(22, 50), L(36, 67) }), 6.5, paint::primary),
    stroke(path({ M(64, 33), L(78, 50), L(64, 67) }), 6.5, paint::primary),
    stroke(path({ M(55.5, 27), L(44.5, 73) }), 6, paint::accent),
};

// Books of different heights on a shelf, the last one leaning on its neighbour.
constexpr Element kShelf[] = {
    fill(roundedRect(19, 70, 62, 6, 3), paint::primary),
    fill(roundedRect(24, 32, 11, 37, 2.5), paint::primary),
    fill(roundedRect(37, 24, 12, 45, 2.5), paint::mid),
    stroke(path({ M(40, 32), L(46, 32), M(40, 60), L(46, 60) }), 2.6, paint::primary),
    fill(roundedRect(51, 36, 9, 33, 2.5), paint::primary),
    fill(ellipse(53, 57, 5, 5), paint::cutout(0.9)),
    fill(path({ M(71, 69), L(79.46, 65.92), L(68.52, 35.84), L(60.06, 38.92), Z() }), paint::accent),
};

// A brush and the curved stroke it has painted.
constexpr Element kDraw[] = {
    stroke(path({ M(23.5, 64), C(27, 77, 43, 78, 50, 68) }), 6, paint::accent),
    stroke(path({ M(76, 24), L(58, 44) }), 7, paint::primary),
    stroke(path({ M(57, 45), L(53.5, 49) }), 9, paint::mid),
    fill(path({ M(48, 46.5), L(54.5, 53), C(50.5, 60, 45, 63.5, 38, 64), C(39, 57, 42, 51, 48, 46.5), Z() }),
        paint::primary),
};

// A bookmark ribbon with a notch at its foot and a star.
constexpr Element kMark[] = {
    fill(path({ M(33, 28), A(39, 28, 6, 180, 270), L(61, 22), A(61, 28, 6, 270, 360), L(67, 78), L(50, 65),
             L(33, 78), Z() }),
        paint::primary),
    fill(path({ M(50, 30), L(53.2, 37.3), L(61, 38), L(55.1, 43.2), L(56.8, 51), L(50, 47), L(43.2, 51),
             L(44.9, 43.2), L(39, 38), L(46.8, 37.3), Z() }),
        paint::cutout(1)),
    fill(path({ M(50, 33.5), L(52.3, 38.8), L(57.8, 39.3), L(53.6, 43), L(54.9, 48.5), L(50, 45.6),
             L(45.1, 48.5), L(46.4, 43), L(42.2, 39.3), L(47.7, 38.8), Z() }),
        paint::accent),
};

// Scissors, blades crossing at an accent pivot.
constexpr Element kSnip[] = {
    stroke(ellipse(22, 60, 16, 16), 5, paint::primary),
    stroke(ellipse(62, 60, 16, 16), 5, paint::primary),
    stroke(path({ M(35, 62), L(63, 22) }), 6, paint::primary),
    stroke(path({ M(65, 62), L(37, 22) }), 6, paint::mid),
    fill(ellipse(45, 36.5, 10, 10), paint::cutout(1)),
    fill(ellipse(47.5, 39, 5, 5), paint::accent),
};

// Three bullets with bars, the first bullet in the accent colour.
constexpr Element kList[] = {
    fill(ellipse(21, 25, 11, 11), paint::accent),
    fill(roundedRect(38, 26.5, 41, 8, 4), paint::primary),
    fill(ellipse(21, 44.5, 11, 11), paint::primary),
    fill(roundedRect(38, 46, 41, 8, 4), paint::primary),
    fill(ellipse(21, 64, 11, 11), paint::primary),
    fill(roundedRect(38, 65.5, 30, 8, 4), paint::mid),
};

void drawZunoFocus(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kFocus);
}

void drawZunoTask(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kTask);
}

void drawZunoFlow(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kFlow);
}

void drawZunoFind(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kFind);
}

void drawZunoRead(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kRead);
}

void drawZunoMind(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kMind);
}

void drawZunoSheet(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kSheet);
}

void drawZunoNote(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kNote);
}

void drawZunoMail(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kMail);
}

void drawZunoCalendar(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kCalendar);
}

void drawZunoDocs(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kDocs);
}

void drawZunoWrite(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kWriteSheet);
    // The pencil lies on the diagonal, its end at the upper right and its point on the square.
    painter.save();
    painter.translate(67, 33);
    painter.rotate(-45);
    draw(painter, tone, kWritePencil);
    painter.restore();
}

void drawZunoSlide(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kSlide);
}

void drawZunoClip(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kClip);
}

void drawZunoType(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kType);
}

void drawZunoTranslate(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kTranslate);
}

void drawZunoPDF(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kPDF);
}

void drawZunoScan(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kScan);
}

void drawZunoBoard(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kBoard);
}

void drawZunoHabit(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kHabit);
}

// A clock: a ring, twelve ticks (the quarters longer and stronger), two hands and a centre dot.
void drawZunoTime(QPainter &painter, const ZunoEmblemTone &tone)
{
    const QPointF centre(50, 50);
    ZunoFlatDraw::strokeEllipse(painter, QRectF(24, 24, 52, 52), tone.primary(), 5);
    for (int hour = 0; hour < 12; ++hour) {
        const bool quarter = hour % 3 == 0;
        QPainterPath tick;
        tick.moveTo(ZunoFlatDraw::polar(centre, quarter ? 15 : 17, 30.0 * hour));
        tick.lineTo(ZunoFlatDraw::polar(centre, 20, 30.0 * hour));
        ZunoFlatDraw::strokePath(painter, tick, quarter ? tone.primary() : tone.mid(), quarter ? 3 : 2);
    }
    draw(painter, tone, stroke(path({ M(50, 50), L(50, 35) }), 4.5, paint::primary));
    draw(painter, tone, stroke(path({ M(50, 50), L(61, 56.5) }), 3.5, paint::accent));
    draw(painter, tone, fill(ellipse(46.5, 46.5, 7, 7), paint::primary));
}

void drawZunoBudget(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kBudget);
}

void drawZunoInvoice(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kInvoice);
}

void drawZunoContact(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kContact);
}

void drawZunoLearn(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kLearn);
}

void drawZunoCode(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kCode);
}

void drawZunoShelf(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kShelf);
}

void drawZunoDraw(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kDraw);
}

void drawZunoMark(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kMark);
}

void drawZunoSnip(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kSnip);
}

void drawZunoList(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kList);
}

using Routine = void (*)(QPainter &, const ZunoEmblemTone &);

// One routine per case, in case order.
constexpr Routine kRoutines[] = { drawZunoFocus, drawZunoTask, drawZunoFlow, drawZunoFind, drawZunoRead,
    drawZunoMind, drawZunoSheet, drawZunoNote, drawZunoMail, drawZunoCalendar, drawZunoDocs, drawZunoWrite,
    drawZunoSlide, drawZunoClip, drawZunoType, drawZunoTranslate, drawZunoPDF, drawZunoScan, drawZunoBoard,
    drawZunoHabit, drawZunoTime, drawZunoBudget, drawZunoInvoice, drawZunoContact, drawZunoLearn,
    drawZunoCode, drawZunoShelf, drawZunoDraw, drawZunoMark, drawZunoSnip, drawZunoList };

constexpr int kFirst = indexOf(ZunoAppIdentity::zunoFocus);
constexpr int kLast = indexOf(ZunoAppIdentity::zunoList);
static_assert(std::size(kRoutines) == kLast - kFirst + 1, "every productivity case has its routine");

} // namespace

namespace ZunoEmblemArtworkProductivity {

bool draw(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone)
{
    const int index = indexOf(app);
    if (index < kFirst || index > kLast)
        return false;
    kRoutines[index - kFirst](painter, tone);
    return true;
}

} // namespace ZunoEmblemArtworkProductivity

#include "ZunoEmblemArtworkSystemNet.h"

#include "ZunoEmblemElement.h"
#include "ZunoFlatDraw.h"

#include <QPainter>

#include <iterator>

namespace {

using namespace ZunoEmblemElement;

// A stop octagon with an X cut out, inside a faint inner outline.
constexpr Element kKill[] = {
    fill(
        path({ M(39, 22), L(61, 22), L(78, 39), L(78, 61), L(61, 78), L(39, 78), L(22, 61), L(22, 39), Z() }),
        paint::primary),
    stroke(path({ M(41.3, 27.5), L(58.7, 27.5), L(72.5, 41.3), L(72.5, 58.7), L(58.7, 72.5), L(41.3, 72.5),
               L(27.5, 58.7), L(27.5, 41.3), Z() }),
        2, paint::cutout(0.6)),
    stroke(path({ M(40, 40), L(60, 60), M(60, 40), L(40, 60) }), 6.5, paint::cutout(1)),
};

// A memory chip: pins on two sides, a notch at the top and the die in the accent colour.
constexpr Element kRAM[] = {
    stroke(path({ M(21, 33), L(29, 33), M(21, 42), L(29, 42), M(21, 51), L(29, 51), M(21, 60), L(29, 60),
               M(21, 69), L(29, 69), M(71, 33), L(79, 33), M(71, 42), L(79, 42), M(71, 51), L(79, 51),
               M(71, 60), L(79, 60), M(71, 69), L(79, 69) }),
        3.5, paint::mid),
    fill(roundedRect(28, 24, 44, 54, 6), paint::primary),
    fill(ellipse(46, 20, 8, 8), paint::cutout(1)),
    fill(roundedRect(37, 36, 26, 32, 3), paint::cutout(1)),
    fill(roundedRect(40.5, 39.5, 19, 25, 2), paint::accent),
};

// A lightning bolt over a faint disc, with two sparks.
constexpr Element kVolt[] = {
    fill(ellipse(22, 22, 56, 56), paint::soft),
    fill(path({ M(57, 19), L(29, 55), L(48, 55), L(43, 81), L(71, 44), L(52, 44), Z() }), paint::primary),
    stroke(
        path({ M(57, 19), L(29, 55), L(48, 55), L(43, 81), L(71, 44), L(52, 44), Z() }), 2.5, paint::primary),
    fill(ellipse(66, 24, 7, 7), paint::accent),
    fill(ellipse(27, 67, 6, 6), paint::accent),
};

// An onion: nested curved layers round an accent core.
constexpr Element kTor[] = {
    fill(path({ M(50, 20), C(52, 28, 76, 38, 76, 56), C(76, 70, 64, 80, 50, 80), C(36, 80, 24, 70, 24, 56),
             C(24, 38, 48, 28, 50, 20), Z() }),
        paint::primary),
    stroke(path({ M(50, 31), C(51, 39, 66, 46, 66, 58), C(66, 67, 59, 73, 50, 73), C(41, 73, 34, 67, 34, 58),
               C(34, 46, 49, 39, 50, 31), Z() }),
        2.6, paint::cutout(1)),
    stroke(path({ M(50, 43), C(51, 48, 58, 52, 58, 60), C(58, 64.5, 54.5, 67, 50, 67),
               C(45.5, 67, 42, 64.5, 42, 60), C(42, 52, 49, 48, 50, 43), Z() }),
        2.6, paint::cutout(1)),
    fill(ellipse(45.5, 54, 9, 10), paint::cutout(1)),
    fill(ellipse(47, 55.5, 6, 7), paint::accent),
};

// A globe (ring, meridian and three parallels) with an accent lookup node at its lower right.
constexpr Element kDNS[] = {
    stroke(ellipse(23, 23, 50, 50), 5, paint::primary),
    stroke(ellipse(36.5, 23, 23, 50), 3.2, paint::mid),
    stroke(path({ M(23, 48), L(73, 48), M(27, 35), L(69, 35), M(27, 61), L(69, 61) }), 3, paint::mid),
    fill(ellipse(57, 57, 24, 24), paint::cutout(1)),
    fill(ellipse(61, 61, 16, 16), paint::accent),
    fill(ellipse(66, 66, 6, 6), paint::cutout(1)),
};

// A database: a cylinder of stacked discs with an accent top face.
constexpr Element kDB[] = {
    fill(path({ M(24, 30), L(24, 70), C(24, 80.7, 76, 80.7, 76, 70), L(76, 30), Z() }), paint::primary),
    fill(ellipse(24, 22, 52, 16), paint::primary),
    fill(ellipse(27, 24.5, 46, 11), paint::cutout(1)),
    fill(ellipse(29.5, 26, 41, 8), paint::accent),
    stroke(path({ M(24, 45), C(24, 55, 76, 55, 76, 45), M(24, 58), C(24, 68, 76, 68, 76, 58) }), 2.6,
        paint::cutout(1)),
};

// Two stacked server units with accent status lights and vents.
constexpr Element kServe[] = {
    stroke(path({ M(50, 45), L(50, 55) }), 3, paint::mid),
    fill(roundedRect(20, 24, 60, 22, 6), paint::primary),
    fill(roundedRect(20, 54, 60, 22, 6), paint::primary),
    fill(path({ M(36.5, 35), A(32, 35, 4.5, 0, 360), Z(), M(36.5, 65), A(32, 65, 4.5, 0, 360), Z() }),
        paint::cutout(1)),
    fill(path({ M(35, 35), A(32, 35, 3, 0, 360), Z(), M(35, 65), A(32, 65, 3, 0, 360), Z() }), paint::accent),
    stroke(path({ M(48, 35), L(71, 35), M(48, 65), L(71, 65) }), 3.5, paint::cutout(0.85)),
};

// A browser window with its three dots and an accent pointer arrow.
constexpr Element kAgentBrowser[] = {
    fill(roundedRect(19, 23, 58, 48, 8), paint::primary),
    stroke(path({ M(19, 35), L(77, 35) }), 2.6, paint::cutout(1)),
    fill(path({ M(29.2, 29), A(27, 29, 2.2, 0, 360), Z(), M(36.2, 29), A(34, 29, 2.2, 0, 360), Z(),
             M(43.2, 29), A(41, 29, 2.2, 0, 360), Z() }),
        paint::cutout(1)),
    stroke(path({ M(55, 46), L(55, 72), L(61.5, 66), L(66, 75.5), L(70, 73.5), L(65.5, 64.5), L(74, 63.5),
               Z() }),
        5, paint::cutout(1)),
    fill(path({ M(55, 46), L(55, 72), L(61.5, 66), L(66, 75.5), L(70, 73.5), L(65.5, 64.5), L(74, 63.5),
             Z() }),
        paint::accent),
};

// Stacked shipping containers with vertical ribs.
constexpr Element kContainer[] = {
    fill(roundedRect(30, 20, 40, 14, 3), paint::mid),
    fill(roundedRect(18, 37, 64, 40, 4), paint::primary),
    stroke(path({ M(28, 43), L(28, 71), M(37, 43), L(37, 71), M(46, 43), L(46, 71), M(55, 43), L(55, 71),
               M(64, 43), L(64, 71), M(73, 43), L(73, 71) }),
        3, paint::cutout(0.8)),
    stroke(path({ M(40, 24), L(40, 30), M(50, 24), L(50, 30), M(60, 24), L(60, 30) }), 2.4, paint::primary),
};

// Version control: a line of commits with one curved branch to an accent node.
constexpr Element kGit[] = {
    stroke(path({ M(36, 26), L(36, 74) }), 4.5, paint::primary),
    stroke(path({ M(64, 34), C(64, 52, 36, 48, 36, 62) }), 4.5, paint::mid),
    fill(
        path({ M(43, 26), A(36, 26, 7, 0, 360), Z(), M(43, 74), A(36, 74, 7, 0, 360), Z() }), paint::primary),
    fill(ellipse(57, 27, 14, 14), paint::accent),
    fill(path({ M(39, 26), A(36, 26, 3, 0, 360), Z(), M(39, 74), A(36, 74, 3, 0, 360), Z(), M(67, 34),
             A(64, 34, 3, 0, 360), Z() }),
        paint::cutout(1)),
};

// A disk platter with a track, an accent spindle and a reading arm on its pivot.
constexpr Element kDisk[] = {
    fill(ellipse(22, 22, 50, 50), paint::primary),
    stroke(ellipse(31, 31, 32, 32), 1.8, paint::cutout(0.5)),
    fill(ellipse(41.5, 41.5, 11, 11), paint::cutout(1)),
    fill(ellipse(44.5, 44.5, 5, 5), paint::accent),
    stroke(path({ M(72, 72), L(56, 54) }), 9, paint::cutout(1)),
    stroke(path({ M(72, 72), L(56, 54) }), 4, paint::primary),
    fill(ellipse(67, 67, 10, 10), paint::primary),
};

// A phone with its notch, home bar and an accent message on its screen.
constexpr Element kPhone[] = {
    fill(roundedRect(33, 19, 34, 62, 8), paint::primary),
    fill(roundedRect(36.5, 27, 27, 44, 3), paint::cutout(0.6)),
    fill(roundedRect(44, 21.8, 12, 3.4, 1.7), paint::cutout(1)),
    fill(roundedRect(44, 74.6, 12, 2.6, 1.3), paint::cutout(1)),
    fill(roundedRect(40, 42, 20, 12, 4), paint::accent),
};

// A lifebuoy: a ring with four bands.
constexpr Element kRescue[] = {
    fill(ellipse(23, 23, 54, 54), paint::primary),
    fill(ellipse(36, 36, 28, 28), paint::cutout(1)),
    stroke(path({ A(50, 50, 20.5, 33, 57) }), 9, paint::onPrimaryAccent),
    stroke(path({ A(50, 50, 20.5, 123, 147) }), 9, paint::onPrimaryAccent),
    stroke(path({ A(50, 50, 20.5, 213, 237) }), 9, paint::onPrimaryAccent),
    stroke(path({ A(50, 50, 20.5, 303, 327) }), 9, paint::onPrimaryAccent),
};

// An arrow turning back round a clock's hands.
constexpr Element kBackup[] = {
    fill(ellipse(31, 31, 38, 38), paint::soft),
    stroke(path({ A(50, 50, 24, 200, 480) }), 5.5, paint::primary),
    fill(path({ M(25.7, 46.5), L(33.8, 42), L(22.5, 37.9), Z() }), paint::primary),
    stroke(path({ M(50, 37), L(50, 50), L(59, 56) }), 4.5, paint::accent),
};

// A heartbeat line across a rounded square.
constexpr Element kPulse[] = {
    fill(roundedRect(21, 21, 58, 58, 14), paint::primary),
    stroke(path({ M(20, 52), L(35, 52), L(42, 37), L(50, 66), L(57, 44), L(61, 52), L(80, 52) }), 5,
        paint::cutout(1)),
    stroke(path({ M(35, 52), L(42, 37), L(50, 66), L(57, 44), L(61, 52) }), 2, paint::accent),
};

// Three four-pointed sparkles of the cleaner.
constexpr Element kClean[] = {
    fill(path({ M(42, 34), C(46, 52, 46, 52, 64, 56), C(46, 60, 46, 60, 42, 78), C(38, 60, 38, 60, 20, 56),
             C(38, 52, 38, 52, 42, 34), Z() }),
        paint::primary),
    fill(path({ M(66, 21), C(68.5, 30.5, 68.5, 30.5, 78, 33), C(68.5, 35.5, 68.5, 35.5, 66, 45),
             C(63.5, 35.5, 63.5, 35.5, 54, 33), C(63.5, 30.5, 63.5, 30.5, 66, 21), Z() }),
        paint::accent),
    fill(path({ M(30, 19), C(31.3, 24.7, 31.3, 24.7, 37, 26), C(31.3, 27.3, 31.3, 27.3, 30, 33),
             C(28.7, 27.3, 28.7, 27.3, 23, 26), C(28.7, 24.7, 28.7, 24.7, 30, 19), Z() }),
        paint::mid),
    fill(ellipse(39.5, 53.5, 5, 5), paint::cutout(0.8)),
};

// A network socket with its notch, accent contacts and a status light.
constexpr Element kPort[] = {
    fill(roundedRect(22, 22, 56, 56, 10), paint::primary),
    fill(
        path({ M(31, 38), L(69, 38), L(69, 64), L(59, 64), L(59, 70), L(41, 70), L(41, 64), L(31, 64), Z() }),
        paint::cutout(1)),
    stroke(path({ M(38, 42), L(38, 50), M(44, 42), L(44, 50), M(50, 42), L(50, 50), M(56, 42), L(56, 50),
               M(62, 42), L(62, 50) }),
        2.4, paint::accent),
    fill(ellipse(62, 25.5, 9, 9), paint::cutout(1)),
    fill(ellipse(64, 27.5, 5, 5), paint::accent),
};

// A terminal window with a prompt chevron and an underscore.
constexpr Element kShell[] = {
    fill(roundedRect(21, 26, 58, 48, 9), paint::primary),
    stroke(path({ M(32, 40), L(42, 49), L(32, 58) }), 5.5, paint::cutout(1)),
    fill(roundedRect(47, 54.5, 19, 5.5, 2.75), paint::onPrimaryAccent),
};

// Two arc arrows chasing each other round the centre.
constexpr Element kSync[] = {
    stroke(path({ A(50, 50, 22, 200, 330) }), 5.5, paint::primary),
    fill(path({ M(71.6, 43.3), L(73.7, 34), L(62.4, 40.5), Z() }), paint::primary),
    stroke(path({ A(50, 50, 22, 20, 150) }), 5.5, paint::accent),
    fill(path({ M(28.4, 56.7), L(26.3, 66), L(37.6, 59.5), Z() }), paint::accent),
};

// Wi-Fi: three arcs over a dot.
constexpr Element kWiFi[] = {
    stroke(path({ A(50, 68, 36, 225, 315) }), 6, paint::mid),
    stroke(path({ A(50, 68, 24, 225, 315) }), 6, paint::primary),
    stroke(path({ A(50, 68, 12, 225, 315) }), 6, paint::primary),
    fill(ellipse(45, 63, 10, 10), paint::accent),
};

// A thermometer with its accent column and a scale.
constexpr Element kTemp[] = {
    fill(roundedRect(39, 18, 16, 48, 8), paint::primary),
    fill(ellipse(34, 52, 26, 26), paint::primary),
    fill(roundedRect(44, 25, 6, 36, 3), paint::cutout(1)),
    fill(ellipse(39.5, 57.5, 15, 15), paint::cutout(1)),
    fill(roundedRect(44.5, 40, 5, 24, 2.5), paint::accent),
    fill(ellipse(41, 59, 12, 12), paint::accent),
    stroke(path({ M(59, 30), L(65, 30), M(59, 38), L(63, 38), M(59, 46), L(65, 46) }), 2.6, paint::mid),
};

// A fan: three curved blades round a hub inside a ring.
constexpr Element kFan[] = {
    stroke(ellipse(23, 23, 54, 54), 3, paint::stroke),
    fill(path({ M(50, 44), C(44, 30, 54, 20, 64, 24), C(70, 27, 66, 38, 56, 46), Z() }), paint::primary),
    fill(path({ M(55.2, 53), C(70.32, 54.8, 73.98, 68.46, 65.52, 75.12),
             C(59.92, 78.82, 52.39, 69.86, 50.46, 57.2), Z() }),
        paint::primary),
    fill(path({ M(44.8, 53), C(35.68, 65.2, 22.02, 61.54, 20.48, 50.88),
             C(20.08, 44.18, 31.61, 42.14, 43.54, 46.8), Z() }),
        paint::primary),
    fill(ellipse(40, 40, 20, 20), paint::cutout(1)),
    fill(ellipse(43, 43, 14, 14), paint::primary),
    fill(ellipse(47, 47, 6, 6), paint::onPrimaryAccent),
};

// A disc with an upward arrow cut out, and an accent progress arc round it.
constexpr Element kUpdate[] = {
    fill(ellipse(24, 24, 52, 52), paint::primary),
    stroke(path({ M(50, 64), L(50, 37), M(39, 47), L(50, 36), L(61, 47) }), 6, paint::cutout(1)),
    stroke(path({ A(50, 50, 30, -90, 60) }), 3, paint::accent),
};

// A log scroll: lines, each with an accent time dot.
constexpr Element kLog[] = {
    fill(roundedRect(28, 24, 44, 52, 4), paint::primary),
    fill(roundedRect(22, 19, 56, 9, 4.5), paint::mid),
    fill(roundedRect(22, 72, 56, 9, 4.5), paint::mid),
    stroke(
        path({ M(44, 38), L(64, 38), M(44, 50), L(64, 50), M(44, 62), L(59, 62) }), 3, paint::cutout(0.85)),
    fill(path({ M(38.5, 38), A(35, 38, 3.5, 0, 360), Z(), M(38.5, 50), A(35, 50, 3.5, 0, 360), Z(),
             M(38.5, 62), A(35, 62, 3.5, 0, 360), Z() }),
        paint::cutout(1)),
    fill(path({ M(37.5, 38), A(35, 38, 2.5, 0, 360), Z(), M(37.5, 50), A(35, 50, 2.5, 0, 360), Z(),
             M(37.5, 62), A(35, 62, 2.5, 0, 360), Z() }),
        paint::accent),
};

// The maker's hub: a bold "Q", its tail in the accent colour.
constexpr Element kQuarnwell[] = {
    fill(ellipse(22, 20, 56, 56), paint::primary),
    fill(ellipse(35, 33, 30, 30), paint::cutout(1)),
    stroke(path({ M(56, 56), L(73, 73) }), 11, paint::cutout(1)),
    stroke(path({ M(57, 57), L(72, 72) }), 6, paint::accent),
};

// The maker's former hub: a "D", a half capsule with its counter cut out and an accent dot.
constexpr Element kDezevevezu[] = {
    fill(path({ M(26, 22), L(50, 22), A(50, 50, 28, 270, 450), L(26, 78), Z() }), paint::primary),
    fill(path({ M(38, 34), L(50, 34), A(50, 50, 16, 270, 450), L(38, 66), Z() }), paint::cutout(1)),
    fill(ellipse(45, 45, 10, 10), paint::accent),
};

// A map folded in three panels with an accent pin.
constexpr Element kAtlas[] = {
    fill(path({ M(22, 28), L(38, 22), L(38, 72), L(22, 78), Z() }), paint::primary),
    fill(path({ M(38, 22), L(62, 28), L(62, 78), L(38, 72), Z() }), paint::mid),
    fill(path({ M(62, 28), L(78, 22), L(78, 72), L(62, 78), Z() }), paint::primary),
    stroke(path({ M(50, 62), C(45, 55, 40, 50, 40, 44), C(40, 38.5, 44.5, 34, 50, 34),
               C(55.5, 34, 60, 38.5, 60, 44), C(60, 50, 55, 55, 50, 62), Z() }),
        5, paint::cutout(1)),
    fill(path({ M(50, 62), C(45, 55, 40, 50, 40, 44), C(40, 38.5, 44.5, 34, 50, 34),
             C(55.5, 34, 60, 38.5, 60, 44), C(60, 50, 55, 55, 50, 62), Z() }),
        paint::accent),
    fill(ellipse(46.5, 40.5, 7, 7), paint::cutout(1)),
};

// A lighthouse sending two light rays from its accent lamp.
constexpr Element kBeacon[] = {
    fill(path({ M(43, 31), L(20, 24), L(20, 38), Z(), M(57, 31), L(80, 24), L(80, 38), Z() }),
        paint::accentAlpha(0.4f)),
    fill(path({ M(40, 29), L(50, 21), L(60, 29), Z() }), paint::primary),
    fill(roundedRect(43, 28, 14, 10, 2), paint::accent),
    fill(path({ M(42, 38), L(58, 38), L(62, 76), L(38, 76), Z() }), paint::primary),
    stroke(path({ M(41, 50), L(59, 50), M(40, 62), L(60, 62) }), 4, paint::cutout(0.9)),
    fill(roundedRect(32, 75, 36, 5, 2.5), paint::mid),
};

// An anchor: ring, stock, shank and arms with accent flukes.
constexpr Element kHarbor[] = {
    stroke(ellipse(44, 20, 12, 12), 4, paint::primary),
    stroke(path({ M(50, 32), L(50, 76) }), 5.5, paint::primary),
    stroke(path({ M(38, 40), L(62, 40) }), 5, paint::primary),
    stroke(path({ A(50, 52, 24, 20, 160) }), 5.5, paint::primary),
    fill(path({ M(25.7, 55.5), L(32.5, 59.4), L(23.1, 62.9), Z(), M(74.3, 55.5), L(76.9, 62.9), L(67.5, 59.4),
             Z() }),
        paint::accent),
};

void drawZunoKill(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kKill);
}

void drawZunoRAM(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kRAM);
}

void drawZunoVolt(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kVolt);
}

void drawZunoTor(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kTor);
}

void drawZunoDNS(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kDNS);
}

void drawZunoDB(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kDB);
}

void drawZunoServe(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kServe);
}

void drawZunoAgentBrowser(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kAgentBrowser);
}

void drawZunoContainer(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kContainer);
}

void drawZunoGit(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kGit);
}

void drawZunoDisk(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kDisk);
}

// The shared display frame filled by two stacked machines, each with a light cut out.
void drawZunoVM(QPainter &painter, const ZunoEmblemTone &tone)
{
    static constexpr Element kStack[] = {
        fill(roundedRect(27, 30.5, 46, 13, 3.5), paint::primary),
        fill(roundedRect(27, 46, 46, 13, 3.5), paint::accent),
        fill(ellipse(31.5, 34.5, 5, 5), paint::cutout(1)),
        fill(ellipse(31.5, 50, 5, 5), paint::cutout(1)),
    };
    ZunoFlatDraw::displayFrame(painter, tone);
    draw(painter, tone, kStack);
}

void drawZunoPhone(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kPhone);
}

void drawZunoRescue(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kRescue);
}

// The shared split shield with a tunnel bored straight through it and an accent arrow passing.
void drawZunoVPN(QPainter &painter, const ZunoEmblemTone &tone)
{
    static constexpr Element kTunnel[] = {
        fill(roundedRect(18, 41, 64, 17, 8.5), paint::cutout(1)),
        stroke(path({ M(35, 49.5), L(62, 49.5), M(56, 44.5), L(62, 49.5), L(56, 54.5) }), 3.4, paint::accent),
    };
    ZunoFlatDraw::splitShield(painter, tone);
    draw(painter, tone, kTunnel);
}

void drawZunoBackup(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kBackup);
}

void drawZunoPulse(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kPulse);
}

void drawZunoClean(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kClean);
}

// The shared split shield with a flame: an accent flame inside a flame-shaped cut.
void drawZunoFirewall(QPainter &painter, const ZunoEmblemTone &tone)
{
    static constexpr Element kFlame[] = {
        fill(path({ M(50, 29), C(55, 38, 65, 45, 65, 57), C(65, 65.5, 58.5, 72, 50, 72),
                 C(41.5, 72, 35, 65.5, 35, 57), C(35, 50, 39, 45, 42.5, 40), C(43.5, 46, 45.5, 49, 48, 50.5),
                 C(47.5, 43, 47, 36, 50, 29), Z() }),
            paint::cutout(1)),
        fill(path({ M(50, 37.5), C(53.5, 44, 60.5, 48.5, 60.5, 57.5), C(60.5, 63.5, 56, 67.5, 50, 67.5),
                 C(44, 67.5, 39.5, 63.5, 39.5, 57.5), C(39.5, 53, 42, 50, 44, 47),
                 C(45, 51, 47, 53.5, 50, 54.5), C(49, 48.5, 48.5, 43, 50, 37.5), Z() }),
            paint::accent),
    };
    ZunoFlatDraw::splitShield(painter, tone);
    draw(painter, tone, kFlame);
}

void drawZunoPort(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kPort);
}

void drawZunoShell(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kShell);
}

void drawZunoSync(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kSync);
}

// The shared split shield with a keyhole cut out.
void drawZunoVault(QPainter &painter, const ZunoEmblemTone &tone)
{
    static constexpr Element kKeyhole[] = {
        fill(ellipse(40.5, 29.5, 19, 19), paint::cutout(1)),
        fill(path({ M(46, 44), L(54, 44), L(56.5, 64), L(43.5, 64), Z() }), paint::cutout(1)),
    };
    ZunoFlatDraw::splitShield(painter, tone);
    draw(painter, tone, kKeyhole);
}

void drawZunoWiFi(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kWiFi);
}

void drawZunoTemp(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kTemp);
}

void drawZunoFan(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kFan);
}

void drawZunoUpdate(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kUpdate);
}

void drawZunoLog(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kLog);
}

void drawQuarnwell(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kQuarnwell);
}

void drawDezevevezu(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kDezevevezu);
}

void drawAtlas(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kAtlas);
}

void drawBeacon(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kBeacon);
}

void drawHarbor(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kHarbor);
}

using Routine = void (*)(QPainter &, const ZunoEmblemTone &);

// One routine per case, in case order.
constexpr Routine kRoutines[]
    = { drawZunoKill, drawZunoRAM, drawZunoVolt, drawZunoTor, drawZunoDNS, drawZunoDB, drawZunoServe,
          drawZunoAgentBrowser, drawZunoContainer, drawZunoGit, drawZunoDisk, drawZunoVM, drawZunoPhone,
          drawZunoRescue, drawZunoVPN, drawZunoBackup, drawZunoPulse, drawZunoClean, drawZunoFirewall,
          drawZunoPort, drawZunoShell, drawZunoSync, drawZunoVault, drawZunoWiFi, drawZunoTemp, drawZunoFan,
          drawZunoUpdate, drawZunoLog, drawQuarnwell, drawDezevevezu, drawAtlas, drawBeacon, drawHarbor };

constexpr int kFirst = indexOf(ZunoAppIdentity::zunoKill);
constexpr int kLast = indexOf(ZunoAppIdentity::harbor);
static_assert(std::size(kRoutines) == kLast - kFirst + 1, "every system and network case has its routine");

} // namespace

namespace ZunoEmblemArtworkSystemNet {

bool draw(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone)
{
    const int index = indexOf(app);
    if (index < kFirst || index > kLast)
        return false;
    kRoutines[index - kFirst](painter, tone);
    return true;
}

} // namespace ZunoEmblemArtworkSystemNet

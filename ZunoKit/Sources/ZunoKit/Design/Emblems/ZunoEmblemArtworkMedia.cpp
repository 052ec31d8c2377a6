#include "ZunoEmblemArtworkMedia.h"

#include "ZunoEmblemElement.h"
#include "ZunoFlatDraw.h"

#include <QPainter>

namespace {

using namespace ZunoEmblemElement;

// A landscape in a frame: two mountains under a sun.
constexpr Element kPhoto[] = {
    fill(roundedRect(20, 25, 60, 50, 8), paint::soft),
    stroke(roundedRect(20, 25, 60, 50, 8), 4, paint::primary),
    fill(path({ M(22, 73), L(22, 71), L(40, 45), L(50, 59), L(59, 49), L(78, 71), L(78, 73), Z() }),
        paint::primary),
    fill(ellipse(59, 32, 12, 12), paint::accent),
};

// Two beamed notes, the second head in the accent colour.
constexpr Element kMusic[] = {
    fill(path({ M(38, 30), L(72, 24), L(72, 33), L(38, 39), Z() }), paint::primary),
    stroke(path({ M(40, 34), L(40, 70), M(70, 28), L(70, 64) }), 5, paint::primary),
    fill(ellipse(26, 63, 16, 13), paint::primary),
    fill(ellipse(56, 57, 16, 13), paint::accent),
};

// Three fader tracks with their knobs at different heights.
constexpr Element kMixer[] = {
    stroke(path({ M(31, 23), L(31, 77), M(50, 23), L(50, 77), M(69, 23), L(69, 77) }), 4,
        paint::primaryAlpha(0.6f)),
    fill(roundedRect(23, 54, 16, 12, 3.5), paint::primary),
    fill(roundedRect(42, 30, 16, 12, 3.5), paint::primary),
    fill(roundedRect(61, 43, 16, 12, 3.5), paint::accent),
    stroke(path({ M(27, 60), L(35, 60), M(46, 36), L(54, 36), M(65, 49), L(73, 49) }), 2.2, paint::cutout(1)),
};

// An arrow dropping into an open box; the box's inside and side face take the two derived shades.
constexpr Element kDownloader[] = {
    fill(path({ M(28, 50), L(40, 43), L(72, 43), L(60, 50), Z() }),
        paint::secondShade(ZunoFlatDraw::kBoxShades)),
    fill(path({ M(60, 50), L(72, 43), L(72, 70), L(60, 78), Z() }),
        paint::firstShade(ZunoFlatDraw::kBoxShades)),
    fill(path({ M(28, 50), L(60, 50), L(60, 78), L(28, 78), Z() }), paint::primary),
    stroke(path({ M(35, 60), L(50, 60) }), 3, paint::cutout(0.8)),
    stroke(path({ M(50, 21), L(50, 45), M(41.5, 37), L(50, 45.5), L(58.5, 37) }), 5.5, paint::accent),
};

// A video camera body with its lens hood and a record light.
constexpr Element kVideo[] = {
    fill(roundedRect(19, 32, 44, 36, 8), paint::primary),
    fill(path({ M(66, 44), L(81, 35), L(81, 65), L(66, 56), Z() }), paint::primary),
    fill(ellipse(25, 38, 12, 12), paint::cutout(1)),
    fill(ellipse(27.5, 40.5, 7, 7), paint::accent),
    stroke(path({ M(42, 59), L(55, 59) }), 3, paint::cutout(0.8)),
};

// A microphone in its cradle on a stand, broadcasting to both sides.
constexpr Element kPodcast[] = {
    fill(roundedRect(41, 21, 18, 32, 9), paint::primary),
    stroke(path({ M(45, 31), L(55, 31), M(45, 38), L(55, 38) }), 2.4, paint::cutout(0.9)),
    stroke(path({ A(50, 41, 15, 0, 180) }), 4, paint::primary),
    stroke(path({ M(50, 57), L(50, 70), M(41, 72), L(59, 72) }), 4, paint::primary),
    stroke(path({ A(50, 38, 25, -35, 35) }), 3.5, paint::accent),
    stroke(path({ A(50, 38, 25, 145, 215) }), 3.5, paint::accent),
};

// A radio with a speaker, a dial and an antenna; its waves are clipped to the top.
constexpr Element kRadio[] = {
    fill(roundedRect(20, 44, 60, 32, 8), paint::primary),
    fill(ellipse(26, 49, 22, 22), paint::cutout(1)),
    fill(ellipse(31.5, 54.5, 11, 11), paint::accent),
    stroke(
        path({ M(56, 52), L(72, 52), M(56, 60), L(72, 60), M(56, 68), L(66, 68) }), 3, paint::cutout(0.85)),
    stroke(path({ M(46, 44), L(57, 36) }), 3, paint::primary),
    fill(ellipse(55.5, 31.5, 6, 6), paint::primary),
};
// Two rings about the antenna's tip; only their tops show above the clip.
constexpr Element kRadioWaves[] = {
    stroke(ellipse(50.5, 26.5, 17, 17), 3, paint::accent),
    stroke(ellipse(44, 20, 30, 30), 3, paint::mid),
};

// A screen open at its lower left corner, where broadcast waves start.
constexpr Element kCast[] = {
    stroke(path({ M(22, 46), L(22, 31), A(29, 31, 7, 180, 270), L(71, 24), A(71, 31, 7, 270, 360), L(78, 63),
               A(71, 63, 7, 0, 90), L(52, 70) }),
        4.5, paint::primary),
    fill(ellipse(21, 66.5, 7, 7), paint::accent),
    stroke(path({ A(24, 70, 12, -90, 0) }), 4, paint::accent),
    stroke(path({ A(24, 70, 22, -90, 0) }), 4.5, paint::primary),
    fill(roundedRect(40, 75, 20, 4, 2), paint::mid),
};

// A picture frame: four bevels, lit from the upper left, round a picture of a mountain and a sun.
constexpr Element kFrame[] = {
    fill(path({ M(22, 22), L(78, 22), L(66, 34), L(34, 34), Z() }),
        paint::firstShade(ZunoFlatDraw::kFrameShades)),
    fill(path({ M(22, 22), L(34, 34), L(34, 66), L(22, 78), Z() }),
        paint::firstShade(ZunoFlatDraw::kFrameShades)),
    fill(path({ M(78, 22), L(78, 78), L(66, 66), L(66, 34), Z() }),
        paint::secondShade(ZunoFlatDraw::kFrameShades)),
    fill(path({ M(22, 78), L(34, 66), L(66, 66), L(78, 78), Z() }),
        paint::secondShade(ZunoFlatDraw::kFrameShades)),
    fill(roundedRect(36, 36, 28, 28, 2), paint::primary),
    fill(path({ M(37, 63), L(46, 50), L(52, 57), L(56, 53), L(63, 63), Z() }), paint::cutout(1)),
    fill(ellipse(53, 39.5, 7, 7), paint::cutout(1)),
};

// The firewall: a brick wall with one brick picked out in the accent colour.
constexpr Element kWall[] = {
    fill(roundedRect(20, 26, 60, 48, 6), paint::primary),
    stroke(path({ M(19, 42), L(81, 42), M(19, 58), L(81, 58), M(40, 25), L(40, 42), M(60, 25), L(60, 42),
               M(30, 42), L(30, 58), M(50, 42), L(50, 58), M(70, 42), L(70, 58), M(40, 58), L(40, 75),
               M(60, 58), L(60, 75) }),
        3, paint::cutout(1)),
    fill(roundedRect(51.5, 43.5, 17, 13, 1.5), paint::cutout(1)),
    fill(roundedRect(53, 45, 14, 10, 1.5), paint::accent),
};

// One picture frame with a loop arrow cut out of it: a picture that plays round and round.
constexpr Element kGIF[] = {
    fill(roundedRect(20, 26, 60, 48, 10), paint::primary),
    stroke(path({ A(50, 50, 12, -60, 240) }), 5, paint::cutout(1)),
    fill(path({ M(50.2, 36.1), L(41.3, 34.8), L(46.7, 44.1), Z() }), paint::cutout(1)),
    fill(ellipse(46, 46, 8, 8), paint::onPrimaryAccent),
};

// Five rounded level bars, the loudest in the accent colour.
constexpr Element kVoice[] = {
    fill(roundedRect(23.5, 40, 7, 20, 3.5), paint::primary),
    fill(roundedRect(35, 32, 7, 36, 3.5), paint::primary),
    fill(roundedRect(46.5, 25, 7, 50, 3.5), paint::accent),
    fill(roundedRect(58, 35, 7, 30, 3.5), paint::primary),
    fill(roundedRect(69.5, 42, 7, 16, 3.5), paint::mid),
};

// A disc with a play triangle cut out, inside a faint rim.
constexpr Element kPlayer[] = {
    fill(ellipse(24, 24, 52, 52), paint::primary),
    stroke(ellipse(28.5, 28.5, 43, 43), 1.8, paint::cutout(0.55)),
    fill(path({ M(44, 37), L(63, 50), L(44, 63), Z() }), paint::cutout(1)),
    stroke(path({ M(44, 37), L(63, 50), L(44, 63), Z() }), 3, paint::cutout(1)),
};

// A film reel with five holes round its hub, its film running off to the right.
constexpr Element kReel[] = {
    fill(roundedRect(46, 70, 34, 8, 2), paint::mid),
    fill(ellipse(22, 22, 52, 52), paint::primary),
    fill(path({ M(53.5, 34), A(48, 34, 5.5, 0, 360), Z(), M(66.81, 43.67), A(61.31, 43.67, 5.5, 0, 360), Z(),
             M(61.73, 59.33), A(56.23, 59.33, 5.5, 0, 360), Z(), M(45.27, 59.33),
             A(39.77, 59.33, 5.5, 0, 360), Z(), M(40.19, 43.67), A(34.69, 43.67, 5.5, 0, 360), Z() }),
        paint::cutout(1)),
    fill(ellipse(43.5, 43.5, 9, 9), paint::cutout(1)),
    fill(ellipse(45.5, 45.5, 5, 5), paint::accent),
};

// A tuning fork along the group's +x axis, its tines ahead, its handle behind, and a sound mark
// beyond the tines.
constexpr Element kTuneFork[] = {
    fill(roundedRect(-34, -3, 26, 6, 3), paint::primary),
    fill(ellipse(-40, -5, 10, 10), paint::accent),
    fill(roundedRect(-11, -10, 8, 20, 4), paint::primary),
    fill(roundedRect(-8, -10, 34, 6, 3), paint::primary),
    fill(roundedRect(-8, 4, 34, 6, 3), paint::primary),
    stroke(path({ M(32, -10), L(32, 10) }), 3, paint::accent),
};

} // namespace

namespace ZunoEmblemArtworkMedia {

void drawZunoPhoto(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kPhoto);
}

void drawZunoMusic(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kMusic);
}

void drawZunoCam(QPainter &painter, const ZunoEmblemTone &tone)
{
    const QPointF centre(50, 50);
    ZunoFlatDraw::fillEllipse(painter, QRectF(24, 24, 52, 52), tone.primary());
    // Each slit starts on the rim of the centre opening and runs 48 degrees further round, so the
    // blades read as turning clockwise.
    for (int i = 0; i < 6; ++i) {
        QPainterPath slit;
        slit.moveTo(ZunoFlatDraw::polar(centre, 10.5, 60.0 * i));
        slit.lineTo(ZunoFlatDraw::polar(centre, 25.5, 60.0 * i + 48));
        ZunoFlatDraw::strokePath(painter, slit, tone.cutout(1), 2.6);
    }
    ZunoFlatDraw::fillEllipse(painter, QRectF(39.5, 39.5, 21, 21), tone.cutout(1));
    ZunoFlatDraw::fillEllipse(painter, QRectF(43.5, 43.5, 13, 13), tone.accent());
}

void drawZunoMixer(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kMixer);
}

void drawZunoDownloader(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kDownloader);
}

void drawZunoVideo(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kVideo);
}

void drawZunoPodcast(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kPodcast);
}

void drawZunoRadio(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kRadio);
    painter.save();
    painter.setClipRect(QRectF(0, 0, 100, 31.5), Qt::IntersectClip);
    draw(painter, tone, kRadioWaves);
    painter.restore();
}

void drawZunoCast(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kCast);
}

void drawZunoFrame(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kFrame);
}

void drawZunoWall(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kWall);
}

void drawZunoGIF(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kGIF);
}

void drawZunoVoice(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kVoice);
}

// The shared folded sheet with two caption bars.
void drawZunoSubtitle(QPainter &painter, const ZunoEmblemTone &tone)
{
    ZunoFlatDraw::foldedSheet(painter, tone);
    draw(painter, tone, fill(roundedRect(33, 55, 34, 6.5, 3.25), paint::cutout(1)));
    draw(painter, tone, fill(roundedRect(38, 65, 24, 6.5, 3.25), paint::onPrimaryAccent));
}

void drawZunoPlayer(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kPlayer);
}

void drawZunoReel(QPainter &painter, const ZunoEmblemTone &tone)
{
    draw(painter, tone, kReel);
}

void drawZunoTune(QPainter &painter, const ZunoEmblemTone &tone)
{
    // The fork lies on the diagonal through the centre, its tines to the upper right.
    painter.save();
    painter.translate(50, 50);
    painter.rotate(-45);
    draw(painter, tone, kTuneFork);
    painter.restore();
}

} // namespace ZunoEmblemArtworkMedia

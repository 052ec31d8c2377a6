#include "ZunoEmblemArtworkMedia.h"

#include "ZunoFlatDraw.h"

#include <QPainter>

namespace ZunoEmblemArtworkMedia {

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

} // namespace ZunoEmblemArtworkMedia

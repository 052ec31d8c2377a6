#pragma once

#include "ZunoEmblemTone.h"

class QPainter;

// Emblems of the media applications (cases 31 to 48). The renderer picks the routine per case;
// this group has no dispatcher of its own.
namespace ZunoEmblemArtworkMedia {

// The studio's own emblem: a camera aperture with six blade slits and a lens dot.
void drawZunoCam(QPainter &painter, const ZunoEmblemTone &tone);

} // namespace ZunoEmblemArtworkMedia

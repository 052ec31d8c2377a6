#pragma once

#include "ZunoEmblemTone.h"

class QPainter;

// Emblems of the media applications (cases 31 to 48). The renderer picks the routine per case;
// this group has no dispatcher of its own, and the studio's screen (zunoStudio) is drawn by the
// renderer itself.
namespace ZunoEmblemArtworkMedia {

void drawZunoPhoto(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoMusic(QPainter &painter, const ZunoEmblemTone &tone);
// The studio's own emblem: a camera aperture with six blade slits and a lens dot.
void drawZunoCam(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoMixer(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoDownloader(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoVideo(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoPodcast(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoRadio(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoCast(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoFrame(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoWall(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoGIF(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoVoice(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoSubtitle(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoPlayer(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoReel(QPainter &painter, const ZunoEmblemTone &tone);
void drawZunoTune(QPainter &painter, const ZunoEmblemTone &tone);

} // namespace ZunoEmblemArtworkMedia

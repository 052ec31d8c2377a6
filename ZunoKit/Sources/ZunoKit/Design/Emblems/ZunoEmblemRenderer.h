#pragma once

#include "ZunoAppIdentity.h"
#include "ZunoEmblemImage.h"
#include "ZunoEmblemTone.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QPainter;

// Draws the suite's emblems and serves them as cached bitmaps and PNG data. Bitmaps are rendered
// in the white-glass tone on a transparent background: the design square is centred and a span of
// 60 design units fills 88 % of the side. Safe to call from any thread; the one shared object is
// an image cache of at most 256 entries behind a mutex.
namespace ZunoEmblemRenderer {

inline constexpr int kCacheLimit = 256;
inline constexpr qreal kMinimumPointSize = 10;
inline constexpr int kMinimumPixels = 16;
// No bitmap is larger, whatever size is asked for.
inline constexpr int kMaximumPixels = 2048;

// Draws app's emblem in tone. The painter's transform must already map the 100 x 100 design
// space; its state is left as it was found. Returns whether an emblem was drawn.
bool drawFlatEmblem(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone);

// The cached emblem of app, pointSize x pointSize logical pixels (at least 10; a non-finite size
// counts as 10), its bitmap pointSize x scale pixels (scale clamped to 1...3, at least 16 and at
// most 2048 pixels). Repeated requests return the same image.
ZunoEmblemImage image(ZunoAppIdentity app, qreal pointSize, qreal scale, bool asTemplate);

// The emblem as PNG data of an exactly pixelSize x pixelSize bitmap, uncached; none for a size
// below 1 or above kMaximumPixels, or when encoding fails.
std::optional<QByteArray> pngData(ZunoAppIdentity app, int pixelSize);

// The logical side, the bitmap's pixel count and the cache key of an image request.
qreal logicalSize(qreal pointSize);
int pixelCount(qreal pointSize, qreal scale);
QString cacheKey(ZunoAppIdentity app, qreal pointSize, qreal scale, bool asTemplate);

// How many images the cache holds now (for diagnostics).
int cachedImageCount();

} // namespace ZunoEmblemRenderer

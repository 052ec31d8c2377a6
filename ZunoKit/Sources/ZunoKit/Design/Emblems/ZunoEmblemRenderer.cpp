#include "ZunoEmblemRenderer.h"

#include "ZunoEmblemArtworkMedia.h"
#include "ZunoEmblemArtworkProductivity.h"
#include "ZunoEmblemArtworkSystemNet.h"
#include "ZunoFlatDraw.h"

#include <QBuffer>
#include <QCache>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

// The design span 20...80 fills this share of the bitmap's side.
constexpr qreal kFill = 0.88;
constexpr qreal kSpan = 60;

struct ImageCache {
    std::mutex mutex;
    QCache<QString, ZunoEmblemImage> images { ZunoEmblemRenderer::kCacheLimit };
};

ImageCache &imageCache()
{
    static ImageCache cache;
    return cache;
}

// The screen with a play sign; it has no routine of its own in the media group.
void drawZunoStudio(QPainter &painter, const ZunoEmblemTone &tone)
{
    ZunoFlatDraw::displayFrame(painter, tone);
    ZunoFlatDraw::fillPath(
        painter, ZunoFlatDraw::polyline({ { 44, 36.5 }, { 60, 44.5 }, { 44, 52.5 } }, true), tone.primary());
    ZunoFlatDraw::fillEllipse(painter, QRectF(27.8, 30.3, 6.4, 6.4), tone.accent());
}

bool drawMedia(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone)
{
    using namespace ZunoEmblemArtworkMedia;
    switch (app) {
    case ZunoAppIdentity::zunoPhoto:
        drawZunoPhoto(painter, tone);
        return true;
    case ZunoAppIdentity::zunoMusic:
        drawZunoMusic(painter, tone);
        return true;
    case ZunoAppIdentity::zunoCam:
        drawZunoCam(painter, tone);
        return true;
    case ZunoAppIdentity::zunoStudio:
        drawZunoStudio(painter, tone);
        return true;
    case ZunoAppIdentity::zunoMixer:
        drawZunoMixer(painter, tone);
        return true;
    case ZunoAppIdentity::zunoDownloader:
        drawZunoDownloader(painter, tone);
        return true;
    case ZunoAppIdentity::zunoVideo:
        drawZunoVideo(painter, tone);
        return true;
    case ZunoAppIdentity::zunoPodcast:
        drawZunoPodcast(painter, tone);
        return true;
    case ZunoAppIdentity::zunoRadio:
        drawZunoRadio(painter, tone);
        return true;
    case ZunoAppIdentity::zunoCast:
        drawZunoCast(painter, tone);
        return true;
    case ZunoAppIdentity::zunoFrame:
        drawZunoFrame(painter, tone);
        return true;
    case ZunoAppIdentity::zunoWall:
        drawZunoWall(painter, tone);
        return true;
    case ZunoAppIdentity::zunoGIF:
        drawZunoGIF(painter, tone);
        return true;
    case ZunoAppIdentity::zunoVoice:
        drawZunoVoice(painter, tone);
        return true;
    case ZunoAppIdentity::zunoSubtitle:
        drawZunoSubtitle(painter, tone);
        return true;
    case ZunoAppIdentity::zunoPlayer:
        drawZunoPlayer(painter, tone);
        return true;
    case ZunoAppIdentity::zunoReel:
        drawZunoReel(painter, tone);
        return true;
    case ZunoAppIdentity::zunoTune:
        drawZunoTune(painter, tone);
        return true;
    default:
        return false;
    }
}

// One N x N bitmap of app's emblem in the white-glass tone.
QImage makeBitmap(ZunoAppIdentity app, int pixelSize)
{
    QImage bitmap(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull())
        return bitmap;
    // The bitmap starts transparent, so cut-outs erase only what the emblem itself has drawn.
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const qreal scale = pixelSize * kFill / kSpan;
    painter.translate(pixelSize * 0.5, pixelSize * 0.5);
    painter.scale(scale, scale);
    painter.translate(-50, -50);
    ZunoEmblemRenderer::drawFlatEmblem(app, painter, ZunoEmblemTone::whiteGlass());
    painter.end();
    return bitmap;
}

} // namespace

namespace ZunoEmblemRenderer {

bool drawFlatEmblem(ZunoAppIdentity app, QPainter &painter, const ZunoEmblemTone &tone)
{
    if (ZunoEmblemArtworkProductivity::draw(app, painter, tone))
        return true;
    if (drawMedia(app, painter, tone))
        return true;
    return ZunoEmblemArtworkSystemNet::draw(app, painter, tone);
}

qreal logicalSize(qreal pointSize)
{
    if (!std::isfinite(pointSize))
        return kMinimumPointSize;
    return std::max(pointSize, kMinimumPointSize);
}

int pixelCount(qreal pointSize, qreal scale)
{
    // A NaN scale fails the comparison and counts as 3.
    const qreal clampedScale = scale < 3 ? std::max(scale, qreal(1)) : qreal(3);
    // std::round rounds halves away from zero; an enormous product is capped before it becomes an int.
    const qreal pixels = std::round(logicalSize(pointSize) * clampedScale);
    return static_cast<int>(std::clamp<qreal>(pixels, kMinimumPixels, kMaximumPixels));
}

QString cacheKey(ZunoAppIdentity app, qreal pointSize, qreal scale, bool asTemplate)
{
    // The logical size is part of the key, so no caller gets an image of another size that
    // happens to share the pixel count.
    return rawValue(app) + u'_' + QString::number(pixelCount(pointSize, scale)) + u'_'
        + (asTemplate ? QStringLiteral("tpl") : QStringLiteral("glass")) + u'_'
        + QString::number(logicalSize(pointSize), 'g', QLocale::FloatingPointShortest);
}

ZunoEmblemImage image(ZunoAppIdentity app, qreal pointSize, qreal scale, bool asTemplate)
{
    const QString key = cacheKey(app, pointSize, scale, asTemplate);
    ImageCache &cache = imageCache();
    {
        std::lock_guard lock(cache.mutex);
        if (const ZunoEmblemImage *cached = cache.images.object(key))
            return *cached;
    }
    // Rendered outside the lock: two threads that miss the same key both render, the later wins.
    const qreal side = logicalSize(pointSize);
    const int pixels = pixelCount(pointSize, scale);
    auto made = std::make_unique<ZunoEmblemImage>();
    made->bitmap = makeBitmap(app, pixels);
    made->bitmap.setDevicePixelRatio(pixels / side);
    made->size = QSizeF(side, side);
    made->isTemplate = asTemplate;
    const ZunoEmblemImage result = *made;
    std::lock_guard lock(cache.mutex);
    cache.images.insert(key, made.release());
    return result;
}

std::optional<QByteArray> pngData(ZunoAppIdentity app, int pixelSize)
{
    if (pixelSize < 1 || pixelSize > kMaximumPixels)
        return std::nullopt;
    const QImage bitmap = makeBitmap(app, pixelSize);
    if (bitmap.isNull())
        return std::nullopt;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!bitmap.save(&buffer, "PNG") || data.isEmpty())
        return std::nullopt;
    return data;
}

int cachedImageCount()
{
    ImageCache &cache = imageCache();
    std::lock_guard lock(cache.mutex);
    return static_cast<int>(cache.images.count());
}

} // namespace ZunoEmblemRenderer

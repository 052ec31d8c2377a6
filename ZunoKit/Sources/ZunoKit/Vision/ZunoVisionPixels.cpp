#include "ZunoVisionPixels.h"

namespace ZunoVisionPixels {

QImage flattenedRGB(const QImage &image)
{
    if (image.isNull())
        return {};
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);

    const QImage premultiplied = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QImage out(premultiplied.size(), QImage::Format_RGB888);
    for (int y = 0; y < premultiplied.height(); ++y) {
        const uchar *src = premultiplied.constScanLine(y);
        uchar *dst = out.scanLine(y);
        for (int x = 0; x < premultiplied.width(); ++x, src += 4, dst += 3) {
            const int background = 255 - src[3];
            dst[0] = uchar(src[0] + background);
            dst[1] = uchar(src[1] + background);
            dst[2] = uchar(src[2] + background);
        }
    }
    return out;
}

} // namespace ZunoVisionPixels

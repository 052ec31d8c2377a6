// Writes the studio's emblems as PNG files at 24, 64 and 256 pixels, and a contact sheet that
// shows them on a dark backdrop (white glass), in a flat tone, as template widgets, and every
// application of the suite at 48 pixels.
//
//   EmblemGallery [output folder]     (default: ./emblem-gallery)

#include "ZunoAppEmblem.h"
#include "ZunoEmblemRenderer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPalette>

#include <cstdio>

namespace {

constexpr ZunoAppIdentity kStudioEmblems[] = { ZunoAppIdentity::zunoCam, ZunoAppIdentity::zunoStudio };
constexpr int kSizes[] = { 24, 64, 256 };

bool writePngs(const QDir &out)
{
    for (ZunoAppIdentity app : kStudioEmblems) {
        for (int pixels : kSizes) {
            const auto png = ZunoEmblemRenderer::pngData(app, pixels);
            const QString path = out.filePath(QStringLiteral("%1_%2.png").arg(rawValue(app)).arg(pixels));
            QFile file(path);
            if (!png || !file.open(QIODevice::WriteOnly) || file.write(*png) != png->size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return false;
            }
            std::printf("%s\n", qPrintable(path));
        }
    }
    return true;
}

QImage flatEmblem(ZunoAppIdentity app, int pixels, const ZunoEmblemTone &tone)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal scale = pixels * 0.88 / 60;
    painter.translate(pixels / 2.0, pixels / 2.0);
    painter.scale(scale, scale);
    painter.translate(-50, -50);
    ZunoEmblemRenderer::drawFlatEmblem(app, painter, tone);
    return image;
}

QImage contactSheet()
{
    constexpr int kGap = 16;
    constexpr int kCell = 48;
    constexpr int kColumns = 14;
    const int width = kGap + kColumns * (kCell + kGap);
    QImage sheet(width, 1400, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xF4, 0xF5, 0xF8));
    QPainter painter(&sheet);
    int y = kGap;

    // White glass on a dark backdrop, at the three sizes, at one pixel per pixel.
    painter.fillRect(QRect(0, y - kGap / 2, width, 256 + kGap), QColor(0x1D, 0x23, 0x33));
    int x = kGap;
    for (ZunoAppIdentity app : kStudioEmblems) {
        for (int pixels : kSizes) {
            painter.drawImage(
                QPoint(x, y + 256 - pixels), ZunoEmblemRenderer::image(app, pixels, 1, false).bitmap);
            x += pixels + kGap;
        }
    }
    y += 256 + kGap * 2;

    // A flat tone on the light backdrop.
    const ZunoEmblemTone flat = ZunoEmblemTone::flatLight(QColor(0x2B, 0x4C, 0xB8), QColor(0xF5, 0x8A, 0x1F));
    x = kGap;
    for (ZunoAppIdentity app : kStudioEmblems) {
        painter.drawImage(QPoint(x, y), flatEmblem(app, 256, flat));
        x += 256 + kGap;
    }
    y += 256 + kGap;

    // The emblem widget as a template, tinted by its foreground colour.
    x = kGap;
    for (ZunoAppIdentity app : kStudioEmblems) {
        for (const QColor &tint : { QColor(0x1D, 0x23, 0x33), QColor(0xC0, 0x30, 0x50) }) {
            ZunoAppEmblem emblem(app, 64, true);
            QPalette palette = emblem.palette();
            palette.setColor(emblem.foregroundRole(), tint);
            emblem.setPalette(palette);
            emblem.render(&painter, QPoint(x, y), QRegion(), QWidget::DrawChildren);
            x += 64 + kGap;
        }
    }
    y += 64 + kGap * 2;

    // Every application, white glass at 48 pixels on the dark backdrop.
    const int rows = (ZunoAppIdentities::kCount + kColumns - 1) / kColumns;
    painter.fillRect(QRect(0, y - kGap / 2, width, rows * (kCell + kGap) + kGap), QColor(0x1D, 0x23, 0x33));
    int index = 0;
    for (ZunoAppIdentity app : ZunoAppIdentities::allCases()) {
        const QPoint at(kGap + (index % kColumns) * (kCell + kGap), y + (index / kColumns) * (kCell + kGap));
        painter.drawImage(at, ZunoEmblemRenderer::image(app, kCell, 1, false).bitmap);
        ++index;
    }
    y += rows * (kCell + kGap) + kGap;
    painter.end();
    return sheet.copy(0, 0, width, y);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("emblem-gallery");
    QDir out;
    if (!out.mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    out.setPath(folder);
    if (!writePngs(out))
        return 1;
    const QString sheetPath = out.filePath(QStringLiteral("sheet.png"));
    if (!contactSheet().save(sheetPath)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(sheetPath));
        return 1;
    }
    std::printf("%s\n", qPrintable(sheetPath));
    return 0;
}

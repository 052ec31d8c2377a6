// Writes the portrait fixture, as a 1280x720 camera frame, through every look and every portrait
// background mode (with the real person segmenter), plus a contact sheet of them all.
//   build/bin/ImagingDemo [output folder]
#include "CameraColorFilterEngine.h"
#include "PortraitSegmentationEngine.h"
#include "SelfiePersonSegmenter.h"
#include "ZunoToolCommandLine.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const char *usage = "usage: ImagingDemo [FOLDER]   the portrait frame through every look and background "
                        "mode, and a contact sheet (default imaging-demo)\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, {}))
        return *exitCode;
    const QString folder = app.arguments().value(1, QStringLiteral("imaging-demo"));
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }

    QImage frame(1280, 720, QImage::Format_ARGB32);
    frame.fill(QColor(52, 60, 72));
    {
        QPainter p(&frame);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(200, 0, 720, 720), QImage(QStringLiteral(ZUNO_TEST_DATA "/imaging/astronaut.png")));
    }
    const CameraPixelBuffer input = CameraPixelBuffer::fromQImage(frame);
    std::vector<std::pair<QString, QImage>> results;

    CameraColorFilterEngine::Workspace workspace;
    for (CameraLookPreset look : CameraLookPresets::allCases()) {
        CameraAdjustments adjustments;
        adjustments.lookPreset = look;
        CameraPixelBuffer out;
        CameraColorFilterEngine::process(input, adjustments, { 0.5, 0.5 }, 1.0, out, workspace);
        results.emplace_back(QStringLiteral("look-") + rawValue(look), out.toQImage().copy());
    }

    SelfiePersonSegmenter segmenter;
    CameraPixelBuffer mask;
    QString error;
    if (segmenter.segment(input, mask, error) != PersonSegmenter::Outcome::mask) {
        std::fprintf(stderr, "segmentation failed: %s\n", qPrintable(error));
        return 1;
    }
    PortraitSegmentationEngine::Workspace portrait;
    for (PortraitBackgroundMode mode : PortraitBackgroundModes::allCases()) {
        const CameraPixelBuffer composed = PortraitSegmentationEngine::composite(input, mask, mode, portrait);
        results.emplace_back(QStringLiteral("background-") + rawValue(mode), composed.toQImage().copy());
    }

    // A contact sheet, three pictures a row at a quarter of their size, each with its name.
    const int columns = 3, w = 320, h = 180;
    const int rows = (static_cast<int>(results.size()) + columns - 1) / columns;
    QImage sheet(columns * w, rows * (h + 20), QImage::Format_RGB32);
    sheet.fill(QColor(24, 26, 32));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setPen(Qt::white);
    bool written = true;
    auto save = [&](const QImage &image, const QString &name) {
        const QString path = QDir(folder).filePath(name);
        if (!image.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            written = false;
        }
    };
    for (int i = 0; i < static_cast<int>(results.size()); ++i) {
        const auto &[name, image] = results[i];
        save(image, name + QStringLiteral(".png"));
        const QRect cell((i % columns) * w, (i / columns) * (h + 20), w, h);
        p.drawImage(cell, image);
        p.drawText(QRect(cell.left(), cell.bottom() + 1, w, 19), Qt::AlignCenter, name);
    }
    p.end();
    save(sheet, QStringLiteral("sheet.png"));
    if (!written)
        return 1;
    std::printf("wrote %zu pictures and sheet.png to %s\n", results.size(), qPrintable(folder));
    return 0;
}

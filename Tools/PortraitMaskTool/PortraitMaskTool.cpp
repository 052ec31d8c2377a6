#include "CameraFaceDetector.h"
#include "PortraitSegmentationEngine.h"
#include "SelfiePersonSegmenter.h"
#include "ZunoAppLogger.h"
#include "ZunoToolCommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>

#include <cstdio>

namespace {

void drawFace(QImage &image, const std::optional<QRectF> &face)
{
    if (!face)
        return;
    // The box has a bottom-left origin; the image a top-left one.
    QPainter p(&image);
    p.setPen(QPen(Qt::green, 3));
    p.drawRect(QRectF(face->x() * image.width(), (1.0 - face->bottom()) * image.height(),
        face->width() * image.width(), face->height() * image.height()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const char *usage = "usage: PortraitMaskTool [FOLDER]   person masks and face boxes of the portrait "
                        "fixture (default portrait-mask)\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, {}))
        return *exitCode;
    const QString folder = app.arguments().value(1, QStringLiteral("portrait-mask"));
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }
    const QImage portrait = QImage(QStringLiteral(ZUNO_TEST_DATA "/neural/astronaut.png"))
                                .convertToFormat(QImage::Format_RGB32);

    QImage letterboxed(1280, 720, QImage::Format_RGB32);
    letterboxed.fill(Qt::black);
    QPainter(&letterboxed).drawImage(QRect(280, 0, 720, 720), portrait);
    QImage shifted(1280, 720, QImage::Format_RGB32);
    shifted.fill(QColor(96, 104, 112));
    QPainter(&shifted).drawImage(QRect(-100, -120, 1000, 1000), portrait);

    SelfiePersonSegmenter segmenter;
    CameraFaceDetector detector;
    std::printf("face detector: %s\n", detector.usesModel() ? "model" : "cascade");
    const std::pair<const char *, QImage> frames[]
        = { { "portrait", portrait }, { "letterboxed", letterboxed }, { "shifted", shifted } };
    for (const auto &[name, frame] : frames) {
        CameraPixelBuffer maskBuffer;
        QString error;
        const CameraPixelBuffer frameBuffer = CameraPixelBuffer::fromQImage(frame);
        if (segmenter.segment(frameBuffer, maskBuffer, error) != PersonSegmenter::Outcome::mask) {
            std::printf("%s: no mask (%s)\n", name, qPrintable(error));
            continue;
        }
        const QImage mask = maskBuffer.toQImage();
        const CameraFaceDetection face = detector.detect(NeuralImageView::of(frame));
        PortraitSegmentationEngine::Workspace workspace;
        QImage out = PortraitSegmentationEngine::composite(
            frameBuffer, maskBuffer, PortraitBackgroundMode::strongBlur, workspace)
                         .toQImage()
                         .copy();
        drawFace(out, face.face);
        const QString base = QDir(folder).filePath(QString::fromLatin1(name));
        if (!mask.scaled(frame.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                 .save(base + QStringLiteral("-mask.png"))
            || !out.save(base + QStringLiteral("-composite.png"))) {
            std::fprintf(stderr, "cannot write %s-{mask,composite}.png\n", qPrintable(base));
            return 1;
        }
        std::printf("%s: mask %dx%d, face %s -> %s-{mask,composite}.png\n", name, mask.width(), mask.height(),
            face.face ? qPrintable(QStringLiteral("(%1, %2, %3, %4)")
                                       .arg(face.face->x(), 0, 'f', 3)
                                       .arg(face.face->y(), 0, 'f', 3)
                                       .arg(face.face->width(), 0, 'f', 3)
                                       .arg(face.face->height(), 0, 'f', 3))
                      : "none",
            qPrintable(base));
    }
    return 0;
}

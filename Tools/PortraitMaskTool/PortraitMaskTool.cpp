#include "CameraFaceDetector.h"
#include "PersonSegmenter.h"
#include "ZunoAppLogger.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>

#include <opencv2/imgproc.hpp>

#include <cstdio>

namespace {

// Background blurred (radius 24 as the strong blur), mask stretched to the frame and feathered, blended.
QImage composite(const QImage &frame, const QImage &mask)
{
    const cv::Mat src(frame.height(), frame.width(), CV_8UC4, const_cast<uchar *>(frame.constBits()),
        std::size_t(frame.bytesPerLine()));
    cv::Mat background;
    cv::GaussianBlur(src, background, cv::Size(), 24.0);
    const cv::Mat m(mask.height(), mask.width(), CV_8UC1, const_cast<uchar *>(mask.constBits()),
        std::size_t(mask.bytesPerLine()));
    cv::Mat alpha;
    cv::resize(m, alpha, src.size(), 0, 0, cv::INTER_LINEAR);
    cv::GaussianBlur(alpha, alpha, cv::Size(), 2.0);
    QImage out(frame.size(), QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        const uchar *f = src.ptr<uchar>(y), *b = background.ptr<uchar>(y), *a = alpha.ptr<uchar>(y);
        uchar *o = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x)
            for (int c = 0; c < 4; ++c)
                o[x * 4 + c] = uchar((f[x * 4 + c] * a[x] + b[x * 4 + c] * (255 - a[x]) + 127) / 255);
    }
    return out;
}

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
    const QString folder = app.arguments().value(1, QStringLiteral("portrait-mask"));
    QDir().mkpath(folder);
    const QImage portrait = QImage(QStringLiteral(ZUNO_TEST_DATA "/neural/astronaut.png"))
                                .convertToFormat(QImage::Format_RGB32);

    QImage letterboxed(1280, 720, QImage::Format_RGB32);
    letterboxed.fill(Qt::black);
    QPainter(&letterboxed).drawImage(QRect(280, 0, 720, 720), portrait);
    QImage shifted(1280, 720, QImage::Format_RGB32);
    shifted.fill(QColor(96, 104, 112));
    QPainter(&shifted).drawImage(QRect(-100, -120, 1000, 1000), portrait);

    // Segmentation failures are logged beside the pictures.
    const auto logger = std::make_shared<ZunoAppLogger>(
        QStringLiteral("PortraitMaskTool"), QDir(folder).filePath(QStringLiteral("logs")));
    PersonSegmenter segmenter(logger);
    CameraFaceDetector detector;
    std::printf("face detector: %s\n", detector.usesModel() ? "model" : "cascade");
    const std::pair<const char *, QImage> frames[]
        = { { "portrait", portrait }, { "letterboxed", letterboxed }, { "shifted", shifted } };
    for (const auto &[name, frame] : frames) {
        segmenter.reset();
        const std::optional<QImage> mask
            = segmenter.segment(NeuralImageView::of(frame), PortraitBackgroundMode::strongBlur);
        if (!mask) {
            const QList<ZunoLogEntry> last = logger->recentEntries(1, ZunoLogLevel::warn);
            std::printf("%s: no mask (%s)\n", name, last.isEmpty() ? "" : qPrintable(last[0].message));
            continue;
        }
        const CameraFaceDetection face = detector.detect(NeuralImageView::of(frame));
        QImage out = composite(frame, *mask);
        drawFace(out, face.face);
        const QString base = QDir(folder).filePath(QString::fromLatin1(name));
        mask->scaled(frame.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .save(base + QStringLiteral("-mask.png"));
        out.save(base + QStringLiteral("-composite.png"));
        std::printf("%s: mask %dx%d, face %s -> %s-{mask,composite}.png\n", name, mask->width(),
            mask->height(),
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

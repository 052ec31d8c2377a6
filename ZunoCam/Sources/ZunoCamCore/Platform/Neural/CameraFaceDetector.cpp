#include "CameraFaceDetector.h"

#include "FaceDetectionModel.h"

#include <QFileInfo>

#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <vector>

namespace {

// The cascade works on a grey copy of about this width; faces in a webcam frame stay well above its
// smallest window.
constexpr int kCascadeWidth = 320;

} // namespace

struct CameraFaceDetector::Impl {
    std::unique_ptr<FaceDetectionModel> model;
    QString modelError;
    cv::CascadeClassifier cascade;
    bool cascadeLoaded = false;
    std::vector<NeuralFaceDetection> faces;
    cv::Mat small;
    cv::Mat grey;
    std::vector<cv::Rect> found;
};

QString CameraFaceDetector::defaultModelPath()
{
    return FaceDetectionModel::defaultPath();
}

QString CameraFaceDetector::defaultCascadePath()
{
    for (const char *path : { "/usr/share/opencv4/haarcascades/haarcascade_frontalface_default.xml",
             "/usr/share/opencv/haarcascades/haarcascade_frontalface_default.xml" }) {
        if (QFileInfo::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    }
    return {};
}

CameraFaceDetector::CameraFaceDetector(const QString &modelPath, const QString &cascadePath)
    : d(std::make_unique<Impl>())
{
    try {
        d->model = std::make_unique<FaceDetectionModel>(modelPath);
    } catch (const NeuralModelError &e) {
        d->modelError = e.message();
    }
    if (!d->model && !cascadePath.isEmpty()) {
        try {
            d->cascadeLoaded = d->cascade.load(cascadePath.toStdString());
        } catch (const cv::Exception &) {
            d->cascadeLoaded = false;
        }
    }
    d->faces.reserve(16);
}

CameraFaceDetector::~CameraFaceDetector() = default;

bool CameraFaceDetector::usesModel() const
{
    return d->model != nullptr;
}

QString CameraFaceDetector::modelError() const
{
    return d->modelError;
}

// The model sees the whole frame letter-boxed into its 128-pixel square, where the face of someone a
// few metres from a 16:9 camera is too small to find. Looking again in overlapping squares of the
// frame's short side finds those faces at 1.8 times the size, at the cost of further passes only on
// frames where the whole-frame pass found nothing.
bool CameraFaceDetector::detectInSquares(const NeuralImageView &frame, QRectF &largest)
{
    const bool wide = frame.width >= frame.height;
    const int side = std::min(frame.width, frame.height);
    const int length = std::max(frame.width, frame.height);
    if (length < side * 5 / 4)
        return true;  // nearly square: the whole-frame pass already saw the faces at full size
    const int squares = (length + side - 1) / side;
    for (int i = 0; i < squares; ++i) {
        const int offset = (length - side) * i / (squares - 1);
        NeuralImageView square = frame;
        if (wide) {
            square.bits += 4 * offset;
            square.width = side;
        } else {
            square.bits += offset * frame.bytesPerRow;
            square.height = side;
        }
        if (!d->model->detect(square, d->faces))
            return false;
        for (const NeuralFaceDetection &f : d->faces) {
            const QRectF box = wide ? QRectF((offset + f.box.x() * side) / frame.width, f.box.y(),
                                             f.box.width() * side / frame.width, f.box.height())
                                    : QRectF(f.box.x(), (offset + f.box.y() * side) / frame.height, f.box.width(),
                                             f.box.height() * side / frame.height);
            if (box.width() * box.height() > largest.width() * largest.height())
                largest = box;
        }
    }
    return true;
}

CameraFaceDetection CameraFaceDetector::detect(const NeuralImageView &frame)
{
    CameraFaceDetection result;
    if (frame.isEmpty())
        return result;
    QRectF largest; // normalised, origin top left
    if (d->model) {
        if (!d->model->detect(frame, d->faces))
            return result;
        for (const NeuralFaceDetection &f : d->faces)
            if (f.box.width() * f.box.height() > largest.width() * largest.height())
                largest = f.box;
        if (largest.isEmpty() && !detectInSquares(frame, largest))
            return result;
    } else if (d->cascadeLoaded) {
        const cv::Mat bgra(frame.height, frame.width, CV_8UC4, const_cast<std::uint8_t *>(frame.bits),
            std::size_t(frame.bytesPerRow));
        const double scale = std::min(1.0, double(kCascadeWidth) / frame.width);
        try {
            cv::resize(bgra, d->small, cv::Size(), scale, scale, cv::INTER_AREA);
            cv::cvtColor(d->small, d->grey, cv::COLOR_BGRA2GRAY);
            cv::equalizeHist(d->grey, d->grey);
            d->cascade.detectMultiScale(d->grey, d->found, 1.1, 6, 0, cv::Size(24, 24));
        } catch (const cv::Exception &) {
            return result;
        }
        for (const cv::Rect &r : d->found)
            if (double(r.area()) > largest.width() * largest.height() * d->grey.cols * d->grey.rows)
                largest = QRectF(double(r.x) / d->grey.cols, double(r.y) / d->grey.rows,
                    double(r.width) / d->grey.cols, double(r.height) / d->grey.rows);
    } else {
        return result;
    }
    result.succeeded = true;
    largest = largest.intersected(QRectF(0, 0, 1, 1));
    if (!largest.isEmpty())
        result.face = QRectF(largest.x(), 1.0 - largest.bottom(), largest.width(), largest.height());
    return result;
}

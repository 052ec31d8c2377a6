#include "CameraV4L2Source.h"

#include "CameraAVStreamReader.h"
#include "CameraV4L2Discovery.h"

#include <cmath>

namespace {

// How far the driver's capture time may lie from the moment the frame is read.
constexpr double kDriverClockSlack = 0.005;
constexpr double kOldestDriverTime = 1.0;

} // namespace

CameraV4L2Source::CameraV4L2Source(CameraDeviceDescriptor descriptor, const QString &nodePath)
    : CameraThreadedFrameSource(std::move(descriptor))
    , m_nodePath(nodePath)
    , m_reader(std::make_unique<CameraAVStreamReader>(kWidth, kHeight))
{
}

CameraV4L2Source::~CameraV4L2Source()
{
    shutDown();
}

std::vector<CameraV4L2Source::Options> CameraV4L2Source::openAttempts(
    const QList<QString> &pixelFormats, const std::function<bool(const QString &)> &offers720p)
{
    const QString size = QStringLiteral("%1x%2").arg(kWidth).arg(kHeight);
    const QString rate = QString::number(kFramesPerSecond);
    std::vector<Options> attempts;
    // libavdevice's names for V4L2's MJPG and YUYV.
    const std::pair<QString, QString> preferred[] = { { QStringLiteral("MJPG"), QStringLiteral("mjpeg") },
        { QStringLiteral("YUYV"), QStringLiteral("yuyv422") } };
    for (const auto &[fourCC, name] : preferred) {
        if (pixelFormats.contains(fourCC) && offers720p(fourCC)) {
            attempts.push_back({ { QStringLiteral("input_format"), name },
                { QStringLiteral("video_size"), size }, { QStringLiteral("framerate"), rate } });
        }
    }
    // Without 1280x720, the format at the driver's size (scaled afterwards).
    for (const auto &[fourCC, name] : preferred) {
        if (pixelFormats.contains(fourCC))
            attempts.push_back({ { QStringLiteral("input_format"), name } });
    }
    attempts.push_back({});
    return attempts;
}

double CameraV4L2Source::captureTime(double driverTime, double now)
{
    // The driver's stamp is on the same monotonic clock for nearly every driver; one on another clock
    // (the wall clock) or from a stalled stream lies far from now and is not used.
    if (std::isfinite(driverTime) && driverTime <= now + kDriverClockSlack
        && driverTime >= now - kOldestDriverTime)
        return driverTime;
    return now;
}

QString CameraV4L2Source::streamDescription() const
{
    return m_reader->streamDescription();
}

bool CameraV4L2Source::openDevice(QString &errorDescription)
{
    const QList<QString> formats = CameraV4L2Discovery::pixelFormats(m_nodePath);
    const auto attempts = openAttempts(formats, [this](const QString &fourCC) {
        return CameraV4L2Discovery::supportsFrameSize(m_nodePath, fourCC, kWidth, kHeight);
    });
    for (const Options &options : attempts) {
        if (m_reader->open(m_nodePath, QStringLiteral("video4linux2"), options, errorDescription))
            return true;
    }
    return false;
}

void CameraV4L2Source::closeDevice()
{
    m_reader->close();
}

void CameraV4L2Source::interrupt()
{
    m_reader->interrupt();
}

void CameraV4L2Source::run(const Sink &sink)
{
    while (!stopRequested()) {
        CameraPixelBuffer image;
        double time = 0;
        QString error;
        const auto result = m_reader->read(image, time, error);
        if (result != CameraAVStreamReader::ReadResult::frame)
            return; // stopped, unplugged or failed: the camera sends nothing more
        sink(CameraFrameSample { std::move(image), captureTime(time, CameraFrameSample::captureClock()) });
    }
}

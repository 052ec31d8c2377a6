#pragma once

#include "CameraThreadedFrameSource.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CameraAVStreamReader;

// A V4L2 camera read through libavdevice: MJPEG at 1280x720 and 30 fps when the camera offers it,
// else YUYV, else what the driver picks; every picture scaled to BGRA 1280x720 with libswscale.
class CameraV4L2Source : public CameraThreadedFrameSource {
public:
    static constexpr int kFramesPerSecond = 30;

    using Options = std::vector<std::pair<QString, QString>>;

    CameraV4L2Source(CameraDeviceDescriptor descriptor, const QString &nodePath);
    ~CameraV4L2Source() override;

    // The demuxer options to try in order for a node offering `pixelFormats` (four-character codes);
    // `offers720p` tells whether a format has 1280x720.
    static std::vector<Options> openAttempts(
        const QList<QString> &pixelFormats, const std::function<bool(const QString &fourCC)> &offers720p);

    // A frame's capture time: the driver's stamp (`driverTime`, seconds of the monotonic clock the
    // kernel stamps buffers with) when it is plausible at `now`, else `now`. The driver's stamp is
    // taken when the picture was captured, so the time it waited for the reader does not skew it.
    static double captureTime(double driverTime, double now);

    // What is being decoded, e.g. "mjpeg yuvj422p 1280x720" (empty when closed).
    QString streamDescription() const;

protected:
    bool openDevice(QString &errorDescription) override;
    void closeDevice() override;
    void run(const Sink &sink) override;
    void interrupt() override;

private:
    const QString m_nodePath;
    std::unique_ptr<CameraAVStreamReader> m_reader;
};

#include "CameraFileSource.h"

#include "CameraAVStreamReader.h"

#include <cmath>

CameraFileSource::CameraFileSource(CameraDeviceDescriptor descriptor, const QString &path)
    : CameraThreadedFrameSource(std::move(descriptor))
    , m_path(path)
    , m_reader(std::make_unique<CameraAVStreamReader>(kWidth, kHeight))
{
}

CameraFileSource::~CameraFileSource()
{
    shutDown();
}

int CameraFileSource::loopCount() const
{
    return m_loops.load();
}

bool CameraFileSource::openDevice(QString &errorDescription)
{
    return m_reader->open(m_path, {}, {}, errorDescription);
}

void CameraFileSource::closeDevice()
{
    m_reader->close();
}

void CameraFileSource::interrupt()
{
    m_reader->interrupt();
}

void CameraFileSource::run(const Sink &sink)
{
    using Clock = std::chrono::steady_clock;
    m_loops = 0;
    // Pictures are shown at start + offset + (time - first time); each loop moves the offset on by
    // the length of the pass before it.
    const Clock::time_point start = Clock::now();
    double offset = 0;
    double firstTime = NAN;
    double lastTime = NAN;
    double fallbackTime = 0; // for streams without times: one nominal frame after the other
    int framesThisPass = 0;
    while (!stopRequested()) {
        CameraPixelBuffer image;
        double time = NAN;
        QString error;
        const auto result = m_reader->read(image, time, error);
        if (result == CameraAVStreamReader::ReadResult::interrupted)
            return;
        if (result != CameraAVStreamReader::ReadResult::frame) {
            // End of the file (or a decoding failure at its end): play it again, unless it holds no
            // picture at all.
            if (framesThisPass == 0 || !m_reader->rewind())
                return;
            const double passLength = std::isnan(firstTime) ? 0 : lastTime - firstTime;
            offset += passLength + m_reader->frameDuration();
            firstTime = lastTime = NAN;
            fallbackTime = 0;
            framesThisPass = 0;
            ++m_loops;
            continue;
        }
        if (std::isnan(time)) {
            time = fallbackTime;
            fallbackTime += m_reader->frameDuration();
        }
        if (std::isnan(firstTime))
            firstTime = time;
        // A time going backwards (a broken file) does not hold playback back.
        if (!std::isnan(lastTime) && time < lastTime)
            time = lastTime;
        lastTime = time;
        ++framesThisPass;
        const auto due = start
            + std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(offset + time - firstTime));
        if (!waitUntil(due))
            return;
        // Stamped with the time it is due, so the file's own spacing survives a late wake-up.
        sink(CameraFrameSample { std::move(image), CameraFrameSample::captureTime(due) });
    }
}

#pragma once

#include "CameraFramePool.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

// Reads the video stream of an FFmpeg input (a V4L2 device through libavdevice, or a file), decodes
// it and scales every picture to BGRA of a fixed size with libswscale; a picture of another aspect
// ratio is centre-cropped to the output's first, never stretched. Used by one capture thread;
// interrupt() may be called from any thread to end a read that waits for the device.
class CameraAVStreamReader {
public:
    enum class ReadResult { frame, endOfStream, interrupted, failed };

    CameraAVStreamReader(int outputWidth, int outputHeight);
    ~CameraAVStreamReader();
    CameraAVStreamReader(const CameraAVStreamReader &) = delete;
    CameraAVStreamReader &operator=(const CameraAVStreamReader &) = delete;

    // `formatName` empty: probe the input. `options` are the demuxer's (video_size, input_format...).
    bool open(const QString &url, const QString &formatName,
        const std::vector<std::pair<QString, QString>> &options, QString &errorDescription);
    void close();
    bool isOpen() const;

    // Blocks for the next decoded picture; `timeSeconds` is its time in the stream (NaN when unknown).
    ReadResult read(CameraPixelBuffer &image, double &timeSeconds, QString &errorDescription);
    // Back to the first picture (looping files).
    bool rewind();
    void interrupt();

    // The stream's nominal frame duration in seconds (1/30 when the stream does not say).
    double frameDuration() const;
    // Codec, pixel format and size of what is decoded, e.g. "mjpeg yuvj422p 1280x720".
    QString streamDescription() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

#pragma once

#include "CameraRecorderFrame.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// What a test reads back from an MP4 file through libavformat and libavcodec.
struct RecorderProbe {
    bool opened = false;
    QString codecName;
    int profile = -1; // FF_PROFILE_H264_*
    int width = 0;
    int height = 0;
    QString colorSpace;
    QString colorPrimaries;
    QString colorTransfer;
    QString colorRange;
    std::int64_t packets = 0;
    std::int64_t headerFrames = 0; // the frame count the file's header gives; 0 when it gives none
    double durationSeconds = 0; // the stream's duration
    std::vector<double> packetDurations; // seconds, in file order
    // Y, Cb, Cr of the first decoded picture at the probe point.
    int firstY = -1;
    int firstCb = -1;
    int firstCr = -1;
};

RecorderProbe probeRecording(const QString &path, int probeX, int probeY);
// Decodes every picture of the file's video stream, as a full decode does; the presentation time of
// each in seconds, in output order. Empty when the file cannot be opened; `errors` counts decoding
// failures.
std::vector<double> decodedPictureTimes(const QString &path, int *errors = nullptr);
// The types of the file's top-level boxes, in order ("ftyp", "mdat", ...); empty when it cannot be read.
QStringList topLevelBoxes(const QString &path);
// Expects a High-profile H.264 stream of the given size, packet count and duration (within
// `durationTolerance` seconds), tagged BT.709 (colour space, primaries and transfer).
void expectHighProfileBt709(const RecorderProbe &probe, int width, int height, std::int64_t packets,
    double durationSeconds, double durationTolerance);

// A synthetic BGRA picture, with padding at the end of each row: the left quarter pure red, the
// rest a pattern that moves with `index`.
class SyntheticFrames {
public:
    SyntheticFrames(int width, int height, int rowPadding = 64);
    CameraRecorderFrame frame(int index, double timestampSeconds);

private:
    int m_width;
    int m_height;
    std::ptrdiff_t m_bytesPerRow;
    std::vector<std::uint8_t> m_pixels;
};

class ZunoAppLogger;

// A logger of its own for one test, writing below `directory`.
std::shared_ptr<ZunoAppLogger> makeTestLogger(const QString &directory);
// The logger's lines of one category, oldest first, as "level|message".
QStringList loggedLines(ZunoAppLogger &logger, const QString &category);

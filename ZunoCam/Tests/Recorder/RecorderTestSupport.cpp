#include "RecorderTestSupport.h"

#include <QFile>

#include "ZunoAppLogger.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

RecorderProbe probeRecording(const QString &path, int probeX, int probeY)
{
    RecorderProbe probe;
    AVFormatContext *format = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (avformat_open_input(&format, name.constData(), nullptr, nullptr) < 0)
        return probe;
    if (avformat_find_stream_info(format, nullptr) < 0 || format->nb_streams != 1) {
        avformat_close_input(&format);
        return probe;
    }
    probe.opened = true;
    AVStream *stream = format->streams[0];
    const AVCodecParameters *par = stream->codecpar;
    probe.codecName = QString::fromUtf8(avcodec_get_name(par->codec_id));
    probe.profile = par->profile;
    probe.width = par->width;
    probe.height = par->height;
    probe.colorSpace = QString::fromUtf8(av_color_space_name(par->color_space));
    probe.colorPrimaries = QString::fromUtf8(av_color_primaries_name(par->color_primaries));
    probe.colorTransfer = QString::fromUtf8(av_color_transfer_name(par->color_trc));
    probe.colorRange = QString::fromUtf8(av_color_range_name(par->color_range));
    probe.headerFrames = stream->nb_frames;
    if (stream->duration != AV_NOPTS_VALUE)
        probe.durationSeconds = stream->duration * av_q2d(stream->time_base);

    const AVCodec *decoder = avcodec_find_decoder(par->codec_id);
    AVCodecContext *codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    if (codec
        && (avcodec_parameters_to_context(codec, par) < 0 || avcodec_open2(codec, decoder, nullptr) < 0))
        avcodec_free_context(&codec);

    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    auto takePicture = [&] {
        while (codec && probe.firstY < 0 && avcodec_receive_frame(codec, frame) == 0) {
            if (frame->format == AV_PIX_FMT_YUV420P && probeX < frame->width && probeY < frame->height) {
                probe.firstY = frame->data[0][probeY * frame->linesize[0] + probeX];
                probe.firstCb = frame->data[1][(probeY / 2) * frame->linesize[1] + probeX / 2];
                probe.firstCr = frame->data[2][(probeY / 2) * frame->linesize[2] + probeX / 2];
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        ++probe.packets;
        probe.packetDurations.push_back(packet->duration * av_q2d(stream->time_base));
        if (codec && probe.firstY < 0 && avcodec_send_packet(codec, packet) >= 0)
            takePicture();
        av_packet_unref(packet);
    }
    if (codec && probe.firstY < 0 && avcodec_send_packet(codec, nullptr) >= 0)
        takePicture();

    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return probe;
}

std::vector<double> decodedPictureTimes(const QString &path, int *errors)
{
    std::vector<double> times;
    int failures = 0;
    AVFormatContext *format = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (avformat_open_input(&format, name.constData(), nullptr, nullptr) < 0)
        return times;
    const AVCodec *decoder = nullptr;
    const int index = avformat_find_stream_info(format, nullptr) < 0
        ? -1
        : av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    AVCodecContext *codec = index >= 0 && decoder ? avcodec_alloc_context3(decoder) : nullptr;
    if (codec
        && (avcodec_parameters_to_context(codec, format->streams[index]->codecpar) < 0
            || avcodec_open2(codec, decoder, nullptr) < 0))
        avcodec_free_context(&codec);
    if (codec) {
        const double timeBase = av_q2d(format->streams[index]->time_base);
        AVPacket *packet = av_packet_alloc();
        AVFrame *frame = av_frame_alloc();
        const auto receive = [&] {
            while (avcodec_receive_frame(codec, frame) == 0) {
                times.push_back(double(frame->best_effort_timestamp) * timeBase);
                av_frame_unref(frame);
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index) {
                if (avcodec_send_packet(codec, packet) < 0)
                    ++failures;
                receive();
            }
            av_packet_unref(packet);
        }
        avcodec_send_packet(codec, nullptr);
        receive();
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
    }
    avformat_close_input(&format);
    if (errors)
        *errors = failures;
    return times;
}

QStringList topLevelBoxes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList types;
    const qint64 end = file.size();
    for (qint64 at = 0; at + 8 <= end;) {
        file.seek(at);
        const QByteArray header = file.read(16);
        if (header.size() < 8)
            return {};
        const auto byte = [&](int i) { return std::uint64_t(std::uint8_t(header[i])); };
        std::uint64_t size = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        if (size == 1 && header.size() == 16) {
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = size << 8 | byte(i);
        } else if (size == 0) {
            size = std::uint64_t(end - at);
        }
        types << QString::fromLatin1(header.mid(4, 4));
        if (size < 8)
            return types << QStringLiteral("(bad size)");
        at += qint64(size);
        if (at > end)
            return types << QStringLiteral("(cut)");
    }
    return types;
}

void expectHighProfileBt709(const RecorderProbe &probe, int width, int height, std::int64_t packets,
    double durationSeconds, double durationTolerance)
{
    EXPECT_EQ(probe.codecName, "h264");
    EXPECT_EQ(probe.profile, FF_PROFILE_H264_HIGH);
    EXPECT_EQ(probe.width, width);
    EXPECT_EQ(probe.height, height);
    EXPECT_EQ(probe.packets, packets);
    EXPECT_NEAR(probe.durationSeconds, durationSeconds, durationTolerance);
    EXPECT_EQ(probe.colorSpace, "bt709");
    EXPECT_EQ(probe.colorPrimaries, "bt709");
    EXPECT_EQ(probe.colorTransfer, "bt709");
}

SyntheticFrames::SyntheticFrames(int width, int height, int rowPadding)
    : m_width(width)
    , m_height(height)
    , m_bytesPerRow(std::ptrdiff_t(width) * 4 + rowPadding)
    , m_pixels(std::size_t(m_bytesPerRow) * std::size_t(height), 0xEE)
{
}

CameraRecorderFrame SyntheticFrames::frame(int index, double timestampSeconds)
{
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t *row = m_pixels.data() + m_bytesPerRow * y;
        for (int x = 0; x < m_width; ++x) {
            std::uint8_t *p = row + x * 4;
            if (x < m_width / 4) {
                p[0] = 0, p[1] = 0, p[2] = 255; // B, G, R
            } else {
                p[0] = std::uint8_t((x + index * 8) & 0xFF);
                p[1] = std::uint8_t((y * 2 + index * 4) & 0xFF);
                p[2] = std::uint8_t(((x ^ y) + index) & 0xFF);
            }
            p[3] = 255;
        }
    }
    return CameraRecorderFrame { m_pixels.data(), m_width, m_height, m_bytesPerRow, timestampSeconds };
}

std::shared_ptr<ZunoAppLogger> makeTestLogger(const QString &directory)
{
    return std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCamRecorderTests"), directory);
}

QStringList loggedLines(ZunoAppLogger &logger, const QString &category)
{
    QStringList out;
    const QList<ZunoLogEntry> entries = logger.recentEntries(1000, ZunoLogLevel::debug);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->category == category)
            out << rawValue(it->level) + QLatin1Char('|') + it->message;
    }
    return out;
}

#include "CameraMP4Writer.h"

#include "CameraMP4FileSink.h"
#include "CameraStorageRoom.h"
#include "CameraYUVConverter.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// 90 kHz: the usual video clock; fine enough for capture timestamps, and MP4 sample durations stay small.
constexpr int kTimeScale = 90000;
// Seconds between key frames, so players can seek.
constexpr int kKeyFrameSeconds = 2;
// Real-time 720p within half a core of a two-core machine; keeps CABAC and 8x8 transforms, so the
// stream is High profile. One more frame thread gives the encoder headroom for bursts.
constexpr const char *kEncoderPreset = "superfast";
constexpr int kEncoderThreads = 2;
// errno values are small; FFmpeg's own codes are tags far beyond.
constexpr int kLargestErrno = 4096;

// The file is written in fragments of about a second (a key frame every two seconds starts one too),
// each with its own small index, so that a recording cut short by a crash, a kill or a power cut
// still plays up to its last whole fragment. The muxer's closing index is not written: the file
// gets an ordinary one instead when it is finished (CameraMP4FileSink).
constexpr const char *kFragmentFlags = "empty_moov+default_base_moof+frag_keyframe+skip_trailer";
constexpr const char *kFragmentMicroseconds = "1000000";

// Room kept for finishing the file: the frames the muxer holds for the fragment it is building, the
// fragments' own boxes, and the index, which grows with the frame count (sizes, times, key frames
// and chunk offsets take well under 48 bytes a frame; generous on purpose), plus a fixed part for
// the index's boxes and the file system's own blocks.
constexpr std::int64_t kIndexBytesPerFrame = 48;
constexpr std::int64_t kFinishingBytes = 320 * 1024;
// The free space is read again after a second, or at every packet once it comes near the room kept.
constexpr auto kFreeSpaceMaxAge = std::chrono::seconds(1);
constexpr std::int64_t kFreeSpaceCloseBytes = 32 * 1024 * 1024;
// Room is held a megabyte (about a second) ahead of what is needed.
constexpr std::int64_t kHoldStepBytes = 1024 * 1024;

QString averrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace

CameraMP4Writer::SetupError::SetupError(SetupStage stage, const QString &message)
    : std::runtime_error(message.toStdString())
    , m_stage(stage)
{
}

struct CameraMP4Writer::Impl {
    enum class Command { run, finish, cancel };

    struct Buffer {
        // BGRA, width * 4 per row; left uninitialised, every frame overwrites all of it.
        std::unique_ptr<std::uint8_t[]> pixels;
        std::int64_t pts = 0;
    };

    // A frame handed to the encoder; its packet's duration is known once the next frame is known.
    struct Timing {
        std::int64_t pts = 0;
        bool written = false;
    };

    QString path;
    Settings settings;
    std::optional<std::uint64_t> largestFile;

    CameraMP4FileSink sink;
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    AVStream *stream = nullptr;
    AVFrame *picture = nullptr;
    AVPacket *packet = nullptr;
    std::int64_t nominalDuration = kTimeScale / 30;

    // Shared between the producer and the encoder thread.
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::vector<Buffer> buffers;
    std::vector<int> freeBuffers;
    std::deque<int> queued;
    std::int64_t lastQueuedPts = std::numeric_limits<std::int64_t>::min();
    Command command = Command::run;
    Status status = Status::writing;
    Limit limit = Limit::none;
    QString error;
    int systemError = 0;
    bool indexWritten = false;
    bool playable = false;
    std::int64_t framesWritten = 0;
    std::int64_t writtenEnd = 0; // end of the last written packet, in kTimeScale ticks
    std::thread thread;

    // Encoder thread only.
    std::deque<Timing> timings;
    std::deque<AVPacket *> pending;
    // Bytes of the packets given to the muxer.
    std::int64_t givenBytes = 0;
    // Time of the first packet given to the muxer, in kTimeScale ticks from the start.
    std::optional<std::int64_t> firstPts;
    // The last free-space reading, with what the file held beyond its end and its size at the time.
    std::optional<std::int64_t> freeAtReading;
    std::int64_t positionAtReading = 0;
    std::chrono::steady_clock::time_point readAt;

    ~Impl() { release(); }

    void open();
    void release();
    void run();
    bool encode(int buffer);
    bool drain();
    bool writeReadyPackets(bool final);
    Limit limitBefore(std::int64_t packetBytes);
    void endEarly(Limit reached);
    void fail(const QString &message, int averror = 0);
    void stop(Command how);
};

void CameraMP4Writer::Impl::open()
{
    const QByteArray fileName = QFile::encodeName(path);
    if (!settings.freeSpace)
        settings.freeSpace = CameraStorageRoom::freeBytes;

    int ret = avformat_alloc_output_context2(&format, nullptr, "mp4", nullptr);
    if (ret < 0 || !format)
        throw SetupError(SetupStage::file, averrorText(ret < 0 ? ret : AVERROR(ENOMEM)));
    if (const int error = sink.open(fileName))
        throw SetupError(SetupStage::file, averrorText(AVERROR(error)));
    format->pb = sink.io();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;

    const AVCodec *encoder = avcodec_find_encoder_by_name("libx264");
    if (!encoder)
        throw SetupError(SetupStage::input, QStringLiteral("no H.264 encoder (libx264) is available"));
    codec = avcodec_alloc_context3(encoder);
    stream = avformat_new_stream(format, nullptr);
    picture = av_frame_alloc();
    packet = av_packet_alloc();
    if (!codec || !stream || !picture || !packet)
        throw SetupError(SetupStage::input, averrorText(AVERROR(ENOMEM)));

    const int fps = std::max(1, settings.expectedFrameRate);
    nominalDuration = std::max<std::int64_t>(1, kTimeScale / fps);
    codec->width = settings.width;
    codec->height = settings.height;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = AVRational { 1, kTimeScale };
    codec->framerate = AVRational { fps, 1 };
    codec->bit_rate = settings.averageBitRate;
    codec->gop_size = fps * kKeyFrameSeconds;
    // No B-frames: decoding order is presentation order, so every sample's duration in the file is
    // exactly its frame's time on screen, and no edit list is needed to start at zero.
    codec->max_b_frames = 0;
    codec->profile = FF_PROFILE_H264_HIGH;
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_BT709;
    codec->colorspace = AVCOL_SPC_BT709;
    codec->color_range = AVCOL_RANGE_MPEG;
    // The converter averages each 2x2 block, so chroma sits at the block centre.
    codec->chroma_sample_location = AVCHROMA_LOC_CENTER;
    codec->thread_count = kEncoderThreads;
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(codec->priv_data, "preset", kEncoderPreset, 0);
    // 4x4 intra blocks in P frames cost about a quarter of the encoding time for little at this rate.
    av_opt_set(codec->priv_data, "partitions", "i8x8", 0);
    av_opt_set(codec->priv_data, "profile", "high", 0);
    // Only warnings and errors from x264 (its statistics would go to standard error at every close).
    av_opt_set(codec->priv_data, "x264-params", "log=1", 0);

    ret = avcodec_open2(codec, encoder, nullptr);
    if (ret < 0)
        throw SetupError(SetupStage::input, averrorText(ret));

    stream->time_base = codec->time_base;
    ret = avcodec_parameters_from_context(stream->codecpar, codec);
    if (ret < 0)
        throw SetupError(SetupStage::input, averrorText(ret));

    picture->format = codec->pix_fmt;
    picture->width = codec->width;
    picture->height = codec->height;
    picture->color_primaries = codec->color_primaries;
    picture->color_trc = codec->color_trc;
    picture->colorspace = codec->colorspace;
    picture->color_range = codec->color_range;
    ret = av_frame_get_buffer(picture, 0);
    if (ret < 0)
        throw SetupError(SetupStage::input, averrorText(ret));

    AVDictionary *options = nullptr;
    av_dict_set(&options, "movflags", kFragmentFlags, 0);
    av_dict_set(&options, "frag_duration", kFragmentMicroseconds, 0);
    ret = avformat_write_header(format, &options);
    const bool optionsTaken = av_dict_count(options) == 0;
    av_dict_free(&options);
    if (ret < 0)
        throw SetupError(SetupStage::start, averrorText(ret));
    if (!optionsTaken)
        throw SetupError(SetupStage::start, QStringLiteral("the MP4 muxer does not write fragments"));
    // The header is on disk before the first frame: a file cut at any moment starts right.
    avio_flush(format->pb);
    if (sink.error())
        throw SetupError(SetupStage::start, averrorText(AVERROR(sink.error())));
    largestFile = CameraStorageRoom::largestFileSize(path);

    const std::size_t bytes = std::size_t(settings.width) * std::size_t(settings.height) * 4;
    buffers.resize(kPoolSize);
    for (int i = 0; i < kPoolSize; ++i) {
        buffers[i].pixels.reset(new std::uint8_t[bytes]);
        freeBuffers.push_back(i);
    }
    thread = std::thread([this] { run(); });
}

void CameraMP4Writer::Impl::release()
{
    for (AVPacket *p : pending)
        av_packet_free(&p);
    pending.clear();
    // The sink owns the muxer's output stream and closes the file.
    if (format)
        format->pb = nullptr;
    avformat_free_context(format);
    sink.close();
    format = nullptr;
    avcodec_free_context(&codec);
    av_frame_free(&picture);
    av_packet_free(&packet);
}

void CameraMP4Writer::Impl::fail(const QString &message, int averror)
{
    std::lock_guard lock(mutex);
    if (status == Status::writing) {
        status = Status::failed;
        error = message;
        // FFmpeg's codes for system errors are the negated errno values.
        if (averror < 0 && averror > -kLargestErrno)
            systemError = -averror;
    }
    // Nothing more is encoded: hand every queued buffer back.
    for (int buffer : queued)
        freeBuffers.push_back(buffer);
    queued.clear();
}

// The file is ended here, while its index still fits: nothing more is taken, and the frames not yet
// written (queued, inside the encoder, waiting for their duration) are dropped.
void CameraMP4Writer::Impl::endEarly(Limit reached)
{
    for (AVPacket *p : pending)
        av_packet_free(&p);
    pending.clear();
    std::lock_guard lock(mutex);
    if (status == Status::writing && limit == Limit::none)
        limit = reached;
    for (int buffer : queued)
        freeBuffers.push_back(buffer);
    queued.clear();
}

// Whether a packet of `packetBytes` may still go to the file, with room left after it to finish it.
CameraMP4Writer::Limit CameraMP4Writer::Impl::limitBefore(std::int64_t packetBytes)
{
    const auto position = std::int64_t(sink.size());
    // Still to come: the frames of the fragment the muxer is building (and that fragment's boxes), and
    // the write buffer.
    const std::int64_t unwritten = givenBytes - std::int64_t(sink.fragments().mediaBytes());
    const std::int64_t needed = packetBytes + unwritten + kIndexBytesPerFrame * (framesWritten + 1)
        + kFinishingBytes + format->pb->buffer_size;
    if (largestFile && std::uint64_t(position + needed) > *largestFile)
        return Limit::fileSize;

    // What the file holds beyond its end is counted as used by the file system, but is ours.
    const auto now = std::chrono::steady_clock::now();
    const auto estimate = [&] { return *freeAtReading - (position - positionAtReading); };
    if (!freeAtReading || now - readAt >= kFreeSpaceMaxAge || estimate() - needed < kFreeSpaceCloseBytes) {
        const std::optional<std::uint64_t> free = settings.freeSpace(path);
        freeAtReading = free
            ? std::optional(
                std::int64_t(std::min<std::uint64_t>(*free, std::numeric_limits<std::int64_t>::max() / 2))
                + std::int64_t(sink.heldAhead()))
            : std::nullopt;
        positionAtReading = position;
        readAt = now;
    }
    const std::optional<std::int64_t> room = freeAtReading ? std::optional(estimate()) : std::nullopt;
    if (room && *room < needed)
        return Limit::diskSpace;

    // The room is taken now, so that another program filling the disk cannot take it; a little more
    // than needed, where there is more, so that the file system is asked about once a second.
    const std::int64_t ahead = std::min(room.value_or(needed + kHoldStepBytes), needed + kHoldStepBytes);
    if (sink.hold(std::uint64_t(needed), std::uint64_t(ahead)) == CameraMP4FileSink::Room::full)
        return Limit::diskSpace;
    return Limit::none;
}

void CameraMP4Writer::Impl::run()
{
    bool healthy = true;
    for (;;) {
        int buffer = -1;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return !queued.empty() || command != Command::run; });
            if (command == Command::cancel)
                return;
            if (queued.empty())
                break; // finishing, and everything queued is encoded
            buffer = queued.front();
            queued.pop_front();
        }
        if (healthy)
            healthy = encode(buffer);
        else {
            std::lock_guard lock(mutex);
            freeBuffers.push_back(buffer);
        }
    }

    // Finish: drain the encoder, write what is left, then the index.
    if (healthy) {
        const int ret = avcodec_send_frame(codec, nullptr);
        if (ret < 0 && ret != AVERROR_EOF) {
            fail(QStringLiteral("H.264 encoder flush failed: ") + averrorText(ret), ret);
            healthy = false;
        }
    }
    if (healthy)
        healthy = drain() && writeReadyPackets(true);
    // The last fragment goes to the file; the muxer writes nothing else at the end.
    if (healthy) {
        const int trailer = av_write_trailer(format);
        avio_flush(format->pb);
        if (trailer < 0 || sink.error())
            fail(QStringLiteral("Could not write to the MP4 file: ")
                    + averrorText(sink.error() ? AVERROR(sink.error()) : trailer),
                sink.error() ? AVERROR(sink.error()) : trailer);
    }
    // The muxer's fragments start at time zero; the index puts the first frame at its own time.
    const int indexError = sink.finish(std::uint64_t(firstPts.value_or(0)));
    if (indexError)
        fail(QStringLiteral("Could not write the MP4 index: ") + averrorText(AVERROR(indexError)),
            AVERROR(indexError));
    format->pb = nullptr;
    const int closed = sink.close();
    if (closed)
        fail(
            QStringLiteral("Could not close the MP4 file: ") + averrorText(AVERROR(closed)), AVERROR(closed));

    // What the file holds: every frame of its whole fragments.
    std::int64_t end = firstPts.value_or(0);
    for (const CameraMP4Sample &sample : sink.fragments().samples())
        end += sample.duration;
    std::lock_guard lock(mutex);
    indexWritten = sink.indexed() && closed == 0;
    playable = !sink.fragments().samples().empty() && closed == 0;
    framesWritten = std::int64_t(sink.fragments().samples().size());
    writtenEnd = framesWritten > 0 ? end : 0;
    if (status == Status::writing)
        status = Status::completed;
}

bool CameraMP4Writer::Impl::encode(int buffer)
{
    int ret = av_frame_make_writable(picture);
    if (ret < 0) {
        {
            std::lock_guard lock(mutex);
            freeBuffers.push_back(buffer);
        }
        fail(QStringLiteral("No memory for a video frame: ") + averrorText(ret), ret);
        return false;
    }
    CameraYUVConverter::convertBGRAToI420(buffers[buffer].pixels.get(), std::ptrdiff_t(settings.width) * 4,
        settings.width, settings.height, picture->data[0], picture->linesize[0], picture->data[1],
        picture->linesize[1], picture->data[2], picture->linesize[2]);
    const std::int64_t pts = buffers[buffer].pts;
    {
        std::lock_guard lock(mutex);
        freeBuffers.push_back(buffer);
    }

    picture->pts = pts;
    timings.push_back(Timing { pts, false });
    ret = avcodec_send_frame(codec, picture);
    if (ret < 0) {
        fail(QStringLiteral("H.264 encoding failed: ") + averrorText(ret), ret);
        return false;
    }
    return drain() && writeReadyPackets(false);
}

bool CameraMP4Writer::Impl::drain()
{
    for (;;) {
        const int ret = avcodec_receive_packet(codec, packet);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return true;
        if (ret < 0) {
            fail(QStringLiteral("H.264 encoding failed: ") + averrorText(ret), ret);
            return false;
        }
        AVPacket *held = av_packet_alloc();
        if (!held) {
            av_packet_unref(packet);
            fail(QStringLiteral("No memory for a video packet."));
            return false;
        }
        av_packet_move_ref(held, packet);
        pending.push_back(held);
    }
}

// Packets leave the encoder in decoding order; each lasts until the next frame in presentation order,
// so a packet waits until that frame has been handed to the encoder (or, at the end, gets one frame).
bool CameraMP4Writer::Impl::writeReadyPackets(bool final)
{
    while (!pending.empty()) {
        AVPacket *p = pending.front();
        std::int64_t duration = nominalDuration;
        const auto it = std::lower_bound(timings.begin(), timings.end(), p->pts,
            [](const Timing &t, std::int64_t pts) { return t.pts < pts; });
        if (it != timings.end() && it->pts == p->pts) {
            const auto next = std::next(it);
            if (next != timings.end())
                duration = next->pts - it->pts;
            else if (!final)
                return true;
            it->written = true;
        }
        if (const Limit reached = limitBefore(p->size); reached != Limit::none) {
            endEarly(reached);
            return false;
        }
        pending.pop_front();
        p->duration = duration;
        p->stream_index = stream->index;
        const std::int64_t end = p->pts + duration;
        const std::int64_t start = p->pts;
        av_packet_rescale_ts(p, codec->time_base, stream->time_base);
        const int size = p->size;
        const int ret = av_interleaved_write_frame(format, p);
        av_packet_free(&p);
        if (ret < 0) {
            fail(QStringLiteral("Could not write to the MP4 file: ") + averrorText(ret), ret);
            return false;
        }
        givenBytes += size;
        if (!firstPts)
            firstPts = start;
        {
            std::lock_guard lock(mutex);
            ++framesWritten;
            writtenEnd = std::max(writtenEnd, end);
        }
        // The oldest frames are needed no more once written: every later packet has a later time.
        while (!timings.empty() && timings.front().written)
            timings.pop_front();
    }
    return true;
}

void CameraMP4Writer::Impl::stop(Command how)
{
    {
        std::lock_guard lock(mutex);
        if (command == Command::run)
            command = how;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

CameraMP4Writer::CameraMP4Writer(const QString &path, const Settings &settings)
    : d(std::make_unique<Impl>())
{
    d->path = path;
    d->settings = settings;
    if (settings.width < 2 || settings.height < 2 || settings.width % 2 || settings.height % 2)
        throw SetupError(SetupStage::input, QStringLiteral("the frame size must be even and at least 2 x 2"));
    d->open();
}

CameraMP4Writer::~CameraMP4Writer()
{
    cancel();
}

QString CameraMP4Writer::path() const
{
    return d->path;
}

CameraMP4Writer::Settings CameraMP4Writer::settings() const
{
    return d->settings;
}

CameraMP4Writer::Status CameraMP4Writer::status() const
{
    std::lock_guard lock(d->mutex);
    return d->status;
}

QString CameraMP4Writer::errorMessage() const
{
    std::lock_guard lock(d->mutex);
    return d->error;
}

int CameraMP4Writer::systemError() const
{
    std::lock_guard lock(d->mutex);
    return d->systemError;
}

bool CameraMP4Writer::indexWritten() const
{
    std::lock_guard lock(d->mutex);
    return d->indexWritten;
}

bool CameraMP4Writer::playable() const
{
    std::lock_guard lock(d->mutex);
    return d->playable;
}

std::int64_t CameraMP4Writer::framesWritten() const
{
    std::lock_guard lock(d->mutex);
    return d->framesWritten;
}

double CameraMP4Writer::writtenSeconds() const
{
    std::lock_guard lock(d->mutex);
    return double(d->writtenEnd) / kTimeScale;
}

CameraMP4Writer::Limit CameraMP4Writer::limitReached() const
{
    std::lock_guard lock(d->mutex);
    return d->limit;
}

bool CameraMP4Writer::isReadyForMoreMediaData() const
{
    std::lock_guard lock(d->mutex);
    return d->status == Status::writing && d->limit == Limit::none && d->command == Impl::Command::run
        && !d->freeBuffers.empty();
}

bool CameraMP4Writer::append(const CameraRecorderFrame &frame)
{
    if (!frame.data || frame.width <= 0 || frame.height <= 0
        || frame.bytesPerRow < std::ptrdiff_t(frame.width) * 4)
        return false;
    if (!std::isfinite(frame.timestampSeconds))
        return false;
    const double ticks = std::round((frame.timestampSeconds - d->settings.startTimeSeconds) * kTimeScale);
    if (!(ticks >= 0) || ticks > double(std::numeric_limits<std::int64_t>::max() / 2))
        return false;
    const auto pts = std::int64_t(ticks);

    int buffer = -1;
    {
        std::lock_guard lock(d->mutex);
        if (d->status != Status::writing || d->limit != Limit::none || d->command != Impl::Command::run
            || d->freeBuffers.empty())
            return false;
        if (pts <= d->lastQueuedPts)
            return false;
        buffer = d->freeBuffers.back();
        d->freeBuffers.pop_back();
        d->lastQueuedPts = pts;
    }

    // The copy runs outside the lock: the buffer is ours until it is queued.
    Impl::Buffer &target = d->buffers[buffer];
    const int width = d->settings.width;
    const int height = d->settings.height;
    const int copyWidth = std::min(width, frame.width);
    const int copyHeight = std::min(height, frame.height);
    const std::size_t rowBytes = std::size_t(width) * 4;
    for (int y = 0; y < copyHeight; ++y) {
        std::uint8_t *row = target.pixels.get() + rowBytes * y;
        std::memcpy(row, frame.data + frame.bytesPerRow * y, std::size_t(copyWidth) * 4);
        if (copyWidth < width)
            std::memset(row + std::size_t(copyWidth) * 4, 0, rowBytes - std::size_t(copyWidth) * 4);
    }
    for (int y = copyHeight; y < height; ++y)
        std::memset(target.pixels.get() + rowBytes * y, 0, rowBytes);
    target.pts = pts;

    {
        std::lock_guard lock(d->mutex);
        d->queued.push_back(buffer);
    }
    d->wake.notify_one();
    return true;
}

CameraMP4Writer::Status CameraMP4Writer::finish()
{
    d->stop(Impl::Command::finish);
    std::lock_guard lock(d->mutex);
    return d->status;
}

void CameraMP4Writer::cancel()
{
    bool cancelled = false;
    {
        std::lock_guard lock(d->mutex);
        cancelled = d->command == Impl::Command::run;
    }
    d->stop(Impl::Command::cancel);
    std::lock_guard lock(d->mutex);
    if (cancelled && d->status == Status::writing)
        d->status = Status::cancelled;
}

#include "CameraAVStreamReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>

namespace {

QString avErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

void registerDevicesOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        avdevice_register_all();
        av_log_set_level(AV_LOG_ERROR);
    });
}

// The deprecated full-range "J" formats MJPEG decoders report, as their plain twins.
AVPixelFormat plainFormat(AVPixelFormat format, bool &fullRange)
{
    fullRange = true;
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        return AV_PIX_FMT_YUV440P;
    default:
        fullRange = false;
        return format;
    }
}

} // namespace

struct CameraAVStreamReader::Impl {
    int outputWidth;
    int outputHeight;
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    SwsContext *scaler = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
    int streamIndex = -1;
    double timeBase = 0;
    double frameDuration = 1.0 / 30.0;
    bool draining = false;
    std::atomic<bool> interrupted { false };
    CameraFramePool pool;

    static int interruptCallback(void *opaque)
    {
        return static_cast<Impl *>(opaque)->interrupted.load() ? 1 : 0;
    }

    void close()
    {
        sws_freeContext(scaler);
        scaler = nullptr;
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
        streamIndex = -1;
        draining = false;
    }

    // Pictures of another shape (a 4:3 webcam) lose their outer rows or columns, centred, so that
    // scaling to the output size never stretches people. Offsets stay even for subsampled chroma.
    void cropToOutputShape()
    {
        const std::int64_t w = frame->width, h = frame->height;
        std::int64_t keptWidth = w, keptHeight = h;
        if (w * outputHeight > h * outputWidth)
            keptWidth = (h * outputWidth / outputHeight) & ~std::int64_t(1);
        else
            keptHeight = (w * outputHeight / outputWidth) & ~std::int64_t(1);
        if (keptWidth < 2 || keptHeight < 2 || (keptWidth == w && keptHeight == h))
            return;
        frame->crop_left = static_cast<size_t>(((w - keptWidth) / 2) & ~std::int64_t(1));
        frame->crop_right = static_cast<size_t>(w - keptWidth) - frame->crop_left;
        frame->crop_top = static_cast<size_t>(((h - keptHeight) / 2) & ~std::int64_t(1));
        frame->crop_bottom = static_cast<size_t>(h - keptHeight) - frame->crop_top;
        av_frame_apply_cropping(frame, AV_FRAME_CROP_UNALIGNED);
    }

    bool scale(CameraPixelBuffer &image)
    {
        cropToOutputShape();
        bool fullRange = false;
        const AVPixelFormat source = plainFormat(static_cast<AVPixelFormat>(frame->format), fullRange);
        fullRange = fullRange || frame->color_range == AVCOL_RANGE_JPEG;
        scaler = sws_getCachedContext(scaler, frame->width, frame->height, source, outputWidth, outputHeight,
            AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler)
            return false;
        const int *coefficients
            = sws_getCoefficients(frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT);
        sws_setColorspaceDetails(scaler, coefficients, fullRange ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT),
            1, 0, 1 << 16, 1 << 16);
        image = pool.acquire(outputWidth, outputHeight);
        uint8_t *planes[4] = { image.bits(), nullptr, nullptr, nullptr };
        int strides[4] = { image.bytesPerRow(), 0, 0, 0 };
        return sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) > 0;
    }
};

CameraAVStreamReader::CameraAVStreamReader(int outputWidth, int outputHeight)
    : d(std::make_unique<Impl>())
{
    d->outputWidth = outputWidth;
    d->outputHeight = outputHeight;
}

CameraAVStreamReader::~CameraAVStreamReader()
{
    d->close();
}

bool CameraAVStreamReader::open(const QString &url, const QString &formatName,
    const std::vector<std::pair<QString, QString>> &options, QString &errorDescription)
{
    registerDevicesOnce();
    d->close();
    d->interrupted = false;

    const AVInputFormat *inputFormat = nullptr;
    if (!formatName.isEmpty()) {
        inputFormat = av_find_input_format(formatName.toUtf8().constData());
        if (!inputFormat) {
            errorDescription = QStringLiteral("FFmpeg has no input format \"%1\"").arg(formatName);
            return false;
        }
    }
    AVDictionary *dictionary = nullptr;
    for (const auto &[key, value] : options)
        av_dict_set(&dictionary, key.toUtf8().constData(), value.toUtf8().constData(), 0);

    d->format = avformat_alloc_context();
    d->format->interrupt_callback = { &Impl::interruptCallback, d.get() };
    int result = avformat_open_input(&d->format, url.toUtf8().constData(), inputFormat, &dictionary);
    av_dict_free(&dictionary);
    if (result < 0) {
        d->format = nullptr; // freed by avformat_open_input on failure
        errorDescription = avErrorText(result);
        return false;
    }
    result = avformat_find_stream_info(d->format, nullptr);
    if (result < 0) {
        errorDescription = avErrorText(result);
        d->close();
        return false;
    }
    const AVCodec *decoder = nullptr;
    d->streamIndex = av_find_best_stream(d->format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (d->streamIndex < 0 || !decoder) {
        errorDescription = d->streamIndex == AVERROR_DECODER_NOT_FOUND
            ? QStringLiteral("No decoder for the video stream")
            : QStringLiteral("No video stream");
        d->close();
        return false;
    }
    AVStream *stream = d->format->streams[d->streamIndex];
    d->codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(d->codec, stream->codecpar);
    d->codec->thread_count = 2;
    result = avcodec_open2(d->codec, decoder, nullptr);
    if (result < 0) {
        errorDescription = avErrorText(result);
        d->close();
        return false;
    }
    d->timeBase = av_q2d(stream->time_base);
    const AVRational rate = av_guess_frame_rate(d->format, stream, nullptr);
    d->frameDuration = rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 1.0 / 30.0;
    d->packet = av_packet_alloc();
    d->frame = av_frame_alloc();
    return true;
}

void CameraAVStreamReader::close()
{
    d->close();
}

bool CameraAVStreamReader::isOpen() const
{
    return d->format != nullptr;
}

CameraAVStreamReader::ReadResult CameraAVStreamReader::read(
    CameraPixelBuffer &image, double &timeSeconds, QString &errorDescription)
{
    if (!d->format)
        return ReadResult::failed;
    for (;;) {
        int result = avcodec_receive_frame(d->codec, d->frame);
        if (result == 0) {
            const int64_t pts = d->frame->best_effort_timestamp;
            timeSeconds = pts == AV_NOPTS_VALUE ? std::numeric_limits<double>::quiet_NaN()
                                                : static_cast<double>(pts) * d->timeBase;
            const bool scaled = d->scale(image);
            av_frame_unref(d->frame);
            if (scaled)
                return ReadResult::frame;
            continue; // a picture the scaler cannot take is skipped
        }
        if (result == AVERROR_EOF)
            return ReadResult::endOfStream;
        if (result != AVERROR(EAGAIN)) {
            errorDescription = avErrorText(result);
            return ReadResult::failed;
        }
        if (d->draining)
            return ReadResult::endOfStream;

        result = av_read_frame(d->format, d->packet);
        if (result == AVERROR_EXIT || d->interrupted)
            return ReadResult::interrupted;
        if (result == AVERROR_EOF) {
            d->draining = true;
            avcodec_send_packet(d->codec, nullptr);
            continue;
        }
        if (result == AVERROR(EAGAIN))
            continue;
        if (result < 0) {
            errorDescription = avErrorText(result);
            return ReadResult::failed;
        }
        if (d->packet->stream_index == d->streamIndex) {
            // A damaged packet (a torn MJPEG frame) is skipped; the next one decodes.
            avcodec_send_packet(d->codec, d->packet);
        }
        av_packet_unref(d->packet);
    }
}

bool CameraAVStreamReader::rewind()
{
    if (!d->format)
        return false;
    if (avformat_seek_file(d->format, -1, std::numeric_limits<int64_t>::min(), 0, 0, 0) < 0
        && av_seek_frame(d->format, d->streamIndex, 0, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(d->codec);
    d->draining = false;
    return true;
}

void CameraAVStreamReader::interrupt()
{
    d->interrupted = true;
}

double CameraAVStreamReader::frameDuration() const
{
    return d->frameDuration;
}

QString CameraAVStreamReader::streamDescription() const
{
    if (!d->codec)
        return {};
    const char *pixel = av_get_pix_fmt_name(d->codec->pix_fmt);
    return QStringLiteral("%1 %2 %3x%4")
        .arg(QString::fromUtf8(d->codec->codec->name), QString::fromUtf8(pixel ? pixel : "?"))
        .arg(d->codec->width)
        .arg(d->codec->height);
}

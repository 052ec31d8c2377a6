#include "PersonSegmenter.h"

#include "SelfieSegmentationModel.h"
#include "ZunoAppLogger.h"

PersonSegmenter::PersonSegmenter(std::shared_ptr<ZunoAppLogger> logger)
    : PersonSegmenter(std::move(logger), SelfieSegmentationModel::defaultPath())
{
}

PersonSegmenter::PersonSegmenter(std::shared_ptr<ZunoAppLogger> logger, const QString &modelPath)
    : m_logger(std::move(logger))
    , m_now([] { return Clock::now(); })
{
    try {
        m_selfie = std::make_unique<SelfieSegmentationModel>(modelPath);
        m_model = [model = m_selfie.get()](const NeuralImageView &frame, QImage &mask, QString &error) {
            return model->segment(frame, mask, &error);
        };
    } catch (const NeuralModelError &e) {
        m_model = [reason = e.message()](const NeuralImageView &, QImage &, QString &error) {
            error = reason;
            return false;
        };
    }
}

PersonSegmenter::PersonSegmenter(
    std::shared_ptr<ZunoAppLogger> logger, MaskFunction model, std::function<Clock::time_point()> now)
    : m_model(std::move(model))
    , m_logger(std::move(logger))
    , m_now(now ? std::move(now) : [] { return Clock::now(); })
{
}

PersonSegmenter::~PersonSegmenter() = default;

QImage *PersonSegmenter::freeMaskBuffer()
{
    for (int i = 0; i < int(m_masks.size()); ++i) {
        QImage &candidate = m_masks[std::size_t(i)];
        if (i != m_lastMask && (candidate.isNull() || candidate.isDetached()))
            return &candidate;
    }
    // Every buffer is still held by a caller: detach one (allocates, but never blocks the frame).
    const int i = m_lastMask == 0 ? 1 : 0;
    m_masks[std::size_t(i)] = QImage();
    return &m_masks[std::size_t(i)];
}

std::optional<QImage> PersonSegmenter::segment(const NeuralImageView &frame, PortraitBackgroundMode mode)
{
    if (mode == PortraitBackgroundMode::off) {
        reset();
        return std::nullopt;
    }
    QString failure;
    bool logFailure = false;
    std::optional<QImage> result;
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        QImage *buffer = freeMaskBuffer();
        QString error;
        if (m_model(frame, *buffer, error) && !buffer->isNull()) {
            m_lastMask = int(buffer - m_masks.data());
        } else {
            const Clock::time_point now = m_now();
            if (!m_lastErrorLoggedAt || now - *m_lastErrorLoggedAt >= kErrorLogInterval) {
                m_lastErrorLoggedAt = now;
                failure = error;
                logFailure = true;
            }
        }
        if (m_lastMask >= 0)
            result = m_masks[std::size_t(m_lastMask)];
    }
    if (logFailure && m_logger)
        m_logger->warn(
            QStringLiteral("Vision portrait segmentation failed: ") + failure, QStringLiteral("portrait"));
    return result;
}

void PersonSegmenter::reset()
{
    const std::lock_guard<std::mutex> guard(m_lock);
    m_lastMask = -1;
}

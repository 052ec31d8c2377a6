#include "PortraitSegmentationEngine.h"

#include "ZunoAppLogger.h"

PortraitSegmentationEngine::PortraitSegmentationEngine(
    ZunoAppLogger &logger, std::unique_ptr<PersonSegmenter> segmenter, Clock clock)
    : m_logger(logger)
    , m_clock(std::move(clock))
    , m_segmenter(std::move(segmenter))
{
}

PortraitSegmentationEngine::~PortraitSegmentationEngine() = default;

CameraPixelBuffer PortraitSegmentationEngine::apply(
    const CameraPixelBuffer &image, PortraitBackgroundMode mode)
{
    CameraPixelBuffer mask;
    {
        std::lock_guard lock(m_lock);
        if (mode == PortraitBackgroundMode::off) {
            m_lastMask = {};
            return image;
        }
        QString error;
        const auto outcome
            = m_segmenter ? m_segmenter->segment(image, m_newMask, error) : PersonSegmenter::Outcome::noMask;
        if (outcome == PersonSegmenter::Outcome::mask && !m_newMask.isNull()) {
            std::swap(m_lastMask, m_newMask);
        } else if (outcome == PersonSegmenter::Outcome::failed) {
            const auto now = m_clock();
            if (!m_lastErrorLoggedAt || now - *m_lastErrorLoggedAt >= kErrorLogInterval) {
                m_lastErrorLoggedAt = now;
                m_logger.warn(QStringLiteral("Vision portrait segmentation failed: ") + error,
                    QStringLiteral("portrait"));
            }
        }
        mask = m_lastMask;
    }
    if (mask.isNull())
        return image;
    return composite(image, mask, mode, m_workspace);
}

void PortraitSegmentationEngine::reset()
{
    std::lock_guard lock(m_lock);
    m_lastMask = {};
}

CameraPixelBuffer PortraitSegmentationEngine::composite(const CameraPixelBuffer &foreground,
    const CameraPixelBuffer &mask, PortraitBackgroundMode mode, Workspace &ws)
{
    if (mode == PortraitBackgroundMode::off || foreground.isNull() || mask.isNull())
        return foreground;
    const int w = foreground.width(), h = foreground.height();
    CameraImageKernels::stretchAndFeatherMask(mask, w, h, kFeatherRadius, ws.mask, ws.blur);

    switch (mode) {
    case PortraitBackgroundMode::off:
        return foreground;
    case PortraitBackgroundMode::softBlur:
        CameraImageKernels::gaussianBlur(foreground, kSoftBlurRadius, ws.background, ws.blur);
        break;
    case PortraitBackgroundMode::strongBlur:
        CameraImageKernels::gaussianBlur(foreground, kStrongBlurRadius, ws.background, ws.blur);
        break;
    case PortraitBackgroundMode::studioDim: {
        CameraImageKernels::ColorPass grade;
        grade.exposureEV = kStudioDimExposureEV;
        grade.contrast = kStudioDimContrast;
        grade.matrix = CameraColorMatrix::saturation(kStudioDimSaturation);
        CameraImageKernels::gaussianBlur(foreground, kStudioDimBlurRadius, ws.background, ws.blur, &grade);
        break;
    }
    }
    CameraImageKernels::blendWithMask(foreground, ws.background, ws.mask, ws.output);
    return ws.output;
}

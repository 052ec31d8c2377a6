#include "SelfiePersonSegmenter.h"

#include "SelfieSegmentationModel.h"

SelfiePersonSegmenter::SelfiePersonSegmenter()
    : SelfiePersonSegmenter(SelfieSegmentationModel::defaultPath())
{
}

SelfiePersonSegmenter::SelfiePersonSegmenter(const QString &modelPath)
{
    try {
        m_model = std::make_unique<SelfieSegmentationModel>(modelPath);
    } catch (const NeuralModelError &e) {
        m_loadError = e.message();
    }
}

SelfiePersonSegmenter::~SelfiePersonSegmenter() = default;

PersonSegmenter::Outcome SelfiePersonSegmenter::segment(
    const CameraPixelBuffer &frame, CameraPixelBuffer &mask, QString &errorDescription)
{
    if (!m_model) {
        errorDescription = m_loadError;
        return Outcome::failed;
    }
    NeuralImageView view;
    if (frame.format() == CameraPixelBuffer::Format::BGRA8)
        view = { frame.constBits(), frame.width(), frame.height(), frame.bytesPerRow() };
    const QSize size = m_model->maskSize();
    mask.ensure(size.width(), size.height(), CameraPixelBuffer::Format::Gray8);
    if (!m_model->segment(view, targetFor(mask), &errorDescription))
        return Outcome::failed;
    return Outcome::mask;
}

QImage &SelfiePersonSegmenter::targetFor(CameraPixelBuffer &mask)
{
    // The model writes straight into the mask buffer through an image that borrows its pixels.
    for (QImage &target : m_targets) {
        if (!target.isNull() && target.constBits() == mask.constBits() && target.width() == mask.width()
            && target.height() == mask.height())
            return target;
    }
    QImage &target = m_targets[m_nextTarget];
    m_nextTarget = (m_nextTarget + 1) % 2;
    target = QImage(mask.bits(), mask.width(), mask.height(), mask.bytesPerRow(), QImage::Format_Grayscale8);
    return target;
}

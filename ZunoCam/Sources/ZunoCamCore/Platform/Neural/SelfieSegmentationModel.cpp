#include "SelfieSegmentationModel.h"

#include "ZunoBundle.h"

const QString SelfieSegmentationModel::kFileName = QStringLiteral("selfie_segmentation_landscape.tflite");
const QString SelfieSegmentationModel::kSha256
    = QStringLiteral("4aafe6223bb8dac6fac8ca8ed56852870a33051ef3f6238822d282a109962894");

namespace {

NeuralModel loadChecked(const QString &path)
{
    if (path.isEmpty())
        throw NeuralModelError(QStringLiteral("The person segmentation model is not installed"));
    NeuralModel model = NeuralModel::load(path, SelfieSegmentationModel::kSha256);
    return model;
}

} // namespace

QString SelfieSegmentationModel::defaultPath()
{
    return ZunoBundle::main().resourcePath(QStringLiteral("models/") + kFileName);
}

SelfieSegmentationModel::SelfieSegmentationModel(
    const QString &path, NeuralRuntime::Backend backend, int threads)
    : m_runtime(loadChecked(path), backend, threads)
{
    const std::vector<int> &in = m_runtime.inputShape(0);
    const std::vector<int> &out = m_runtime.outputShape(0);
    if (m_runtime.inputCount() != 1 || m_runtime.outputCount() != 1 || in.size() != 4 || in[3] != 3
        || out.size() != 4 || out[1] != in[1] || out[2] != in[2] || out[3] != 1)
        throw NeuralModelError(
            QStringLiteral("The person segmentation model has unexpected inputs or outputs"));
    m_height = in[1];
    m_width = in[2];
}

QSize SelfieSegmentationModel::maskSize() const
{
    return { m_width, m_height };
}

bool SelfieSegmentationModel::segment(const NeuralImageView &frame, QImage &mask, QString *error)
{
    if (frame.isEmpty()) {
        if (error)
            *error = QStringLiteral("The frame is empty.");
        return false;
    }
    // Values in 0...1, the frame stretched over the whole input.
    m_sampler.sample(
        frame, QRectF(0, 0, m_width, m_height), m_width, m_height, 1.0f, 0.0f, m_runtime.input(0));
    if (!m_runtime.run(error))
        return false;
    if (mask.size() != maskSize() || mask.format() != QImage::Format_Grayscale8)
        mask = QImage(maskSize(), QImage::Format_Grayscale8);
    const float *p = m_runtime.output(0);
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t *line = mask.scanLine(y);
        for (int x = 0; x < m_width; ++x) {
            const float v = p[x] > 0.0f ? (p[x] < 1.0f ? p[x] : 1.0f) : 0.0f; // NaN gives 0
            line[x] = std::uint8_t(v * 255.0f + 0.5f);
        }
        p += m_width;
    }
    return true;
}

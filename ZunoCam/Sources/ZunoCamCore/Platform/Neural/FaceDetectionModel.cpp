#include "FaceDetectionModel.h"

#include "ZunoBundle.h"

#include <algorithm>
#include <cmath>

const QString FaceDetectionModel::kFileName = QStringLiteral("face_detection_short_range.tflite");
const QString FaceDetectionModel::kSha256
    = QStringLiteral("3bc182eb9f33925d9e58b5c8d59308a760f4adea8f282370e428c51212c26633");

namespace {

constexpr int kAnchorCount = 896;
constexpr int kValuesPerAnchor = 16; // box centre x, y, width, height, then six key points

NeuralModel loadChecked(const QString &path)
{
    if (path.isEmpty())
        throw NeuralModelError(QStringLiteral("The face detection model is not installed"));
    return NeuralModel::load(path, FaceDetectionModel::kSha256);
}

float overlap(const QRectF &a, const QRectF &b)
{
    const QRectF i = a.intersected(b);
    if (i.isEmpty())
        return 0.0f;
    const double intersection = i.width() * i.height();
    return float(intersection / (a.width() * a.height() + b.width() * b.height() - intersection));
}

} // namespace

QString FaceDetectionModel::defaultPath()
{
    return ZunoBundle::main().resourcePath(QStringLiteral("models/") + kFileName);
}

FaceDetectionModel::FaceDetectionModel(const QString &path, NeuralRuntime::Backend backend, int threads)
    : m_runtime(loadChecked(path), backend, threads)
{
    const std::vector<int> &in = m_runtime.inputShape(0);
    if (m_runtime.inputCount() != 1 || m_runtime.outputCount() != 2 || in.size() != 4 || in[1] != in[2]
        || in[3] != 3)
        throw NeuralModelError(QStringLiteral("The face detection model has unexpected inputs or outputs"));
    m_size = in[1];
    // The outputs are told apart by shape: [1, 896, 16] boxes and [1, 896, 1] scores.
    m_boxesOutput = m_runtime.outputShape(0).back() == kValuesPerAnchor ? 0 : 1;
    m_scoresOutput = 1 - m_boxesOutput;
    if (m_runtime.outputShape(m_boxesOutput) != std::vector<int> { 1, kAnchorCount, kValuesPerAnchor }
        || m_runtime.outputShape(m_scoresOutput) != std::vector<int> { 1, kAnchorCount, 1 })
        throw NeuralModelError(QStringLiteral("The face detection model has unexpected outputs"));

    // Anchors of the short-range model: 16x16 cells with 2 anchors (stride 8), then 8x8 cells with
    // 6 (three layers of stride 16), each centred in its cell; fixed anchor size, so only centres matter.
    m_anchors.reserve(kAnchorCount);
    for (const auto &[cells, perCell] : { std::pair { 16, 2 }, std::pair { 8, 6 } })
        for (int y = 0; y < cells; ++y)
            for (int x = 0; x < cells; ++x)
                for (int k = 0; k < perCell; ++k)
                    m_anchors.push_back({ (x + 0.5f) / float(cells), (y + 0.5f) / float(cells) });
    m_candidates.reserve(kAnchorCount);
    m_used.reserve(kAnchorCount);
}

bool FaceDetectionModel::detect(
    const NeuralImageView &frame, std::vector<NeuralFaceDetection> &faces, QString *error)
{
    faces.clear();
    if (frame.isEmpty()) {
        if (error)
            *error = QStringLiteral("The frame is empty.");
        return false;
    }
    // Letter-box: the frame keeps its aspect inside the square input, centred, black around it.
    const double scale = std::min(double(m_size) / frame.width, double(m_size) / frame.height);
    const QRectF target((m_size - frame.width * scale) / 2, (m_size - frame.height * scale) / 2,
        frame.width * scale, frame.height * scale);
    m_sampler.sample(frame, target, m_size, m_size, 2.0f, -1.0f, m_runtime.input(0));
    if (!m_runtime.run(error))
        return false;

    const float *boxes = m_runtime.output(m_boxesOutput);
    const float *scores = m_runtime.output(m_scoresOutput);
    const float minLogit = std::log(kMinScore / (1.0f - kMinScore));
    m_candidates.clear();
    for (int i = 0; i < kAnchorCount; ++i) {
        const float logit = scores[i];
        if (!(logit >= minLogit))
            continue;
        const float *b = boxes + std::size_t(i) * kValuesPerAnchor;
        const float cx = b[0] / float(m_size) + m_anchors[std::size_t(i)].x;
        const float cy = b[1] / float(m_size) + m_anchors[std::size_t(i)].y;
        const float w = b[2] / float(m_size), h = b[3] / float(m_size);
        if (!(w > 0.0f && h > 0.0f && std::isfinite(cx) && std::isfinite(cy)))
            continue;
        // Back from the square input to the frame, both normalised.
        const QRectF box(((cx - w / 2) * m_size - target.x()) / target.width(),
            ((cy - h / 2) * m_size - target.y()) / target.height(), w * m_size / target.width(),
            h * m_size / target.height());
        m_candidates.push_back({ box, 1.0f / (1.0f + std::exp(-std::min(logit, 100.0f))) });
    }
    std::sort(m_candidates.begin(), m_candidates.end(),
        [](const NeuralFaceDetection &a, const NeuralFaceDetection &b) { return a.score > b.score; });

    // Weighted suppression: every box overlapping the best remaining one is merged into it, weighted by
    // score.
    m_used.assign(m_candidates.size(), false);
    for (std::size_t i = 0; i < m_candidates.size(); ++i) {
        if (m_used[i])
            continue;
        const QRectF best = m_candidates[i].box;
        double weight = 0, left = 0, top = 0, right = 0, bottom = 0;
        for (std::size_t j = i; j < m_candidates.size(); ++j) {
            if (m_used[j] || overlap(best, m_candidates[j].box) <= kSuppressionOverlap)
                continue;
            m_used[j] = true;
            const QRectF &r = m_candidates[j].box;
            const double s = m_candidates[j].score;
            weight += s;
            left += r.left() * s;
            top += r.top() * s;
            right += r.right() * s;
            bottom += r.bottom() * s;
        }
        faces.push_back(
            { QRectF(QPointF(left / weight, top / weight), QPointF(right / weight, bottom / weight)),
                m_candidates[i].score });
    }
    return true;
}

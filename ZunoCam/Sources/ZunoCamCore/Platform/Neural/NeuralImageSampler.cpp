#include "NeuralImageSampler.h"

#include <algorithm>
#include <cmath>

namespace {

// Adds `Taps` pixels of one frame row into each input column's B, G, R sums.
template <int Taps>
void accumulateRow(const std::uint8_t *line, const int *columns, int *sums, int width)
{
    for (int x = 0; x < width; ++x, columns += Taps, sums += 3) {
        if (columns[0] < 0)
            continue;
        int b = 0, g = 0, r = 0;
        for (int t = 0; t < Taps; ++t) {
            const std::uint8_t *p = line + columns[t] * 4;
            b += p[0];
            g += p[1];
            r += p[2];
        }
        sums[0] += b;
        sums[1] += g;
        sums[2] += r;
    }
}

}  // namespace

void NeuralImageSampler::rebuild(
    const NeuralImageView &frame, const QRectF &target, int inputWidth, int inputHeight)
{
    m_frameWidth = frame.width;
    m_frameHeight = frame.height;
    m_inputWidth = inputWidth;
    m_inputHeight = inputHeight;
    m_target = target;
    const double sx = frame.width / target.width(), sy = frame.height / target.height();
    m_taps = std::clamp(int(std::ceil(std::max(sx, sy))), 1, 4);
    auto build = [&](std::vector<int> &table, int count, double start, double length, double step,
                     int limit) {
        table.assign(std::size_t(count) * std::size_t(m_taps), -1);
        for (int i = 0; i < count; ++i) {
            // Input pixels whose centre lies outside the target stay black.
            if (i + 0.5 < start || i + 0.5 >= start + length)
                continue;
            const double from = (i - start) * step; // frame coordinate of the input pixel's left/top edge
            for (int t = 0; t < m_taps; ++t) {
                const double at = from + (t + 0.5) * step / m_taps;
                table[std::size_t(i) * std::size_t(m_taps) + std::size_t(t)]
                    = std::clamp(int(at), 0, limit - 1);
            }
        }
    };
    build(m_columns, inputWidth, target.x(), target.width(), sx, frame.width);
    build(m_rows, inputHeight, target.y(), target.height(), sy, frame.height);
}

void NeuralImageSampler::sample(const NeuralImageView &frame, const QRectF &target, int inputWidth,
    int inputHeight, float scale, float offset, float *output)
{
    if (frame.width != m_frameWidth || frame.height != m_frameHeight || inputWidth != m_inputWidth
        || inputHeight != m_inputHeight || target != m_target)
        rebuild(frame, target, inputWidth, inputHeight);
    const int taps = m_taps;
    const float k = scale / (255.0f * float(taps * taps));
    m_sums.resize(std::size_t(inputWidth) * 3);
    for (int y = 0; y < inputHeight; ++y) {
        const int *rows = &m_rows[std::size_t(y) * std::size_t(taps)];
        float *out = output + std::size_t(y) * std::size_t(inputWidth) * 3;
        if (rows[0] < 0) {
            std::fill(out, out + std::size_t(inputWidth) * 3, offset);
            continue;
        }
        std::fill(m_sums.begin(), m_sums.end(), 0);
        for (int ty = 0; ty < taps; ++ty) {
            const std::uint8_t *line = frame.bits + qsizetype(rows[ty]) * frame.bytesPerRow;
            switch (taps) {
            case 1:
                accumulateRow<1>(line, m_columns.data(), m_sums.data(), inputWidth);
                break;
            case 2:
                accumulateRow<2>(line, m_columns.data(), m_sums.data(), inputWidth);
                break;
            case 3:
                accumulateRow<3>(line, m_columns.data(), m_sums.data(), inputWidth);
                break;
            default:
                accumulateRow<4>(line, m_columns.data(), m_sums.data(), inputWidth);
                break;
            }
        }
        for (int x = 0; x < inputWidth; ++x, out += 3) {
            if (m_columns[std::size_t(x) * std::size_t(taps)] < 0) {
                out[0] = out[1] = out[2] = offset;
                continue;
            }
            const int *sum = &m_sums[std::size_t(x) * 3];
            out[0] = float(sum[2]) * k + offset;
            out[1] = float(sum[1]) * k + offset;
            out[2] = float(sum[0]) * k + offset;
        }
    }
}

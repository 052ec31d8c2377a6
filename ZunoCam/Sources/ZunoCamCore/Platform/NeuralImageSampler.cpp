#include "NeuralImageSampler.h"

#include <algorithm>
#include <cmath>

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
    for (int y = 0; y < inputHeight; ++y) {
        const int *rows = &m_rows[std::size_t(y) * std::size_t(taps)];
        float *out = output + std::size_t(y) * std::size_t(inputWidth) * 3;
        if (rows[0] < 0) {
            std::fill(out, out + std::size_t(inputWidth) * 3, offset);
            continue;
        }
        for (int x = 0; x < inputWidth; ++x, out += 3) {
            const int *columns = &m_columns[std::size_t(x) * std::size_t(taps)];
            if (columns[0] < 0) {
                out[0] = out[1] = out[2] = offset;
                continue;
            }
            int b = 0, g = 0, r = 0;
            for (int ty = 0; ty < taps; ++ty) {
                const std::uint8_t *line = frame.bits + qsizetype(rows[ty]) * frame.bytesPerRow;
                for (int tx = 0; tx < taps; ++tx) {
                    const std::uint8_t *p = line + columns[tx] * 4;
                    b += p[0];
                    g += p[1];
                    r += p[2];
                }
            }
            out[0] = float(r) * k + offset;
            out[1] = float(g) * k + offset;
            out[2] = float(b) * k + offset;
        }
    }
}

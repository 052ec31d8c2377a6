#pragma once

#include "NeuralImageView.h"

#include <QRectF>

#include <vector>

// Resamples a frame into a model's float RGB input: the frame is drawn into `target` (in input
// pixels; outside it the input is black), each input pixel averaging a grid of up to 4x4 frame pixels
// so large reductions do not alias. The sampling tables are kept and rebuilt only when the geometry
// changes, so a steady stream of frames allocates nothing.
class NeuralImageSampler {
public:
    // Writes inputWidth x inputHeight x 3 floats, value = byte / 255 * scale + offset.
    void sample(const NeuralImageView &frame, const QRectF &target, int inputWidth, int inputHeight,
        float scale, float offset, float *output);

private:
    void rebuild(const NeuralImageView &frame, const QRectF &target, int inputWidth, int inputHeight);

    // Per input column/row: `m_taps` frame columns/rows, or -1 outside the target.
    std::vector<int> m_columns;
    std::vector<int> m_rows;
    std::vector<int> m_sums;  // per input column of the row in hand: B, G, R
    int m_taps = 1;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    int m_inputWidth = 0;
    int m_inputHeight = 0;
    QRectF m_target;
};

#include "NeuralReferenceKernels.h"

#include "NeuralModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct Dims4 {
    int n = 1, h = 1, w = 1, c = 1;
};

Dims4 dims4(const std::vector<int> &shape)
{
    // Lower ranks are right-aligned into NHWC (a [C] vector is 1x1x1xC).
    Dims4 d;
    int *spans[4] = { &d.n, &d.h, &d.w, &d.c };
    const int offset = 4 - int(shape.size());
    for (int i = 0; i < int(shape.size()); ++i)
        *spans[offset + i] = shape[std::size_t(i)];
    return d;
}

float activate(float v, NeuralActivation a)
{
    switch (a) {
    case NeuralActivation::none:
        return v;
    case NeuralActivation::relu:
        return std::max(v, 0.0f);
    case NeuralActivation::reluN1To1:
        return std::clamp(v, -1.0f, 1.0f);
    case NeuralActivation::relu6:
        return std::clamp(v, 0.0f, 6.0f);
    }
    return v;
}

// Padding before the first element, as the file format computes it for SAME (the odd pixel goes after).
int padBefore(NeuralPadding padding, int in, int out, int stride, int filter, int dilation)
{
    if (padding == NeuralPadding::valid)
        return 0;
    const int effective = (filter - 1) * dilation + 1;
    return std::max((out - 1) * stride + effective - in, 0) / 2;
}

const std::vector<float> &input(const NeuralModel &m, std::vector<std::vector<float>> &values, int index)
{
    const NeuralTensor &t = m.tensors[std::size_t(index)];
    return t.isConstant ? t.floats : values[std::size_t(index)];
}

void conv(
    const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values, bool depthwise)
{
    const Dims4 in = dims4(m.tensors[std::size_t(op.inputs[0])].shape);
    const Dims4 f = dims4(m.tensors[std::size_t(op.inputs[1])].shape);
    const Dims4 out = dims4(m.tensors[std::size_t(op.outputs[0])].shape);
    const std::vector<float> &x = input(m, values, op.inputs[0]);
    const std::vector<float> &w = input(m, values, op.inputs[1]);
    const bool hasBias = op.inputs.size() > 2 && op.inputs[2] >= 0;
    const std::vector<float> *bias = hasBias ? &input(m, values, op.inputs[2]) : nullptr;
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    const int padTop = padBefore(op.padding, in.h, out.h, op.strideH, f.h, op.dilationH);
    const int padLeft = padBefore(op.padding, in.w, out.w, op.strideW, f.w, op.dilationW);
    for (int b = 0; b < out.n; ++b)
        for (int oy = 0; oy < out.h; ++oy)
            for (int ox = 0; ox < out.w; ++ox)
                for (int oc = 0; oc < out.c; ++oc) {
                    double sum = bias ? (*bias)[std::size_t(oc)] : 0.0;
                    for (int ky = 0; ky < f.h; ++ky) {
                        const int iy = oy * op.strideH - padTop + ky * op.dilationH;
                        if (iy < 0 || iy >= in.h)
                            continue;
                        for (int kx = 0; kx < f.w; ++kx) {
                            const int ix = ox * op.strideW - padLeft + kx * op.dilationW;
                            if (ix < 0 || ix >= in.w)
                                continue;
                            const std::size_t base = ((std::size_t(b) * in.h + iy) * in.w + ix) * in.c;
                            if (depthwise) {
                                const int ic = oc / op.depthMultiplier;
                                sum += double(x[base + ic]) * w[(std::size_t(ky) * f.w + kx) * f.c + oc];
                            } else {
                                for (int ic = 0; ic < in.c; ++ic)
                                    sum += double(x[base + ic])
                                        * w[((std::size_t(oc) * f.h + ky) * f.w + kx) * f.c + ic];
                            }
                        }
                    }
                    y[((std::size_t(b) * out.h + oy) * out.w + ox) * out.c + oc]
                        = activate(float(sum), op.activation);
                }
}

void transposeConv(const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values)
{
    const Dims4 in = dims4(m.tensors[std::size_t(op.inputs[0])].shape);
    const Dims4 f = dims4(m.tensors[std::size_t(op.inputs[1])].shape); // [O, KH, KW, I]
    const Dims4 out = dims4(m.tensors[std::size_t(op.outputs[0])].shape);
    const std::vector<float> &x = input(m, values, op.inputs[0]);
    const std::vector<float> &w = input(m, values, op.inputs[1]);
    const std::vector<float> &bias = input(m, values, op.inputs[2]);
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    const int padTop = std::max((in.h - 1) * op.strideH + f.h - out.h, 0) / 2;
    const int padLeft = std::max((in.w - 1) * op.strideW + f.w - out.w, 0) / 2;
    std::vector<double> acc(y.size(), 0.0);
    for (int b = 0; b < in.n; ++b)
        for (int iy = 0; iy < in.h; ++iy)
            for (int ix = 0; ix < in.w; ++ix)
                for (int ky = 0; ky < f.h; ++ky) {
                    const int oy = iy * op.strideH - padTop + ky;
                    if (oy < 0 || oy >= out.h)
                        continue;
                    for (int kx = 0; kx < f.w; ++kx) {
                        const int ox = ix * op.strideW - padLeft + kx;
                        if (ox < 0 || ox >= out.w)
                            continue;
                        for (int oc = 0; oc < out.c; ++oc) {
                            double sum = 0;
                            for (int ic = 0; ic < in.c; ++ic)
                                sum += double(x[((std::size_t(b) * in.h + iy) * in.w + ix) * in.c + ic])
                                    * w[((std::size_t(oc) * f.h + ky) * f.w + kx) * f.c + ic];
                            acc[((std::size_t(b) * out.h + oy) * out.w + ox) * out.c + oc] += sum;
                        }
                    }
                }
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] = float(acc[i] + bias[i % std::size_t(out.c)]);
}

void pool(
    const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values, bool average)
{
    const Dims4 in = dims4(m.tensors[std::size_t(op.inputs[0])].shape);
    const Dims4 out = dims4(m.tensors[std::size_t(op.outputs[0])].shape);
    const std::vector<float> &x = input(m, values, op.inputs[0]);
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    const int padTop = padBefore(op.padding, in.h, out.h, op.strideH, op.filterH, 1);
    const int padLeft = padBefore(op.padding, in.w, out.w, op.strideW, op.filterW, 1);
    for (int b = 0; b < out.n; ++b)
        for (int oy = 0; oy < out.h; ++oy)
            for (int ox = 0; ox < out.w; ++ox)
                for (int c = 0; c < out.c; ++c) {
                    double sum = 0;
                    float best = -std::numeric_limits<float>::infinity();
                    int count = 0;
                    for (int ky = 0; ky < op.filterH; ++ky)
                        for (int kx = 0; kx < op.filterW; ++kx) {
                            const int iy = oy * op.strideH - padTop + ky;
                            const int ix = ox * op.strideW - padLeft + kx;
                            if (iy < 0 || iy >= in.h || ix < 0 || ix >= in.w)
                                continue;
                            const float v = x[((std::size_t(b) * in.h + iy) * in.w + ix) * in.c + c];
                            sum += v;
                            best = std::max(best, v);
                            ++count;
                        }
                    const float r = average ? (count ? float(sum / count) : 0.0f) : best;
                    y[((std::size_t(b) * out.h + oy) * out.w + ox) * out.c + c] = activate(r, op.activation);
                }
}

// Element-wise binary operation with numpy broadcasting over up to four dimensions.
void binary(
    const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values, bool multiply)
{
    const std::vector<int> &sa = m.tensors[std::size_t(op.inputs[0])].shape;
    const std::vector<int> &sb = m.tensors[std::size_t(op.inputs[1])].shape;
    const Dims4 a = dims4(sa), b = dims4(sb), o = dims4(m.tensors[std::size_t(op.outputs[0])].shape);
    const std::vector<float> &xa = input(m, values, op.inputs[0]);
    const std::vector<float> &xb = input(m, values, op.inputs[1]);
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    auto index = [](const Dims4 &d, int n, int h, int w, int c) {
        return ((std::size_t(d.n == 1 ? 0 : n) * d.h + (d.h == 1 ? 0 : h)) * d.w + (d.w == 1 ? 0 : w)) * d.c
            + (d.c == 1 ? 0 : c);
    };
    for (int n = 0; n < o.n; ++n)
        for (int h = 0; h < o.h; ++h)
            for (int w = 0; w < o.w; ++w)
                for (int c = 0; c < o.c; ++c) {
                    const float va = xa[index(a, n, h, w, c)], vb = xb[index(b, n, h, w, c)];
                    y[((std::size_t(n) * o.h + h) * o.w + w) * o.c + c]
                        = activate(multiply ? va * vb : va + vb, op.activation);
                }
}

void mean(const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values)
{
    const std::vector<int> &shape = m.tensors[std::size_t(op.inputs[0])].shape;
    const Dims4 in = dims4(shape);
    const std::vector<std::int32_t> &axes = m.tensors[std::size_t(op.inputs[1])].ints;
    const int offset = 4 - int(shape.size());
    bool reduce[4] = { false, false, false, false };
    for (std::int32_t a : axes)
        reduce[offset + (a < 0 ? a + int(shape.size()) : a)] = true;
    const std::vector<float> &x = input(m, values, op.inputs[0]);
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    const Dims4 out { reduce[0] ? 1 : in.n, reduce[1] ? 1 : in.h, reduce[2] ? 1 : in.w,
        reduce[3] ? 1 : in.c };
    std::vector<double> sums(std::size_t(out.n) * out.h * out.w * out.c, 0.0);
    for (int n = 0; n < in.n; ++n)
        for (int h = 0; h < in.h; ++h)
            for (int w = 0; w < in.w; ++w)
                for (int c = 0; c < in.c; ++c)
                    sums[((std::size_t(reduce[0] ? 0 : n) * out.h + (reduce[1] ? 0 : h)) * out.w
                             + (reduce[2] ? 0 : w))
                            * out.c
                        + (reduce[3] ? 0 : c)]
                        += x[((std::size_t(n) * in.h + h) * in.w + w) * in.c + c];
    const double count = double(in.n * in.h * in.w * in.c) / double(sums.size());
    for (std::size_t i = 0; i < sums.size(); ++i)
        y[i] = float(sums[i] / count);
}

void resize(const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values)
{
    const Dims4 in = dims4(m.tensors[std::size_t(op.inputs[0])].shape);
    const Dims4 out = dims4(m.tensors[std::size_t(op.outputs[0])].shape);
    const std::vector<float> &x = input(m, values, op.inputs[0]);
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    auto scale = [&](int inSize, int outSize) {
        return op.alignCorners && outSize > 1 ? float(inSize - 1) / float(outSize - 1)
                                              : float(inSize) / float(outSize);
    };
    const float sy = scale(in.h, out.h), sx = scale(in.w, out.w);
    auto source = [&](int o, float s, int size, int &lo, int &hi, float &t) {
        const float v = op.halfPixelCenters ? (float(o) + 0.5f) * s - 0.5f : float(o) * s;
        const float fl = std::floor(v);
        lo = std::max(int(fl), 0);
        hi = std::min(int(std::ceil(v)), size - 1);
        t = v - fl;
    };
    for (int n = 0; n < out.n; ++n)
        for (int oy = 0; oy < out.h; ++oy) {
            int y0, y1;
            float ty;
            source(oy, sy, in.h, y0, y1, ty);
            for (int ox = 0; ox < out.w; ++ox) {
                int x0, x1;
                float tx;
                source(ox, sx, in.w, x0, x1, tx);
                for (int c = 0; c < out.c; ++c) {
                    auto at = [&](int yy, int xx) {
                        return x[((std::size_t(n) * in.h + yy) * in.w + xx) * in.c + c];
                    };
                    const float top = at(y0, x0) + (at(y0, x1) - at(y0, x0)) * tx;
                    const float bottom = at(y1, x0) + (at(y1, x1) - at(y1, x0)) * tx;
                    y[((std::size_t(n) * out.h + oy) * out.w + ox) * out.c + c] = top + (bottom - top) * ty;
                }
            }
        }
}

void pad(const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values)
{
    const std::vector<int> &shape = m.tensors[std::size_t(op.inputs[0])].shape;
    const Dims4 in = dims4(shape);
    const Dims4 out = dims4(m.tensors[std::size_t(op.outputs[0])].shape);
    const std::vector<std::int32_t> &p = m.tensors[std::size_t(op.inputs[1])].ints;
    int before[4] = { 0, 0, 0, 0 };
    const int offset = 4 - int(shape.size());
    for (int i = 0; i < int(shape.size()); ++i)
        before[offset + i] = p[std::size_t(i) * 2];
    const std::vector<float> &x = input(m, values, op.inputs[0]);
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    std::fill(y.begin(), y.end(), 0.0f);
    for (int n = 0; n < in.n; ++n)
        for (int h = 0; h < in.h; ++h)
            for (int w = 0; w < in.w; ++w)
                for (int c = 0; c < in.c; ++c)
                    y[((std::size_t(n + before[0]) * out.h + h + before[1]) * out.w + w + before[2]) * out.c
                        + c + before[3]]
                        = x[((std::size_t(n) * in.h + h) * in.w + w) * in.c + c];
}

void concatenate(const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values)
{
    const std::vector<int> &outShape = m.tensors[std::size_t(op.outputs[0])].shape;
    const int rank = int(outShape.size());
    const int axis = op.axis < 0 ? op.axis + rank : op.axis;
    std::size_t outer = 1;
    for (int i = 0; i < axis; ++i)
        outer *= std::size_t(outShape[std::size_t(i)]);
    std::size_t inner = 1;
    for (int i = axis + 1; i < rank; ++i)
        inner *= std::size_t(outShape[std::size_t(i)]);
    std::vector<float> &y = values[std::size_t(op.outputs[0])];
    const std::size_t outRow = std::size_t(outShape[std::size_t(axis)]) * inner;
    std::size_t column = 0;
    for (int index : op.inputs) {
        const std::vector<float> &x = input(m, values, index);
        const std::size_t row = std::size_t(m.tensors[std::size_t(index)].shape[std::size_t(axis)]) * inner;
        for (std::size_t o = 0; o < outer; ++o)
            for (std::size_t i = 0; i < row; ++i)
                y[o * outRow + column + i] = x[o * row + i];
        column += row;
    }
    for (float &v : y)
        v = activate(v, op.activation);
}

} // namespace

namespace NeuralReferenceKernels {

float halfToFloat(std::uint16_t h)
{
    const int sign = (h >> 15) & 1;
    const int exponent = (h >> 10) & 0x1f;
    const int mantissa = h & 0x3ff;
    float v;
    if (exponent == 0)
        v = std::ldexp(float(mantissa), -24);
    else if (exponent == 31)
        v = mantissa ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
    else
        v = std::ldexp(float(mantissa + 1024), exponent - 25);
    return sign ? -v : v;
}

void dequantizeHalf(const std::uint16_t *input, float *output, std::int64_t count)
{
    for (std::int64_t i = 0; i < count; ++i)
        output[i] = halfToFloat(input[i]);
}

void run(const NeuralModel &m, const NeuralOperation &op, std::vector<std::vector<float>> &values)
{
    switch (op.kind) {
    case NeuralOpKind::conv2d:
        conv(m, op, values, false);
        break;
    case NeuralOpKind::depthwiseConv2d:
        conv(m, op, values, true);
        break;
    case NeuralOpKind::transposeConvBias:
        transposeConv(m, op, values);
        break;
    case NeuralOpKind::averagePool2d:
        pool(m, op, values, true);
        break;
    case NeuralOpKind::maxPool2d:
        pool(m, op, values, false);
        break;
    case NeuralOpKind::add:
        binary(m, op, values, false);
        break;
    case NeuralOpKind::mul:
        binary(m, op, values, true);
        break;
    case NeuralOpKind::mean:
        mean(m, op, values);
        break;
    case NeuralOpKind::resizeBilinear:
        resize(m, op, values);
        break;
    case NeuralOpKind::pad:
        pad(m, op, values);
        break;
    case NeuralOpKind::concatenation:
        concatenate(m, op, values);
        break;
    case NeuralOpKind::relu:
    case NeuralOpKind::hardSwish:
    case NeuralOpKind::logistic:
    case NeuralOpKind::reshape:
    case NeuralOpKind::dequantize: {
        const std::vector<float> &x = input(m, values, op.inputs[0]);
        std::vector<float> &y = values[std::size_t(op.outputs[0])];
        for (std::size_t i = 0; i < y.size(); ++i) {
            const float v = x[i];
            switch (op.kind) {
            case NeuralOpKind::relu:
                y[i] = std::max(v, 0.0f);
                break;
            case NeuralOpKind::hardSwish:
                y[i] = v * std::clamp(v + 3.0f, 0.0f, 6.0f) / 6.0f;
                break;
            case NeuralOpKind::logistic:
                y[i] = 1.0f / (1.0f + std::exp(-v));
                break;
            default: // reshape, and dequantize of values the loader already expanded
                y[i] = v;
                break;
            }
        }
        break;
    }
    }
}

} // namespace NeuralReferenceKernels

// Every operator of the fast backend against the reference kernels on small tensors, and the reference
// kernels themselves against values worked out by hand.
#include "NeuralReferenceKernels.h"
#include "NeuralRuntime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace {

// Builds a one-operator model (plus folded constants) by hand.
class ModelBuilder {
public:
    int input(std::vector<int> shape)
    {
        const int i = tensor(std::move(shape));
        m_model.inputs.push_back(i);
        return i;
    }
    int tensor(std::vector<int> shape, NeuralTensorType type = NeuralTensorType::float32)
    {
        NeuralTensor t;
        t.shape = std::move(shape);
        t.type = type;
        t.name = QStringLiteral("t%1").arg(m_model.tensors.size());
        m_model.tensors.push_back(std::move(t));
        return int(m_model.tensors.size()) - 1;
    }
    int weights(std::vector<int> shape, NeuralTensorType type = NeuralTensorType::float32)
    {
        const int i = tensor(std::move(shape), type);
        NeuralTensor &t = m_model.tensors[std::size_t(i)];
        t.isConstant = true;
        t.floats.resize(std::size_t(t.elementCount()));
        for (float &v : t.floats)
            v = std::uniform_real_distribution<float>(-1.0f, 1.0f)(m_random);
        return i;
    }
    int ints(std::vector<int> shape, std::vector<std::int32_t> values)
    {
        const int i = tensor(std::move(shape), NeuralTensorType::int32);
        m_model.tensors[std::size_t(i)].isConstant = true;
        m_model.tensors[std::size_t(i)].ints = std::move(values);
        return i;
    }
    NeuralOperation &op(NeuralOpKind kind, std::vector<int> inputs, std::vector<int> outShape)
    {
        NeuralOperation o;
        o.kind = kind;
        o.inputs = std::move(inputs);
        o.outputs = { tensor(std::move(outShape)) };
        m_model.operations.push_back(o);
        return m_model.operations.back();
    }
    int lastOutput() const { return m_model.operations.back().outputs[0]; }
    NeuralModel finish()
    {
        m_model.outputs = { m_model.operations.back().outputs[0] };
        return m_model;
    }

private:
    NeuralModel m_model;
    std::mt19937 m_random { 7 };
};

struct OperatorCase {
    const char *name;
    std::function<NeuralModel()> build;
};

NeuralOperation &conv(ModelBuilder &b, std::vector<int> in, int outC, int k, int stride,
    NeuralPadding padding, std::vector<int> out, bool bias = true)
{
    const int x = b.input(in);
    const int w = b.weights({ outC, k, k, in[3] });
    NeuralOperation &op = b.op(NeuralOpKind::conv2d, { x, w, bias ? b.weights({ outC }) : -1 }, out);
    op.strideH = op.strideW = stride;
    op.padding = padding;
    return op;
}

NeuralOperation &pool(ModelBuilder &b, NeuralOpKind kind, std::vector<int> in, int k, int stride,
    NeuralPadding padding, std::vector<int> out)
{
    NeuralOperation &op = b.op(kind, { b.input(in) }, out);
    op.filterH = op.filterW = k;
    op.strideH = op.strideW = stride;
    op.padding = padding;
    return op;
}

const std::vector<OperatorCase> kCases = {
    { "Conv2dSameStride1",
        [] {
            ModelBuilder b;
            conv(b, { 1, 5, 6, 3 }, 4, 3, 1, NeuralPadding::same, { 1, 5, 6, 4 });
            return b.finish();
        } },
    { "Conv2dSameStride2OddSizeUnevenPadding",
        [] {
            ModelBuilder b;
            conv(b, { 1, 7, 8, 3 }, 5, 3, 2, NeuralPadding::same, { 1, 4, 4, 5 });
            return b.finish();
        } },
    { "Conv2dValidStride2Relu6NoBias",
        [] {
            ModelBuilder b;
            conv(b, { 1, 9, 7, 2 }, 3, 3, 2, NeuralPadding::valid, { 1, 4, 3, 3 }, false).activation
                = NeuralActivation::relu6;
            return b.finish();
        } },
    { "Conv2dDilated",
        [] {
            ModelBuilder b;
            NeuralOperation &op = conv(b, { 1, 8, 8, 2 }, 2, 3, 1, NeuralPadding::same, { 1, 8, 8, 2 });
            op.dilationH = op.dilationW = 2;
            return b.finish();
        } },
    { "Conv2dPointwiseRelu",
        [] {
            ModelBuilder b;
            conv(b, { 1, 4, 4, 8 }, 6, 1, 1, NeuralPadding::same, { 1, 4, 4, 6 }).activation
                = NeuralActivation::relu;
            return b.finish();
        } },
    { "DepthwiseSameStride2",
        [] {
            ModelBuilder b;
            const int x = b.input({ 1, 7, 9, 4 });
            NeuralOperation &op = b.op(NeuralOpKind::depthwiseConv2d,
                { x, b.weights({ 1, 3, 3, 4 }), b.weights({ 4 }) }, { 1, 4, 5, 4 });
            op.strideH = op.strideW = 2;
            return b.finish();
        } },
    { "DepthwiseMultiplier2Valid5x5",
        [] {
            ModelBuilder b;
            const int x = b.input({ 1, 8, 8, 3 });
            NeuralOperation &op = b.op(NeuralOpKind::depthwiseConv2d,
                { x, b.weights({ 1, 5, 5, 6 }), b.weights({ 6 }) }, { 1, 4, 4, 6 });
            op.padding = NeuralPadding::valid;
            op.depthMultiplier = 2;
            return b.finish();
        } },
    { "TransposeConvStride2Kernel2",
        [] {
            ModelBuilder b;
            const int x = b.input({ 1, 3, 4, 5 });
            NeuralOperation &op = b.op(NeuralOpKind::transposeConvBias,
                { x, b.weights({ 2, 2, 2, 5 }), b.weights({ 2 }) }, { 1, 6, 8, 2 });
            op.strideH = op.strideW = 2;
            op.padding = NeuralPadding::valid;
            return b.finish();
        } },
    { "TransposeConvStride2Kernel3Same",
        [] {
            ModelBuilder b;
            const int x = b.input({ 1, 3, 3, 2 });
            NeuralOperation &op = b.op(NeuralOpKind::transposeConvBias,
                { x, b.weights({ 3, 3, 3, 2 }), b.weights({ 3 }) }, { 1, 6, 6, 3 });
            op.strideH = op.strideW = 2;
            return b.finish();
        } },
    { "AddSameShapeRelu",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::add, { b.input({ 1, 3, 4, 5 }), b.input({ 1, 3, 4, 5 }) }, { 1, 3, 4, 5 })
                .activation
                = NeuralActivation::relu;
            return b.finish();
        } },
    { "AddBroadcastChannels",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::add, { b.input({ 1, 3, 4, 5 }), b.weights({ 5 }) }, { 1, 3, 4, 5 });
            return b.finish();
        } },
    { "MulBroadcastPerChannelScale",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::mul, { b.input({ 1, 4, 6, 8 }), b.input({ 1, 1, 1, 8 }) }, { 1, 4, 6, 8 });
            return b.finish();
        } },
    { "MulBroadcastBothSides",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::mul, { b.input({ 1, 4, 1, 3 }), b.input({ 1, 1, 5, 1 }) }, { 1, 4, 5, 3 });
            return b.finish();
        } },
    { "Relu",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::relu, { b.input({ 1, 3, 5, 7 }) }, { 1, 3, 5, 7 });
            return b.finish();
        } },
    { "HardSwish",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::hardSwish, { b.input({ 1, 3, 5, 7 }) }, { 1, 3, 5, 7 });
            return b.finish();
        } },
    { "Logistic",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::logistic, { b.input({ 1, 3, 5, 7 }) }, { 1, 3, 5, 7 });
            return b.finish();
        } },
    { "AveragePoolSamePaddingExcluded",
        [] {
            ModelBuilder b;
            pool(b, NeuralOpKind::averagePool2d, { 1, 5, 7, 3 }, 3, 2, NeuralPadding::same, { 1, 3, 4, 3 });
            return b.finish();
        } },
    { "AveragePoolValid",
        [] {
            ModelBuilder b;
            pool(b, NeuralOpKind::averagePool2d, { 1, 6, 6, 2 }, 2, 2, NeuralPadding::valid, { 1, 3, 3, 2 });
            return b.finish();
        } },
    { "MaxPool2x2Stride2",
        [] {
            ModelBuilder b;
            pool(b, NeuralOpKind::maxPool2d, { 1, 8, 6, 4 }, 2, 2, NeuralPadding::valid, { 1, 4, 3, 4 });
            return b.finish();
        } },
    { "MaxPool3x3SameStride2",
        [] {
            ModelBuilder b;
            pool(b, NeuralOpKind::maxPool2d, { 1, 7, 5, 2 }, 3, 2, NeuralPadding::same, { 1, 4, 3, 2 });
            return b.finish();
        } },
    { "MeanKeepDims",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::mean, { b.input({ 1, 5, 6, 7 }), b.ints({ 2 }, { 1, 2 }) }, { 1, 1, 1, 7 })
                .keepDims
                = true;
            return b.finish();
        } },
    { "MeanDropDims",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::mean, { b.input({ 1, 3, 4, 5 }), b.ints({ 2 }, { 2, 1 }) }, { 1, 5 });
            return b.finish();
        } },
    { "ResizeBilinearHalfPixel",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::resizeBilinear, { b.input({ 1, 3, 4, 2 }), b.ints({ 2 }, { 6, 8 }) },
                 { 1, 6, 8, 2 })
                .halfPixelCenters
                = true;
            return b.finish();
        } },
    { "ResizeBilinearLegacy",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::resizeBilinear, { b.input({ 1, 3, 4, 2 }), b.ints({ 2 }, { 7, 5 }) },
                { 1, 7, 5, 2 });
            return b.finish();
        } },
    { "ResizeBilinearAlignCorners",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::resizeBilinear, { b.input({ 1, 3, 4, 2 }), b.ints({ 2 }, { 5, 7 }) },
                 { 1, 5, 7, 2 })
                .alignCorners
                = true;
            return b.finish();
        } },
    { "PadChannels",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::pad, { b.input({ 1, 4, 4, 3 }), b.ints({ 4, 2 }, { 0, 0, 0, 0, 0, 0, 0, 4 }) },
                { 1, 4, 4, 7 });
            return b.finish();
        } },
    { "PadSpatialUneven",
        [] {
            ModelBuilder b;
            b.op(NeuralOpKind::pad, { b.input({ 1, 3, 4, 2 }), b.ints({ 4, 2 }, { 0, 0, 1, 2, 0, 3, 0, 0 }) },
                { 1, 6, 7, 2 });
            return b.finish();
        } },
    { "ReshapeThenConcatenateMiddleAxis",
        [] {
            ModelBuilder b;
            const int a = b.input({ 1, 4, 4, 2 });
            const int c = b.input({ 1, 2, 2, 6 });
            b.op(NeuralOpKind::reshape, { a }, { 1, 32, 1 });
            const int ra = b.lastOutput();
            b.op(NeuralOpKind::reshape, { c }, { 1, 24, 1 });
            const int rc = b.lastOutput();
            b.op(NeuralOpKind::concatenation, { ra, rc }, { 1, 56, 1 }).axis = 1;
            return b.finish();
        } },
    { "ConcatenateChannelsRelu",
        [] {
            ModelBuilder b;
            NeuralOperation &op = b.op(NeuralOpKind::concatenation,
                { b.input({ 1, 3, 4, 2 }), b.input({ 1, 3, 4, 5 }) }, { 1, 3, 4, 7 });
            op.axis = -1;
            op.activation = NeuralActivation::relu;
            return b.finish();
        } },
    { "DequantizeHalfWeightsIntoAdd",
        [] {
            ModelBuilder b;
            const int x = b.input({ 1, 2, 3, 4 });
            // Half weights arrive expanded by the loader; the operator folds into a constant.
            const int half = b.weights({ 4 }, NeuralTensorType::float16);
            b.op(NeuralOpKind::dequantize, { half }, { 4 });
            b.op(NeuralOpKind::add, { x, b.lastOutput() }, { 1, 2, 3, 4 });
            return b.finish();
        } },
};

void PrintTo(const OperatorCase &c, std::ostream *os)
{
    *os << c.name;
}

class NeuralOperatorTest : public testing::TestWithParam<OperatorCase> { };

TEST_P(NeuralOperatorTest, FastBackendMatchesReference)
{
    const NeuralModel model = GetParam().build();
    NeuralRuntime fast(model, NeuralRuntime::Backend::xnnpack);
    NeuralRuntime reference(model, NeuralRuntime::Backend::reference);
    std::mt19937 random(11);
    for (int i = 0; i < fast.inputCount(); ++i) {
        std::int64_t n = 1;
        for (int d : fast.inputShape(i))
            n *= d;
        for (std::int64_t k = 0; k < n; ++k) {
            const float v = std::uniform_real_distribution<float>(-4.0f, 4.0f)(random);
            fast.input(i)[k] = v;
            reference.input(i)[k] = v;
        }
    }
    QString error;
    ASSERT_TRUE(fast.run(&error)) << error.toStdString();
    ASSERT_TRUE(reference.run());
    std::int64_t n = 1;
    for (int d : fast.outputShape(0))
        n *= d;
    for (std::int64_t k = 0; k < n; ++k)
        ASSERT_NEAR(
            fast.output(0)[k], reference.output(0)[k], 1e-4f + 1e-4f * std::abs(reference.output(0)[k]))
            << "element " << k;
}

INSTANTIATE_TEST_SUITE_P(Operators, NeuralOperatorTest, testing::ValuesIn(kCases),
    [](const testing::TestParamInfo<OperatorCase> &info) { return info.param.name; });

// Runs the reference backend on a hand-built model with given input values.
std::vector<float> referenceRun(NeuralModel model, const std::vector<float> &in)
{
    NeuralRuntime r(std::move(model), NeuralRuntime::Backend::reference);
    std::copy(in.begin(), in.end(), r.input(0));
    r.run();
    std::int64_t n = 1;
    for (int d : r.outputShape(0))
        n *= d;
    return std::vector<float>(r.output(0), r.output(0) + n);
}

TEST(NeuralReferenceKernelsTest, AveragePoolingLeavesPaddingOutOfTheAverage)
{
    ModelBuilder b;
    pool(b, NeuralOpKind::averagePool2d, { 1, 2, 2, 1 }, 3, 1, NeuralPadding::same, { 1, 2, 2, 1 });
    // Every 3x3 window around a 2x2 image covers the four pixels and only padding besides.
    EXPECT_EQ(referenceRun(b.finish(), { 1, 2, 3, 6 }), (std::vector<float> { 3, 3, 3, 3 }));
}

TEST(NeuralReferenceKernelsTest, SamePaddingPutsTheOddPixelAfter)
{
    // A 2x2 all-ones filter, stride 2, on a 3x3 input: output 2x2, one padding row/column at the end.
    ModelBuilder b;
    const int x = b.input({ 1, 3, 3, 1 });
    NeuralModel m;
    {
        const int w = b.weights({ 1, 2, 2, 1 });
        NeuralOperation &op = b.op(NeuralOpKind::conv2d, { x, w, -1 }, { 1, 2, 2, 1 });
        op.strideH = op.strideW = 2;
        m = b.finish();
        m.tensors[std::size_t(w)].floats = { 1, 1, 1, 1 };
    }
    EXPECT_EQ(referenceRun(m, { 1, 2, 3, 4, 5, 6, 7, 8, 9 }), (std::vector<float> { 12, 9, 15, 9 }));
}

TEST(NeuralReferenceKernelsTest, HalfPixelResizeInterpolatesBetweenCentres)
{
    ModelBuilder b;
    b.op(NeuralOpKind::resizeBilinear, { b.input({ 1, 1, 2, 1 }), b.ints({ 2 }, { 1, 4 }) }, { 1, 1, 4, 1 })
        .halfPixelCenters
        = true;
    // Output centres fall at -0.25, 0.25, 0.75 and 1.25 input pixels; the outer ones clamp to the edge.
    EXPECT_EQ(referenceRun(b.finish(), { 0, 8 }), (std::vector<float> { 0, 2, 6, 8 }));
}

TEST(NeuralReferenceKernelsTest, TransposedConvolutionScattersEachInputOverItsKernel)
{
    ModelBuilder b;
    const int x = b.input({ 1, 1, 2, 1 });
    const int w = b.weights({ 1, 2, 2, 1 });
    const int bias = b.weights({ 1 });
    NeuralOperation &op = b.op(NeuralOpKind::transposeConvBias, { x, w, bias }, { 1, 2, 4, 1 });
    op.strideH = op.strideW = 2;
    op.padding = NeuralPadding::valid;
    NeuralModel m = b.finish();
    m.tensors[std::size_t(w)].floats = { 1, 2, 3, 4 };
    m.tensors[std::size_t(bias)].floats = { 0.5f };
    EXPECT_EQ(referenceRun(m, { 1, 10 }),
        (std::vector<float> { 1.5f, 2.5f, 10.5f, 20.5f, 3.5f, 4.5f, 30.5f, 40.5f }));
}

TEST(NeuralReferenceKernelsTest, HalfPrecisionValuesExpandExactly)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        std::uint16_t half;
        float value;
    } cases[] = {
        { 0x0000, 0.0f },
        { 0x3c00, 1.0f },
        { 0xc000, -2.0f },
        { 0x3555, 0.333251953125f },
        { 0x7bff, 65504.0f },
        { 0x0001, 5.9604644775390625e-8f },
        { 0x03ff, 6.097555160522461e-5f },
        { 0x7c00, inf },
        { 0xfc00, -inf },
    };
    for (const auto &c : cases)
        EXPECT_EQ(NeuralReferenceKernels::halfToFloat(c.half), c.value) << std::hex << c.half;
    EXPECT_TRUE(std::isnan(NeuralReferenceKernels::halfToFloat(0x7e00)));
    EXPECT_TRUE(std::signbit(NeuralReferenceKernels::halfToFloat(0x8000)));
}

TEST(NeuralRuntimeTest, RefusesInconsistentShapesAndUnsupportedForms)
{
    const std::vector<std::pair<const char *, std::function<NeuralModel()>>> broken = {
        { "declared output does not match",
            [] {
                ModelBuilder b;
                conv(b, { 1, 5, 5, 3 }, 4, 3, 1, NeuralPadding::same, { 1, 4, 4, 4 });
                return b.finish();
            } },
        { "filter channels do not match",
            [] {
                ModelBuilder b;
                const int x = b.input({ 1, 5, 5, 3 });
                b.op(NeuralOpKind::conv2d, { x, b.weights({ 4, 3, 3, 2 }), -1 }, { 1, 5, 5, 4 });
                return b.finish();
            } },
        { "zero stride",
            [] {
                ModelBuilder b;
                conv(b, { 1, 5, 5, 3 }, 4, 3, 0, NeuralPadding::same, { 1, 5, 5, 4 });
                return b.finish();
            } },
        { "integer tensor where floats are read",
            [] {
                ModelBuilder b;
                b.op(NeuralOpKind::add, { b.input({ 1, 2, 2, 3 }), b.ints({ 3 }, { 1, 2, 3 }) },
                    { 1, 2, 2, 3 });
                return b.finish();
            } },
        { "huge dilation",
            [] {
                ModelBuilder b;
                conv(b, { 1, 5, 5, 3 }, 4, 3, 1, NeuralPadding::same, { 1, 5, 5, 4 }).dilationH = 1 << 30;
                return b.finish();
            } },
        { "huge depth multiplier",
            [] {
                ModelBuilder b;
                const int x = b.input({ 1, 4, 4, 4 });
                b.op(NeuralOpKind::depthwiseConv2d, { x, b.weights({ 1, 3, 3, 4 }), -1 }, { 1, 4, 4, 4 })
                    .depthMultiplier
                    = (1 << 30) + 1;
                return b.finish();
            } },
        { "shapes do not broadcast",
            [] {
                ModelBuilder b;
                b.op(NeuralOpKind::add, { b.input({ 1, 3, 4, 5 }), b.input({ 1, 3, 4, 2 }) }, { 1, 3, 4, 5 });
                return b.finish();
            } },
        { "reshape changes the element count",
            [] {
                ModelBuilder b;
                b.op(NeuralOpKind::reshape, { b.input({ 1, 3, 4, 5 }) }, { 1, 61 });
                return b.finish();
            } },
        { "mean over channels",
            [] {
                ModelBuilder b;
                b.op(NeuralOpKind::mean, { b.input({ 1, 3, 4, 5 }), b.ints({ 2 }, { 1, 3 }) }, { 1, 1, 4, 1 })
                    .keepDims
                    = true;
                return b.finish();
            } },
        { "negative padding",
            [] {
                ModelBuilder b;
                b.op(NeuralOpKind::pad,
                    { b.input({ 1, 4, 4, 3 }), b.ints({ 4, 2 }, { 0, 0, -1, 0, 0, 0, 0, 0 }) },
                    { 1, 3, 4, 3 });
                return b.finish();
            } },
        { "input read before it is computed",
            [] {
                ModelBuilder b;
                const int x = b.input({ 1, 2, 2, 1 });
                const int later = b.tensor({ 1, 2, 2, 1 });
                b.op(NeuralOpKind::add, { x, later }, { 1, 2, 2, 1 });
                return b.finish();
            } },
    };
    for (const auto &[name, build] : broken)
        EXPECT_THROW(NeuralRuntime(build(), NeuralRuntime::Backend::xnnpack), NeuralModelError) << name;
}

} // namespace

#include "NeuralRuntime.h"

#include "NeuralReferenceKernels.h"

#include <QStringList>

#include <xnnpack.h>

#include <pthreadpool.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <numeric>

namespace {

constexpr std::size_t kAlignFloats = 16; // 64-byte alignment of every arena slot
// A model whose activations need more than this is refused rather than allowed to exhaust memory.
constexpr std::size_t kMaxArenaBytes = std::size_t(512) << 20;

[[noreturn]] void fail(const NeuralOperation &op, const QString &message)
{
    throw NeuralModelError(
        QStringLiteral("Model cannot run: %1: %2").arg(NeuralModel::kindName(op.kind), message));
}

QString shapeText(const std::vector<int> &shape)
{
    QStringList parts;
    for (int d : shape)
        parts << QString::number(d);
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}

// Window options above this are refused, which also keeps every size computation below within 64 bits.
constexpr int kMaxWindowOption = 1024;

// Sizes are computed in 64 bits; one that does not fit an int comes back as 0, which no tensor has.
int fitted(std::int64_t size)
{
    return size > 0 && size <= std::numeric_limits<int>::max() ? int(size) : 0;
}

int outputSize(NeuralPadding padding, int in, int filter, int stride, int dilation)
{
    const std::int64_t effective = std::int64_t(filter - 1) * dilation + 1;
    if (padding == NeuralPadding::same)
        return fitted((std::int64_t(in) + stride - 1) / stride);
    return in >= effective ? fitted((in - effective) / stride + 1) : 0;
}

// Explicit top/bottom padding for SAME, the odd pixel after, as the file format computes it.
// Called only once the output size has been checked, so the padding is small.
std::pair<int, int> paddingPair(NeuralPadding padding, int in, int out, int filter, int stride, int dilation)
{
    if (padding == NeuralPadding::valid)
        return { 0, 0 };
    const std::int64_t total = std::max<std::int64_t>(
        std::int64_t(out - 1) * stride + std::int64_t(filter - 1) * dilation + 1 - in, 0);
    return { int(total / 2), int(total - total / 2) };
}

std::pair<float, float> clampRange(NeuralActivation a)
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    switch (a) {
    case NeuralActivation::relu:
        return { 0.0f, inf };
    case NeuralActivation::reluN1To1:
        return { -1.0f, 1.0f };
    case NeuralActivation::relu6:
        return { 0.0f, 6.0f };
    case NeuralActivation::none:
        break;
    }
    return { -inf, inf };
}

struct XnnInit {
    bool ok = false;
    XnnInit() { ok = xnn_initialize(nullptr) == xnn_status_success; }
};

bool xnnReady()
{
    static XnnInit init;
    return init.ok;
}

struct ArenaSlot {
    std::size_t size = 0; // floats
    int first = 0; // first and last operator index in which the slot is live
    int last = 0;
    std::size_t offset = 0;
};

} // namespace

struct NeuralRuntime::Impl {
    NeuralModel model;
    Backend backend = Backend::xnnpack;
    pthreadpool_t pool = nullptr;
    std::vector<xnn_operator_t> operators;
    float *arena = nullptr;
    std::size_t arenaFloats = 0;
    std::vector<float *> pointers; // per tensor: where its values live (fast backend)
    std::vector<std::vector<float>> values; // per tensor (reference backend)

    ~Impl()
    {
        for (xnn_operator_t op : operators)
            xnn_delete_operator(op);
        if (pool)
            pthreadpool_destroy(pool);
        std::free(arena);
    }

    const NeuralTensor &tensor(int index) const { return model.tensors[std::size_t(index)]; }
    NeuralTensor &tensor(int index) { return model.tensors[std::size_t(index)]; }

    void validate();
    void inferOperation(NeuralOperation &op);
    void planArena();
    void createOperators();
    void add(const NeuralOperation &op, xnn_status created, xnn_operator_t *handle);
    float *at(int index) { return pointers[std::size_t(index)]; }
};

void NeuralRuntime::Impl::validate()
{
    const int count = int(model.tensors.size());
    std::vector<bool> produced(std::size_t(count), false);
    for (int i : model.inputs) {
        NeuralTensor &t = tensor(i);
        if (t.isConstant || t.type != NeuralTensorType::float32)
            throw NeuralModelError(
                QStringLiteral("Model cannot run: graph input %1 is not a float tensor").arg(i));
        produced[std::size_t(i)] = true;
    }
    for (NeuralOperation &op : model.operations) {
        if (op.inputs.empty() || op.outputs.size() != 1)
            fail(op, QStringLiteral("wrong number of inputs or outputs"));
        for (int i : op.inputs) {
            if (i < 0 && op.kind != NeuralOpKind::conv2d && op.kind != NeuralOpKind::depthwiseConv2d)
                fail(op, QStringLiteral("missing input"));
            if (i < 0 || i >= count)
                continue;
            if (!tensor(i).isConstant && !produced[std::size_t(i)])
                fail(op, QStringLiteral("input %1 is used before it is computed").arg(i));
        }
        const int out = op.outputs[0];
        if (out < 0 || out >= count || tensor(out).isConstant || produced[std::size_t(out)])
            fail(op, QStringLiteral("output %1 is written twice or is a constant").arg(out));
        if (tensor(out).type != NeuralTensorType::float32)
            fail(op, QStringLiteral("output is not a float tensor"));
        for (int option : { op.strideW, op.strideH, op.dilationW, op.dilationH, op.filterW, op.filterH,
                 op.depthMultiplier })
            if (option < 1 || option > kMaxWindowOption)
                fail(
                    op, QStringLiteral("stride, dilation, window or multiplier %1 out of range").arg(option));
        inferOperation(op);
        produced[std::size_t(out)] = true;
    }
    for (int o : model.outputs)
        if (!tensor(o).isConstant && !produced[std::size_t(o)])
            throw NeuralModelError(
                QStringLiteral("Model cannot run: graph output %1 is never computed").arg(o));
}

// Checks the operator against its declared tensors and folds operators on constants.
void NeuralRuntime::Impl::inferOperation(NeuralOperation &op)
{
    auto in = [&](std::size_t k) -> const NeuralTensor & {
        if (k >= op.inputs.size() || op.inputs[k] < 0)
            fail(op, QStringLiteral("input %1 is missing").arg(k));
        return tensor(op.inputs[k]);
    };
    auto needFloat = [&](const NeuralTensor &t) {
        if (t.type == NeuralTensorType::int32)
            fail(op, QStringLiteral("expected a float tensor"));
        if (t.type == NeuralTensorType::float16 && !t.isConstant)
            fail(op, QStringLiteral("half-precision activations are not supported"));
    };
    auto needRank = [&](const NeuralTensor &t, std::size_t rank) {
        if (t.shape.size() != rank)
            fail(op,
                QStringLiteral("tensor %1 has rank %2, expected %3")
                    .arg(t.name)
                    .arg(t.shape.size())
                    .arg(rank));
    };
    auto needInts = [&](const NeuralTensor &t, std::int64_t n) {
        if (t.type != NeuralTensorType::int32 || !t.isConstant || std::int64_t(t.ints.size()) != n)
            fail(op, QStringLiteral("tensor %1 must be %2 constant integers").arg(t.name).arg(n));
    };
    NeuralTensor &output = tensor(op.outputs[0]);
    std::vector<int> expected;
    // Integer tensors are parameters in one known place (axes, sizes, paddings, a shape); every
    // other input is read as floats.
    const bool integerSecond = op.kind == NeuralOpKind::mean || op.kind == NeuralOpKind::resizeBilinear
        || op.kind == NeuralOpKind::pad || op.kind == NeuralOpKind::reshape;
    for (std::size_t k = 0; k < op.inputs.size(); ++k)
        if (op.inputs[k] >= 0 && !(k == 1 && integerSecond))
            needFloat(tensor(op.inputs[k]));

    switch (op.kind) {
    case NeuralOpKind::conv2d:
    case NeuralOpKind::depthwiseConv2d: {
        const bool depthwise = op.kind == NeuralOpKind::depthwiseConv2d;
        const NeuralTensor &x = in(0), &w = in(1);
        needRank(x, 4);
        needRank(w, 4);
        if (!w.isConstant)
            fail(op, QStringLiteral("filter must be constant"));
        if (op.strideW < 1 || op.strideH < 1 || op.dilationW < 1 || op.dilationH < 1)
            fail(op, QStringLiteral("stride and dilation must be positive"));
        const int outChannels = depthwise ? w.shape[3] : w.shape[0];
        if (depthwise ? (w.shape[0] != 1 || std::int64_t(x.shape[3]) * op.depthMultiplier != w.shape[3])
                      : w.shape[3] != x.shape[3])
            fail(op,
                QStringLiteral("filter %1 does not fit input %2")
                    .arg(shapeText(w.shape), shapeText(x.shape)));
        if (op.inputs.size() > 2 && op.inputs[2] >= 0) {
            const NeuralTensor &b = tensor(op.inputs[2]);
            if (!b.isConstant || b.shape != std::vector<int> { outChannels })
                fail(op, QStringLiteral("bias must be a constant vector of %1").arg(outChannels));
        }
        expected = { x.shape[0], outputSize(op.padding, x.shape[1], w.shape[1], op.strideH, op.dilationH),
            outputSize(op.padding, x.shape[2], w.shape[2], op.strideW, op.dilationW), outChannels };
        break;
    }
    case NeuralOpKind::transposeConvBias: {
        const NeuralTensor &x = in(0), &w = in(1), &b = in(2);
        needRank(x, 4);
        needRank(w, 4);
        if (!w.isConstant || !b.isConstant || b.shape != std::vector<int> { w.shape[0] }
            || w.shape[3] != x.shape[3])
            fail(op, QStringLiteral("filter or bias does not fit"));
        if (op.strideW < 1 || op.strideH < 1 || op.strideW > 64 || op.strideH > 64)
            fail(op, QStringLiteral("stride must be positive"));
        auto size = [&](int i, int k, int s) {
            return fitted(
                op.padding == NeuralPadding::same ? std::int64_t(i) * s : std::int64_t(i - 1) * s + k);
        };
        expected = { x.shape[0], size(x.shape[1], w.shape[1], op.strideH),
            size(x.shape[2], w.shape[2], op.strideW), w.shape[0] };
        break;
    }
    case NeuralOpKind::averagePool2d:
    case NeuralOpKind::maxPool2d: {
        const NeuralTensor &x = in(0);
        needRank(x, 4);
        if (op.strideW < 1 || op.strideH < 1 || op.filterW < 1 || op.filterH < 1)
            fail(op, QStringLiteral("filter and stride must be positive"));
        expected = { x.shape[0], outputSize(op.padding, x.shape[1], op.filterH, op.strideH, 1),
            outputSize(op.padding, x.shape[2], op.filterW, op.strideW, 1), x.shape[3] };
        break;
    }
    case NeuralOpKind::add:
    case NeuralOpKind::mul: {
        if (op.inputs.size() != 2)
            fail(op, QStringLiteral("expects two inputs"));
        const std::vector<int> &a = in(0).shape, &b = in(1).shape;
        if (a.size() > 4 || b.size() > 4)
            fail(op, QStringLiteral("rank above 4"));
        const std::size_t rank = std::max(a.size(), b.size());
        expected.assign(rank, 1);
        for (std::size_t k = 0; k < rank; ++k) {
            const int da = k + a.size() >= rank ? a[k + a.size() - rank] : 1;
            const int db = k + b.size() >= rank ? b[k + b.size() - rank] : 1;
            if (da != db && da != 1 && db != 1)
                fail(op, QStringLiteral("shapes %1 and %2 do not broadcast").arg(shapeText(a), shapeText(b)));
            expected[k] = std::max(da, db);
        }
        break;
    }
    case NeuralOpKind::relu:
    case NeuralOpKind::hardSwish:
    case NeuralOpKind::logistic:
    case NeuralOpKind::dequantize:
        expected = in(0).shape;
        break;
    case NeuralOpKind::mean: {
        const NeuralTensor &x = in(0), &axes = in(1);
        needRank(x, 4);
        needInts(axes, 2);
        std::vector<int> a = { axes.ints[0] < 0 ? axes.ints[0] + 4 : axes.ints[0],
            axes.ints[1] < 0 ? axes.ints[1] + 4 : axes.ints[1] };
        std::sort(a.begin(), a.end());
        if (a != std::vector<int> { 1, 2 })
            fail(op, QStringLiteral("only the mean over height and width is supported"));
        expected = op.keepDims ? std::vector<int> { x.shape[0], 1, 1, x.shape[3] }
                               : std::vector<int> { x.shape[0], x.shape[3] };
        break;
    }
    case NeuralOpKind::resizeBilinear: {
        const NeuralTensor &x = in(0), &size = in(1);
        needRank(x, 4);
        needInts(size, 2);
        if (size.ints[0] < 1 || size.ints[1] < 1 || size.ints[0] > 16384 || size.ints[1] > 16384)
            fail(op, QStringLiteral("output size out of range"));
        if (op.alignCorners && op.halfPixelCenters)
            fail(op, QStringLiteral("align corners and half-pixel centres together"));
        expected = { x.shape[0], size.ints[0], size.ints[1], x.shape[3] };
        break;
    }
    case NeuralOpKind::pad: {
        const NeuralTensor &x = in(0), &p = in(1);
        if (x.shape.empty() || x.shape.size() > 4)
            fail(op, QStringLiteral("rank must be 1 to 4"));
        needInts(p, std::int64_t(x.shape.size()) * 2);
        expected = x.shape;
        for (std::size_t k = 0; k < x.shape.size(); ++k) {
            const std::int32_t before = p.ints[k * 2], after = p.ints[k * 2 + 1];
            if (before < 0 || after < 0 || before > 4096 || after > 4096)
                fail(op, QStringLiteral("padding out of range"));
            expected[k] += before + after;
        }
        break;
    }
    case NeuralOpKind::reshape: {
        const NeuralTensor &x = in(0);
        if (x.elementCount() != output.elementCount())
            fail(op,
                QStringLiteral("reshape from %1 to %2 changes the element count")
                    .arg(shapeText(x.shape), shapeText(output.shape)));
        expected = output.shape;
        break;
    }
    case NeuralOpKind::concatenation: {
        const std::vector<int> &first = in(0).shape;
        const int rank = int(first.size());
        const int axis = op.axis < 0 ? op.axis + rank : op.axis;
        if (axis < 0 || axis >= rank)
            fail(op, QStringLiteral("axis %1 out of range").arg(op.axis));
        expected = first;
        std::int64_t joined = 0;
        for (std::size_t k = 0; k < op.inputs.size(); ++k) {
            const std::vector<int> &s = in(k).shape;
            for (int d = 0; d < rank; ++d)
                if (int(s.size()) != rank || (d != axis && s[std::size_t(d)] != first[std::size_t(d)]))
                    fail(op,
                        QStringLiteral("inputs %1 and %2 do not join").arg(shapeText(first), shapeText(s)));
            joined += s[std::size_t(axis)];
        }
        expected[std::size_t(axis)] = fitted(joined);
        break;
    }
    }
    if (std::find(expected.begin(), expected.end(), 0) != expected.end() || expected != output.shape)
        fail(op,
            QStringLiteral("declared output %1, computed %2")
                .arg(shapeText(output.shape), shapeText(expected)));

    // Operators on constants only are done once, here.
    const bool constantInput = op.inputs.size() == 1 || op.kind == NeuralOpKind::reshape;
    if (constantInput && tensor(op.inputs[0]).isConstant
        && (op.kind == NeuralOpKind::reshape || op.kind == NeuralOpKind::dequantize)) {
        output.floats = tensor(op.inputs[0]).floats;
        output.isConstant = true;
    }
}

// One arena for every activation: each tensor (reshapes share their input's slot) gets a span that no
// tensor live at the same time overlaps, placed greedily, largest first.
void NeuralRuntime::Impl::planArena()
{
    const int count = int(model.tensors.size());
    std::vector<int> slotOf(std::size_t(count), -1);
    std::vector<ArenaSlot> spans;
    const int end = int(model.operations.size());
    auto touch = [&](int tensorIndex, int when) {
        ArenaSlot &s = spans[std::size_t(slotOf[std::size_t(tensorIndex)])];
        s.first = std::min(s.first, when);
        s.last = std::max(s.last, when);
    };
    auto newSlot = [&](int tensorIndex, int when) {
        slotOf[std::size_t(tensorIndex)] = int(spans.size());
        spans.push_back({ std::size_t(tensor(tensorIndex).elementCount()), when, when, 0 });
    };
    for (int i : model.inputs)
        newSlot(i, -1);
    for (int k = 0; k < end; ++k) {
        const NeuralOperation &op = model.operations[std::size_t(k)];
        const int out = op.outputs[0];
        if (tensor(out).isConstant)
            continue;
        for (int i : op.inputs)
            if (i >= 0 && !tensor(i).isConstant)
                touch(i, k);
        if (op.kind == NeuralOpKind::reshape && !tensor(op.inputs[0]).isConstant)
            slotOf[std::size_t(out)] = slotOf[std::size_t(op.inputs[0])];
        else
            newSlot(out, k);
    }
    for (int o : model.outputs)
        if (!tensor(o).isConstant)
            touch(o, end);

    std::vector<std::size_t> order(spans.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
        [&](std::size_t a, std::size_t b) { return spans[a].size > spans[b].size; });
    std::vector<std::size_t> placed;
    for (std::size_t s : order) {
        ArenaSlot &slot = spans[s];
        const std::size_t size = (slot.size + kAlignFloats - 1) / kAlignFloats * kAlignFloats;
        std::vector<std::pair<std::size_t, std::size_t>> busy;
        for (std::size_t p : placed) {
            const ArenaSlot &other = spans[p];
            if (other.first <= slot.last && slot.first <= other.last)
                busy.push_back({ other.offset,
                    other.offset + (other.size + kAlignFloats - 1) / kAlignFloats * kAlignFloats });
        }
        std::sort(busy.begin(), busy.end());
        std::size_t offset = 0;
        for (const auto &[begin, finish] : busy) {
            if (offset + size <= begin)
                break;
            offset = std::max(offset, finish);
        }
        slot.offset = offset;
        arenaFloats = std::max(arenaFloats, offset + size);
        placed.push_back(s);
    }
    if (arenaFloats > kMaxArenaBytes / sizeof(float))
        throw NeuralModelError(QStringLiteral("Model cannot run: its activations need more than 512 MiB"));
    const std::size_t bytes = arenaFloats * sizeof(float) + XNN_EXTRA_BYTES + 64;
    arena = static_cast<float *>(std::aligned_alloc(64, (bytes + 63) / 64 * 64));
    if (!arena)
        throw NeuralModelError(QStringLiteral("Model cannot run: out of memory"));
    std::memset(arena, 0, (bytes + 63) / 64 * 64);
    pointers.assign(std::size_t(count), nullptr);
    for (int t = 0; t < count; ++t) {
        if (tensor(t).isConstant)
            pointers[std::size_t(t)] = tensor(t).floats.data();
        else if (slotOf[std::size_t(t)] >= 0)
            pointers[std::size_t(t)] = arena + spans[std::size_t(slotOf[std::size_t(t)])].offset;
    }
}

// Takes the handle by address: it must be read after the create call has filled it.
void NeuralRuntime::Impl::add(const NeuralOperation &op, xnn_status created, xnn_operator_t *handle)
{
    if (created != xnn_status_success)
        fail(op, QStringLiteral("the fast backend refused the operator (status %1)").arg(int(created)));
    operators.push_back(*handle);
}

void NeuralRuntime::Impl::createOperators()
{
    auto check = [](const NeuralOperation &op, xnn_status s) {
        if (s != xnn_status_success)
            fail(
                op, QStringLiteral("the fast backend refused the operator's shapes (status %1)").arg(int(s)));
    };
    for (const NeuralOperation &op : model.operations) {
        const NeuralTensor &out = tensor(op.outputs[0]);
        if (out.isConstant)
            continue;
        const NeuralTensor &x = tensor(op.inputs[0]);
        const float *src = at(op.inputs[0]);
        float *dst = at(op.outputs[0]);
        const auto [lo, hi] = clampRange(op.activation);
        xnn_operator_t h = nullptr;
        switch (op.kind) {
        case NeuralOpKind::conv2d:
        case NeuralOpKind::depthwiseConv2d: {
            const bool depthwise = op.kind == NeuralOpKind::depthwiseConv2d;
            const NeuralTensor &w = tensor(op.inputs[1]);
            const float *bias = op.inputs.size() > 2 && op.inputs[2] >= 0 ? at(op.inputs[2]) : nullptr;
            const auto [top, bottom]
                = paddingPair(op.padding, x.shape[1], out.shape[1], w.shape[1], op.strideH, op.dilationH);
            const auto [left, right]
                = paddingPair(op.padding, x.shape[2], out.shape[2], w.shape[2], op.strideW, op.dilationW);
            const std::size_t inC = std::size_t(x.shape[3]), outC = std::size_t(out.shape[3]);
            add(op,
                xnn_create_convolution2d_nhwc_f32(uint32_t(top), uint32_t(right), uint32_t(bottom),
                    uint32_t(left), uint32_t(w.shape[1]), uint32_t(w.shape[2]), uint32_t(op.strideH),
                    uint32_t(op.strideW), uint32_t(op.dilationH), uint32_t(op.dilationW),
                    depthwise ? uint32_t(inC) : 1, depthwise ? 1 : inC,
                    depthwise ? std::size_t(op.depthMultiplier) : outC, inC, outC, w.floats.data(), bias, lo,
                    hi, depthwise ? XNN_FLAG_DEPTHWISE_CONVOLUTION : 0, &h),
                &h);
            check(op,
                xnn_setup_convolution2d_nhwc_f32(h, std::size_t(x.shape[0]), std::size_t(x.shape[1]),
                    std::size_t(x.shape[2]), src, dst, pool));
            break;
        }
        case NeuralOpKind::transposeConvBias: {
            const NeuralTensor &w = tensor(op.inputs[1]);
            auto pads = [](int in, int outSize, int k, int s) {
                const int total = (in - 1) * s + k - outSize;
                return total >= 0 ? std::tuple<int, int, int> { total / 2, total - total / 2, 0 }
                                  : std::tuple<int, int, int> { 0, 0, -total };
            };
            const auto [top, bottom, adjH] = pads(x.shape[1], out.shape[1], w.shape[1], op.strideH);
            const auto [left, right, adjW] = pads(x.shape[2], out.shape[2], w.shape[2], op.strideW);
            if (adjH >= op.strideH || adjW >= op.strideW)
                fail(op, QStringLiteral("output size cannot be reached"));
            add(op,
                xnn_create_deconvolution2d_nhwc_f32(uint32_t(top), uint32_t(right), uint32_t(bottom),
                    uint32_t(left), uint32_t(w.shape[1]), uint32_t(w.shape[2]), uint32_t(op.strideH),
                    uint32_t(op.strideW), 1, 1, 1, std::size_t(x.shape[3]), std::size_t(w.shape[0]),
                    std::size_t(x.shape[3]), std::size_t(w.shape[0]), w.floats.data(), at(op.inputs[2]), lo,
                    hi, 0, &h),
                &h);
            check(op,
                xnn_setup_deconvolution2d_nhwc_f32(h, std::size_t(x.shape[0]), std::size_t(x.shape[1]),
                    std::size_t(x.shape[2]), uint32_t(adjH), uint32_t(adjW), src, dst, pool));
            break;
        }
        case NeuralOpKind::averagePool2d:
        case NeuralOpKind::maxPool2d: {
            const auto [top, bottom]
                = paddingPair(op.padding, x.shape[1], out.shape[1], op.filterH, op.strideH, 1);
            const auto [left, right]
                = paddingPair(op.padding, x.shape[2], out.shape[2], op.filterW, op.strideW, 1);
            const std::size_t c = std::size_t(x.shape[3]);
            if (op.filterH == 1 && op.filterW == 1 && op.strideH == 1 && op.strideW == 1) {
                // A 1x1 window with stride 1 is a copy (XNNPACK refuses a pooling of one element).
                add(op, xnn_create_clamp_nc_f32(c, c, c, lo, hi, 0, &h), &h);
                check(op, xnn_setup_clamp_nc_f32(h, std::size_t(x.elementCount()) / c, src, dst, pool));
            } else if (op.kind == NeuralOpKind::averagePool2d) {
                add(op,
                    xnn_create_average_pooling2d_nhwc_f32(uint32_t(top), uint32_t(right), uint32_t(bottom),
                        uint32_t(left), uint32_t(op.filterH), uint32_t(op.filterW), uint32_t(op.strideH),
                        uint32_t(op.strideW), c, c, c, lo, hi, 0, &h),
                    &h);
                check(op,
                    xnn_setup_average_pooling2d_nhwc_f32(h, std::size_t(x.shape[0]), std::size_t(x.shape[1]),
                        std::size_t(x.shape[2]), src, dst, pool));
            } else {
                add(op,
                    xnn_create_max_pooling2d_nhwc_f32(uint32_t(top), uint32_t(right), uint32_t(bottom),
                        uint32_t(left), uint32_t(op.filterH), uint32_t(op.filterW), uint32_t(op.strideH),
                        uint32_t(op.strideW), 1, 1, c, c, c, lo, hi, 0, &h),
                    &h);
                check(op,
                    xnn_setup_max_pooling2d_nhwc_f32(h, std::size_t(x.shape[0]), std::size_t(x.shape[1]),
                        std::size_t(x.shape[2]), src, dst, pool));
            }
            break;
        }
        case NeuralOpKind::add:
        case NeuralOpKind::mul: {
            const NeuralTensor &y = tensor(op.inputs[1]);
            std::vector<std::size_t> a(x.shape.begin(), x.shape.end()), b(y.shape.begin(), y.shape.end());
            if (op.kind == NeuralOpKind::add) {
                add(op, xnn_create_add_nd_f32(lo, hi, 0, &h), &h);
                check(op,
                    xnn_setup_add_nd_f32(
                        h, a.size(), a.data(), b.size(), b.data(), src, at(op.inputs[1]), dst, pool));
            } else {
                add(op, xnn_create_multiply_nd_f32(lo, hi, 0, &h), &h);
                check(op,
                    xnn_setup_multiply_nd_f32(
                        h, a.size(), a.data(), b.size(), b.data(), src, at(op.inputs[1]), dst, pool));
            }
            break;
        }
        case NeuralOpKind::relu:
        case NeuralOpKind::dequantize: // of a float tensor: a copy
        case NeuralOpKind::hardSwish:
        case NeuralOpKind::logistic: {
            const std::size_t n = std::size_t(x.elementCount());
            if (op.kind == NeuralOpKind::hardSwish) {
                add(op, xnn_create_hardswish_nc_f32(1, 1, 1, 0, &h), &h);
                check(op, xnn_setup_hardswish_nc_f32(h, n, src, dst, pool));
            } else if (op.kind == NeuralOpKind::logistic) {
                add(op, xnn_create_sigmoid_nc_f32(1, 1, 1, 0, &h), &h);
                check(op, xnn_setup_sigmoid_nc_f32(h, n, src, dst, pool));
            } else {
                const float low
                    = op.kind == NeuralOpKind::relu ? 0.0f : -std::numeric_limits<float>::infinity();
                add(op, xnn_create_clamp_nc_f32(1, 1, 1, low, std::numeric_limits<float>::infinity(), 0, &h),
                    &h);
                check(op, xnn_setup_clamp_nc_f32(h, n, src, dst, pool));
            }
            break;
        }
        case NeuralOpKind::mean: {
            const std::size_t c = std::size_t(x.shape[3]);
            add(op,
                xnn_create_global_average_pooling_nwc_f32(c, c, c, -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::infinity(), 0, &h),
                &h);
            check(op,
                xnn_setup_global_average_pooling_nwc_f32(h, std::size_t(x.shape[0]),
                    std::size_t(x.shape[1]) * std::size_t(x.shape[2]), src, dst, pool));
            break;
        }
        case NeuralOpKind::resizeBilinear: {
            const std::size_t c = std::size_t(x.shape[3]);
            const uint32_t flags = op.alignCorners ? XNN_FLAG_ALIGN_CORNERS
                : op.halfPixelCenters              ? 0
                                                   : XNN_FLAG_TENSORFLOW_LEGACY_MODE;
            add(op, xnn_create_resize_bilinear2d_nhwc_f32(c, c, c, flags, &h), &h);
            check(op,
                xnn_setup_resize_bilinear2d_nhwc_f32(h, std::size_t(x.shape[0]), std::size_t(x.shape[1]),
                    std::size_t(x.shape[2]), std::size_t(out.shape[1]), std::size_t(out.shape[2]), src, dst,
                    pool));
            break;
        }
        case NeuralOpKind::pad: {
            const std::vector<std::int32_t> &p = tensor(op.inputs[1]).ints;
            std::vector<std::size_t> shape(x.shape.begin(), x.shape.end()), before, after;
            for (std::size_t k = 0; k < shape.size(); ++k) {
                before.push_back(std::size_t(p[k * 2]));
                after.push_back(std::size_t(p[k * 2 + 1]));
            }
            const std::uint32_t zero = 0;
            add(op, xnn_create_constant_pad_nd_x32(&zero, 0, &h), &h);
            check(op,
                xnn_setup_constant_pad_nd_x32(
                    h, shape.size(), shape.data(), before.data(), after.data(), src, dst, pool));
            break;
        }
        case NeuralOpKind::reshape:
            break; // shares its input's storage
        case NeuralOpKind::concatenation: {
            const int rank = int(out.shape.size());
            const int axis = op.axis < 0 ? op.axis + rank : op.axis;
            std::size_t outer = 1, inner = 1;
            for (int k = 0; k < axis; ++k)
                outer *= std::size_t(out.shape[std::size_t(k)]);
            for (int k = axis + 1; k < rank; ++k)
                inner *= std::size_t(out.shape[std::size_t(k)]);
            const std::size_t outRow = std::size_t(out.shape[std::size_t(axis)]) * inner;
            std::size_t column = 0;
            for (int index : op.inputs) {
                const std::size_t row = std::size_t(tensor(index).shape[std::size_t(axis)]) * inner;
                add(op, xnn_create_copy_nc_x32(row, row, outRow, 0, &h), &h);
                check(op, xnn_setup_copy_nc_x32(h, outer, at(index), dst + column, pool));
                column += row;
            }
            if (op.activation != NeuralActivation::none) {
                add(op, xnn_create_clamp_nc_f32(1, 1, 1, lo, hi, 0, &h), &h);
                check(op, xnn_setup_clamp_nc_f32(h, std::size_t(out.elementCount()), dst, dst, pool));
            }
            break;
        }
        }
    }
}

NeuralRuntime::NeuralRuntime(NeuralModel model, Backend backend, int threads)
    : d(std::make_unique<Impl>())
{
    d->model = std::move(model);
    d->backend = backend;
    if (d->model.inputs.empty() || d->model.outputs.empty())
        throw NeuralModelError(QStringLiteral("Model cannot run: it has no inputs or no outputs"));
    d->validate();
    if (backend == Backend::reference) {
        d->values.resize(d->model.tensors.size());
        for (std::size_t t = 0; t < d->model.tensors.size(); ++t)
            if (!d->model.tensors[t].isConstant)
                d->values[t].assign(std::size_t(d->model.tensors[t].elementCount()), 0.0f);
        return;
    }
    if (!xnnReady())
        throw NeuralModelError(
            QStringLiteral("Model cannot run: the fast backend does not support this processor"));
    if (threads > 1)
        d->pool = pthreadpool_create(std::size_t(threads));
    // XNNPACK's vector kernels may read up to XNN_EXTRA_BYTES past an operand; constants get that slack.
    for (NeuralTensor &t : d->model.tensors)
        if (t.isConstant)
            t.floats.reserve(t.floats.size() + XNN_EXTRA_BYTES / sizeof(float));
    d->planArena();
    d->createOperators();
}

NeuralRuntime::~NeuralRuntime() = default;

int NeuralRuntime::inputCount() const
{
    return int(d->model.inputs.size());
}

int NeuralRuntime::outputCount() const
{
    return int(d->model.outputs.size());
}

const std::vector<int> &NeuralRuntime::inputShape(int index) const
{
    return d->tensor(d->model.inputs.at(std::size_t(index))).shape;
}

const std::vector<int> &NeuralRuntime::outputShape(int index) const
{
    return d->tensor(d->model.outputs.at(std::size_t(index))).shape;
}

float *NeuralRuntime::input(int index)
{
    const int t = d->model.inputs.at(std::size_t(index));
    return d->backend == Backend::reference ? d->values[std::size_t(t)].data() : d->at(t);
}

const float *NeuralRuntime::output(int index) const
{
    const int t = d->model.outputs.at(std::size_t(index));
    if (d->tensor(t).isConstant)
        return d->tensor(t).floats.data();
    return d->backend == Backend::reference ? d->values[std::size_t(t)].data() : d->pointers[std::size_t(t)];
}

bool NeuralRuntime::run(QString *error)
{
    if (d->backend == Backend::reference) {
        for (const NeuralOperation &op : d->model.operations)
            if (!d->tensor(op.outputs[0]).isConstant)
                NeuralReferenceKernels::run(d->model, op, d->values);
        return true;
    }
    for (xnn_operator_t op : d->operators) {
        const xnn_status status = xnn_run_operator(op, d->pool);
        if (status != xnn_status_success) {
            if (error)
                *error = QStringLiteral("inference failed (status %1)").arg(int(status));
            return false;
        }
    }
    return true;
}

NeuralRuntime::Backend NeuralRuntime::backend() const
{
    return d->backend;
}

std::size_t NeuralRuntime::arenaBytes() const
{
    return d->arenaFloats * sizeof(float);
}

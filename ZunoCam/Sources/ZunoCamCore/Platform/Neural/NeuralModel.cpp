#include "NeuralModel.h"

#include "NeuralReferenceKernels.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr std::int64_t kMaxElements = std::int64_t(1) << 26; // 256 MiB of floats per tensor
constexpr int kMaxRank = 6;

[[noreturn]] void fail(const QString &message)
{
    throw NeuralModelError(QStringLiteral("Model file is invalid: ") + message);
}

// Read-only view of a flatbuffer in which every access is checked against the buffer's end.
class FlatReader {
public:
    explicit FlatReader(const QByteArray &bytes)
        : m_data(reinterpret_cast<const std::uint8_t *>(bytes.constData()))
        , m_size(std::size_t(bytes.size()))
    {
    }

    std::size_t size() const { return m_size; }
    const std::uint8_t *data() const { return m_data; }

    void need(std::size_t offset, std::size_t length) const
    {
        if (offset > m_size || length > m_size - offset)
            fail(QStringLiteral("data runs past the end of the file"));
    }
    std::uint8_t u8(std::size_t offset) const
    {
        need(offset, 1);
        return m_data[offset];
    }
    std::uint16_t u16(std::size_t offset) const
    {
        need(offset, 2);
        return std::uint16_t(m_data[offset] | (m_data[offset + 1] << 8));
    }
    std::uint32_t u32(std::size_t offset) const
    {
        need(offset, 4);
        return std::uint32_t(m_data[offset]) | (std::uint32_t(m_data[offset + 1]) << 8)
            | (std::uint32_t(m_data[offset + 2]) << 16) | (std::uint32_t(m_data[offset + 3]) << 24);
    }
    std::int32_t i32(std::size_t offset) const
    {
        const std::uint32_t v = u32(offset);
        std::int32_t r;
        std::memcpy(&r, &v, 4);
        return r;
    }
    // Follows a forward offset stored at `offset`.
    std::size_t follow(std::size_t offset) const
    {
        const std::size_t target = offset + u32(offset);
        need(target, 1);
        return target;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
};

class FlatTable;

// A vector of scalars or of offsets to tables.
class FlatVector {
public:
    FlatVector() = default;
    FlatVector(const FlatReader *reader, std::size_t position, std::size_t elementSize)
        : m_reader(reader)
        , m_begin(position + 4)
    {
        m_count = reader->u32(position);
        const std::size_t bytes = std::size_t(m_count) * elementSize;
        if (elementSize != 0 && bytes / elementSize != m_count)
            fail(QStringLiteral("vector length overflows"));
        reader->need(m_begin, bytes);
        m_elementSize = elementSize;
    }
    std::uint32_t size() const { return m_count; }
    std::size_t begin() const { return m_begin; }
    std::int32_t i32(std::uint32_t i) const { return m_reader->i32(at(i)); }
    std::uint8_t u8(std::uint32_t i) const { return m_reader->u8(at(i)); }
    FlatTable table(std::uint32_t i) const;

private:
    std::size_t at(std::uint32_t i) const
    {
        if (i >= m_count)
            fail(QStringLiteral("vector index out of range"));
        return m_begin + std::size_t(i) * m_elementSize;
    }
    const FlatReader *m_reader = nullptr;
    std::size_t m_begin = 0;
    std::uint32_t m_count = 0;
    std::size_t m_elementSize = 1;
};

class FlatTable {
public:
    FlatTable(const FlatReader *reader, std::size_t position)
        : m_reader(reader)
        , m_position(position)
    {
        const std::int64_t vtable = std::int64_t(position) - reader->i32(position);
        if (vtable < 0 || std::uint64_t(vtable) > reader->size())
            fail(QStringLiteral("table layout points outside the file"));
        m_vtable = std::size_t(vtable);
        m_vtableSize = reader->u16(m_vtable);
        m_tableSize = reader->u16(m_vtable + 2);
        if (m_vtableSize < 4 || (m_vtableSize & 1))
            fail(QStringLiteral("malformed table layout"));
        reader->need(m_vtable, m_vtableSize);
        reader->need(m_position, m_tableSize);
    }

    bool has(int field) const { return fieldOffset(field) != 0; }

    std::int32_t i32(int field, std::int32_t fallback) const
    {
        const std::size_t o = fieldOffset(field);
        return o ? m_reader->i32(fieldAt(o, 4)) : fallback;
    }
    std::uint32_t u32(int field, std::uint32_t fallback) const
    {
        const std::size_t o = fieldOffset(field);
        return o ? m_reader->u32(fieldAt(o, 4)) : fallback;
    }
    std::uint8_t u8(int field, std::uint8_t fallback) const
    {
        const std::size_t o = fieldOffset(field);
        return o ? m_reader->u8(fieldAt(o, 1)) : fallback;
    }
    std::int8_t i8(int field, std::int8_t fallback) const
    {
        return std::int8_t(u8(field, std::uint8_t(fallback)));
    }

    std::optional<FlatTable> table(int field) const
    {
        const std::size_t o = fieldOffset(field);
        if (!o)
            return std::nullopt;
        return FlatTable(m_reader, m_reader->follow(fieldAt(o, 4)));
    }
    FlatVector vector(int field, std::size_t elementSize) const
    {
        const std::size_t o = fieldOffset(field);
        if (!o)
            return {};
        return FlatVector(m_reader, m_reader->follow(fieldAt(o, 4)), elementSize);
    }
    QString string(int field) const
    {
        const FlatVector v = vector(field, 1);
        return QString::fromUtf8(reinterpret_cast<const char *>(m_reader->data() + v.begin()), v.size());
    }

private:
    std::size_t fieldOffset(int field) const
    {
        const std::size_t slot = 4 + std::size_t(field) * 2;
        if (slot + 2 > m_vtableSize)
            return 0;
        const std::size_t o = m_reader->u16(m_vtable + slot);
        if (o != 0 && o >= m_tableSize)
            fail(QStringLiteral("field lies outside its table"));
        return o;
    }
    std::size_t fieldAt(std::size_t offset, std::size_t width) const
    {
        if (offset + width > m_tableSize)
            fail(QStringLiteral("field lies outside its table"));
        return m_position + offset;
    }

    const FlatReader *m_reader;
    std::size_t m_position;
    std::size_t m_vtable = 0;
    std::size_t m_vtableSize = 0;
    std::size_t m_tableSize = 0;
};

FlatTable FlatVector::table(std::uint32_t i) const
{
    return FlatTable(m_reader, m_reader->follow(at(i)));
}

// Builtin operator codes and option unions of the file format, as far as we use them.
enum BuiltinCode : int {
    kAdd = 0,
    kAveragePool2d = 1,
    kConcatenation = 2,
    kConv2d = 3,
    kDepthwiseConv2d = 4,
    kDequantize = 6,
    kLogistic = 14,
    kMaxPool2d = 17,
    kMul = 18,
    kRelu = 19,
    kReshape = 22,
    kResizeBilinear = 23,
    kCustom = 32,
    kPad = 34,
    kMean = 40,
    kHardSwish = 117,
};

// Tensor types of the file format.
enum FileTensorType : int { kFileFloat32 = 0, kFileFloat16 = 1, kFileInt32 = 2 };

NeuralActivation activationFrom(std::int8_t code)
{
    switch (code) {
    case 0:
        return NeuralActivation::none;
    case 1:
        return NeuralActivation::relu;
    case 2:
        return NeuralActivation::reluN1To1;
    case 3:
        return NeuralActivation::relu6;
    default:
        fail(QStringLiteral("unsupported fused activation %1").arg(code));
    }
}

NeuralPadding paddingFrom(std::int32_t code, bool custom)
{
    // Builtin options spell SAME 0 / VALID 1; the custom transposed convolution's raw options 1 / 2.
    if (custom ? code == 1 : code == 0)
        return NeuralPadding::same;
    if (custom ? code == 2 : code == 1)
        return NeuralPadding::valid;
    fail(QStringLiteral("unsupported padding %1").arg(code));
}

std::vector<int> readInts(const FlatVector &v)
{
    std::vector<int> out(v.size());
    for (std::uint32_t i = 0; i < v.size(); ++i)
        out[i] = v.i32(i);
    return out;
}

struct OperatorCode {
    int builtin = -1;
    QString custom;
};

void readOptions(NeuralOperation &op, int builtin, const FlatTable &table)
{
    const std::optional<FlatTable> options = table.table(4);
    auto get = [&](int field, std::int32_t fallback) {
        return options ? options->i32(field, fallback) : fallback;
    };
    auto getByte
        = [&](int field, std::int8_t fallback) { return options ? options->i8(field, fallback) : fallback; };
    switch (builtin) {
    case kConv2d:
        op.padding = paddingFrom(getByte(0, 0), false);
        op.strideW = get(1, 0);
        op.strideH = get(2, 0);
        op.activation = activationFrom(getByte(3, 0));
        op.dilationW = get(4, 1);
        op.dilationH = get(5, 1);
        break;
    case kDepthwiseConv2d:
        op.padding = paddingFrom(getByte(0, 0), false);
        op.strideW = get(1, 0);
        op.strideH = get(2, 0);
        op.depthMultiplier = get(3, 0);
        op.activation = activationFrom(getByte(4, 0));
        op.dilationW = get(5, 1);
        op.dilationH = get(6, 1);
        break;
    case kAveragePool2d:
    case kMaxPool2d:
        op.padding = paddingFrom(getByte(0, 0), false);
        op.strideW = get(1, 0);
        op.strideH = get(2, 0);
        op.filterW = get(3, 0);
        op.filterH = get(4, 0);
        op.activation = activationFrom(getByte(5, 0));
        break;
    case kConcatenation:
        op.axis = get(0, 0);
        op.activation = activationFrom(getByte(1, 0));
        break;
    case kAdd:
    case kMul:
        op.activation = activationFrom(getByte(0, 0));
        break;
    case kResizeBilinear:
        op.alignCorners = getByte(2, 0) != 0;
        op.halfPixelCenters = getByte(3, 0) != 0;
        break;
    case kMean:
        op.keepDims = getByte(0, 0) != 0;
        break;
    default:
        break;
    }
}

NeuralOpKind kindFrom(const OperatorCode &code)
{
    switch (code.builtin) {
    case kAdd:
        return NeuralOpKind::add;
    case kAveragePool2d:
        return NeuralOpKind::averagePool2d;
    case kConcatenation:
        return NeuralOpKind::concatenation;
    case kConv2d:
        return NeuralOpKind::conv2d;
    case kDepthwiseConv2d:
        return NeuralOpKind::depthwiseConv2d;
    case kDequantize:
        return NeuralOpKind::dequantize;
    case kLogistic:
        return NeuralOpKind::logistic;
    case kMaxPool2d:
        return NeuralOpKind::maxPool2d;
    case kMul:
        return NeuralOpKind::mul;
    case kRelu:
        return NeuralOpKind::relu;
    case kReshape:
        return NeuralOpKind::reshape;
    case kResizeBilinear:
        return NeuralOpKind::resizeBilinear;
    case kPad:
        return NeuralOpKind::pad;
    case kMean:
        return NeuralOpKind::mean;
    case kHardSwish:
        return NeuralOpKind::hardSwish;
    case kCustom:
        if (code.custom == QLatin1String("Convolution2DTransposeBias"))
            return NeuralOpKind::transposeConvBias;
        fail(QStringLiteral("unsupported custom operator \"%1\"").arg(code.custom));
    default:
        fail(QStringLiteral("unsupported operator %1").arg(code.builtin));
    }
}

NeuralTensor readTensor(const FlatTable &t, const FlatVector &buffers, const FlatReader &reader)
{
    NeuralTensor tensor;
    tensor.shape = readInts(t.vector(0, 4));
    if (tensor.shape.size() > std::size_t(kMaxRank))
        fail(QStringLiteral("tensor rank %1 is too high").arg(tensor.shape.size()));
    std::int64_t count = 1;
    for (int d : tensor.shape) {
        if (d <= 0)
            fail(QStringLiteral("tensor dimension %1 is not positive").arg(d));
        count *= d;
        if (count > kMaxElements)
            fail(QStringLiteral("tensor is too large"));
    }
    const int type = t.i8(1, 0);
    std::size_t width = 4;
    switch (type) {
    case kFileFloat32:
        tensor.type = NeuralTensorType::float32;
        break;
    case kFileFloat16:
        tensor.type = NeuralTensorType::float16;
        width = 2;
        break;
    case kFileInt32:
        tensor.type = NeuralTensorType::int32;
        break;
    default:
        fail(QStringLiteral("unsupported tensor type %1").arg(type));
    }
    tensor.name = t.string(3);
    if (t.table(4)) {
        // Float models carry an empty quantization table; real scales would mean a quantized model.
        const FlatTable q = *t.table(4);
        if (q.vector(2, 4).size() > 0 || q.vector(3, 8).size() > 0)
            fail(QStringLiteral("quantized tensors are not supported"));
    }
    if (t.has(6))
        fail(QStringLiteral("sparse tensors are not supported"));

    const std::uint32_t bufferIndex = t.u32(2, 0);
    if (bufferIndex >= buffers.size())
        fail(QStringLiteral("tensor buffer index %1 out of range").arg(bufferIndex));
    const FlatVector data = buffers.table(bufferIndex).vector(0, 1);
    if (data.size() == 0)
        return tensor;
    if (std::uint64_t(data.size()) != std::uint64_t(count) * width)
        fail(QStringLiteral("tensor \"%1\" has %2 bytes of data for %3 elements")
                 .arg(tensor.name)
                 .arg(data.size())
                 .arg(count));
    tensor.isConstant = true;
    const std::uint8_t *bytes = reader.data() + data.begin();
    if (tensor.type == NeuralTensorType::int32) {
        tensor.ints.resize(std::size_t(count));
        std::memcpy(tensor.ints.data(), bytes, std::size_t(count) * 4);
    } else if (tensor.type == NeuralTensorType::float32) {
        tensor.floats.resize(std::size_t(count));
        std::memcpy(tensor.floats.data(), bytes, std::size_t(count) * 4);
    } else {
        std::vector<std::uint16_t> halves(static_cast<std::size_t>(count));
        std::memcpy(halves.data(), bytes, std::size_t(count) * 2);
        tensor.floats.resize(std::size_t(count));
        NeuralReferenceKernels::dequantizeHalf(halves.data(), tensor.floats.data(), count);
    }
    return tensor;
}

void checkIndices(const std::vector<int> &indices, std::size_t tensorCount, bool allowAbsent)
{
    for (int i : indices) {
        if (i == -1 && allowAbsent)
            continue;
        if (i < 0 || std::size_t(i) >= tensorCount)
            fail(QStringLiteral("tensor index %1 out of range").arg(i));
    }
}

} // namespace

std::int64_t NeuralTensor::elementCount() const
{
    std::int64_t n = 1;
    for (int d : shape)
        n *= d;
    return n;
}

NeuralModel NeuralModel::fromFlatbuffer(const QByteArray &bytes)
{
    if (bytes.size() < 8)
        fail(QStringLiteral("file is too short"));
    if (std::memcmp(bytes.constData() + 4, "TFL3", 4) != 0)
        fail(QStringLiteral("not a TFLite model"));
    const FlatReader reader(bytes);
    const FlatTable root(&reader, reader.follow(0));

    const FlatVector codesVector = root.vector(1, 4);
    std::vector<OperatorCode> codes(codesVector.size());
    for (std::uint32_t i = 0; i < codesVector.size(); ++i) {
        const FlatTable c = codesVector.table(i);
        codes[i].builtin = std::max<int>(c.i8(0, 0), c.i32(3, 0));
        codes[i].custom = c.string(1);
    }

    const FlatVector subgraphs = root.vector(2, 4);
    if (subgraphs.size() != 1)
        fail(QStringLiteral("expected one subgraph, found %1").arg(subgraphs.size()));
    const FlatTable graph = subgraphs.table(0);
    const FlatVector buffers = root.vector(4, 4);

    NeuralModel model;
    const FlatVector tensors = graph.vector(0, 4);
    model.tensors.reserve(tensors.size());
    for (std::uint32_t i = 0; i < tensors.size(); ++i)
        model.tensors.push_back(readTensor(tensors.table(i), buffers, reader));
    model.inputs = readInts(graph.vector(1, 4));
    model.outputs = readInts(graph.vector(2, 4));
    checkIndices(model.inputs, model.tensors.size(), false);
    checkIndices(model.outputs, model.tensors.size(), false);

    const FlatVector operators = graph.vector(3, 4);
    model.operations.reserve(operators.size());
    for (std::uint32_t i = 0; i < operators.size(); ++i) {
        const FlatTable o = operators.table(i);
        const std::uint32_t codeIndex = o.u32(0, 0);
        if (codeIndex >= codes.size())
            fail(QStringLiteral("operator code index %1 out of range").arg(codeIndex));
        NeuralOperation op;
        op.kind = kindFrom(codes[codeIndex]);
        op.inputs = readInts(o.vector(1, 4));
        op.outputs = readInts(o.vector(2, 4));
        checkIndices(op.inputs, model.tensors.size(), true);
        checkIndices(op.outputs, model.tensors.size(), false);
        if (op.kind == NeuralOpKind::transposeConvBias) {
            const FlatVector raw = o.vector(5, 1);
            if (raw.size() < 12)
                fail(QStringLiteral("transposed convolution options are too short"));
            op.padding = paddingFrom(reader.i32(raw.begin()), true);
            op.strideW = reader.i32(raw.begin() + 4);
            op.strideH = reader.i32(raw.begin() + 8);
        } else {
            readOptions(op, codes[codeIndex].builtin, o);
        }
        model.operations.push_back(std::move(op));
    }
    return model;
}

NeuralModel NeuralModel::load(const QString &path, const QString &expectedSha256)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw NeuralModelError(QStringLiteral("Cannot open model file %1: %2").arg(path, file.errorString()));
    // Our models are a few hundred KiB; anything far larger is not one of them.
    constexpr qint64 kMaxFileBytes = qint64(64) << 20;
    if (file.size() > kMaxFileBytes)
        throw NeuralModelError(QStringLiteral("Model file %1 is too large").arg(path));
    const QByteArray bytes = file.readAll();
    const QString digest
        = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    if (digest != expectedSha256.toLower())
        throw NeuralModelError(
            QStringLiteral("Model file %1 has SHA-256 %2, expected %3").arg(path, digest, expectedSha256));
    return fromFlatbuffer(bytes);
}

QString NeuralModel::kindName(NeuralOpKind kind)
{
    switch (kind) {
    case NeuralOpKind::conv2d:
        return QStringLiteral("CONV_2D");
    case NeuralOpKind::depthwiseConv2d:
        return QStringLiteral("DEPTHWISE_CONV_2D");
    case NeuralOpKind::add:
        return QStringLiteral("ADD");
    case NeuralOpKind::mul:
        return QStringLiteral("MUL");
    case NeuralOpKind::relu:
        return QStringLiteral("RELU");
    case NeuralOpKind::hardSwish:
        return QStringLiteral("HARD_SWISH");
    case NeuralOpKind::logistic:
        return QStringLiteral("LOGISTIC");
    case NeuralOpKind::averagePool2d:
        return QStringLiteral("AVERAGE_POOL_2D");
    case NeuralOpKind::mean:
        return QStringLiteral("MEAN");
    case NeuralOpKind::resizeBilinear:
        return QStringLiteral("RESIZE_BILINEAR");
    case NeuralOpKind::pad:
        return QStringLiteral("PAD");
    case NeuralOpKind::maxPool2d:
        return QStringLiteral("MAX_POOL_2D");
    case NeuralOpKind::reshape:
        return QStringLiteral("RESHAPE");
    case NeuralOpKind::concatenation:
        return QStringLiteral("CONCATENATION");
    case NeuralOpKind::dequantize:
        return QStringLiteral("DEQUANTIZE");
    case NeuralOpKind::transposeConvBias:
        return QStringLiteral("Convolution2DTransposeBias");
    }
    return {};
}

#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

// A model file that cannot be used: unreadable, damaged, hostile, or built from operators we do not run.
class NeuralModelError : public std::runtime_error {
public:
    explicit NeuralModelError(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString message() const { return QString::fromStdString(what()); }
};

enum class NeuralTensorType { float32, float16, int32 };

// One tensor of the graph. Constants carry their values: float data (float16 files are expanded to
// float32 when loaded) or int32 data (shapes, paddings, axes). Activations carry only a shape (NHWC).
struct NeuralTensor {
    QString name;
    std::vector<int> shape;
    NeuralTensorType type = NeuralTensorType::float32;
    bool isConstant = false;
    std::vector<float> floats;
    std::vector<std::int32_t> ints;

    std::int64_t elementCount() const;
};

enum class NeuralOpKind {
    conv2d,
    depthwiseConv2d,
    add,
    mul,
    relu,
    hardSwish,
    logistic,
    averagePool2d,
    mean,
    resizeBilinear,
    pad,
    maxPool2d,
    reshape,
    concatenation,
    dequantize,
    transposeConvBias,
};

enum class NeuralPadding { same, valid };
enum class NeuralActivation { none, relu, reluN1To1, relu6 };

// One operator with the options of every kind it may be; only those of its kind are meaningful.
struct NeuralOperation {
    NeuralOpKind kind = NeuralOpKind::add;
    std::vector<int> inputs; // tensor indices; -1 marks an absent optional input
    std::vector<int> outputs;
    NeuralPadding padding = NeuralPadding::same;
    int strideW = 1;
    int strideH = 1;
    int filterW = 1;
    int filterH = 1;
    int dilationW = 1;
    int dilationH = 1;
    int depthMultiplier = 1;
    NeuralActivation activation = NeuralActivation::none;
    int axis = 0;
    bool keepDims = false;
    bool alignCorners = false;
    bool halfPixelCenters = false;
};

// A single-subgraph float model in memory, read from a TFLite flatbuffer or built by hand (tests).
// Loading checks every offset, length and index against the file, so a damaged or hostile file is an
// error, never a read outside it; shapes are checked again when a runtime is built.
class NeuralModel {
public:
    std::vector<NeuralTensor> tensors;
    std::vector<NeuralOperation> operations;
    std::vector<int> inputs;
    std::vector<int> outputs;

    static NeuralModel fromFlatbuffer(const QByteArray &bytes);
    // Reads the file and compares its SHA-256 with `expectedSha256` (lower-case hex) before parsing.
    static NeuralModel load(const QString &path, const QString &expectedSha256);

    // The operator's name as the file format spells it ("CONV_2D"), for messages.
    static QString kindName(NeuralOpKind kind);
};

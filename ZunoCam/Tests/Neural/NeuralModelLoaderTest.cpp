// Loading the two shipped models, and refusing damaged, altered or hostile files without crashing.
#include "FaceDetectionModel.h"
#include "NeuralModel.h"
#include "NeuralRuntime.h"
#include "SelfieSegmentationModel.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <sstream>
#include <string>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct ShippedModel {
    QString path;
    QString sha256;
};

std::vector<ShippedModel> shippedModels()
{
    return { { SelfieSegmentationModel::defaultPath(), SelfieSegmentationModel::kSha256 },
        { FaceDetectionModel::defaultPath(), FaceDetectionModel::kSha256 } };
}

// Parses and, when that succeeds, builds a runtime: either may refuse, neither may crash.
bool parsesAndBuilds(const QByteArray &bytes)
{
    try {
        NeuralRuntime runtime(NeuralModel::fromFlatbuffer(bytes), NeuralRuntime::Backend::xnnpack);
        return true;
    } catch (const NeuralModelError &) {
        return false;
    }
}

// The graph without its weights, as text: tensor types, shapes and integer constants; operators with
// their tensors and options; the graph's inputs and outputs. Names and float weights are left out.
std::string graphOf(const NeuralModel &model)
{
    std::ostringstream out;
    const auto list = [&out](const auto &values) {
        out << '[';
        for (const auto value : values)
            out << value << ',';
        out << ']';
    };
    for (const NeuralTensor &t : model.tensors) {
        out << "t" << int(t.type) << (t.isConstant ? "c" : "a");
        list(t.shape);
        list(t.ints);
        out << '\n';
    }
    for (const NeuralOperation &o : model.operations) {
        out << "o" << int(o.kind);
        list(o.inputs);
        list(o.outputs);
        out << ' ' << int(o.padding) << ' ' << o.strideW << ' ' << o.strideH << ' ' << o.filterW << ' '
            << o.filterH << ' ' << o.dilationW << ' ' << o.dilationH << ' ' << o.depthMultiplier << ' '
            << int(o.activation) << ' ' << o.axis << ' ' << o.keepDims << o.alignCorners << o.halfPixelCenters
            << '\n';
    }
    list(model.inputs);
    list(model.outputs);
    return out.str();
}

TEST(NeuralModelLoaderTest, ShippedModelsAreInstalledAndLoad)
{
    for (const ShippedModel &m : shippedModels()) {
        ASSERT_FALSE(m.path.isEmpty()) << "model missing from the build's resources";
        const NeuralModel model = NeuralModel::load(m.path, m.sha256);
        EXPECT_GT(model.operations.size(), 50u);
        EXPECT_NO_THROW(NeuralRuntime(model, NeuralRuntime::Backend::xnnpack));
    }
    EXPECT_EQ(SelfieSegmentationModel().maskSize(), QSize(256, 144));
}

TEST(NeuralModelLoaderTest, RefusesAFileWhoseChecksumDiffers)
{
    const ShippedModel m = shippedModels()[0];
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("model.tflite"));
    QByteArray bytes = readAll(m.path);
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x01);
    QFile out(copy);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    EXPECT_THROW(NeuralModel::load(copy, m.sha256), NeuralModelError);
    EXPECT_THROW(SelfieSegmentationModel { copy }, NeuralModelError);
    EXPECT_THROW(
        NeuralModel::load(dir.filePath(QStringLiteral("missing.tflite")), m.sha256), NeuralModelError);
    EXPECT_THROW(SelfieSegmentationModel { QString() }, NeuralModelError);
}

TEST(NeuralModelLoaderTest, RefusesFilesThatAreNotModels)
{
    for (const QByteArray &bytes : { QByteArray(), QByteArray("TFL3"), QByteArray(64, '\0'),
             QByteArray("\x10\x00\x00\x00TFL3\xff\xff\xff\xff", 12),
             QByteArray("PNG\r\n\x1a\n and some more bytes to read") })
        EXPECT_THROW(NeuralModel::fromFlatbuffer(bytes), NeuralModelError) << bytes.toHex().toStdString();
}

TEST(NeuralModelLoaderTest, RefusesEveryTruncation)
{
    for (const ShippedModel &m : shippedModels()) {
        const QByteArray bytes = readAll(m.path);
        // Every length near the start (headers, tables), then a stride through the rest.
        for (qsizetype length = 0; length < bytes.size(); length += length < 4096 ? 1 : 997)
            EXPECT_FALSE(parsesAndBuilds(bytes.left(length))) << "length " << length;
    }
}

TEST(NeuralModelLoaderTest, SurvivesCorruptedBytes)
{
    // Random damage anywhere: in offsets, lengths, shapes, options or weights. Weights may change
    // silently (the checksum guards those); structure damage must be refused, never crash. So each
    // damaged file is either refused or loads the very graph of the undamaged file.
    constexpr int kRounds = 400;
    std::mt19937 random(1234);
    for (const ShippedModel &m : shippedModels()) {
        const QByteArray original = readAll(m.path);
        const std::string graph = graphOf(NeuralModel::fromFlatbuffer(original));
        // The table area sits at the end of these files; aim most damage there.
        const qsizetype tableStart = original.size() * 3 / 4;
        int refused = 0;
        int loaded = 0;
        for (int round = 0; round < kRounds; ++round) {
            QByteArray bytes = original;
            const int flips = 1 + int(random() % 4);
            for (int f = 0; f < flips; ++f) {
                const qsizetype from = round % 4 == 0 ? 0 : tableStart;
                const qsizetype at = from + qsizetype(random() % std::uint32_t(bytes.size() - from));
                bytes[at] = char(random());
            }
            std::optional<NeuralModel> model;
            try {
                model = NeuralModel::fromFlatbuffer(bytes);
                NeuralRuntime runtime(*model, NeuralRuntime::Backend::xnnpack);
            } catch (const NeuralModelError &) {
                ++refused;
                continue;
            }
            ++loaded;
            EXPECT_EQ(graphOf(*model), graph) << "round " << round << " took a damaged graph";
        }
        std::printf("%s: %d of %d damaged files refused\n", qPrintable(m.path), refused, kRounds);
        EXPECT_EQ(refused + loaded, kRounds);
        EXPECT_GT(refused, 0) << "damage is never refused";
        EXPECT_GT(loaded, 0) << "no damage to weights alone loads";
    }
}

TEST(NeuralModelLoaderTest, WholeModelsAgreeWithTheReferenceKernels)
{
    for (const ShippedModel &m : shippedModels()) {
        const NeuralModel model = NeuralModel::load(m.path, m.sha256);
        NeuralRuntime fast(model, NeuralRuntime::Backend::xnnpack);
        NeuralRuntime reference(model, NeuralRuntime::Backend::reference);
        std::mt19937 random(5);
        std::int64_t n = 1;
        for (int d : fast.inputShape(0))
            n *= d;
        for (std::int64_t k = 0; k < n; ++k)
            fast.input(0)[k] = reference.input(0)[k]
                = std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
        ASSERT_TRUE(fast.run());
        ASSERT_TRUE(reference.run());
        for (int o = 0; o < fast.outputCount(); ++o) {
            std::int64_t count = 1;
            for (int d : fast.outputShape(o))
                count *= d;
            double worst = 0;
            for (std::int64_t k = 0; k < count; ++k)
                worst = std::max(worst, double(std::abs(fast.output(o)[k] - reference.output(o)[k])));
            EXPECT_LT(worst, 2e-3) << m.path.toStdString() << " output " << o;
        }
    }
}

} // namespace

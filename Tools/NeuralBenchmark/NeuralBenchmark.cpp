#include "FaceDetectionModel.h"
#include "NeuralModel.h"
#include "SelfieSegmentationModel.h"
#include "ZunoBenchmarkRuns.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

static QString shapeText(const std::vector<int> &shape)
{
    QStringList parts;
    for (int d : shape)
        parts << QString::number(d);
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}

static int dump(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const NeuralModel model = NeuralModel::fromFlatbuffer(file.readAll());
    for (const NeuralOperation &op : model.operations) {
        QStringList ins;
        for (int i : op.inputs)
            ins << (i < 0 ? QStringLiteral("-")
                          : shapeText(model.tensors[std::size_t(i)].shape)
                        + (model.tensors[std::size_t(i)].isConstant ? QStringLiteral("c") : QString())
                        + (model.tensors[std::size_t(i)].type == NeuralTensorType::float16
                                ? QStringLiteral("h")
                                : QString()));
        std::printf("%-28s pad=%d s=%d,%d f=%d,%d act=%d axis=%d ac=%d hp=%d  %s -> %s\n",
            qPrintable(NeuralModel::kindName(op.kind)), int(op.padding), op.strideH, op.strideW, op.filterH,
            op.filterW, int(op.activation), op.axis, op.alignCorners, op.halfPixelCenters,
            qPrintable(ins.join(QLatin1Char(' '))),
            qPrintable(shapeText(model.tensors[std::size_t(op.outputs[0])].shape)));
    }
    for (int i : model.inputs)
        std::printf("input %s %s\n", qPrintable(model.tensors[std::size_t(i)].name),
            qPrintable(shapeText(model.tensors[std::size_t(i)].shape)));
    for (int i : model.outputs)
        std::printf("output %s %s\n", qPrintable(model.tensors[std::size_t(i)].name),
            qPrintable(shapeText(model.tensors[std::size_t(i)].shape)));
    return 0;
}

// Median and 95th percentile in milliseconds of `runs` calls, after a few warm-up calls.
static void measure(const char *name, int runs, const std::function<bool()> &call)
{
    for (int i = 0; i < 5; ++i)
        call();
    std::vector<double> times;
    times.reserve(std::size_t(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!call()) {
            std::printf("%s: failed\n", name);
            return;
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    ZunoBenchmarkRuns::figure(name, times[times.size() / 2], times[times.size() * 95 / 100]);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times one segmentation and one face detection of a 1280x720 frame, unpinned and pinned, and "
        "prints the median and 95th percentile; --dump lists a model's operators."));
    parser.addHelpOption();
    const QCommandLineOption dumpOption(QStringLiteral("dump"),
        QStringLiteral("List the operators of a model."), QStringLiteral("model.tflite"));
    const QCommandLineOption threadsOption(QStringLiteral("threads"),
        QStringLiteral("Threads of the inference (default 1)."), QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Timed runs (default 300)."),
        QStringLiteral("n"), QStringLiteral("300"));
    const QCommandLineOption pinnedCores(QStringLiteral("pinned-cores"),
        QStringLiteral("Cores of the pinned run (default: the thread count)."), QStringLiteral("n"));
    parser.addOptions({ dumpOption, threadsOption, runsOption, pinnedCores });
    parser.process(app);
    if (parser.isSet(dumpOption))
        return dump(parser.value(dumpOption));
    const int threads = std::max(1, parser.value(threadsOption).toInt());
    const int runs = std::max(1, parser.value(runsOption).toInt());
    if (!ZunoBenchmarkRuns::isRun()) {
        const int cores = parser.isSet(pinnedCores) ? parser.value(pinnedCores).toInt() : threads;
        return ZunoBenchmarkRuns::bothWays(app.arguments().mid(1), std::max(1, cores));
    }

    // A 1280x720 camera-like frame: the portrait scaled to the frame's height, centred.
    const QImage portrait(QStringLiteral(ZUNO_TEST_DATA "/neural/astronaut.png"));
    QImage frame(1280, 720, QImage::Format_RGB32);
    frame.fill(Qt::darkGray);
    {
        QPainter p(&frame);
        p.drawImage(QRect(280, 0, 720, 720), portrait);
    }
    const NeuralImageView view = NeuralImageView::of(frame);
    std::printf("1280x720 frame, %d thread(s)\n", threads);
    try {
        SelfieSegmentationModel segmenter(
            SelfieSegmentationModel::defaultPath(), NeuralRuntime::Backend::xnnpack, threads);
        QImage mask;
        measure("segmentation (256x144 mask)", runs, [&] { return segmenter.segment(view, mask); });
        NeuralRuntime selfieOnly(
            NeuralModel::load(SelfieSegmentationModel::defaultPath(), SelfieSegmentationModel::kSha256),
            NeuralRuntime::Backend::xnnpack, threads);
        measure("segmentation: inference", runs, [&] { return selfieOnly.run(); });
        NeuralRuntime faceOnly(
            NeuralModel::load(FaceDetectionModel::defaultPath(), FaceDetectionModel::kSha256),
            NeuralRuntime::Backend::xnnpack, threads);
        FaceDetectionModel detector(
            FaceDetectionModel::defaultPath(), NeuralRuntime::Backend::xnnpack, threads);
        std::vector<NeuralFaceDetection> faces;
        measure("face detection (short range)", runs, [&] { return detector.detect(view, faces); });
        measure("face detection: inference", runs, [&] { return faceOnly.run(); });
        std::printf("faces: %zu", faces.size());
        if (!faces.empty())
            std::printf(", best %.3f at (%.3f, %.3f, %.3f, %.3f)", faces[0].score, faces[0].box.x(),
                faces[0].box.y(), faces[0].box.width(), faces[0].box.height());
        std::printf("\n");
    } catch (const NeuralModelError &e) {
        std::printf("%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}

// Times the colour pipeline and portrait compositing on 1280x720 frames (the portrait fixture scaled
// up, and noise) and prints the median and 95th percentile per step, on 1 and 2 threads, unpinned and
// pinned to two cores side by side.
//   build/bin/ImagingBenchmark [--pinned-cores 2] [iterations]
#include "CameraColorFilterEngine.h"
#include "PortraitSegmentationEngine.h"
#include "ZunoBenchmarkRuns.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 720;

CameraPixelBuffer portraitFrame()
{
    QImage frame(kWidth, kHeight, QImage::Format_ARGB32);
    frame.fill(QColor(40, 48, 60));
    const QImage photo(QStringLiteral(ZUNO_TEST_DATA "/imaging/astronaut.png"));
    QPainter p(&frame);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect((kWidth - kHeight) / 2, 0, kHeight, kHeight), photo);
    p.end();
    return CameraPixelBuffer::fromQImage(frame);
}

CameraPixelBuffer noiseFrame()
{
    CameraPixelBuffer b(kWidth, kHeight);
    unsigned seed = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth * 4; ++x) {
            seed = seed * 1103515245u + 12345u;
            b.scanLine(y)[x] = (x % 4 == 3) ? 255 : static_cast<std::uint8_t>(seed >> 24);
        }
    return b;
}

CameraPixelBuffer personMask()
{
    // A head-and-shoulders shape at the segmentation model's size; cost does not depend on content.
    QImage mask(256, 144, QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter p(&mask);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(128, 55), 28, 36);
    p.drawRoundedRect(QRectF(78, 90, 100, 60), 30, 30);
    p.end();
    return CameraPixelBuffer::fromQImage(mask);
}

struct Stats {
    double median, p95;
};

Stats time(int iterations, const std::function<void()> &body)
{
    for (int i = 0; i < 5; ++i)
        body();
    std::vector<double> ms;
    for (int i = 0; i < iterations; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return { ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)] };
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the colour pipeline and portrait compositing at 1280x720 on 1 and 2 threads, unpinned and "
        "pinned, and prints the median and 95th percentile of each step."));
    parser.addHelpOption();
    const QCommandLineOption pinnedCores(QStringLiteral("pinned-cores"),
        QStringLiteral("Cores of the pinned run (default 2)."), QStringLiteral("n"), QStringLiteral("2"));
    parser.addOption(pinnedCores);
    parser.addPositionalArgument(QStringLiteral("iterations"), QStringLiteral("Timed runs per step (200)."));
    parser.process(app);
    if (!ZunoBenchmarkRuns::isRun())
        return ZunoBenchmarkRuns::bothWays(
            app.arguments().mid(1), std::max(1, parser.value(pinnedCores).toInt()));

    const QStringList positional = parser.positionalArguments();
    const int iterations = !positional.isEmpty() ? std::max(10, positional.first().toInt()) : 200;
    const CameraPixelBuffer frames[] = { portraitFrame(), noiseFrame() };
    const char *frameNames[] = { "portrait", "noise" };
    const CameraPixelBuffer mask = personMask();

    CameraAdjustments everyStep;
    everyStep.lookPreset = CameraLookPreset::warmStudio;
    everyStep.digitalZoom = 1.3;
    everyStep.exposureEV = 0.3;
    everyStep.warmthShift = 0.2;
    everyStep.vignetteIntensity = 0.4;
    const CameraAdjustments defaults;

    for (int threads : { 1, 2 }) {
        CameraImageKernels::setThreadCount(threads);
        for (int f = 0; f < 2; ++f) {
            const CameraPixelBuffer &frame = frames[f];
            CameraColorFilterEngine::Workspace colorWs;
            CameraPixelBuffer out;
            const auto report = [&](const char *step, Stats s) {
                const QByteArray name = QStringLiteral("%1 thr, %2, %3")
                                            .arg(threads)
                                            .arg(QLatin1String(frameNames[f]), QLatin1String(step))
                                            .toUtf8();
                ZunoBenchmarkRuns::figure(name.constData(), s.median, s.p95);
            };
            report("colour, defaults", time(iterations, [&] {
                CameraColorFilterEngine::process(frame, defaults, { 0.5, 0.5 }, 1.0, out, colorWs);
            }));
            report("colour, every step", time(iterations, [&] {
                CameraColorFilterEngine::process(frame, everyStep, { 0.45, 0.6 }, 1.1, out, colorWs);
            }));
            PortraitSegmentationEngine::Workspace ws;
            for (auto [mode, name] : { std::pair { PortraitBackgroundMode::softBlur, "composite, soft blur" },
                     { PortraitBackgroundMode::strongBlur, "composite, strong blur" },
                     { PortraitBackgroundMode::studioDim, "composite, studio dim" } }) {
                report(name, time(iterations, [&] {
                    CameraPixelBuffer result = PortraitSegmentationEngine::composite(frame, mask, mode, ws);
                }));
            }
        }
    }
    return 0;
}

#include "CameraScenes.h"

#include "CamStudioFakeServices.h"
#include "CamStudioServices.h"
#include "CamStudioViewModel.h"
#include "CameraPreviewBox.h"
#include "CameraStudioView.h"
#include "FakeStudioCamera.h"
#include "FakeStudioRecorder.h"
#include "TabScenes.h"
#include "ZunoBenchmarkRuns.h"
#include "ZunoGroundBackground.h"
#include "ZunoProductPalette.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

const QSize kTabSize(1100, 760);

// A stand-in for a camera picture: a warm gradient room with a head-and-shoulders silhouette.
QImage syntheticFrame(int width, int height)
{
    QImage frame(width, height, QImage::Format_ARGB32);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient room(0, 0, width, height);
    room.setColorAt(0, QColor(64, 88, 120));
    room.setColorAt(1, QColor(190, 140, 100));
    painter.fillRect(frame.rect(), room);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 44, 52));
    painter.drawEllipse(QPointF(width / 2.0, height * 1.05), width * 0.28, height * 0.4);
    painter.setBrush(QColor(222, 184, 150));
    painter.drawEllipse(QPointF(width / 2.0, height * 0.42), width * 0.1, height * 0.2);
    return frame;
}

bool writeTab(const QString &path, CamStudioViewModel &viewModel)
{
    return writeStudioTab(path,
        new CameraStudioView(viewModel, ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral)),
        kTabSize);
}

void edit(CamStudioViewModel &viewModel, const std::function<void(CameraAdjustments &)> &change)
{
    CameraAdjustments camera = viewModel.camera();
    change(camera);
    viewModel.setCamera(camera);
    viewModel.applyCameraAdjustments();
}

} // namespace

bool writeCameraScenes(const QString &folder)
{
    bool ok = true;
    for (const auto &[language, suffix] : { std::pair { ZunoLanguage::en, QStringLiteral("en") },
             std::pair { ZunoLanguage::tr, QStringLiteral("tr") } }) {
        QTemporaryDir documents;
        CamStudioFakeServices fakes = CamStudioFakeServices::make(documents.path(), 2);
        fakes.recorder->holdStops(true);
        auto viewModel = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
        viewModel->setLanguage(language);
        auto file = [&](const QString &scene) {
            return QDir(folder).filePath(QStringLiteral("tab-camera-%1-%2.png").arg(scene, suffix));
        };
        ok = writeTab(file(QStringLiteral("placeholder")), *viewModel) && ok;

        viewModel->toggleCameraPreview();
        fakes.camera->pushFrame(syntheticFrame(1280, 720));
        if (!QTest::qWaitFor([&] { return !viewModel->latestCameraFrame().isNull(); }, 10000)) {
            std::fprintf(stderr, "no frame reached the view model\n");
            return false;
        }
        edit(*viewModel, [](CameraAdjustments &c) { c.showFramingGrid = true; });
        ok = writeTab(file(QStringLiteral("live-grid")), *viewModel) && ok;

        viewModel->startVideoRecording();
        for (const auto &[seconds, name] : { std::pair { 3599.0, QStringLiteral("recording-5959") },
                 std::pair { 3600.0, QStringLiteral("recording-10000") } }) {
            fakes.recorder->report({ true, seconds, static_cast<qint64>(seconds * 30), std::nullopt });
            QCoreApplication::processEvents();
            ok = writeTab(file(name), *viewModel) && ok;
        }
        viewModel->stopVideoRecording();
        fakes.recorder->finishHeldStop();
        if (!QTest::qWaitFor([&] { return !viewModel->isRecordingVideo(); }, 10000)) {
            std::fprintf(stderr, "the recording did not end\n");
            ok = false;
        }

        edit(*viewModel, [](CameraAdjustments &c) {
            c.showFramingGrid = false;
            c.showLowerThird = true;
        });
        ok = writeTab(file(QStringLiteral("nameplate")), *viewModel) && ok;
        edit(*viewModel, [](CameraAdjustments &c) {
            c.showLowerThird = false;
            c.portraitBackgroundMode = PortraitBackgroundMode::softBlur;
        });
        ok = writeTab(file(QStringLiteral("portrait-soft")), *viewModel) && ok;
        viewModel->flushDocument(std::chrono::seconds(10));
    }
    return ok;
}

bool benchmarkCameraPreview(double seconds)
{
    QTemporaryDir documents;
    CamStudioFakeServices fakes = CamStudioFakeServices::make(documents.path(), 1);
    {
        auto viewModel = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
        viewModel->toggleCameraPreview();
        const QImage frames[]
            = { syntheticFrame(1280, 720), syntheticFrame(1280, 720).mirrored(true, false) };
        fakes.camera->pushFrame(frames[0]);
        if (!QTest::qWaitFor([&] { return !viewModel->latestCameraFrame().isNull(); }, 10000))
            return false;
        CameraStudioView view(*viewModel, ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral));
        view.resize(kTabSize);
        view.show();
        QCoreApplication::processEvents();
        CameraPreviewBox *box = view.previewBox();
        QImage target(box->size(), QImage::Format_ARGB32_Premultiplied);
        const auto summary = [](std::vector<double> costs) {
            std::sort(costs.begin(), costs.end());
            return std::pair { costs[costs.size() / 2], costs[costs.size() * 95 / 100] };
        };
        // Every paint a new frame, as while the camera runs, and repaints of one frame.
        std::vector<double> fresh, again;
        for (int i = 0; i < 200; ++i) {
            const qint64 before = viewModel->latestCameraFrame().cacheKey();
            fakes.camera->pushFrame(frames[(i + 1) % 2]); // never the frame shown
            if (!QTest::qWaitFor(
                    [&] { return viewModel->latestCameraFrame().cacheKey() != before; }, 10000)) {
                std::fprintf(stderr, "a new frame did not arrive\n");
                return false;
            }
            for (std::vector<double> *costs : { &fresh, &again }) {
                QElapsedTimer timer;
                timer.start();
                box->render(&target, QPoint(), QRegion(), QWidget::DrawWindowBackground);
                costs->push_back(timer.nsecsElapsed() / 1e6);
            }
        }
        std::printf("preview box %dx%d, 1280x720 frames\n", box->width(), box->height());
        const auto [freshMedian, freshP95] = summary(fresh);
        ZunoBenchmarkRuns::figure("preview paint, new frame", freshMedian, freshP95);
        const auto [againMedian, againP95] = summary(again);
        ZunoBenchmarkRuns::figure("preview paint, same frame again", againMedian, againP95);
    }

    auto viewModel = std::make_unique<CamStudioViewModel>(CamStudioServices::standard());
    CameraStudioView view(*viewModel, ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral));
    view.resize(kTabSize);
    view.show();
    viewModel->toggleCameraPreview();
    if (!QTest::qWaitFor([&] { return view.previewBox()->isLive(); }, 15000)) {
        std::fprintf(stderr, "the camera gave no picture\n");
        return false;
    }
    const int before = view.previewBox()->paintedFrames();
    const auto threadTime = [] {
        timespec t {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    const double cpuBefore = threadTime();
    QElapsedTimer timer;
    timer.start();
    // An event loop that sleeps while idle, as the studio's does, so the main thread's time is its work.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = threadTime() - cpuBefore;
    const int painted = view.previewBox()->paintedFrames() - before;
    std::printf("live run %.1f s: %d frames painted, %.1f per second; main thread %.1f %% of a core\n",
        timer.elapsed() / 1000.0, painted, painted * 1000.0 / timer.elapsed(), 100.0 * cpu / timer.elapsed());
    viewModel->toggleCameraPreview();
    return true;
}

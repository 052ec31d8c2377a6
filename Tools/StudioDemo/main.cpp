#include "CamStudioViewModel.h"
#include "CameraSystemDevices.h"
#include "ZunoCamStartup.h"
#include "ZunoToolCommandLine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

struct Options {
    double prompterSeconds = 0;
    int persistCount = 0;
    QString camera; // ZUNOCAM_VIRTUAL_CAMERA: "pattern" or a video file
    std::optional<double> recordSeconds; // 0: until a signal
    std::optional<int> remotePort;
    bool loopback = false;
};

bool parse(const QStringList &arguments, Options &options)
{
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        if (argument == QLatin1String("--loopback")) {
            options.loopback = true;
            continue;
        }
        if (index + 1 >= arguments.size())
            return false;
        bool ok = false;
        if (argument == QLatin1String("--prompter"))
            options.prompterSeconds = arguments[++index].toDouble(&ok);
        else if (argument == QLatin1String("--persist"))
            options.persistCount = arguments[++index].toInt(&ok);
        else if (argument == QLatin1String("--camera"))
            options.camera = arguments[++index], ok = !options.camera.isEmpty();
        else if (argument == QLatin1String("--record"))
            options.recordSeconds = arguments[++index].toDouble(&ok);
        else if (argument == QLatin1String("--remote"))
            options.remotePort = arguments[++index].toInt(&ok);
        if (!ok)
            return false;
    }
    if (options.prompterSeconds <= 0 && options.persistCount <= 0 && !options.recordSeconds
        && !options.remotePort)
        options.prompterSeconds = 6;
    return options.prompterSeconds >= 0 && options.persistCount >= 0 && options.recordSeconds.value_or(0) >= 0
        && options.remotePort.value_or(1024) >= 1024 && options.remotePort.value_or(1024) <= 65535;
}

void line(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

// Why the run failed, on stderr; returns the exit code of a run that did not do its job.
int failed(const char *why)
{
    std::fprintf(stderr, "StudioDemo: %s\n", why);
    return 1;
}

// The recording's verdict once the event loop is done: whether it is in a finished file as long as
// asked. A recording that failed, that the recorder stopped early for want of room, or that was still
// being finished when the quit's bound ran out did not do what the run was for.
int recordingExitCode(const CamStudioViewModel &vm)
{
    if (vm.isRecordingVideo())
        return failed("quit before the recording was finished");
    const std::optional<CameraRecordingResult> &result = vm.lastRecordingResult();
    if (!result)
        return failed("the recording failed");
    if (result->ending != CameraRecordingResult::Ending::requested)
        return failed("the recording was stopped early");
    return 0;
}

// The services and the view model, timed together: what start-up spends before the first window.
std::unique_ptr<CamStudioViewModel> makeViewModel(const std::function<CamStudioServices()> &services)
{
    QElapsedTimer timer;
    timer.start();
    auto viewModel = std::make_unique<CamStudioViewModel>(services());
    line(QStringLiteral("services and view model constructed in %1 ms")
             .arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1));
    return viewModel;
}

// Times `count` saves into a temporary folder, then quits as the studio does: a document that could not
// be saved is said. Returns the exit code.
int timePersist(int count)
{
    QTemporaryDir folder;
    auto viewModel = makeViewModel([&folder] {
        CamStudioServices services = ZunoCamStartup::services();
        services.store = CamStudioServices::documentStore(std::make_unique<CamScriptStore>(folder.path()));
        return services;
    });
    std::vector<double> micros;
    QElapsedTimer timer;
    for (int step = 0; step < count; ++step) {
        timer.start();
        viewModel->nudgePrompterWPM(step % 2 == 0 ? 1 : -1);
        micros.push_back(timer.nsecsElapsed() / 1e3);
    }
    std::sort(micros.begin(), micros.end());
    timer.start();
    const bool flushed = viewModel->flushDocument(std::chrono::seconds(30));
    line(QStringLiteral("persist: %1 saves, main thread median %2 us, p95 %3 us; writer done %4 ms later%5")
             .arg(count)
             .arg(micros[micros.size() / 2], 0, 'f', 1)
             .arg(micros[micros.size() * 95 / 100], 0, 'f', 1)
             .arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1)
             .arg(flushed ? QString() : QStringLiteral(" (not finished)")));
    return ZunoCamStartup::saveBeforeExit(*viewModel, 0);
}

// Shows the teleprompter for `seconds` (a signal ends it sooner). Returns the exit code.
int runPrompter(double seconds)
{
    auto viewModel = makeViewModel(&ZunoCamStartup::services);
    CamStudioViewModel *vm = viewModel.get();
    ZunoCamStartup startup(*vm);
    QElapsedTimer clock;
    const auto stamp = [&clock] { return QStringLiteral("%1s").arg(clock.nsecsElapsed() / 1e9, 5, 'f', 2); };
    QObject::connect(vm, &CamStudioViewModel::prompterStateChanged, vm, [=] {
        line(QStringLiteral("%1 visible=%2 countdown=%3 scrolling=%4 gate=%5")
                 .arg(stamp(), vm->isTeleprompterVisible() ? "yes" : "no")
                 .arg(vm->prompterCountdownRemaining())
                 .arg(vm->isPrompterScrolling() ? "yes" : "no", vm->isVoiceGateOpen() ? "open" : "closed"));
    });
    QObject::connect(vm, &CamStudioViewModel::toastChanged, vm, [=] {
        line(QStringLiteral("%1 toast: %2%3")
                 .arg(stamp(), vm->toastMessage().value_or(QStringLiteral("(cleared)")),
                     vm->toastIsError() ? QStringLiteral(" [error]") : QString()));
    });
    QTimer report;
    report.setTimerType(Qt::PreciseTimer);
    QObject::connect(&report, &QTimer::timeout, vm, [=] {
        line(QStringLiteral("%1 offset=%2").arg(stamp()).arg(vm->prompterScrollOffset(), 0, 'f', 2));
    });
    clock.start();
    report.start(1000);
    vm->showTeleprompterOverlay();
    QTimer::singleShot(
        static_cast<int>(seconds * 1000) + 50, Qt::PreciseTimer, vm, [] { QApplication::quit(); });
    const int code = QApplication::exec();
    vm->hideTeleprompterOverlay();
    return startup.finish(code);
}

// Starts the camera, records, and quits through the quit guard after `seconds` (0: on a signal), so
// the file is finished first. Returns the exit code.
int runRecording(double seconds)
{
    auto viewModel = makeViewModel(&ZunoCamStartup::services);
    CamStudioViewModel *vm = viewModel.get();
    ZunoCamStartup startup(*vm);
    QObject::connect(vm, &CamStudioViewModel::toastChanged, vm, [vm] {
        if (vm->toastMessage())
            line(QStringLiteral("toast: %1%2")
                     .arg(*vm->toastMessage(), vm->toastIsError() ? QStringLiteral(" [error]") : QString()));
    });
    auto printedSecond = std::make_shared<qint64>(0);
    QObject::connect(vm, &CamStudioViewModel::recordingChanged, vm, [vm, printedSecond] {
        const auto second = static_cast<qint64>(vm->recordingDurationSeconds());
        if (vm->isRecordingVideo() && !vm->isFinalizingVideo() && second > *printedSecond) {
            *printedSecond = second;
            line(QStringLiteral("recorded %1 s").arg(second));
        }
        if (!vm->isRecordingVideo() && vm->lastRecordedVideoURL())
            line(QStringLiteral("file: %1 (%2 s, %3 frames)")
                     .arg(*vm->lastRecordedVideoURL())
                     .arg(vm->recordingDurationSeconds(), 0, 'f', 2)
                     .arg(vm->recordedFrameCount()));
    });
    vm->startVideoRecording();
    if (vm->isCameraStarting()) {
        // The camera opens off the main thread; the recording starts once it runs.
        QEventLoop opening;
        QObject::connect(vm, &CamStudioViewModel::cameraRunningChanged, &opening, [vm, &opening] {
            if (!vm->isCameraStarting())
                opening.quit();
        });
        opening.exec();
    }
    if (!vm->isRecordingVideo())
        return startup.finish(failed("the recording did not start"));
    // A recording that ended by itself (it failed, the disk filled) leaves nothing to wait for.
    QObject::connect(vm, &CamStudioViewModel::recordingChanged, vm, [vm] {
        if (!vm->isRecordingVideo())
            QApplication::quit();
    });
    if (seconds > 0)
        QTimer::singleShot(
            static_cast<int>(seconds * 1000), Qt::PreciseTimer, vm, [vm] { vm->requestQuit(); });
    else
        line(QStringLiteral("recording; Ctrl+C finishes the file and quits"));
    const int code = QApplication::exec();
    return startup.finish(code != 0 ? code : recordingExitCode(*vm));
}

// Serves the studio's LAN remote on `port` until SIGINT or SIGTERM, printing its address and every
// toast. The port is the teleprompter's setting, saved with the next change the remote makes. Returns
// the exit code.
int runRemote(int port, bool loopback)
{
    auto viewModel = makeViewModel([loopback] {
        CamStudioServices services = ZunoCamStartup::services();
        if (loopback) {
            TeleprompterRemoteServer::Options options;
            options.loopbackOnly = true;
            services.remote = CamStudioServices::remoteServer(services.logger, options);
        }
        return services;
    });
    CamStudioViewModel *vm = viewModel.get();
    ZunoCamStartup startup(*vm);
    QObject::connect(vm, &CamStudioViewModel::toastChanged, vm, [vm] {
        if (vm->toastMessage())
            line(QStringLiteral("toast: %1%2")
                     .arg(*vm->toastMessage(), vm->toastIsError() ? QStringLiteral(" [error]") : QString()));
    });
    QObject::connect(vm, &CamStudioViewModel::remoteChanged, vm, [vm] {
        line(QStringLiteral("remote: %1 %2")
                 .arg(vm->isRemoteServerRunning() ? QStringLiteral("running") : QStringLiteral("stopped"),
                     vm->remoteServerURL()));
    });
    TeleprompterSettings settings = vm->teleprompter();
    settings.remoteControlPort = port;
    vm->setTeleprompter(settings);
    vm->startRemoteServer();
    if (!vm->isRemoteServerRunning())
        return startup.finish(failed("the remote could not listen"));
    line(QStringLiteral("address: %1").arg(vm->remoteServerURL()));
    // A listener that fails later leaves nothing to serve.
    const QMetaObject::Connection stops = QObject::connect(vm, &CamStudioViewModel::remoteChanged, vm, [vm] {
        if (!vm->isRemoteServerRunning())
            QApplication::quit();
    });
    int code = QApplication::exec();
    QObject::disconnect(stops);
    if (code == 0 && !vm->isRemoteServerRunning())
        code = failed("the remote stopped listening");
    vm->stopRemoteServer();
    return startup.finish(code);
}

} // namespace

int main(int argc, char *argv[])
{
    // Started and ended as the studio is, so that checks and benchmarks see the studio's behaviour.
    ZunoCamStartup::prepareProcess();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char *usage
        = "usage: StudioDemo [--prompter SECONDS] [--persist COUNT] [--camera pattern|FILE] [--record "
          "SECONDS] [--remote PORT [--loopback]]\n"
          "  the studio's view model on its real services: teleprompter scrolling (6 s by default), timed\n"
          "  document saves, a recording (0 s: until a signal) or the LAN remote until a signal\n"
          "  exit status 1: a recording that failed or was stopped early, a remote that could not listen or\n"
          "  stopped, a document left unsaved\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage,
            { "--prompter=", "--persist=", "--camera=", "--record=", "--remote=", "--loopback" }))
        return *exitCode;
    Options options;
    if (!parse(QApplication::arguments(), options)) {
        std::fputs(usage, stderr);
        return 2;
    }
    ZunoCamStartup::setApplicationIdentity();
    if (!options.camera.isEmpty())
        qputenv(CameraSystemDevices::kVirtualCameraVariable, options.camera.toLocal8Bit());
    // Each run ends as the studio's quit does; the first failing one sets the exit code.
    int code = 0;
    const auto run = [&code](int result) {
        if (code == 0)
            code = result;
    };
    if (options.remotePort)
        run(runRemote(*options.remotePort, options.loopback));
    if (options.recordSeconds)
        run(runRecording(*options.recordSeconds));
    if (options.persistCount > 0)
        run(timePersist(options.persistCount));
    if (options.prompterSeconds > 0)
        run(runPrompter(options.prompterSeconds));
    return code;
}

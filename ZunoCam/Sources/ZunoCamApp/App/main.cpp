#include "CamDarkScheme.h"
#include "CamPlatformPreference.h"
#include "CamStudioQuitGuard.h"
#include "CamStudioViewModel.h"
#include "ZunoCamApp.h"
#include "ZunoCamDisplayCheck.h"
#include "ZunoCamStudioWindow.h"

#include "ZunoAppActivationDelegate.h"
#include "ZunoAppInfo.h"
#include "ZunoFileSizeSignal.h"
#include "ZunoFonts.h"
#include "ZunoSingleInstanceService.h"
#include "ZunoTerminationSignals.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    // A file-size limit then fails a write (reported like a full disk) instead of killing the studio.
    ZunoFileSizeSignal::ignore();
    if (const QString reason = zunoMissingDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "ZunoCam: %s\n", qPrintable(reason));
        return 1;
    }
    // On Wayland through XWayland, so the panels can be placed and kept above; the user's own choice wins.
    CamPlatformPreference::apply();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ZunoAppInfo::displayName));
    QApplication::setApplicationVersion(QString::fromUtf8(ZunoAppInfo::shortVersion));
    QApplication::setOrganizationName(QStringLiteral("Quarnwell"));
    QApplication::setDesktopFileName(QString::fromUtf8(ZunoAppInfo::bundleIdentifier));

    // One studio per session: a second start brings the first one's window back and leaves.
    ZunoSingleInstanceService instance;
    switch (instance.start()) {
    case ZunoSingleInstanceService::Role::secondary:
        return 0;
    case ZunoSingleInstanceService::Role::unanswered:
        std::fprintf(stderr, "ZunoCam: another ZunoCam owns %s but does not answer (%s)\n",
            ZunoSingleInstanceService::kServiceName, qPrintable(instance.errorMessage()));
        return 1;
    case ZunoSingleInstanceService::Role::standalone:
        std::fprintf(stderr, "ZunoCam: running without single-instance service (%s)\n",
            qPrintable(instance.errorMessage()));
        break;
    case ZunoSingleInstanceService::Role::primary:
        break;
    }

    // Only the one studio of the session reads the document, opens the services and logs: a second
    // launch has handed over and left above. Destroyed before the application.
    CamStudioViewModel viewModel(CamStudioServices::standard());
    // Every quit (tray, window, signals) waits for a recording to be finished, within a bound.
    ZunoTerminationSignals terminationSignals;
    CamStudioQuitGuard quitGuard(viewModel, &terminationSignals);

    ZunoFonts::applyApplicationFont();
    CamDarkScheme::apply();
    ZunoAppActivationDelegate delegate;
    ZunoCamApp studio(viewModel);
    QObject::connect(&instance, &ZunoSingleInstanceService::activationRequested, &delegate, [&delegate] {
        delegate.applicationShouldHandleReopen(ZunoAppActivationDelegate::hasVisibleWindows());
    });
    studio.window()->show();
    delegate.applicationDidFinishLaunching();
    const int code = app.exec();
    // A save that failed (a full disk since freed) is tried once more; what stays unsaved is logged.
    viewModel.saveBeforeQuit(std::chrono::seconds(2));
    if (quitGuard.boundExpired()) {
        // The recorder's destructor would wait for the stop that ran out of time: leave without it.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return code;
}

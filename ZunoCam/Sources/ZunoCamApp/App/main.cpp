#include "CamDarkScheme.h"
#include "CamPlatformPreference.h"
#include "CamStudioViewModel.h"
#include "ZunoCamApp.h"
#include "ZunoCamDisplayCheck.h"
#include "ZunoCamStartup.h"
#include "ZunoCamStudioWindow.h"

#include "ZunoAppActivationDelegate.h"
#include "ZunoFonts.h"
#include "ZunoSingleInstanceService.h"
#include "ZunoToolCommandLine.h"

#include <QApplication>

#include <cstdio>

namespace {

const char kUsage[] = "usage: ZunoCam [--help] [Qt options, such as -platform xcb]\n"
                      "  the camera studio: teleprompter, camera with looks and portrait background,\n"
                      "  recording, presentation laser and the phone remote, in one window and the tray\n";

} // namespace

int main(int argc, char *argv[])
{
    ZunoCamStartup::prepareProcess();
    // Answered before anything needs a display or writes a file.
    for (int i = 1; i < argc; ++i) {
        if (zunoIsHelpOption(argv[i])) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (const QString reason = zunoMissingDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "ZunoCam: %s\n", qPrintable(reason));
        return 1;
    }
    // On Wayland through XWayland, so the panels can be placed and kept above; the user's own choice wins.
    CamPlatformPreference::apply();
    QApplication app(argc, argv);
    // The application object has taken Qt's own options out of argv; every other option is refused.
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, kUsage, {}))
        return *exitCode;
    ZunoCamStartup::setApplicationIdentity();

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
    CamStudioViewModel viewModel(ZunoCamStartup::services());
    // Every quit (tray, window, signals) waits for a recording to be finished, within a bound.
    ZunoCamStartup startup(viewModel);

    ZunoFonts::applyApplicationFont();
    CamDarkScheme::apply();
    ZunoAppActivationDelegate delegate;
    ZunoCamApp studio(viewModel);
    QObject::connect(&instance, &ZunoSingleInstanceService::activationRequested, &delegate, [&delegate] {
        delegate.applicationShouldHandleReopen(ZunoAppActivationDelegate::hasVisibleWindows());
    });
    studio.window()->show();
    delegate.applicationDidFinishLaunching();
    return startup.finish(app.exec());
}

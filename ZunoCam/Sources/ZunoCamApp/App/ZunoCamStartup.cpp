#include "ZunoCamStartup.h"

#include "CamStudioViewModel.h"
#include "FloatingCameraMirrorController.h"
#include "NotchTeleprompterPanelController.h"
#include "PresentationLaserOverlayController.h"
#include "ZunoAppInfo.h"
#include "ZunoFileSizeSignal.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QString programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

} // namespace

bool ZunoCamStartup::prepareProcess()
{
    if (ZunoFileSizeSignal::ignore())
        return true;
    std::fprintf(stderr, "cannot ignore SIGXFSZ (%s): a write past the file-size limit ends the process\n",
        std::strerror(errno));
    return false;
}

void ZunoCamStartup::setApplicationIdentity()
{
    QCoreApplication::setApplicationName(QString::fromUtf8(ZunoAppInfo::displayName));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(ZunoAppInfo::shortVersion));
    QCoreApplication::setOrganizationName(QStringLiteral("Quarnwell"));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(ZunoAppInfo::bundleIdentifier));
}

CamStudioServices ZunoCamStartup::services()
{
    CamStudioServices services = CamStudioServices::standard();
    services.panels.makeNotchPanel = [logger = services.logger](CamStudioViewModel &viewModel) {
        return std::make_unique<NotchTeleprompterPanelController>(viewModel, logger);
    };
    services.panels.makeMirrorPanel = [](CamStudioViewModel &viewModel) {
        return std::make_unique<FloatingCameraMirrorController>(viewModel);
    };
    services.panels.makeLaserOverlay
        = [logger = services.logger](CamStudioViewModel &, std::function<void()> onDismiss) {
              return std::make_unique<PresentationLaserOverlayController>(std::move(onDismiss), logger);
          };
    return services;
}

int ZunoCamStartup::saveBeforeExit(CamStudioViewModel &viewModel, int exitCode)
{
    // A save that failed (a full disk since freed) is tried once more.
    const std::optional<QString> unsaved = viewModel.saveBeforeQuit(kSaveBound);
    if (!unsaved)
        return exitCode;
    std::fprintf(
        stderr, "%s: quitting with unsaved changes: %s\n", qPrintable(programName()), qPrintable(*unsaved));
    return kUnsavedExitCode;
}

ZunoCamStartup::ZunoCamStartup(CamStudioViewModel &viewModel)
    : m_viewModel(viewModel)
    , m_quitGuard(viewModel, &m_terminationSignals)
{
    if (!m_terminationSignals.isInstalled())
        std::fprintf(stderr, "%s: no handler for SIGTERM, SIGINT and SIGHUP: they end the process at once\n",
            qPrintable(programName()));
}

int ZunoCamStartup::finish(int exitCode)
{
    const int code = saveBeforeExit(m_viewModel, exitCode);
    if (m_quitGuard.boundExpired()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}

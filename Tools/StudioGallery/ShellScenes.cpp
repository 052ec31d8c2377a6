#include "ShellScenes.h"

#include "CamStudioFakeServices.h"
#include "CamStudioRecorderFailureText.h"
#include "CamStudioTab.h"
#include "CamStudioViewModel.h"
#include "CameraRecordingResult.h"
#include "MenuBarCamPopoverView.h"
#include "ZunoCamStudioWindow.h"
#include "ZunoProductPalette.h"

#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// Lets layouts, animations (the toast's 0.2 s) and, under X11, the window manager settle.
void settle(int ms = 350)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget &widget, const QString &path)
{
    settle();
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool writeLanguage(const QString &folder, ZunoLanguage language)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    auto fakes = CamStudioFakeServices::make(dir.path());
    CamStudioViewModel viewModel(std::move(fakes.services));
    viewModel.setLanguage(language);
    const QString suffix = language == ZunoLanguage::tr ? QStringLiteral("tr") : QStringLiteral("en");
    const QColor accent = ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
    bool ok = true;

    ZunoCamStudioWindow window(viewModel, accent);
    window.show();
    for (const CamStudioTab tab : CamStudioTabs::allCases()) {
        viewModel.setSelectedTab(tab);
        ok &= save(
            window, QDir(folder).filePath(QStringLiteral("studio-%1-%2.png").arg(rawValue(tab), suffix)));
    }
    // The same at the smallest size the window allows.
    const QSize defaultSize = window.size();
    window.resize(window.minimumSize());
    for (const CamStudioTab tab : CamStudioTabs::allCases()) {
        viewModel.setSelectedTab(tab);
        ok &= save(window,
            QDir(folder).filePath(QStringLiteral("studio-%1-%2-minimum.png").arg(rawValue(tab), suffix)));
    }
    window.resize(defaultSize);
    viewModel.setSelectedTab(CamStudioTab::teleprompter);
    viewModel.showToast(
        language == ZunoLanguage::tr ? QStringLiteral("Kayıt kaydedildi") : QStringLiteral("Recording saved"),
        false);
    ok &= save(window, QDir(folder).filePath(QStringLiteral("studio-toast-%1.png").arg(suffix)));
    viewModel.showToast(language == ZunoLanguage::tr ? QStringLiteral("Kamera bulunamadı")
                                                     : QStringLiteral("No camera found"),
        true);
    ok &= save(window, QDir(folder).filePath(QStringLiteral("studio-toast-error-%1.png").arg(suffix)));
    // The longest toast, a recording ended early for want of room, at the smallest window.
    window.resize(window.minimumSize());
    CameraRecordingResult stoppedEarly;
    stoppedEarly.url = QStringLiteral("/home/user/Videos/ZunoCam/ZunoCam-20261211-093015-2.mp4");
    stoppedEarly.ending = CameraRecordingResult::Ending::diskNearlyFull;
    viewModel.showToast(CamStudioRecorderFailureText::recordingSaved(stoppedEarly, language), true);
    ok &= save(window, QDir(folder).filePath(QStringLiteral("studio-toast-disk-full-%1.png").arg(suffix)));
    window.resize(defaultSize);
    viewModel.showTeleprompterOverlay();
    ok &= save(window, QDir(folder).filePath(QStringLiteral("studio-prompter-shown-%1.png").arg(suffix)));

    MenuBarCamPopoverView popover(
        viewModel, [] {}, accent);
    viewModel.hideTeleprompterOverlay();
    popover.popUp(QRect(QPoint(200, 0), QSize(24, 24)));
    ok &= save(popover, QDir(folder).filePath(QStringLiteral("popover-idle-%1.png").arg(suffix)));
    viewModel.showTeleprompterOverlay();
    viewModel.toggleLaserOverlay();
    ok &= save(popover, QDir(folder).filePath(QStringLiteral("popover-active-%1.png").arg(suffix)));
    popover.hide();
    viewModel.hideTeleprompterOverlay();
    return ok;
}

} // namespace

bool writeShellScenes(const QString &folder)
{
    const bool english = writeLanguage(folder, ZunoLanguage::en);
    const bool turkish = writeLanguage(folder, ZunoLanguage::tr);
    return english && turkish;
}

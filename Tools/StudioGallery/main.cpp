// Renders studio views to PNG files for a visual check.
//
//   StudioGallery FOLDER      (offscreen unless QT_QPA_PLATFORM says otherwise)
//   StudioGallery --bench-preview [SECONDS]   times the camera preview (see benchmarkCameraPreview)

#include "CameraScenes.h"
#include "LaserScenes.h"
#include "OverlayScenes.h"
#include "ShellScenes.h"
#include "TabScenes.h"
#include "ZunoFonts.h"
#include "ZunoToolCommandLine.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZunoFonts::applyApplicationFont();
    const char *usage = "usage: StudioGallery FOLDER                  the studio's views as PNGs\n"
                        "       StudioGallery --bench-preview [SECONDS]   the camera preview's paint cost\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, { "--bench-preview" }))
        return *exitCode;
    if (app.arguments().size() < 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    if (app.arguments().at(1) == QStringLiteral("--bench-preview")) {
        const double seconds = app.arguments().size() > 2 ? app.arguments().at(2).toDouble() : 10;
        return benchmarkCameraPreview(seconds > 0 ? seconds : 10) ? 0 : 1;
    }
    const QString folder = app.arguments().at(1);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "could not make %s\n", qPrintable(folder));
        return 1;
    }
    const bool overlays = writeOverlayScenes(folder);
    const bool laser = writeLaserScenes(folder);
    const bool tabs = writeTabScenes(folder);
    const bool shell = writeShellScenes(folder);
    const bool camera = writeCameraScenes(folder);
    return overlays && laser && tabs && shell && camera ? 0 : 1;
}

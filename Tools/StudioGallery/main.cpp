// Renders studio views to PNG files for a visual check.
//
//   StudioGallery FOLDER      (offscreen unless QT_QPA_PLATFORM says otherwise)
//   StudioGallery --bench-preview [SECONDS] [--pinned-cores N]
//       times the camera preview (see benchmarkCameraPreview), unpinned and pinned to N cores (2)

#include "CameraScenes.h"
#include "LaserScenes.h"
#include "OverlayScenes.h"
#include "ShellScenes.h"
#include "TabScenes.h"
#include "ZunoBenchmarkRuns.h"
#include "ZunoFonts.h"
#include "ZunoToolCommandLine.h"

#include <QApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZunoFonts::applyApplicationFont();
    const char *usage
        = "usage: StudioGallery FOLDER\n"
          "         renders the studio's views in their states to PNG files in FOLDER\n"
          "       StudioGallery --bench-preview [SECONDS] [--pinned-cores N]\n"
          "         times the camera preview's paint and a live run of SECONDS (10), unpinned and\n"
          "         pinned to N cores (2)\n";
    if (const auto exitCode
        = zunoCheckToolArguments(argc, argv, usage, { "--bench-preview", "--pinned-cores=" }))
        return *exitCode;
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    if (arguments.at(1) == QStringLiteral("--bench-preview")) {
        const qsizetype pinnedAt = arguments.indexOf(QStringLiteral("--pinned-cores"));
        const int pinnedCores
            = pinnedAt > 0 && pinnedAt + 1 < arguments.size() ? arguments.at(pinnedAt + 1).toInt() : 2;
        if (!ZunoBenchmarkRuns::isRun())
            return ZunoBenchmarkRuns::bothWays(arguments.mid(1), std::max(1, pinnedCores));
        const double seconds = arguments.size() > 2 && pinnedAt != 2 ? arguments.at(2).toDouble() : 10;
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

#pragma once

#include <QString>

// The route a suite command took to its target. Equal when the route and, for a tool, its file name
// are equal.
struct ZunoSuiteCommandTransport {
    enum class Route {
        // The target's command-line tool ran; `binaryName` is its file name.
        cli,
        // A command file and a wake-up notification reached the running target.
        liveDaemonSilentIPC,
        // The target was started after its command file was written.
        guiLaunch,
        // No route was open.
        unavailable,
    };

    Route route = Route::unavailable;
    QString binaryName;

    static ZunoSuiteCommandTransport cli(const QString &binaryName) { return { Route::cli, binaryName }; }
    static ZunoSuiteCommandTransport liveDaemonSilentIPC() { return { Route::liveDaemonSilentIPC, {} }; }
    static ZunoSuiteCommandTransport guiLaunch() { return { Route::guiLaunch, {} }; }
    static ZunoSuiteCommandTransport unavailable() { return { Route::unavailable, {} }; }

    bool operator==(const ZunoSuiteCommandTransport &) const = default;
};

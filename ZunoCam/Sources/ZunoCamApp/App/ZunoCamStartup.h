#pragma once

#include "CamStudioQuitGuard.h"
#include "CamStudioServices.h"
#include "ZunoTerminationSignals.h"

#include <chrono>

class CamStudioViewModel;

// The start and the quit that the studio and its headless driver (StudioDemo) share, so that what
// runs as the studio in checks and benchmarks behaves as the studio does at its limits.
//
// prepareProcess() comes first, before any thread; setApplicationIdentity() once the application
// object exists; services() are the real ones with the overlay panels, logging to the "ZunoCam" log.
// An instance made over the view model turns SIGTERM, SIGINT and SIGHUP into the guarded quit (a
// recording is finished first, within the guard's bound), and finish() ends the run after the event
// loop: the document is saved within kSaveBound, what stays unsaved is said on stderr and in the log,
// and a quit whose bound ran out leaves through _Exit, which skips every destructor (the recorder's
// would wait for the stop that ran out of time). Main thread only.
class ZunoCamStartup {
public:
    static constexpr std::chrono::seconds kSaveBound { 2 };
    // The exit code of a run that ends with the document unsaved.
    static constexpr int kUnsavedExitCode = 1;

    // Ignores SIGXFSZ: a write past the file-size limit (`ulimit -f`) then fails and is reported like a
    // full disk instead of ending the process in the middle of a line. False, said on stderr, when the
    // kernel refused.
    static bool prepareProcess();
    // The studio's name, version, organisation and desktop file.
    static void setApplicationIdentity();
    static CamStudioServices services();
    // Saves the document before the process ends (see finish); for a run without an event loop.
    // Returns `exitCode`, or kUnsavedExitCode when the newest document is not on disk.
    static int saveBeforeExit(CamStudioViewModel &viewModel, int exitCode);

    explicit ZunoCamStartup(CamStudioViewModel &viewModel);

    // After the event loop has returned `exitCode`: the code for main() to return.
    int finish(int exitCode);

private:
    CamStudioViewModel &m_viewModel;
    ZunoTerminationSignals m_terminationSignals;
    CamStudioQuitGuard m_quitGuard;
};

#pragma once

#include "ZunoDesktopEntryStart.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// One entry of the desktop's running-application list: a well-known name on the session bus, or a
// process of this user. Exactly one of the two names is set.
struct ZunoRunningApplication {
    // The owned bus name ("com.quarnwell.ZunoRAM"); what the suite compares with a bundle identifier.
    std::optional<QString> busName;
    // The file name of the process's executable (or of its argv[0]); compared with a raw value.
    std::optional<QString> executableName;
    // The process id; 0 when not known (bus names are listed without asking for their owner).
    qint64 pid = 0;

    bool operator==(const ZunoRunningApplication &) const = default;
};

// The desktop's view of the suite's applications: which are running, bringing one forward, starting
// one from its desktop entry, and where desktop entries are installed. A small interface so that
// tests stand in for the desktop (`replaceShared`). The running list costs a bus round trip and a
// walk of /proc (a few milliseconds): ask on actions, not per paint.
class ZunoSuiteWorkspace {
public:
    virtual ~ZunoSuiteWorkspace() = default;

    // Bus names first (in the bus's order), then this user's processes in pid order.
    virtual std::vector<ZunoRunningApplication> runningApplications() = 0;
    // Asks the owner of a bus name to come forward; does not wait for its answer. Main thread.
    virtual void activate(const QString &busName) = 0;
    // Starts the application of a desktop entry; `activates` says whether it should come forward.
    // Started once its program runs (a program that cannot be executed is no start), and then watched
    // for an early end while the caller keeps it. Main thread.
    virtual ZunoDesktopEntryStart openDesktopEntry(const QString &path, bool activates) = 0;
    // The folders that hold installed desktop entries, most preferred first.
    virtual QStringList applicationFolders() = 0;

    // The process's workspace, unless a test replaced it: the desktop on the session bus.
    static std::shared_ptr<ZunoSuiteWorkspace> shared();
    // Replaces the process's workspace and returns the replaced one; null restores the desktop.
    static std::shared_ptr<ZunoSuiteWorkspace> replaceShared(std::shared_ptr<ZunoSuiteWorkspace> workspace);
};

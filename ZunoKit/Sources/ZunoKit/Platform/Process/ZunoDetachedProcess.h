#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Starts a program that is not this process's child and may outlive it (a desktop application), and
// answers only once the program's exec has succeeded or failed, so that "started" means running: a
// missing interpreter or an unexecutable file is a failure, not a start. The program gets a session
// of its own, its input from /dev/null, default signal handling and none of this process's other
// descriptors. Blocks for a fork and an exec (milliseconds). Any thread.
namespace ZunoDetachedProcess {

struct Options {
    // An absolute or relative path, or a name looked up in PATH.
    QString program;
    // Without the program itself.
    QStringList arguments;
    // The whole environment, "NAME=value".
    QStringList environment;
    std::optional<QString> workingDirectory;
};

// True once the program runs; otherwise false, with the reason in `failure` when given.
bool start(const Options &options, QString *failure = nullptr);

} // namespace ZunoDetachedProcess

#pragma once

#include "ZunoProcessCancellation.h"
#include "ZunoProcessError.h"
#include "ZunoProcessResult.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

// Runs a command-line tool as a child process and blocks the calling thread until it has ended, so
// callers run it off the main thread. Output is read while the child runs (a talkative child never
// stalls on a full pipe) and kept to the last 32 KiB per stream, unless the full standard output is
// asked for.
class ZunoProcessRunner {
public:
    // Runs `executable` (a file path) with `arguments` as they are, without a shell. The working
    // directory is the parent's unless given; a given `environment` is merged over the parent's (each
    // key overrides), else the parent's is inherited unchanged. Standard input is /dev/null.
    //
    // `onOutput` gets each chunk of either stream that is valid UTF-8 on its own (a chunk that splits a
    // character is kept but not passed on); it runs on the calling thread while the call blocks.
    //
    // Throws ZunoProcessError::cancelled when `cancellation` is cancelled before the start or at any
    // point until the child's output is collected (the output is then dropped), and std::system_error
    // when the child cannot be launched. A non-zero exit is returned, never thrown.
    static ZunoProcessResult run(const QString &executable, const QStringList &arguments,
        const std::optional<QString> &workingDirectory = std::nullopt,
        const std::optional<std::map<QString, QString>> &environment = std::nullopt,
        bool captureFullStdout = false,
        const std::shared_ptr<ZunoProcessCancellation> &cancellation = nullptr,
        const std::function<void(const QString &)> &onOutput = nullptr);

    // The bytes kept of standard error, and of standard output unless the full output is asked for.
    static constexpr int kTailLimit = 32768;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// What a finished child left: its termination status and the output collected from its two streams
// (standard error always bounded to its last 32 KiB, standard output unless the full output was asked).
struct ZunoProcessResult {
    std::int32_t exitCode = 0;
    QByteArray stdout;
    QByteArray stderr;

    // The bytes as UTF-8, each invalid sequence replaced by U+FFFD; never fails.
    QString stdoutString() const { return QString::fromUtf8(stdout); }
    QString stderrString() const { return QString::fromUtf8(stderr); }

    bool operator==(const ZunoProcessResult &) const = default;
};

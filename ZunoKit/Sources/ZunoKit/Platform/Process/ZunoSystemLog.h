#pragma once

#include <QString>

#include <memory>

// The system's log, where every runtime log line is mirrored: journald, which hands the lines on to
// syslog where one runs. A small interface so tests can capture the mirror. Thread-safe.
class ZunoSystemLog {
public:
    // The severities the mirror uses (journald priorities debug, info and err).
    enum class Type { debug, info, error };

    virtual ~ZunoSystemLog() = default;

    // One record under `subsystem` (the syslog identifier) and `category`.
    virtual void write(const QString &subsystem, const QString &category, Type type, const QString &message)
        = 0;

    // The process's system log: journald unless a test replaced it.
    static std::shared_ptr<ZunoSystemLog> shared();
    // Replaces the process's system log and returns the one it replaced; null restores journald.
    static std::shared_ptr<ZunoSystemLog> replaceShared(std::shared_ptr<ZunoSystemLog> log);
};

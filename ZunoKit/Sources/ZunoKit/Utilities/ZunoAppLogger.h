#pragma once

#include "ZunoAppVersion.h"
#include "ZunoLogEntry.h"
#include "ZunoLogLevel.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// The runtime log of one application: each call redacts secrets, mirrors the line to the system log
// and appends one JSON line to <folder>/<stem>.log, which rotates by size into <stem>.log.1 (newest)
// to <stem>.log.N. Safe to call from any thread; lines appear in the order writers take the logger's
// mutex. Appends open the file with O_APPEND, so processes sharing an application name lose no line.
// No file stays open between calls and construction touches no file.
class ZunoAppLogger {
public:
    using VersionProvider = std::function<ZunoAppVersion()>;

    static constexpr std::uint64_t kRegistryMaxFileBytes = 2'097'152;
    static constexpr std::int64_t kRegistryMaxRotatedFiles = 5;

    // The one logger of `appName` (exact, case-sensitive) in this process, created on first use with
    // the default folder, 2 MiB and 5 generations. A provider passed after creation is ignored; none
    // means the main bundle's version, read at every line.
    static std::shared_ptr<ZunoAppLogger> shared(
        const QString &appName, VersionProvider versionProvider = {});

    // `directory` empty: Application Support/Quarnwell/<appName>/logs. `maxFileBytes` is raised to
    // at least 4096 and `maxRotatedFiles` to at least 1. An empty provider means the default one.
    explicit ZunoAppLogger(const QString &appName, const QString &directory = {},
        std::uint64_t maxFileBytes = kRegistryMaxFileBytes,
        std::int64_t maxRotatedFiles = kRegistryMaxRotatedFiles, VersionProvider versionProvider = {});
    ZunoAppLogger(const ZunoAppLogger &) = delete;
    ZunoAppLogger &operator=(const ZunoAppLogger &) = delete;

    const QString &appName() const { return m_appName; }
    const QString &logDirectoryPath() const { return m_logDirectoryPath; }
    const QString &currentLogFilePath() const { return m_currentLogFilePath; }
    std::uint64_t maxFileBytes() const { return m_maxFileBytes; }
    std::int64_t maxRotatedFiles() const { return m_maxRotatedFiles; }
    // "com.quarnwell." + the file stem: the system log's identifier.
    const QString &systemLogSubsystem() const { return m_subsystem; }

    // Writes one entry; never throws. A failed write drops the entry and prints one line to stderr.
    void log(ZunoLogLevel level, const QString &category, const QString &message);
    void debug(const QString &message, const QString &category)
    {
        log(ZunoLogLevel::debug, category, message);
    }
    void info(const QString &message, const QString &category) { log(ZunoLogLevel::info, category, message); }
    void warn(const QString &message, const QString &category) { log(ZunoLogLevel::warn, category, message); }
    void error(const QString &message, const QString &category)
    {
        log(ZunoLogLevel::error, category, message);
    }

    // Up to `limit` readable entries of the current file at `minimumLevel` or above, newest first.
    // Generations are not read; an unreadable file gives none. A line that is not valid UTF-8 (a torn
    // write) or not an entry is skipped on its own.
    QList<ZunoLogEntry> recentEntries(int limit, ZunoLogLevel minimumLevel) const;
    // Those entries oldest first, one "[timestamp] [LEVEL] [vVERSION#BUILD] [category] message" per line.
    QString exportPlainText(int limit, ZunoLogLevel minimumLevel) const;
    // Shows the current file in the file manager, or the folder when there is no file yet.
    void revealInFinder() const;
    // Deletes the current file and every generation; the folder stays. True when every one of them is
    // gone afterwards (a file that was not there counts as gone).
    bool clear();

    // Hides bearer tokens, API keys and passwords.
    static QString redactSecrets(const QString &text);

private:
    QString generationPath(std::int64_t generation) const;
    void rotateIfNeeded();

    const QString m_appName;
    const QString m_logDirectoryPath;
    const QString m_currentLogFilePath;
    const std::uint64_t m_maxFileBytes;
    const std::int64_t m_maxRotatedFiles;
    const QString m_subsystem;
    mutable std::mutex m_mutex;
    bool m_unfinishedLine = false; // a failed write left part of a line that could not be cut back
    const VersionProvider m_versionProvider;
};

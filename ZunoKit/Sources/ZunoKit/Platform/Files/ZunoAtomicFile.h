#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace ZunoAtomicFile {

struct Options {
    // Flush to disk before the rename. Files rewritten every second that need not outlive a crash skip
    // it: the rename alone gives readers whole files, and an fsync on a busy disk can take tens of
    // milliseconds.
    bool sync = true;
    // Permission bits the new file gets whatever the old file's mode or the umask (0600 for secrets);
    // the temporary file has them from before its first byte.
    std::optional<unsigned> mode;
};

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames it over `path`,
// so a reader sees either the old file or the new one. Every short write counts as a failure: a
// truncated file must never replace a good one (Qt 6.4's QSaveFile renames one over it when the disk
// or a file-size limit stops the write partway). Keeps an existing file's permissions. On failure
// the old file is untouched, no temporary file is left and `failure` says which step failed.
bool write(
    const QString &path, const QByteArray &bytes, QString *failure = nullptr, const Options &options = {});

// Removes the temporary files that writes of `path` left behind when the process was killed
// mid-save ("<name>.XXXXXX" beside it, regular files only). Call it where `path` has one writer, before
// that writer starts (a store opening). Returns how many were removed.
int removeStaleTemporaries(const QString &path);

// A free name beside a damaged file, for moving it aside: "<stem>.corrupt-<yyyyMMdd-HHmmss>.json",
// with "-2", "-3"... before ".json" when that name is taken.
QString rescuePath(const QString &directory, const QString &stem);

} // namespace ZunoAtomicFile

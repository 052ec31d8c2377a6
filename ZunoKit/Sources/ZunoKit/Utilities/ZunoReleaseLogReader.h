#pragma once

#include "ZunoReleaseLogRecord.h"

#include <QList>
#include <QString>

#include <optional>

struct ZunoBundle;

// Reads an application's release history, "release-log.jsonl" (one JSON record per line, oldest
// first), newest first. Nothing is cached and nothing fails: a missing or unreadable file gives an
// empty list, unreadable lines are skipped. Safe on any thread.
namespace ZunoReleaseLogReader {

// The bundle's "release-log.jsonl"; empty when the bundle has none.
QList<ZunoReleaseLogRecord> loadBundled(const std::optional<QString> &app, const ZunoBundle &bundle);

// With an application name, only its records (compared ignoring case; an empty name keeps the
// records without "app"); without one, every record. The last line of the file comes first.
QList<ZunoReleaseLogRecord> load(const QString &path, const std::optional<QString> &app);

} // namespace ZunoReleaseLogReader

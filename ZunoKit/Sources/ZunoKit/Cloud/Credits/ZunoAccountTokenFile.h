#pragma once

#include <QString>

#include <optional>

// One shared account file of the suite: a JSON object that several applications keep entries in.
// Changing one entry keeps every other entry exactly as it was (whatever its type). Each change is a
// read-modify-write under an exclusive lock on ".account.lock" beside the file (waited for at most
// 5 s) and an in-process mutex, and is written atomically with mode 0600 into a 0700 folder; readers
// take no lock. A file that is not a JSON object is moved aside to "account.corrupt-<stamp>.json"
// before it is replaced; a file that cannot be read is never replaced. Failures are logged.
namespace ZunoAccountTokenFile {

// The string under `key`; none when the file, the object or a string entry under that key is missing.
std::optional<QString> value(const QString &path, const QString &key);
// Sets `key` to `value`, creating the folder and the file when missing. False when nothing was written.
bool setValue(const QString &path, const QString &key, const QString &value);
// Removes `key`; a file without it (or without a readable object) is left untouched. False on a failed
// write.
bool removeValue(const QString &path, const QString &key);

} // namespace ZunoAccountTokenFile

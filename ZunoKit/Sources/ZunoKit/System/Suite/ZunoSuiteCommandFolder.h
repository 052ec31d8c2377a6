#pragma once

#include "ZunoSuiteApp.h"
#include "ZunoSuiteCommandEnvelope.h"
#include "ZunoSuiteFolder.h"

#include <QDateTime>
#include <QString>

#include <optional>

// The shared folder of pending commands ("Commands" below the suite folder): one file per command,
// "<raw value lower-cased>-cmd-<write time in ns, 20 digits>-<id>.json", so that commands sent to one
// target in quick succession, or by several applications, are all kept. A consumer claims a file by
// renaming it to a private name first, so exactly one consumer reads each command. A file in the single
// slot "<raw value lower-cased>-cmd.json" is read too (claimed the same way, before the others).
// No lock: atomic writes and renames keep readers and writers apart. Any thread.
class ZunoSuiteCommandFolder {
public:
    // Files of one target older than this are removed on the next enqueue for that target.
    static constexpr qint64 kLeftoverAgeSeconds = 3600;

    // Below the suite folder, or directly below `baseFolder` when one is given.
    explicit ZunoSuiteCommandFolder(std::optional<QString> baseFolder = std::nullopt);

    QString path() const { return m_suite.filePath(QStringLiteral("Commands")); }
    static QString slotFileName(ZunoSuiteApp app);
    static QString commandFileName(ZunoSuiteApp app, qint64 writeTimeNs, const QUuid &id);

    // Writes the envelope as a new file for its target (making the folder, mode 0700, when needed) and
    // removes that target's leftovers. False, with `failure` saying why, when it could not be written.
    bool enqueue(const ZunoSuiteCommandEnvelope &envelope, QString *failure = nullptr);
    // The oldest pending envelope for `app` that decodes, is addressed to it and is at most
    // `maxAgeSeconds` from `now` (either way); changes nothing.
    std::optional<ZunoSuiteCommandEnvelope> peek(
        ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds) const;
    // As peek, but takes the files it passes: undecodable, misaddressed and stale ones are removed on
    // the way, and the envelope returned is removed too.
    std::optional<ZunoSuiteCommandEnvelope> consume(
        ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds);
    // Whether the command's file is still there, not yet taken by a consumer (nor withdrawn).
    bool isPending(const ZunoSuiteCommandEnvelope &envelope) const;

    enum class Withdrawal {
        // This call removed it: no consumer will read it.
        withdrawn,
        // A consumer took it first (or it was never written).
        taken,
        // It could not be removed and is still pending (logged).
        stuck
    };
    // Takes back a command that is still pending (its target could not be started, say), so that it
    // does not run when the target starts later. Exactly one of a consumer and this call gets it.
    Withdrawal withdraw(const ZunoSuiteCommandEnvelope &envelope);

private:
    QStringList pendingFiles(ZunoSuiteApp app) const;
    // The file of this command while pending; empty when there is none.
    QString pendingFile(const ZunoSuiteCommandEnvelope &envelope) const;
    void removeLeftovers(ZunoSuiteApp app) const;

    ZunoSuiteFolder m_suite;
};

#include "ZunoSuiteCommandFolder.h"

#include "ZunoAtomicFile.h"
#include "ZunoJson.h"
#include "ZunoSharedFileReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <chrono>
#include <cmath>

#include <cerrno>
#include <cstdio>

namespace {

QString lowerName(ZunoSuiteApp app)
{
    return rawValue(app).toLower();
}

QRegularExpression commandFilePattern(ZunoSuiteApp app)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(QRegularExpression::escape(lowerName(app))
        + QStringLiteral(
            "-cmd-([0-9]{20})-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.json")));
}

// Claimed files: "." + the name + ".claimed-<pid>-<n>", hidden and never taken for a pending command.
QString claimedName(const QString &name)
{
    static std::atomic<quint64> counter { 0 };
    return QStringLiteral(".%1.claimed-%2-%3")
        .arg(name)
        .arg(QCoreApplication::applicationPid())
        .arg(++counter);
}

// Nanoseconds since 1970, strictly increasing within this process, so that its own commands keep
// their order even when the clock's resolution is coarse.
qint64 writeTimeNs()
{
    static std::atomic<qint64> last { 0 };
    qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch())
                     .count();
    qint64 previous = last.load();
    while (true) {
        const qint64 next = std::max(now, previous + 1);
        if (last.compare_exchange_weak(previous, next))
            return next;
    }
}

bool isFresh(const ZunoSuiteCommandEnvelope &envelope, const QDateTime &now, double maxAgeSeconds)
{
    const double age = std::abs(double(now.msecsTo(envelope.timestamp))) / 1000.0;
    return age <= maxAgeSeconds;
}

std::optional<ZunoSuiteCommandEnvelope> readEnvelope(const QString &path)
{
    const auto bytes = ZunoSharedFileReader::read(path);
    if (!bytes)
        return std::nullopt;
    return ZunoSuiteCommandEnvelope::decoded(*bytes);
}

} // namespace

ZunoSuiteCommandFolder::ZunoSuiteCommandFolder(std::optional<QString> baseFolder)
    : m_suite(std::move(baseFolder))
{
}

QString ZunoSuiteCommandFolder::slotFileName(ZunoSuiteApp app)
{
    return lowerName(app) + QStringLiteral("-cmd.json");
}

QString ZunoSuiteCommandFolder::commandFileName(ZunoSuiteApp app, qint64 writeTimeNs, const QUuid &id)
{
    return QStringLiteral("%1-cmd-%2-%3.json")
        .arg(lowerName(app))
        .arg(writeTimeNs, 20, 10, QLatin1Char('0'))
        .arg(ZunoJson::uuidString(id));
}

bool ZunoSuiteCommandFolder::enqueue(const ZunoSuiteCommandEnvelope &envelope, QString *failure)
{
    const auto folder = m_suite.ensureSubfolder(QStringLiteral("Commands"), failure);
    if (!folder)
        return false;
    removeLeftovers(envelope.targetApp);
    const QString name = commandFileName(envelope.targetApp, writeTimeNs(), envelope.id);
    return ZunoAtomicFile::write(*folder + QLatin1Char('/') + name, envelope.encoded(), failure);
}

QStringList ZunoSuiteCommandFolder::pendingFiles(ZunoSuiteApp app) const
{
    const QDir dir(path());
    const QString prefix = lowerName(app) + QStringLiteral("-cmd");
    QStringList names = dir.entryList({ prefix + QLatin1Char('*') }, QDir::Files | QDir::System, QDir::Name);
    const QRegularExpression pattern = commandFilePattern(app);
    QStringList pending;
    if (names.removeOne(slotFileName(app)))
        pending << dir.filePath(slotFileName(app));
    // Zero-padded times sort by name in the order the commands were written.
    for (const QString &name : std::as_const(names)) {
        if (pattern.match(name).hasMatch())
            pending << dir.filePath(name);
    }
    return pending;
}

QString ZunoSuiteCommandFolder::pendingFile(const ZunoSuiteCommandEnvelope &envelope) const
{
    const QString suffix = QLatin1Char('-') + ZunoJson::uuidString(envelope.id) + QStringLiteral(".json");
    for (const QString &file : pendingFiles(envelope.targetApp)) {
        if (file.endsWith(suffix))
            return file;
    }
    return QString();
}

void ZunoSuiteCommandFolder::removeLeftovers(ZunoSuiteApp app) const
{
    const QDir dir(path());
    const QString prefix = lowerName(app) + QStringLiteral("-cmd");
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-kLeftoverAgeSeconds);
    const QRegularExpression pattern = commandFilePattern(app);
    const QRegularExpression claimed(QRegularExpression::anchoredPattern(QStringLiteral("\\.")
        + QRegularExpression::escape(prefix) + QStringLiteral(".*\\.claimed-[0-9]+-[0-9]+")));
    const QStringList names
        = dir.entryList({ prefix + QLatin1Char('*'), QLatin1Char('.') + prefix + QLatin1Char('*') },
            QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QRegularExpressionMatch command = pattern.match(name);
        QDateTime written;
        if (command.hasMatch())
            written = QDateTime::fromMSecsSinceEpoch(command.captured(1).toLongLong() / 1000000, Qt::UTC);
        else if (name == slotFileName(app) || claimed.match(name).hasMatch())
            written = QFileInfo(dir.filePath(name)).lastModified().toUTC();
        else
            continue;
        if (written < cutoff && !QFile::remove(dir.filePath(name)) && QFileInfo::exists(dir.filePath(name)))
            qWarning("ZunoSuiteCommandFolder: cannot remove the leftover %s", qPrintable(name));
    }
}

std::optional<ZunoSuiteCommandEnvelope> ZunoSuiteCommandFolder::peek(
    ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds) const
{
    for (const QString &file : pendingFiles(app)) {
        const auto envelope = readEnvelope(file);
        if (envelope && envelope->targetApp == app && isFresh(*envelope, now, maxAgeSeconds))
            return envelope;
    }
    return std::nullopt;
}

bool ZunoSuiteCommandFolder::isPending(const ZunoSuiteCommandEnvelope &envelope) const
{
    return !pendingFile(envelope).isEmpty();
}

ZunoSuiteCommandFolder::Withdrawal ZunoSuiteCommandFolder::withdraw(const ZunoSuiteCommandEnvelope &envelope)
{
    const QString file = pendingFile(envelope);
    // A consumer claims a file by renaming it, so the removal and the claim cannot both succeed.
    if (file.isEmpty() || QFile::remove(file))
        return file.isEmpty() ? Withdrawal::taken : Withdrawal::withdrawn;
    if (!QFileInfo::exists(file))
        return Withdrawal::taken;
    qWarning("ZunoSuiteCommandFolder: cannot withdraw the command %s", qPrintable(file));
    return Withdrawal::stuck;
}

std::optional<ZunoSuiteCommandEnvelope> ZunoSuiteCommandFolder::consume(
    ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds)
{
    for (const QString &file : pendingFiles(app)) {
        const QFileInfo info(file);
        const QString claimed = info.dir().filePath(claimedName(info.fileName()));
        // The rename succeeds for exactly one consumer; another one took the file when it fails.
        if (std::rename(QFile::encodeName(file).constData(), QFile::encodeName(claimed).constData()) != 0)
            continue;
        const auto envelope = readEnvelope(claimed);
        if (!QFile::remove(claimed))
            qWarning("ZunoSuiteCommandFolder: cannot remove the claimed command %s", qPrintable(claimed));
        if (envelope && envelope->targetApp == app && isFresh(*envelope, now, maxAgeSeconds))
            return envelope;
    }
    return std::nullopt;
}

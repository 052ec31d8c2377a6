#include "CamScriptStore.h"

#include "CamModelsJson.h"
#include "ZunoAtomicFile.h"
#include "ZunoPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <nlohmann/json.hpp>

namespace {

const char kFileName[] = "zunocam-store.json";

} // namespace

CamScriptStore::CamScriptStore(const std::optional<QString> &directory)
    : m_directory(
        directory ? *directory : QDir(ZunoPaths::applicationSupport()).filePath(QStringLiteral("ZunoCam")))
{
    QDir().mkpath(m_directory);
    m_fileURL = QDir(m_directory).filePath(QLatin1String(kFileName));
    // Saves cut short by a kill leave their temporary files; the studio is the document's only writer.
    ZunoAtomicFile::removeStaleTemporaries(m_fileURL);
}

CamPersistedPayload CamScriptStore::load()
{
    QFile file(m_fileURL);
    if (!file.exists()) {
        m_unreadableOnDisk = false;
        return CamPersistedPayload();
    }
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw CamDecodingError(file.errorString().toStdString());
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw CamDecodingError(file.errorString().toStdString());
        CamPersistedPayload payload = nlohmann::json::parse(bytes.begin(), bytes.end());
        m_unreadableOnDisk = false;
        return payload;
    } catch (const std::exception &) {
        // The owner learns of it when the file is rescued on the next save; until then the file
        // stays exactly as it is.
        m_unreadableOnDisk = true;
        return CamPersistedPayload();
    }
}

CamScriptStore::SaveResult CamScriptStore::save(const CamPersistedPayload &payload)
{
    QByteArray bytes;
    try {
        const nlohmann::json document = payload;
        bytes = QByteArray::fromStdString(document.dump(2));
    } catch (const std::exception &error) {
        const QString message
            = QStringLiteral("Studio document not saved: %1").arg(QString::fromUtf8(error.what()));
        report(MessageLevel::error, message);
        return { false, message, std::nullopt };
    }

    // The folder may have been removed since the store was made.
    QDir().mkpath(m_directory);

    QString failure;
    SaveResult result;
    if (m_unreadableOnDisk) {
        const std::optional<QString> earlierRescue = m_rescuedFileURL;
        if (!rescueUnreadableDocument(&failure)) {
            const QString message = QStringLiteral("Studio document not saved: %1").arg(failure);
            report(MessageLevel::error, message);
            return { false, message, std::nullopt };
        }
        if (m_rescuedFileURL != earlierRescue)
            result.rescuedFileURL = m_rescuedFileURL;
    }

    if (!ZunoAtomicFile::write(m_fileURL, bytes, &failure)) {
        result.ok = false;
        result.message = QStringLiteral("Studio document not saved to %1: %2").arg(m_fileURL, failure);
        report(MessageLevel::error, result.message);
    }
    return result;
}

bool CamScriptStore::rescueUnreadableDocument(QString *failure)
{
    if (!QFileInfo::exists(m_fileURL)) {
        m_unreadableOnDisk = false;
        return true;
    }
    const QString target = ZunoAtomicFile::rescuePath(m_directory, QStringLiteral("zunocam-store"));
    if (!QFile::rename(m_fileURL, target)) {
        // Overwriting it would lose the user's scripts for good; keep refusing until it can move.
        *failure = QStringLiteral("the unreadable document %1 could not be moved aside to %2")
                       .arg(m_fileURL, target);
        return false;
    }
    m_unreadableOnDisk = false;
    m_rescuedFileURL = target;
    report(MessageLevel::warn,
        QStringLiteral("Studio document %1 could not be read; it was moved to %2 before saving.")
            .arg(m_fileURL, target));
    return true;
}

void CamScriptStore::report(MessageLevel level, const QString &message) const
{
    if (m_messageHandler) {
        m_messageHandler(level, message);
        return;
    }
    if (level == MessageLevel::error)
        qCritical().noquote() << message;
    else
        qWarning().noquote() << message;
}

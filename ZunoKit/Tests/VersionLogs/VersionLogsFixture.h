#pragma once

// A runtime log on disk for the sheet's tests, and the texts a widget tree shows.

#include "ZunoAppLogger.h"
#include "ZunoLogEntry.h"
#include "ZunoLoggerFakes.h"

#include <QDateTime>
#include <QLabel>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace VersionLogsFixture {

inline ZunoLogEntry entry(int index, ZunoLogLevel level, const QString &message)
{
    ZunoLogEntry e;
    e.id = QStringLiteral("00000000-0000-0000-0000-%1").arg(index, 12, 10, QLatin1Char('0'));
    e.timestamp
        = QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC).addSecs(index).toString(Qt::ISODateWithMs);
    e.level = level;
    e.category = QStringLiteral("camera");
    e.message = message;
    e.version = QStringLiteral("1.0.0");
    e.build = QStringLiteral("100");
    return e;
}

// A logger writing into its own temporary folder.
struct TemporaryLog {
    QTemporaryDir dir;
    std::shared_ptr<ZunoAppLogger> logger
        = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCam"), dir.path());

    bool write(const QByteArray &content) const { return writeFile(logger->currentLogFilePath(), content); }
};

// `count` entries cycling debug, info, warn, error; message "m<index>", index 0 oldest.
inline QByteArray cyclingLevels(int count)
{
    QByteArray content;
    for (int i = 0; i < count; ++i)
        content += entry(i, static_cast<ZunoLogLevel>(i % 4), QStringLiteral("m%1").arg(i)).encoded() + '\n';
    return content;
}

// The texts of the labels named `objectName` below `root`, in layout order (creation order here).
inline QStringList labelTexts(const QWidget *root, const QString &objectName)
{
    QStringList texts;
    for (const QLabel *label : root->findChildren<QLabel *>(objectName))
        texts << label->text();
    return texts;
}

} // namespace VersionLogsFixture

#include "ZunoReleaseLogReader.h"

#include "ZunoBundle.h"
#include "ZunoUtf8.h"

#include <QFile>

#include <algorithm>

QList<ZunoReleaseLogRecord> ZunoReleaseLogReader::loadBundled(
    const std::optional<QString> &app, const ZunoBundle &bundle)
{
    const QString path = bundle.resourcePath(QStringLiteral("release-log.jsonl"));
    if (path.isEmpty())
        return {};
    return load(path, app);
}

QList<ZunoReleaseLogRecord> ZunoReleaseLogReader::load(const QString &path, const std::optional<QString> &app)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.readAll();
    if (content.isEmpty())
        return {};
    if (!ZunoUtf8::isValid(content))
        return {};

    const std::optional<QString> wanted = app ? std::optional(app->toLower()) : std::nullopt;
    QList<ZunoReleaseLogRecord> records;
    for (const QByteArray &line : content.split('\n')) {
        if (line.isEmpty())
            continue;
        auto record = ZunoReleaseLogRecord::decoded(line);
        if (!record)
            continue;
        if (wanted && record->app.toLower() != *wanted)
            continue;
        records.append(std::move(*record));
    }
    std::reverse(records.begin(), records.end());
    return records;
}

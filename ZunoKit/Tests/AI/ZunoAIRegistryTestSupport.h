#pragma once

#include "ZunoAICatalogTestData.h"
#include "ZunoAIModelCatalogDocument.h"
#include "ZunoAIModelSyncMeta.h"
#include "ZunoJson.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Cache folders and catalog bodies for the registry and store tests.

// A catalog body with one model, the given version and time-to-live.
inline QByteArray catalogBody(const QString &catalogVersion, qint64 ttlSeconds = 21600)
{
    nlohmann::json body = readAITestJson(QStringLiteral("catalog-full.json"));
    body["catalogVersion"] = catalogVersion.toStdString();
    body["ttlSeconds"] = ttlSeconds;
    return QByteArray::fromStdString(body.dump());
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline ZunoAIModelSyncMeta remoteMeta(const QString &etag, const QDateTime &checkedAt, const QString &version)
{
    ZunoAIModelSyncMeta meta;
    meta.etag = etag;
    meta.lastSyncedAt = ZunoJson::isoDateString(checkedAt);
    meta.lastCheckedAt = ZunoJson::isoDateString(checkedAt);
    meta.sourceUrl = QStringLiteral("https://catalog.example.test/models.json");
    meta.catalogVersion = version;
    meta.origin = ZunoAICatalogOrigin::remote;
    return meta;
}

// Names of leftover temporary files in a folder (anything but the two cache files).
inline QStringList strayFiles(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(QStringLiteral("models.json"));
    names.removeAll(QStringLiteral("sync-meta.json"));
    return names;
}

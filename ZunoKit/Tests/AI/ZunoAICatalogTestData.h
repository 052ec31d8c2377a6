#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <nlohmann/json.hpp>

// Fixtures of the AI catalog tests, from the repository's TestData/ai.
inline QByteArray readAITestData(const QString &name)
{
    QFile file(QStringLiteral(ZUNO_TEST_DATA "/ai/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline nlohmann::json readAITestJson(const QString &name)
{
    const QByteArray data = readAITestData(name);
    return nlohmann::json::parse(data.constData(), data.constData() + data.size());
}

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// One release of an application's release history (one line of "release-log.jsonl"). Every key is
// optional when decoding; a missing key or null takes the default below, a value of the wrong type
// makes the whole record unreadable.
struct ZunoReleaseLogRecord {
    QString timestamp; // "timestamp"
    QString app; // "app"
    QString fromVersion = QStringLiteral("0.0.0"); // "fromVersion"
    QString toVersion = QStringLiteral("1.0.0"); // "toVersion"
    std::int64_t fromBuild = 0; // "fromBuild"
    std::int64_t toBuild = 100; // "toBuild"
    QString bumpKind = QStringLiteral("patch"); // "bumpKind": build, patch, minor or major, as free text
    QString section = QStringLiteral("Changed"); // "section"
    QString summary; // "summary", base language
    QStringList details; // "details", base language
    QMap<QString, QString> summaryI18n; // "summary_i18n", by language code ("tr", "pt-BR")
    QMap<QString, QStringList> detailsI18n; // "details_i18n"
    QString gitCommit; // "gitCommit"

    // timestamp-app-toVersion-toBuild: the record's identity in lists.
    QString id() const;
    // The first ten characters of the timestamp (its date), or all of it when shorter.
    QString shortDate() const;

    // The summary in the language with the given code, falling back to its parent language (pt-PT to
    // pt-BR, zh-Hant to zh-Hans), then English, then `summary`. Empty translations do not count.
    QString localizedSummary(const QString &languageCode) const;
    // The detail lines by the same fallbacks; an empty list does not count.
    QStringList localizedDetails(const QString &languageCode) const;

    // All thirteen keys, in the order of the fields with the two translation maps last.
    QByteArray encoded() const;
    // One JSON object; none when it is not one or a value has the wrong type.
    static std::optional<ZunoReleaseLogRecord> decoded(QByteArrayView json);

    friend bool operator==(const ZunoReleaseLogRecord &, const ZunoReleaseLogRecord &) = default;
};

#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <vector>

// One teleprompter script, identified by its id (the LAN remote selects scripts by it). It has no
// defaults: every value is given when it is made.
struct TeleprompterScript {
    TeleprompterScript(const QUuid &id, const QString &title, const QString &body, const QDateTime &updatedAt)
        : id(id)
        , title(title)
        , body(body)
        , updatedAt(updatedAt)
    {
    }

    QUuid id;
    QString title;
    QString body; // the text that scrolls; paragraphs are separated by line breaks
    QDateTime updatedAt;

    // The two built-in scripts (English, then Turkish), built once per process on first use, both
    // stamped with the time of that first use. Thread-safe.
    static const std::vector<TeleprompterScript> &sampleScripts();

    // Every field; title and body by canonical equivalence, the date as an instant.
    friend bool operator==(const TeleprompterScript &a, const TeleprompterScript &b);
};

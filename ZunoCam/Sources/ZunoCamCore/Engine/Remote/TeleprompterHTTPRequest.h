#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// A parsed request of the LAN remote.
struct TeleprompterHTTPRequest {
    QString method; // upper-cased
    QString path; // the target before its first "?", not percent-decoded
    QMap<QString, QString> query; // decoded fields after the first "?"
    QMap<QString, QString> headers; // keys lower-cased, keys and values trimmed
    QByteArray body; // cut to a valid content-length

    friend bool operator==(const TeleprompterHTTPRequest &, const TeleprompterHTTPRequest &) = default;
};

#pragma once

#include <QByteArray>
#include <QString>

// A response of the LAN remote before it goes on the wire.
struct TeleprompterHTTPResponse {
    int statusCode = 200;
    QString reasonPhrase;
    QString contentType;
    QByteArray body;

    // Status line, seven fixed header lines, a blank line and the body. Every connection is
    // closed after one response. No Access-Control-Allow-Origin: the state carries script titles and
    // the page is served from the same origin, so no other origin may read it.
    QByteArray serialized() const;

    friend bool operator==(const TeleprompterHTTPResponse &, const TeleprompterHTTPResponse &) = default;
};

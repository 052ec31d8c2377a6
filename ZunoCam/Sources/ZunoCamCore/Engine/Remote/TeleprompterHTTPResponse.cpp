#include "TeleprompterHTTPResponse.h"

QByteArray TeleprompterHTTPResponse::serialized() const
{
    QByteArray out;
    out.reserve(320 + body.size());
    out += "HTTP/1.1 ";
    out += QByteArray::number(statusCode);
    out += ' ';
    out += reasonPhrase.toUtf8();
    out += "\r\nContent-Type: ";
    out += contentType.toUtf8();
    out += "\r\nContent-Length: ";
    out += QByteArray::number(body.size());
    out += "\r\nCache-Control: no-store, no-cache, must-revalidate"
           "\r\nAccess-Control-Allow-Methods: GET, POST, OPTIONS"
           "\r\nAccess-Control-Allow-Headers: Content-Type"
           "\r\nConnection: close"
           "\r\n\r\n";
    out += body;
    return out;
}

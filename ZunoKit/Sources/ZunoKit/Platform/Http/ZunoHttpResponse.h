#pragma once

#include "ZunoHttpHeaders.h"

#include <QByteArray>

// A whole HTTP response (or, for a stream, its status and headers with an empty body).
struct ZunoHttpResponse {
    int statusCode = 0;
    ZunoHttpHeaders headers;
    QByteArray body;
};

#pragma once

#include <QString>

// The browser's callback: the authorization code (trimmed) and the browser's connection, still open
// for the result page. The receiver closes `clientFD`.
struct ZunoLoopbackCallbackHit {
    QString code;
    int clientFD = -1;
};

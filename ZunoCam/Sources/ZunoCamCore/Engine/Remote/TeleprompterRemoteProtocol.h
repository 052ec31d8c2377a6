#pragma once

#include "TeleprompterHTTPRequest.h"
#include "TeleprompterHTTPResponse.h"
#include "TeleprompterNetworkInterfaces.h"
#include "TeleprompterRemoteCommand.h"
#include "TeleprompterRemoteRouteResult.h"
#include "TeleprompterRemoteState.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The LAN remote's stateless protocol layer: when a buffer holds a whole request, parsing, reading
// a command, routing, response building, the page and the address shown to the user. Pure
// functions, callable from any thread.
namespace TeleprompterRemoteProtocol {

inline constexpr quint16 defaultPort = 8791;
// The largest request accepted, by the parser and by the server's receive loop.
inline constexpr qsizetype maxRequestBytes = 65536;

// Whether the bytes received so far hold a whole request (header block, and the body its
// content-length announces).
bool isCompleteHTTPRequest(const QByteArray &data);
// The body length a header block (the bytes before its blank line) announces with Content-Length;
// 0 when it announces none, an unreadable or non-positive one, or the block is not UTF-8 or holds a
// line the parser refuses.
qint64 announcedBodyLength(QByteArrayView headerBlock);
// None also for a request with more than one Host header, or with a header line that is not
// "name: value" (folded onto the line before, without a colon, a name that is empty or holds white
// space).
std::optional<TeleprompterHTTPRequest> parseHTTPRequest(const QByteArray &data);
// The command of a request, from its JSON body, query string, plain-text body or form body, in
// that order; none when it carries no acceptable command.
std::optional<TeleprompterRemoteCommand> parseCommand(const TeleprompterHTTPRequest &request);
TeleprompterRemoteRouteResult route(
    const TeleprompterHTTPRequest &request, const TeleprompterRemoteState &currentState);

TeleprompterHTTPResponse makeStateResponse(const TeleprompterRemoteState &state);
TeleprompterHTTPResponse makeCommandAckResponse(
    const TeleprompterRemoteCommand &command, const std::optional<TeleprompterRemoteState> &updatedState);
TeleprompterHTTPResponse makeErrorResponse(int statusCode, const QString &reason, const QString &message);

// The self-contained control page served at "/" and "/index.html".
QString remoteWebPageHTML();

// The computer's best local-network IPv4 address, or none.
std::optional<QString> discoverLocalLANIPv4();
// The pick behind discoverLocalLANIPv4 over a given interface list: up, running, not loopback,
// not link-local or 127.x; private addresses before others, wired and wireless interfaces before
// unknown ones, and those before bridges, containers, tunnels and virtual links; the first listed
// wins a tie.
std::optional<QString> pickLocalLANIPv4(const QList<TeleprompterNetworkInterfaceAddress> &interfaces);
// "http://" + (host, else the discovered address, else "127.0.0.1") + ":" + port.
QString buildRemoteURL(quint16 port, const std::optional<QString> &host = std::nullopt);

} // namespace TeleprompterRemoteProtocol

#pragma once

#include "TeleprompterHTTPRequest.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>

// Which requests the LAN remote answers at all. A Host header must name this computer, so that a
// web page whose own name was re-pointed at this computer (DNS rebinding) cannot reach the remote;
// and a command carrying an Origin must come from the page the remote served itself, so that other
// web pages open in a browser cannot drive the teleprompter. Requests without those headers (curl,
// scripts) are answered as before. Pure functions, callable from any thread.
namespace TeleprompterRemoteRequestGuard {

// The host of a Host header value, lower-cased, without its port and without a final dot; an IPv6
// literal keeps its brackets and is written canonically ("[0:0::1]" gives "[::1]"). Empty when the
// value is not a host with an optional port, or its brackets hold no IPv6 address.
QString hostName(const QString &hostHeader);

// The names a Host header may use for this computer: the machine's host name and
// "<first label>.local" (its multicast-DNS name, also for a fully qualified host name), the shown
// host, every IPv4 address and every IPv6 address in brackets, all lower-case.
QSet<QString> localNames(const QString &machineHostName, const QString &shownHost,
    const QList<QString> &ipv4Addresses, const QList<QString> &ipv6Addresses);

// Whether the request may be answered: no Host header, or one naming 127.0.0.1, localhost, [::1]
// or a host `isLocalName` accepts (given as hostName writes it), with or without a port.
// `isLocalName` is asked only for a well-formed host that is none of the loopback names.
bool hasAllowedHost(
    const TeleprompterHTTPRequest &request, const std::function<bool(const QString &host)> &isLocalName);

// A POST with an Origin that is not "http://" followed by the Host the request named.
bool hasForeignOrigin(const TeleprompterHTTPRequest &request);

} // namespace TeleprompterRemoteRequestGuard

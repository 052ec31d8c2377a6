#pragma once

#include <QList>
#include <QString>

#include <optional>

// One address of a network interface, as the system lists it.
struct TeleprompterNetworkInterfaceAddress {
    QString name; // interface name ("eth0", "wlp2s0", "docker0")
    QString address; // dotted numeric text (IPv4), or canonical IPv6 text without brackets or zone
    bool isUp = false;
    bool isRunning = false;
    bool isLoopback = false;
    bool isIPv6 = false;
};

namespace TeleprompterNetworkInterfaces {

// Every IPv4 address in the system's interface order (getifaddrs); none when the list cannot be read.
std::optional<QList<TeleprompterNetworkInterfaceAddress>> ipv4Addresses();
// Both families in one walk of the list, IPv4 as above; IPv6 link-local ones too (a Host header
// cannot name a zone, so the address stands alone).
std::optional<QList<TeleprompterNetworkInterfaceAddress>> allAddresses();

} // namespace TeleprompterNetworkInterfaces

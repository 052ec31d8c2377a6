#pragma once

#include <QList>
#include <QString>

#include <optional>

// One IPv4 address of a network interface, as the system lists it.
struct TeleprompterNetworkInterfaceAddress {
    QString name; // interface name ("eth0", "wlp2s0", "docker0")
    QString address; // dotted numeric text
    bool isUp = false;
    bool isRunning = false;
    bool isLoopback = false;
};

namespace TeleprompterNetworkInterfaces {

// Every IPv4 address in the system's interface order (getifaddrs); none when the list cannot be read.
std::optional<QList<TeleprompterNetworkInterfaceAddress>> ipv4Addresses();

} // namespace TeleprompterNetworkInterfaces

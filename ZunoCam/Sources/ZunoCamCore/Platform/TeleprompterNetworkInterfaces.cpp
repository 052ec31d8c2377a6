#include "TeleprompterNetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>

std::optional<QList<TeleprompterNetworkInterfaceAddress>> TeleprompterNetworkInterfaces::ipv4Addresses()
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return std::nullopt;
    QList<TeleprompterNetworkInterfaceAddress> result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        char host[NI_MAXHOST] = {};
        if (getnameinfo(entry->ifa_addr, sizeof(sockaddr_in), host, sizeof(host), nullptr, 0, NI_NUMERICHOST)
            != 0)
            continue;
        TeleprompterNetworkInterfaceAddress address;
        address.name = QString::fromLocal8Bit(entry->ifa_name);
        address.address = QString::fromLatin1(host);
        address.isUp = entry->ifa_flags & IFF_UP;
        address.isRunning = entry->ifa_flags & IFF_RUNNING;
        address.isLoopback = entry->ifa_flags & IFF_LOOPBACK;
        result.append(address);
    }
    freeifaddrs(list);
    return result;
}

std::optional<QList<TeleprompterNetworkInterfaceAddress>> TeleprompterNetworkInterfaces::ipv6Addresses()
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return std::nullopt;
    QList<TeleprompterNetworkInterfaceAddress> result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET6)
            continue;
        // inet_ntop rather than getnameinfo: the text carries no "%zone" suffix.
        char host[INET6_ADDRSTRLEN] = {};
        const auto *socketAddress = reinterpret_cast<const sockaddr_in6 *>(entry->ifa_addr);
        if (!inet_ntop(AF_INET6, &socketAddress->sin6_addr, host, sizeof(host)))
            continue;
        TeleprompterNetworkInterfaceAddress address;
        address.name = QString::fromLocal8Bit(entry->ifa_name);
        address.address = QString::fromLatin1(host);
        address.isUp = entry->ifa_flags & IFF_UP;
        address.isRunning = entry->ifa_flags & IFF_RUNNING;
        address.isLoopback = entry->ifa_flags & IFF_LOOPBACK;
        result.append(address);
    }
    freeifaddrs(list);
    return result;
}

#include "TeleprompterNetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>

namespace {

// Every address of `family` on this machine's interfaces, as `numeric` writes it (false: left out).
template <typename Numeric>
std::optional<QList<TeleprompterNetworkInterfaceAddress>> addresses(sa_family_t family, Numeric numeric)
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return std::nullopt;
    QList<TeleprompterNetworkInterfaceAddress> result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != family)
            continue;
        char host[NI_MAXHOST] = {};
        if (!numeric(entry->ifa_addr, host, sizeof(host)))
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

} // namespace

std::optional<QList<TeleprompterNetworkInterfaceAddress>> TeleprompterNetworkInterfaces::ipv4Addresses()
{
    return addresses(AF_INET, [](const sockaddr *socketAddress, char *host, socklen_t size) {
        return getnameinfo(socketAddress, sizeof(sockaddr_in), host, size, nullptr, 0, NI_NUMERICHOST) == 0;
    });
}

std::optional<QList<TeleprompterNetworkInterfaceAddress>> TeleprompterNetworkInterfaces::ipv6Addresses()
{
    // inet_ntop rather than getnameinfo: the text carries no "%zone" suffix.
    return addresses(AF_INET6, [](const sockaddr *socketAddress, char *host, socklen_t size) {
        return inet_ntop(
                   AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(socketAddress)->sin6_addr, host, size)
            != nullptr;
    });
}

#include "TeleprompterNetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>

namespace {

bool numericIPv4(const sockaddr *socketAddress, char *host, socklen_t size)
{
    return getnameinfo(socketAddress, sizeof(sockaddr_in), host, size, nullptr, 0, NI_NUMERICHOST) == 0;
}

// inet_ntop rather than getnameinfo: the text carries no "%zone" suffix.
bool numericIPv6(const sockaddr *socketAddress, char *host, socklen_t size)
{
    return inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(socketAddress)->sin6_addr, host, size)
        != nullptr;
}

// Every address of the wanted families on this machine's interfaces, in one walk of the list.
std::optional<QList<TeleprompterNetworkInterfaceAddress>> addresses(bool ipv4, bool ipv6)
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return std::nullopt;
    QList<TeleprompterNetworkInterfaceAddress> result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr)
            continue;
        const sa_family_t family = entry->ifa_addr->sa_family;
        const bool isIPv6 = family == AF_INET6;
        if (!(ipv4 && family == AF_INET) && !(ipv6 && isIPv6))
            continue;
        char host[NI_MAXHOST] = {};
        if (!(isIPv6 ? numericIPv6 : numericIPv4)(entry->ifa_addr, host, sizeof(host)))
            continue;
        TeleprompterNetworkInterfaceAddress address;
        address.name = QString::fromLocal8Bit(entry->ifa_name);
        address.address = QString::fromLatin1(host);
        address.isUp = entry->ifa_flags & IFF_UP;
        address.isRunning = entry->ifa_flags & IFF_RUNNING;
        address.isLoopback = entry->ifa_flags & IFF_LOOPBACK;
        address.isIPv6 = isIPv6;
        result.append(address);
    }
    freeifaddrs(list);
    return result;
}

} // namespace

std::optional<QList<TeleprompterNetworkInterfaceAddress>> TeleprompterNetworkInterfaces::ipv4Addresses()
{
    return addresses(true, false);
}

std::optional<QList<TeleprompterNetworkInterfaceAddress>> TeleprompterNetworkInterfaces::allAddresses()
{
    return addresses(true, true);
}

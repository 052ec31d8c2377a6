#include "ZunoLoopbackListener.h"

#include <QFile>
#include <QList>

#include <array>
#include <cstdint>
#include <cstring>

namespace ZunoLoopbackListener {

namespace {

constexpr QByteArrayView kListenState = "0A";

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The kernel prints an address as 32-bit words in host byte order; memcpy turns each back into the
// bytes as they lie in memory, which are the network-order bytes of the address.
std::optional<QByteArray> addressBytes(QByteArrayView hex)
{
    if (hex.size() != 8 && hex.size() != 32)
        return std::nullopt;
    QByteArray bytes;
    for (qsizetype at = 0; at < hex.size(); at += 8) {
        bool ok = false;
        const std::uint32_t word = hex.sliced(at, 8).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        char raw[4];
        std::memcpy(raw, &word, 4);
        bytes.append(raw, 4);
    }
    return bytes;
}

bool isLoopbackOrWildcard(const QByteArray &address)
{
    static const QByteArray loopback4("\x7f\x00\x00\x01", 4);
    static const QByteArray any4(4, '\0');
    static const QByteArray any6(16, '\0');
    static const QByteArray mapped6 = QByteArray(10, '\0') + QByteArray("\xff\xff", 2) + loopback4;
    return address == loopback4 || address == any4 || address == any6 || address == mapped6;
}

} // namespace

std::vector<unsigned> ownerUids(quint16 port, const FileReader &reader)
{
    std::vector<unsigned> uids;
    for (const char *path : { "/proc/net/tcp", "/proc/net/tcp6" }) {
        const std::optional<QByteArray> table
            = reader ? reader(QString::fromLatin1(path)) : readFile(QString::fromLatin1(path));
        if (!table)
            continue;
        const QList<QByteArray> rows = table->split('\n');
        // The first row is the column heading.
        for (qsizetype row = 1; row < rows.size(); ++row) {
            const QList<QByteArray> fields = rows.at(row).simplified().split(' ');
            // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid ...
            if (fields.size() < 8 || fields.at(3) != kListenState)
                continue;
            const QList<QByteArray> local = fields.at(1).split(':');
            if (local.size() != 2)
                continue;
            bool portOk = false;
            bool uidOk = false;
            const unsigned localPort = local.at(1).toUInt(&portOk, 16);
            const unsigned uid = fields.at(7).toUInt(&uidOk);
            const std::optional<QByteArray> address = addressBytes(local.at(0));
            if (portOk && uidOk && localPort == port && address && isLoopbackOrWildcard(*address))
                uids.push_back(uid);
        }
    }
    return uids;
}

} // namespace ZunoLoopbackListener

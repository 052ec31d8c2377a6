#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Who listens on a loopback TCP port, from the kernel's socket tables (/proc/net/tcp and /proc/net/tcp6),
// so that a client can refuse to hand a secret to a port another user has taken.
namespace ZunoLoopbackListener {

// Reads a whole file; none when it cannot be read. Injectable for tests.
using FileReader = std::function<std::optional<QByteArray>(const QString &path)>;

// The uids of the sockets listening on `port` at 127.0.0.1, 0.0.0.0, :: or ::ffff:127.0.0.1. Empty when
// there is none or the tables cannot be read (no /proc, another network namespace).
std::vector<unsigned> ownerUids(quint16 port, const FileReader &reader = {});

} // namespace ZunoLoopbackListener

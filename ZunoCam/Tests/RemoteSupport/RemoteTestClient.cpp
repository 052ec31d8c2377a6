#include "RemoteTestClient.h"

#include <QList>

#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

quint16 freeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

RawClient::RawClient(quint16 port)
    : RawClient(port, nullptr)
{
}

RawClient::RawClient(quint16 port, const char *sourceAddress)
{
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    if (sourceAddress) {
        sockaddr_in source = loopback(0);
        inet_pton(AF_INET, sourceAddress, &source.sin_addr);
        if (bind(m_fd, reinterpret_cast<sockaddr *>(&source), sizeof(source)) != 0) {
            close();
            return;
        }
    }
    timeval timeout { 5, 0 };
    setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    sockaddr_in address = loopback(port);
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0)
        close();
}

RawClient::~RawClient()
{
    close();
}

void RawClient::send(const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (m_fd >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.constData() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

void RawClient::finishSending()
{
    if (m_fd >= 0)
        shutdown(m_fd, SHUT_WR);
}

bool RawClient::readableWithin(std::chrono::milliseconds timeout)
{
    pollfd entry { m_fd, POLLIN, 0 };
    return poll(&entry, 1, static_cast<int>(timeout.count())) > 0;
}

QByteArray RawClient::readAll(bool *closed, std::chrono::milliseconds timeout)
{
    QByteArray data;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (closed)
        *closed = false;
    while (m_fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readableWithin(left))
            break;
        char buffer[16384];
        const ssize_t n = recv(m_fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            if (closed)
                *closed = true;
            break;
        }
        data.append(buffer, n);
    }
    return data;
}

void RawClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QByteArray HttpAnswer::header(const QByteArray &name) const
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

HttpAnswer parseAnswer(const QByteArray &bytes)
{
    HttpAnswer answer;
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (!bytes.startsWith("HTTP/1.1 ") || end < 0)
        return answer;
    answer.head = bytes.left(end);
    answer.body = bytes.mid(end + 4);
    answer.status = bytes.mid(9, 3).toInt();
    return answer;
}

HttpAnswer exchange(quint16 port, const QByteArray &bytes)
{
    RawClient client(port);
    client.send(bytes);
    return parseAnswer(client.readAll());
}

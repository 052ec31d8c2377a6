#include "SlowClientSwarm.h"

#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

SlowClientSwarm::SlowClientSwarm(Options options)
    : m_options(std::move(options))
    , m_thread([this] { run(); })
{
}

SlowClientSwarm::~SlowClientSwarm()
{
    m_stop = true;
    m_thread.join();
}

bool SlowClientSwarm::waitUntilOpen()
{
    std::unique_lock lock(m_mutex);
    m_opened.wait_for(lock, std::chrono::seconds(30), [&] { return m_openDone; });
    return m_openDone && !m_openFailed;
}

int SlowClientSwarm::open(int host) const
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in source {};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr = htonl(INADDR_LOOPBACK - 1 + host);
    sockaddr_in server {};
    server.sin_family = AF_INET;
    server.sin_port = htons(m_options.port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr *>(&source), sizeof(source)) != 0
        || connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof(server)) != 0
        || send(fd, m_options.head.constData(), m_options.head.size(), MSG_NOSIGNAL)
            != m_options.head.size()) {
        close(fd);
        return -1;
    }
    return fd;
}

void SlowClientSwarm::run()
{
    std::vector<pollfd> entries;
    std::vector<int> hosts;
    bool failed = false;
    for (int a = 0; a < m_options.addresses && !m_stop; ++a) {
        for (int c = 0; c < m_options.connectionsPerAddress; ++c) {
            const int fd = open(m_options.firstHost + a);
            failed = failed || fd < 0;
            entries.push_back({ fd, POLLIN, 0 });
            hosts.push_back(m_options.firstHost + a);
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_openDone = true;
        m_openFailed = failed;
    }
    m_opened.notify_all();
    // A readable connection was closed by the server (it never answers an unfinished request).
    while (!m_stop) {
        if (poll(entries.data(), entries.size(), 20) <= 0)
            continue;
        for (std::size_t i = 0; i < entries.size() && !m_stop; ++i) {
            if (entries[i].fd < 0 || !entries[i].revents)
                continue;
            close(entries[i].fd);
            entries[i].fd = -1;
            if (m_reopenings < m_options.maxReopenings) {
                entries[i].fd = open(hosts[i]);
                ++m_reopenings;
            }
        }
    }
    for (const pollfd &entry : entries) {
        if (entry.fd >= 0)
            close(entry.fd);
    }
}

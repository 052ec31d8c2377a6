#pragma once

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// Many slow loopback clients that never finish their request: each opens a connection from its own
// source address in 127.0.0.0/8, sends `head` (an unfinished request) and waits. A connection the
// server closes is opened again at once, as an attacker would, until the swarm stops: on destruction,
// or after `maxReopenings` (the count stays bounded).
class SlowClientSwarm {
public:
    struct Options {
        quint16 port = 0;
        // Source addresses 127.0.0.<firstHost> onwards, `connectionsPerAddress` from each.
        int firstHost = 2;
        int addresses = 60;
        int connectionsPerAddress = 10;
        QByteArray head = "GET /api/state HTTP/1.1\r\n";
        int maxReopenings = 50000;
    };

    explicit SlowClientSwarm(Options options);
    ~SlowClientSwarm();
    SlowClientSwarm(const SlowClientSwarm &) = delete;
    SlowClientSwarm &operator=(const SlowClientSwarm &) = delete;

    // Waits until every connection was opened once; false when one could not connect.
    bool waitUntilOpen();
    // Connections the server closed and the swarm opened again.
    int reopenings() const { return m_reopenings; }

private:
    void run();
    int open(int host) const;

    const Options m_options;
    std::atomic<bool> m_stop { false };
    std::atomic<int> m_reopenings { 0 };
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_openDone = false;
    bool m_openFailed = false;
    std::thread m_thread;
};

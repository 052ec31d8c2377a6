#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

// The pieces of one streamed answer, produced on a worker thread of the stream's own that starts at
// once. The buffer is unbounded: a slow reader never slows the network reading. Destroying the stream
// cancels the work and waits for the worker, so a reader that stops listening stops the transfer.
class ZunoAIChatStream {
public:
    using Yield = std::function<void(const QString &piece)>;
    using Producer = std::function<void(const Yield &yield, std::stop_token stop)>;

    // When `producer` returns, the stream ends normally; when it throws, it ends with that error, except
    // a transfer cut short by the stop token, which is a normal end.
    explicit ZunoAIChatStream(Producer producer);
    ~ZunoAIChatStream();
    ZunoAIChatStream(const ZunoAIChatStream &) = delete;
    ZunoAIChatStream &operator=(const ZunoAIChatStream &) = delete;

    // Blocks until the next piece and returns it; none at a normal end (or when `stop` is requested while
    // waiting). At an error end, throws the error once, then gives none.
    std::optional<QString> next(std::stop_token stop = {});
    // Stops the transfer and drops what is buffered; `next` gives none from now on. Returns at once.
    void cancel();

private:
    void push(const QString &piece);
    void end(std::exception_ptr error);

    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::deque<QString> m_pieces;
    bool m_ended = false;
    bool m_cancelled = false;
    std::exception_ptr m_error;
    // Last, so that it is stopped and joined before the rest goes away.
    std::jthread m_worker;
};

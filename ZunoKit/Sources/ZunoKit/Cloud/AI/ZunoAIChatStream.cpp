#include "ZunoAIChatStream.h"

#include "ZunoHttpError.h"

ZunoAIChatStream::ZunoAIChatStream(Producer producer)
{
    m_worker = std::jthread([this, producer = std::move(producer)](std::stop_token stop) {
        try {
            producer([this](const QString &piece) { push(piece); }, stop);
            end(nullptr);
        } catch (const ZunoHttpError &error) {
            const bool stopped = error.kind() == ZunoHttpError::Kind::cancelled || stop.stop_requested();
            end(stopped ? nullptr : std::current_exception());
        } catch (...) {
            end(stop.stop_requested() ? nullptr : std::current_exception());
        }
    });
}

ZunoAIChatStream::~ZunoAIChatStream()
{
    cancel();
}

void ZunoAIChatStream::push(const QString &piece)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_cancelled || m_ended)
            return;
        m_pieces.push_back(piece);
    }
    m_changed.notify_all();
}

void ZunoAIChatStream::end(std::exception_ptr error)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_ended)
            return;
        m_ended = true;
        if (!m_cancelled)
            m_error = std::move(error);
    }
    m_changed.notify_all();
}

std::optional<QString> ZunoAIChatStream::next(std::stop_token stop)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, stop, [this] { return m_cancelled || m_ended || !m_pieces.empty(); });
    if (m_cancelled)
        return std::nullopt;
    if (!m_pieces.empty()) {
        QString piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        return piece;
    }
    if (m_error) {
        std::exception_ptr error = std::exchange(m_error, nullptr);
        lock.unlock();
        std::rethrow_exception(error);
    }
    return std::nullopt;
}

void ZunoAIChatStream::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_pieces.clear();
        m_error = nullptr;
    }
    m_worker.request_stop();
    m_changed.notify_all();
}

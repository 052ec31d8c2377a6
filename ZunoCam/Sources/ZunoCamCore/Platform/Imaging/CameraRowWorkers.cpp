#include "CameraRowWorkers.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {
// Stripes per thread: enough that the others can take over a late thread's share.
constexpr int kStripesPerThread = 6;
} // namespace

struct CameraRowWorkers::Shared {
    int threads = 1;
    std::mutex runLock; // one loop at a time

    // The loop's description is written under `lock` before `open` is set and stays until every
    // worker that joined it has left (`active` back at 0), so workers read it without the lock.
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable left;
    std::uint64_t generation = 0;
    bool open = false;
    bool stopping = false;
    int active = 0;
    const std::function<void(int, int)> *body = nullptr;
    int rows = 0;
    int stripeRows = 0;
    int stripes = 0;
    std::atomic<int> nextStripe { 0 };
    std::vector<std::jthread> workers;

    void takeStripes()
    {
        for (int stripe = nextStripe.fetch_add(1); stripe < stripes; stripe = nextStripe.fetch_add(1)) {
            const int first = stripe * stripeRows;
            (*body)(first, std::min(rows, first + stripeRows));
        }
    }

    void work()
    {
        std::uint64_t seen = 0;
        std::unique_lock guard(lock);
        for (;;) {
            wake.wait(guard, [&] { return stopping || (open && generation != seen); });
            if (stopping)
                return;
            seen = generation;
            ++active;
            guard.unlock();
            takeStripes();
            guard.lock();
            if (--active == 0)
                left.notify_all();
        }
    }
};

CameraRowWorkers::CameraRowWorkers(int threads)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->threads = std::max(threads, 1);
    for (int i = 1; i < m_shared->threads; ++i)
        m_shared->workers.emplace_back([shared = m_shared.get()] { shared->work(); });
}

CameraRowWorkers::~CameraRowWorkers()
{
    {
        std::lock_guard guard(m_shared->lock);
        m_shared->stopping = true;
    }
    m_shared->wake.notify_all();
    m_shared->workers.clear(); // joins
}

int CameraRowWorkers::threads() const
{
    return m_shared->threads;
}

void CameraRowWorkers::run(int rows, int minimumStripe, const std::function<void(int, int)> &body)
{
    if (rows <= 0)
        return;
    Shared &s = *m_shared;
    const int stripes = std::clamp(rows / std::max(minimumStripe, 1), 1, s.threads * kStripesPerThread);
    if (s.threads <= 1 || stripes <= 1) {
        body(0, rows);
        return;
    }
    // While another thread's loop has the workers, this one runs on its caller rather than wait.
    std::unique_lock running(s.runLock, std::try_to_lock);
    if (!running.owns_lock()) {
        body(0, rows);
        return;
    }
    {
        std::lock_guard guard(s.lock);
        s.body = &body;
        s.rows = rows;
        s.stripeRows = (rows + stripes - 1) / stripes;
        s.stripes = (rows + s.stripeRows - 1) / s.stripeRows;
        s.nextStripe = 0;
        s.open = true;
        ++s.generation;
    }
    s.wake.notify_all();
    s.takeStripes();
    // Every stripe is taken; workers still on theirs are counted in `active`. Workers that wake
    // from here on find the loop closed.
    std::unique_lock guard(s.lock);
    s.open = false;
    s.left.wait(guard, [&] { return s.active == 0; });
    s.body = nullptr;
}

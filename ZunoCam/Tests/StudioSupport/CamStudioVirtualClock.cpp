#include "CamStudioVirtualClock.h"

#include <algorithm>

namespace {

// Sums of 1/60 s steps land a hair beside the whole second.
constexpr double kEpsilon = 1e-9;

} // namespace

struct CamStudioVirtualClock::Entry {
    std::uint64_t order = 0;
    double start = 0;
    double interval = 0;
    bool repeats = false;
    std::int64_t fired = 0;
    double due = 0;
    bool done = false;
    std::function<void()> action;
};

namespace {

class VirtualTimer : public CamStudioTimer {
public:
    explicit VirtualTimer(std::weak_ptr<CamStudioVirtualClock::Entry> entry)
        : m_entry(std::move(entry))
    {
    }
    ~VirtualTimer() override { cancel(); }
    void cancel() override;

private:
    std::weak_ptr<CamStudioVirtualClock::Entry> m_entry;
};

} // namespace

CamStudioTimerHandle CamStudioVirtualClock::singleShot(double seconds, std::function<void()> action)
{
    return std::make_unique<VirtualTimer>(add(seconds, false, std::move(action)));
}

CamStudioTimerHandle CamStudioVirtualClock::repeating(double interval, std::function<void()> action)
{
    return std::make_unique<VirtualTimer>(add(interval, true, std::move(action)));
}

std::shared_ptr<CamStudioVirtualClock::Entry> CamStudioVirtualClock::add(
    double interval, bool repeats, std::function<void()> action)
{
    auto entry = std::make_shared<Entry>();
    entry->order = m_nextOrder++;
    entry->start = m_now;
    entry->interval = std::max(0.0, interval);
    entry->repeats = repeats && entry->interval > 0;
    entry->due = m_now + entry->interval;
    entry->action = std::move(action);
    m_entries.push_back(entry);
    return entry;
}

void CamStudioVirtualClock::advance(double seconds)
{
    const double target = m_now + std::max(0.0, seconds);
    for (;;) {
        std::erase_if(m_entries, [](const std::shared_ptr<Entry> &entry) { return entry->done; });
        std::shared_ptr<Entry> next;
        for (const std::shared_ptr<Entry> &entry : m_entries) {
            if (entry->due > target + kEpsilon)
                continue;
            if (!next || entry->due < next->due - kEpsilon
                || (entry->due <= next->due + kEpsilon && entry->order < next->order))
                next = entry;
        }
        if (!next)
            break;
        m_now = std::max(m_now, next->due);
        ++next->fired;
        if (next->repeats)
            next->due = next->start + static_cast<double>(next->fired + 1) * next->interval;
        else
            next->done = true;
        next->action();
    }
    m_now = target;
}

std::size_t CamStudioVirtualClock::activeTimerCount() const
{
    return static_cast<std::size_t>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const auto &entry) { return !entry->done; }));
}

void VirtualTimer::cancel()
{
    if (const auto entry = m_entry.lock())
        entry->done = true;
}

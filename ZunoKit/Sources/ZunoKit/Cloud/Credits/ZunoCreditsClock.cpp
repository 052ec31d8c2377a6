#include "ZunoCreditsClock.h"

#include <condition_variable>
#include <mutex>

namespace {

class SystemClock final : public ZunoCreditsClock {
public:
    std::chrono::steady_clock::time_point steadyNow() const override
    {
        return std::chrono::steady_clock::now();
    }
    QDateTime wallNow() const override { return QDateTime::currentDateTimeUtc(); }
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override
    {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        return !wake.wait_for(lock, stop, duration, [] { return false; }) && !stop.stop_requested();
    }
};

} // namespace

std::shared_ptr<ZunoCreditsClock> ZunoCreditsClock::system()
{
    static const std::shared_ptr<ZunoCreditsClock> clock = std::make_shared<SystemClock>();
    return clock;
}

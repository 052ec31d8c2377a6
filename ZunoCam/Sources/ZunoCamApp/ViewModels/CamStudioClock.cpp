#include "CamStudioClock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cmath>
#include <limits>

namespace {

constexpr double kTickTolerance = 0.001;

QElapsedTimer &monotonic()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return timer;
}

double monotonicSeconds()
{
    return static_cast<double>(monotonic().nsecsElapsed()) / 1e9;
}

int toMilliseconds(double seconds)
{
    const double ms = std::ceil(seconds * 1000.0);
    if (!(ms > 0))
        return 0;
    return ms >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(ms);
}

// A QTimer re-armed for every tick: QTimer takes whole milliseconds, and a 16 ms interval would run
// 1/60 s ticks 4 % fast. Deleted later, so cancelling from inside the action is safe.
class PreciseTicker : public QObject {
public:
    PreciseTicker(double interval, bool repeats, std::function<void()> action)
        : m_interval(interval)
        , m_repeats(repeats)
        , m_start(monotonicSeconds())
        , m_action(std::move(action))
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { fire(); });
        m_timer.start(repeats ? CamStudioClock::nextTickDelayMilliseconds(m_start, m_start, m_interval)
                              : toMilliseconds(interval));
    }

    void cancel()
    {
        if (m_cancelled)
            return;
        m_cancelled = true;
        m_timer.stop();
        deleteLater();
    }

private:
    void fire()
    {
        if (m_cancelled)
            return;
        if (!m_repeats) {
            m_action();
            cancel();
            return;
        }
        m_action();
        if (!m_cancelled)
            m_timer.start(CamStudioClock::nextTickDelayMilliseconds(m_start, monotonicSeconds(), m_interval));
    }

    const double m_interval;
    const bool m_repeats;
    const double m_start;
    std::function<void()> m_action;
    QTimer m_timer;
    bool m_cancelled = false;
};

class SystemTimer : public CamStudioTimer {
public:
    explicit SystemTimer(PreciseTicker *ticker)
        : m_ticker(ticker)
    {
    }
    ~SystemTimer() override { cancel(); }
    void cancel() override
    {
        if (m_ticker)
            m_ticker->cancel();
        m_ticker = nullptr;
    }

private:
    QPointer<PreciseTicker> m_ticker;
};

class SystemClock : public CamStudioClock {
public:
    double now() const override { return monotonicSeconds(); }
    CamStudioTimerHandle singleShot(double seconds, std::function<void()> action) override
    {
        return std::make_unique<SystemTimer>(new PreciseTicker(seconds, false, std::move(action)));
    }
    CamStudioTimerHandle repeating(double interval, std::function<void()> action) override
    {
        return std::make_unique<SystemTimer>(new PreciseTicker(interval, true, std::move(action)));
    }
};

} // namespace

std::unique_ptr<CamStudioClock> CamStudioClock::system()
{
    return std::make_unique<SystemClock>();
}

int CamStudioClock::nextTickDelayMilliseconds(double start, double now, double interval)
{
    if (!(interval > 0))
        return 0;
    const double elapsed = std::max(0.0, now - start);
    const double reached = std::floor((elapsed + kTickTolerance) / interval);
    const double next = start + (reached + 1) * interval;
    return toMilliseconds(next - now);
}

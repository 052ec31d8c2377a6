#include "VoiceActivityMonitorService.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

namespace {

// What the fake inputs of one monitor went through.
struct FakeInputLog {
    int created = 0;
    int started = 0;
    int stopped = 0;
    bool failStart = false;
    CamMicrophoneInput::BlockHandler handler; // of the running input
};

class FakeMicrophoneInput final : public CamMicrophoneInput {
public:
    explicit FakeMicrophoneInput(FakeInputLog &log)
        : m_log(log)
    {
        ++m_log.created;
    }
    ~FakeMicrophoneInput() override { stop(); }

    bool start(BlockHandler handler) override
    {
        ++m_log.started;
        if (m_log.failStart)
            return false;
        m_log.handler = std::move(handler);
        m_running = true;
        return true;
    }
    void stop() override
    {
        if (!m_running)
            return;
        m_running = false;
        m_log.handler = nullptr;
        ++m_log.stopped;
    }
    CamAudioFormat format() const override
    {
        return m_running ? CamAudioFormat { 2, 48000 } : CamAudioFormat {};
    }

private:
    FakeInputLog &m_log;
    bool m_running = false;
};

VoiceActivityMonitorService::InputFactory fakeFactory(FakeInputLog &log)
{
    return [&log] { return std::make_unique<FakeMicrophoneInput>(log); };
}

// Interleaved frames: channel c of frame i is channels[c](i).
std::vector<float> interleave(
    std::size_t frames, const std::vector<std::function<float(std::size_t)>> &channels)
{
    std::vector<float> samples;
    for (std::size_t i = 0; i < frames; ++i)
        for (const auto &channel : channels)
            samples.push_back(channel(i));
    return samples;
}

std::function<float(std::size_t)> constant(float value)
{
    return [value](std::size_t) { return value; };
}

std::function<float(std::size_t)> sine(double peak, double periodFrames)
{
    return [=](std::size_t i) {
        return float(peak * std::sin(2 * std::numbers::pi * double(i) / periodFrames));
    };
}

struct LevelCase {
    const char *name;
    std::size_t frames;
    std::vector<std::function<float(std::size_t)>> channels;
    double expected;
};

} // namespace

TEST(VoiceActivityMonitorLevel, Table)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<LevelCase> cases = {
        { "silence", 1024, { constant(0) }, 0.0 },
        { "half scale reads full", 1024, { constant(0.5f) }, 1.0 },
        { "negative half scale reads full", 1024, { constant(-0.5f) }, 1.0 },
        { "over full scale clamps", 1024, { constant(3.0f) }, 1.0 },
        { "small sine", 1024, { sine(0.02, 64) }, 2.5 * 0.02 / std::numbers::sqrt2 },
        { "default threshold RMS", 1000, { constant(0.018f) }, 0.045 },
        { "odd block length", 7, { constant(0.1f) }, 0.25 },
        { "loud second channel ignored", 1024, { constant(0), constant(0.9f) }, 0.0 },
        { "first of four channels", 480, { constant(0.2f), constant(-1), constant(1), constant(0.7f) }, 0.5 },
        { "NaN sample reads silent", 4, { [nan](std::size_t i) { return i == 2 ? float(nan) : 0.1f; } },
            0.0 },
    };
    for (const LevelCase &c : cases) {
        const std::vector<float> samples = interleave(c.frames, c.channels);
        EXPECT_NEAR(VoiceActivityMonitorService::level(samples.data(), c.frames, int(c.channels.size())),
            c.expected, 1e-6)
            << c.name;
    }
}

TEST(VoiceActivityMonitorService, StartIsIdempotentAndEachStartMakesAFreshInput)
{
    FakeInputLog log;
    VoiceActivityMonitorService monitor(fakeFactory(log));
    EXPECT_FALSE(monitor.isMonitoring());

    monitor.start();
    monitor.start();
    EXPECT_TRUE(monitor.isMonitoring());
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.started, 1);

    monitor.stop();
    EXPECT_FALSE(monitor.isMonitoring());
    EXPECT_EQ(log.stopped, 1);
    monitor.stop();
    EXPECT_EQ(log.stopped, 1);

    monitor.start();
    EXPECT_TRUE(monitor.isMonitoring());
    EXPECT_EQ(log.created, 2);
    EXPECT_EQ(log.started, 2);
}

TEST(VoiceActivityMonitorService, StopWithoutStartDoesNothing)
{
    FakeInputLog log;
    VoiceActivityMonitorService monitor(fakeFactory(log));
    monitor.stop();
    EXPECT_FALSE(monitor.isMonitoring());
    EXPECT_EQ(log.created, 0);
}

TEST(VoiceActivityMonitorService, InputThatCannotStartLeavesTheMonitorOff)
{
    FakeInputLog log;
    log.failStart = true;
    int calls = 0;
    VoiceActivityMonitorService monitor(fakeFactory(log));
    monitor.setOnRMSLevel([&calls](double) { ++calls; });
    monitor.start();
    EXPECT_FALSE(monitor.isMonitoring());
    EXPECT_EQ(log.started, 1);
    EXPECT_FALSE(log.handler);
    EXPECT_EQ(calls, 0);

    // A later start tries again with a new input.
    log.failStart = false;
    monitor.start();
    EXPECT_TRUE(monitor.isMonitoring());
    EXPECT_EQ(log.created, 2);
}

TEST(VoiceActivityMonitorService, ReportsOneUnsmoothedLevelPerBlock)
{
    FakeInputLog log;
    std::vector<double> levels;
    VoiceActivityMonitorService monitor(fakeFactory(log));
    monitor.setOnRMSLevel([&levels](double level) { levels.push_back(level); });
    monitor.start();
    ASSERT_TRUE(log.handler);

    const std::vector<float> loudRight = interleave(1024, { constant(0), constant(0.9f) });
    const std::vector<float> quiet = interleave(512, { constant(0.04f), constant(0) });
    const std::vector<float> loud = interleave(2048, { constant(-0.5f), constant(0) });
    log.handler(loudRight.data(), 1024, 2);
    log.handler(quiet.data(), 512, 2);
    log.handler(loud.data(), 2048, 2);
    // Blocks without data or frames are skipped.
    log.handler(nullptr, 1024, 2);
    log.handler(loud.data(), 0, 2);

    ASSERT_EQ(levels.size(), 3u);
    EXPECT_DOUBLE_EQ(levels[0], 0.0);
    EXPECT_NEAR(levels[1], 0.1, 1e-6);
    EXPECT_DOUBLE_EQ(levels[2], 1.0);
}

TEST(VoiceActivityMonitorService, RunsWithoutAHandler)
{
    FakeInputLog log;
    VoiceActivityMonitorService monitor(fakeFactory(log));
    EXPECT_FALSE(monitor.onRMSLevel());
    monitor.start();
    const std::vector<float> block(1024, 0.3f);
    log.handler(block.data(), 1024, 1);
    EXPECT_TRUE(monitor.isMonitoring());
}

TEST(VoiceActivityMonitorService, DestroyingTheMonitorStopsItsInput)
{
    FakeInputLog log;
    {
        VoiceActivityMonitorService monitor(fakeFactory(log));
        monitor.setOnRMSLevel([](double) {});
        monitor.start();
        ASSERT_TRUE(log.handler);
    }
    EXPECT_EQ(log.stopped, 1);
    EXPECT_FALSE(log.handler);
}

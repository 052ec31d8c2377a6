// The microphone against a real PulseAudio server (the test session starts one with a null sink).
// Each test loads its own source module, points only this process at it through PULSE_SOURCE and
// unloads it afterwards, so the server's default source is never changed.
#include "CamPulseMicrophoneInput.h"
#include "VoiceActivityMonitorService.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// Readable failures when formats differ.
void PrintTo(const CamAudioFormat &format, std::ostream *os)
{
    *os << format.channelCount << " ch " << format.sampleRate << " Hz";
}

namespace {

using namespace std::chrono_literals;

constexpr auto kWaitLimit = 10s;

std::optional<QString> pactl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_old;
};

// A source module loaded for one test.
class LoadedSource {
public:
    LoadedSource(const QString &module, const QStringList &arguments)
    {
        static std::atomic<int> counter { 0 };
        m_name
            = QStringLiteral("zuno_voice_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter++);
        if (auto index = pactl(QStringList { "load-module", module, "source_name=" + m_name } + arguments))
            m_index = *index;
    }
    ~LoadedSource()
    {
        if (!m_index.isEmpty())
            pactl({ "unload-module", m_index });
    }
    bool loaded() const { return !m_index.isEmpty(); }
    QString name() const { return m_name; }

private:
    QString m_name;
    QString m_index;
};

// Writes interleaved float frames into a pipe source's FIFO on its own thread.
class FifoWriter {
public:
    FifoWriter(const QString &path, std::vector<float> samples)
        : m_samples(std::move(samples))
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0)
            m_thread = std::thread([this] { run(); });
    }
    ~FifoWriter()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool opened() const { return m_fd >= 0; }

private:
    void run()
    {
        const char *data = reinterpret_cast<const char *>(m_samples.data());
        std::size_t left = m_samples.size() * sizeof(float);
        while (left > 0 && !m_stop) {
            const ssize_t written = ::write(m_fd, data, left);
            if (written > 0) {
                data += written;
                left -= std::size_t(written);
            } else if (written < 0 && errno == EAGAIN) {
                pollfd p { m_fd, POLLOUT, 0 };
                ::poll(&p, 1, 100);
            } else if (written < 0 && errno != EINTR) {
                return;
            }
        }
    }

    std::vector<float> m_samples;
    int m_fd = -1;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

// Collects levels from the audio thread and lets the test wait for them.
class LevelRecorder {
public:
    VoiceActivityMonitorService::RMSLevelHandler handler()
    {
        return [this](double level) {
            std::lock_guard lock(m_mutex);
            m_levels.push_back(level);
            if (std::this_thread::get_id() == m_testThread)
                m_onTestThread = true;
            if (m_stopped)
                ++m_lateCalls;
            m_changed.notify_all();
        };
    }
    bool waitFor(const std::function<bool(const std::vector<double> &)> &done)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kWaitLimit, [&] { return done(m_levels); });
    }
    void markStopped()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_countAtStop = m_levels.size();
    }
    std::vector<double> levels() const
    {
        std::lock_guard lock(m_mutex);
        return m_levels;
    }
    std::size_t countAtStop() const { return m_countAtStop; }
    int lateCalls() const { return m_lateCalls; }
    bool calledOnTestThread() const { return m_onTestThread; }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<double> m_levels;
    std::thread::id m_testThread = std::this_thread::get_id();
    bool m_onTestThread = false;
    bool m_stopped = false;
    std::size_t m_countAtStop = 0;
    int m_lateCalls = 0;
};

std::size_t countNear(const std::vector<double> &levels, double expected, double tolerance)
{
    return std::size_t(std::count_if(
        levels.begin(), levels.end(), [&](double l) { return std::abs(l - expected) <= tolerance; }));
}

class CamPulseMicrophoneInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!pactl({ "info" }))
            GTEST_SKIP() << "no PulseAudio server reachable with pactl (scripts/test-session.sh starts one)";
    }
};

// Stereo at an unusual rate: channel 0 a quiet sine of whole periods per block, channel 1 loud.
constexpr int kPipeRate = 32000;
constexpr double kQuietPeak = 0.02;

std::vector<float> stereoSignal(double seconds)
{
    std::vector<float> samples;
    const int frames = int(seconds * kPipeRate);
    for (int i = 0; i < frames; ++i) {
        samples.push_back(float(kQuietPeak * std::sin(2 * std::numbers::pi * i / 32.0)));
        samples.push_back(float(0.9 * std::sin(2 * std::numbers::pi * i / 80.0)));
    }
    return samples;
}

} // namespace

TEST(CamPulseMicrophoneInputNoServer, StartFailsQuietlyAndTheMonitorStaysOff)
{
    ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/zuno-no-pulse/native");
    CamPulseMicrophoneInput input;
    EXPECT_FALSE(input.start([](const float *, std::size_t, int) {}));
    EXPECT_EQ(input.format(), CamAudioFormat {});
    input.stop();

    std::atomic<int> calls { 0 };
    VoiceActivityMonitorService monitor;
    monitor.setOnRMSLevel([&calls](double) { ++calls; });
    monitor.start();
    EXPECT_FALSE(monitor.isMonitoring());
    monitor.stop();
    EXPECT_EQ(calls, 0);
}

TEST_F(CamPulseMicrophoneInputTest, MissingSourceLeavesTheMonitorOff)
{
    ScopedEnv source("PULSE_SOURCE", "zuno_voice_test_no_such_source");
    std::atomic<int> calls { 0 };
    VoiceActivityMonitorService monitor;
    monitor.setOnRMSLevel([&calls](double) { ++calls; });
    monitor.start();
    EXPECT_FALSE(monitor.isMonitoring());
    EXPECT_EQ(calls, 0);
}

TEST_F(CamPulseMicrophoneInputTest, SineSourceAtItsOwnFormat)
{
    LoadedSource sine("module-sine-source", { "rate=22050", "frequency=440" });
    if (!sine.loaded())
        GTEST_SKIP() << "the server cannot load module-sine-source";
    ScopedEnv source("PULSE_SOURCE", sine.name().toUtf8());

    CamPulseMicrophoneInput input;
    std::atomic<std::size_t> blocks { 0 };
    std::atomic<std::size_t> badBlocks { 0 };
    ASSERT_TRUE(input.start([&](const float *, std::size_t frames, int channels) {
        ++blocks;
        if (frames != CamPulseMicrophoneInput::kBlockFrames || channels != 1)
            ++badBlocks;
    }));
    EXPECT_EQ(input.format(), (CamAudioFormat { 1, 22050 }));
    input.stop();
    EXPECT_EQ(input.format(), CamAudioFormat {});
    EXPECT_EQ(badBlocks, 0u);

    // The generator's peak is 0.5: RMS 0.354, level 0.884 (a block is not a whole number of periods).
    LevelRecorder recorder;
    VoiceActivityMonitorService monitor;
    monitor.setOnRMSLevel(recorder.handler());
    monitor.start();
    ASSERT_TRUE(monitor.isMonitoring());
    EXPECT_TRUE(recorder.waitFor([](const auto &levels) { return levels.size() >= 5; }));
    monitor.stop();
    for (double level : recorder.levels())
        EXPECT_NEAR(level, 2.5 * 0.5 / std::numbers::sqrt2, 0.03);
    EXPECT_FALSE(recorder.calledOnTestThread());
}

TEST_F(CamPulseMicrophoneInputTest, RealStreamLevelsFollowChannelZeroAndStopAfterStop)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("source.fifo"));
    LoadedSource pipe("module-pipe-source",
        { "file=" + fifo, "format=float32le", QStringLiteral("rate=%1").arg(kPipeRate), "channels=2" });
    if (!pipe.loaded())
        GTEST_SKIP() << "the server cannot load module-pipe-source";
    ScopedEnv source("PULSE_SOURCE", pipe.name().toUtf8());

    {
        CamPulseMicrophoneInput input;
        ASSERT_TRUE(input.start([](const float *, std::size_t, int) {}));
        EXPECT_EQ(input.format(), (CamAudioFormat { 2, double(kPipeRate) }));
    }

    const double expected = 2.5 * kQuietPeak / std::numbers::sqrt2;
    const double tolerance = 1e-4;
    LevelRecorder recorder;
    VoiceActivityMonitorService monitor;
    monitor.setOnRMSLevel(recorder.handler());
    monitor.start();
    ASSERT_TRUE(monitor.isMonitoring());
    {
        FifoWriter writer(fifo, stereoSignal(1.0));
        ASSERT_TRUE(writer.opened());
        EXPECT_TRUE(recorder.waitFor(
            [&](const auto &levels) { return countNear(levels, expected, tolerance) >= 10; }));
    }
    monitor.stop();
    recorder.markStopped();
    EXPECT_FALSE(monitor.isMonitoring());

    // Only channel 0 counts: a block may start or end in the pipe's silence but never reads above it.
    for (double level : recorder.levels())
        EXPECT_LE(level, expected + tolerance);
    EXPECT_FALSE(recorder.calledOnTestThread());

    // Data still flows after stop(): a second monitor hears it while the first stays silent.
    LevelRecorder second;
    VoiceActivityMonitorService other;
    other.setOnRMSLevel(second.handler());
    other.start();
    ASSERT_TRUE(other.isMonitoring());
    FifoWriter writer(fifo, stereoSignal(0.5));
    EXPECT_TRUE(
        second.waitFor([&](const auto &levels) { return countNear(levels, expected, tolerance) >= 3; }));
    other.stop();
    EXPECT_EQ(recorder.lateCalls(), 0);
    EXPECT_EQ(recorder.levels().size(), recorder.countAtStop());
}

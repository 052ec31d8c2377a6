// End to end with the real services, through StudioDemo, which starts and quits as the studio does: a
// recording ended by SIGTERM is finished into a playable MP4 before the process exits, a document that
// cannot be saved (a file-size limit, a folder that cannot be made) is said at the quit, a recording
// that failed or was cut short ends the run with a failure, and a remote on 127.0.0.1 only announces
// that address.
#include "CameraVideoRecorder.h"
#include "RecorderTestSupport.h"
#include "RemoteTestClient.h"
#include "ZunoCamStartup.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace {

QString studioDemo()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("StudioDemo"));
}

// StudioDemo on the offscreen platform with its home, data, cache and temporary folders in `home`.
void prepare(QProcess &demo, const QTemporaryDir &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral(".cache")));
    environment.insert(QStringLiteral("TMPDIR"), home.path());
    demo.setProcessEnvironment(environment);
}

// Reads standard output until `text` shows up; false when the demo ends or goes quiet first.
bool readUntil(QProcess &demo, QByteArray &output, const QByteArray &text)
{
    while (!output.contains(text)) {
        if (!demo.waitForReadyRead(30000))
            return false;
        output += demo.readAllStandardOutput();
    }
    return true;
}

// Starts StudioDemo with its remote on 127.0.0.1 only and reads its output up to the address line;
// the port, or 0 when it did not get there (`output` then holds what it said).
quint16 startLoopbackRemote(QProcess &demo, const QTemporaryDir &home, QByteArray &output)
{
    prepare(demo, home);
    const quint16 port = freeLoopbackPort();
    demo.start(
        studioDemo(), { QStringLiteral("--remote"), QString::number(port), QStringLiteral("--loopback") });
    if (!demo.waitForStarted(20000) || !readUntil(demo, output, "address: "))
        return 0;
    return port;
}

// The demo ended by itself, with the unsaved document's exit code and a line that says so.
void expectUnsavedQuit(QProcess &demo)
{
    const QByteArray errors = demo.readAllStandardError();
    ASSERT_EQ(demo.exitStatus(), QProcess::NormalExit) << errors.toStdString();
    EXPECT_EQ(demo.exitCode(), ZunoCamStartup::kUnsavedExitCode) << errors.toStdString();
    EXPECT_TRUE(errors.contains("StudioDemo: quitting with unsaved changes: Studio document not saved"))
        << errors.toStdString();
}

} // namespace

TEST(StudioQuitEndToEndTest, SigtermDuringARecordingFinishesTheFile)
{
    const QString videos = CameraVideoRecorder::defaultOutputDirectory();
    QDir(videos).removeRecursively();

    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    demo.start(studioDemo(),
        { QStringLiteral("--camera"), QStringLiteral("pattern"), QStringLiteral("--record"),
            QStringLiteral("0") });
    ASSERT_TRUE(demo.waitForStarted(20000));

    QByteArray output;
    while (!output.contains("recorded 3 s")) {
        ASSERT_TRUE(demo.waitForReadyRead(30000)) << output.toStdString();
        output += demo.readAllStandardOutput();
    }
    ASSERT_EQ(::kill(static_cast<pid_t>(demo.processId()), SIGTERM), 0);
    ASSERT_TRUE(demo.waitForFinished(60000));
    output += demo.readAllStandardOutput();
    EXPECT_EQ(demo.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(demo.exitCode(), 0);
    EXPECT_TRUE(output.contains("Finishing the recording before quitting")) << output.toStdString();

    const QStringList files = QDir(videos).entryList({ QStringLiteral("*.mp4") }, QDir::Files, QDir::Time);
    ASSERT_EQ(files.size(), 1) << output.toStdString();
    const RecorderProbe probe = probeRecording(QDir(videos).filePath(files.first()), 0, 0);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.codecName, QStringLiteral("h264"));
    EXPECT_EQ(probe.width, 1280);
    EXPECT_EQ(probe.height, 720);
    EXPECT_GE(probe.durationSeconds, 2.5);
    EXPECT_LE(probe.durationSeconds, 6.0);
}

TEST(StudioQuitEndToEndTest, UnderAFileSizeLimitTheSavesFailAndTheQuitSaysSo)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess demo;
    prepare(demo, home);
    demo.setChildProcessModifier([] {
        // The default action, whatever this test does with the signal: the demo must ignore it itself.
        std::signal(SIGXFSZ, SIG_DFL);
        // Room for a few log lines, not for the document.
        const rlimit limit { 2048, 2048 };
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    demo.start(studioDemo(), { QStringLiteral("--persist"), QStringLiteral("3") });
    ASSERT_TRUE(demo.waitForFinished(60000));
    expectUnsavedQuit(demo);
    EXPECT_TRUE(demo.readAllStandardOutput().contains("persist: 3 saves"));

    // Every log line is whole: the write that reached the limit was cut back, not left torn.
    QDirIterator logs(
        home.path(), { QStringLiteral("*.log") }, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int found = 0;
    while (logs.hasNext()) {
        QFile log(logs.next());
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QByteArray content = log.readAll();
        EXPECT_TRUE(content.isEmpty() || content.endsWith('\n')) << log.fileName().toStdString();
        ++found;
    }
    EXPECT_GT(found, 0);
}

TEST(StudioQuitEndToEndTest, SigtermWithAFailedSaveSaysTheDocumentIsUnsaved)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // A file where the document's folder belongs: every save fails.
    const QString documentFolder = home.filePath(QStringLiteral(".local/share/ZunoCam"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(documentFolder).path()));
    QFile blocker(documentFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QProcess demo;
    QByteArray output;
    const quint16 port = startLoopbackRemote(demo, home, output);
    ASSERT_NE(port, 0) << output.toStdString();

    // A change from the phone: saved at once, and the save fails.
    const QByteArray body = R"({"command":"font_up","delta":4})";
    const HttpAnswer answer = exchange(port,
        "POST /api/command HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\nContent-Length: "
            + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    ASSERT_EQ(answer.status, 200) << answer.head.toStdString();
    ASSERT_TRUE(readUntil(demo, output, "Could not save your scripts and settings")) << output.toStdString();

    ASSERT_EQ(::kill(static_cast<pid_t>(demo.processId()), SIGTERM), 0);
    ASSERT_TRUE(demo.waitForFinished(30000));
    expectUnsavedQuit(demo);
}

// Under a file-size limit the recording cannot be what was asked, while the document and the logs
// still fit: nothing recorded (64 KiB), or a file the recorder stopped at the limit (2 MiB). The toast
// says so, and so must the exit status.
TEST(StudioQuitEndToEndTest, ARecordingThatFailedOrWasCutShortEndsTheRunWithAFailure)
{
    for (const rlim_t bytes : { rlim_t(64 * 1024), rlim_t(2 * 1024 * 1024) }) {
        SCOPED_TRACE(bytes);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        QProcess demo;
        prepare(demo, home);
        demo.setChildProcessModifier([bytes] {
            std::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit { bytes, bytes };
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        demo.start(studioDemo(),
            { QStringLiteral("--camera"), QStringLiteral("pattern"), QStringLiteral("--record"),
                QStringLiteral("20") });
        ASSERT_TRUE(demo.waitForFinished(60000));
        const QByteArray output = demo.readAllStandardOutput();
        const QByteArray errors = demo.readAllStandardError();
        const std::string both = output.toStdString() + errors.toStdString();
        ASSERT_EQ(demo.exitStatus(), QProcess::NormalExit) << both;
        EXPECT_TRUE(output.contains("[error]")) << both;
        EXPECT_EQ(demo.exitCode(), 1) << both;
        EXPECT_TRUE(errors.contains("StudioDemo: the recording")) << both;
        EXPECT_FALSE(errors.contains("unsaved changes")) << "the failure is the recording's: " << both;
    }
}

// With --loopback the remote listens on 127.0.0.1 alone: every address the run announces (toast,
// remote and address lines) is that one, never the LAN address a phone could not reach.
TEST(StudioQuitEndToEndTest, ALoopbackRemoteAnnouncesTheAddressItServes)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess demo;
    QByteArray output;
    const quint16 port = startLoopbackRemote(demo, home, output);
    ASSERT_NE(port, 0) << output.toStdString();
    // Served there.
    ASSERT_EQ(exchange(port, "GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n").status, 200);
    ASSERT_EQ(::kill(static_cast<pid_t>(demo.processId()), SIGTERM), 0);
    ASSERT_TRUE(demo.waitForFinished(30000));
    output += demo.readAllStandardOutput();
    EXPECT_EQ(demo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();

    const QByteArray served = "http://127.0.0.1:" + QByteArray::number(port);
    int announced = 0;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.contains("http://"))
            continue;
        ++announced;
        EXPECT_TRUE(line.endsWith(served)) << line.toStdString();
    }
    EXPECT_TRUE(output.contains("toast: LAN Remote active: " + served)) << output.toStdString();
    EXPECT_TRUE(output.contains("remote: running " + served)) << output.toStdString();
    EXPECT_TRUE(output.contains("address: " + served)) << output.toStdString();
    EXPECT_GE(announced, 3);
}

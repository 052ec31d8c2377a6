// End to end with the real services: a recording on the virtual camera, ended by SIGTERM, is finished
// into a playable MP4 before the process exits.
#include "CameraVideoRecorder.h"
#include "RecorderTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>

TEST(StudioQuitEndToEndTest, SigtermDuringARecordingFinishesTheFile)
{
    const QString videos = CameraVideoRecorder::defaultOutputDirectory();
    QDir(videos).removeRecursively();

    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    demo.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("StudioDemo")),
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

// End to end with the real services on the pattern camera: the camera tab starts the camera, shows the
// live picture and records an MP4 into the videos folder.
#include "CamStudioServices.h"
#include "CamStudioViewModel.h"
#include "CameraPreviewBox.h"
#include "CameraRecordingActionButtons.h"
#include "CameraStudioView.h"
#include "CameraVideoRecorder.h"
#include "RecorderTestSupport.h"
#include "ZunoButton.h"

#include <QAbstractButton>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

TEST(CameraTabEndToEndTest, PatternCameraShowsLiveAndRecordsAnMP4)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // This process only: the studio's document, logs and videos go to the temporary home.
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral(".local/share")).toUtf8());
    qputenv("ZUNOCAM_VIRTUAL_CAMERA", "pattern");
    const QString videos = CameraVideoRecorder::defaultOutputDirectory();
    ASSERT_TRUE(videos.startsWith(home.path())) << videos.toStdString();
    ASSERT_EQ(QDir(videos).dirName(), QStringLiteral("ZunoCam"));

    {
        CamStudioViewModel viewModel(CamStudioServices::standard());
        CameraStudioView view(viewModel, QColor(255, 111, 97));
        view.resize(1100, 760);
        view.show();
        view.cameraButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.previewBox()->isLive(); }, 30000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.previewBox()->paintedFrames() > 0; }, 30000));

        QAbstractButton *record = view.recordingButtons()->recordButton();
        record->click();
        ASSERT_TRUE(viewModel.isRecordingVideo());
        ASSERT_TRUE(QTest::qWaitFor([&] { return viewModel.recordingDurationSeconds() >= 3.0; }, 60000));
        record->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !viewModel.isRecordingVideo(); }, 60000));
        view.cameraButton()->click();
    }

    const QStringList files = QDir(videos).entryList({ QStringLiteral("ZunoCam-*.mp4") }, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const RecorderProbe probe = probeRecording(QDir(videos).filePath(files.first()), 0, 0);
    ASSERT_TRUE(probe.opened);
    EXPECT_GE(probe.durationSeconds, 2.5);
}

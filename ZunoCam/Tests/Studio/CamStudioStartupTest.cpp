// Start-up of the studio view model: the order of its steps, what it reads, and its first state.
#include "StudioTestFixture.h"

#include "CamStudioTab.h"
#include "FakeStudioRecorder.h"
#include "VoiceActivityMonitorService.h"

#include <QFileInfo>

TEST_F(StudioTest, StartupRunsItsStepsInOrderAndReadsTheDocumentOnce)
{
    start();
    const QStringList calls = fakes.log->calls();
    const QStringList expected { QStringLiteral("store.load"), QStringLiteral("devices.list"),
        QStringLiteral("camera.updateAdjustments"), QStringLiteral("camera.attachRecorder"),
        QStringLiteral("camera.setOnFrame"), QStringLiteral("recorder.setOnStatusChange") };
    EXPECT_EQ(calls, expected) << "nothing starts during start-up";
    EXPECT_EQ(fakes.store->loads(), 1);
    EXPECT_EQ(fakes.camera->recorder().get(), static_cast<CamStudioRecorder *>(fakes.recorder));
    EXPECT_TRUE(fakes.voiceMonitor->onRMSLevel()) << "voice callback installed before anything starts";
    EXPECT_FALSE(fakes.voiceMonitor->isMonitoring());
    EXPECT_FALSE(fakes.camera->isRunning());
}

TEST_F(StudioTest, StartupWithoutCameraLogsTheLifecycleLineAndSelectsNoCamera)
{
    start(0);
    EXPECT_TRUE(vm->availableCameras().isEmpty());
    EXPECT_FALSE(vm->selectedCameraID().has_value());
    EXPECT_EQ(messages(QStringLiteral("lifecycle")).last(),
        QStringLiteral("ZunoCam studio initialized (scripts=2, cameras=0, portrait=off)"));
}

TEST_F(StudioTest, StartupSelectsTheFirstCameraAndScriptAndStartsIdle)
{
    CamPersistedPayload document;
    document.camera.portraitBackgroundMode = PortraitBackgroundMode::strongBlur;
    document.teleprompter.wordsPerMinute = 160;
    document.overlayMode = PresentationOverlayMode::arrowTool;
    writeDocument(document);
    start(2);

    EXPECT_EQ(vm->availableCameras().size(), 2);
    EXPECT_EQ(vm->selectedCameraID(), QStringLiteral("cam-1"));
    EXPECT_EQ(vm->selectedScriptID(), vm->scripts().front().id);
    EXPECT_EQ(vm->teleprompter().wordsPerMinute, 160);
    EXPECT_EQ(vm->overlayMode(), PresentationOverlayMode::arrowTool);
    EXPECT_EQ(fakes.camera->adjustments(), document.camera) << "the stored adjustments reach the camera";
    EXPECT_EQ(vm->selectedTab(), CamStudioTab::teleprompter);
    EXPECT_FALSE(vm->isTeleprompterVisible());
    EXPECT_FALSE(vm->isCameraRunning());
    EXPECT_TRUE(vm->latestCameraFrame().isNull());
    EXPECT_FALSE(vm->toastMessage().has_value());
    EXPECT_EQ(messages(QStringLiteral("lifecycle")).last(),
        QStringLiteral("ZunoCam studio initialized (scripts=2, cameras=2, portrait=strongBlur)"));
}

TEST_F(StudioTest, StoredEmptyScriptListGivesTheSamplesAndLeavesTheFileAlone)
{
    CamPersistedPayload document;
    document.scripts.clear();
    writeDocument(document);
    const QString file = QDir(documentFolder()).filePath(QStringLiteral("zunocam-store.json"));
    QFile before(file);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();

    start();
    ASSERT_EQ(vm->scripts().size(), 2u);
    EXPECT_EQ(vm->scripts(), TeleprompterScript::sampleScripts());
    EXPECT_EQ(vm->selectedScriptID(), TeleprompterScript::sampleScripts().front().id);
    flush();
    EXPECT_EQ(fakes.store->saves(), 0);
    QFile after(file);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST_F(StudioTest, StoredPortIsBoundedForTheShownAddressOnly)
{
    struct Case {
        qint64 port;
        QString suffix;
    };
    for (const Case &c : { Case { 80, QStringLiteral(":1024") }, Case { 70000, QStringLiteral(":65535") },
             Case { 8791, QStringLiteral(":8791") }, Case { -1, QStringLiteral(":1024") } }) {
        CamPersistedPayload document;
        document.teleprompter.remoteControlPort = c.port;
        writeDocument(document);
        fakes = {};
        start();
        EXPECT_TRUE(vm->remoteServerURL().startsWith(QStringLiteral("http://")))
            << vm->remoteServerURL().toStdString();
        EXPECT_TRUE(vm->remoteServerURL().endsWith(c.suffix))
            << c.port << " " << vm->remoteServerURL().toStdString();
        EXPECT_EQ(vm->teleprompter().remoteControlPort, c.port) << "the setting itself is kept";
        vm.reset();
    }
}

TEST(CamStudioTabTest, RawValuesRoundTripAndNothingElseIsATab)
{
    const QStringList raws { QStringLiteral("teleprompter"), QStringLiteral("camera"),
        QStringLiteral("presenter"), QStringLiteral("settings") };
    ASSERT_EQ(CamStudioTabs::allCases().size(), 4u);
    for (std::size_t index = 0; index < 4; ++index) {
        const CamStudioTab tab = CamStudioTabs::allCases()[index];
        EXPECT_EQ(rawValue(tab), raws[static_cast<qsizetype>(index)]);
        EXPECT_EQ(CamStudioTabs::fromRawValue(raws[static_cast<qsizetype>(index)]), tab);
    }
    for (const QString &raw : { QStringLiteral("Camera"), QStringLiteral(""), QStringLiteral(" settings"),
             QStringLiteral("presentation") })
        EXPECT_FALSE(CamStudioTabs::fromRawValue(raw).has_value()) << raw.toStdString();
}

TEST(CamStudioActiveScriptIndexTest, FollowsTheSelectionWithAFallbackToTheFirst)
{
    const auto now = QDateTime::currentDateTimeUtc();
    const std::vector<TeleprompterScript> three { { QUuid::createUuid(), "A", "a", now },
        { QUuid::createUuid(), "B", "b", now }, { QUuid::createUuid(), "C", "c", now } };
    struct Case {
        const char *name;
        std::vector<TeleprompterScript> scripts;
        std::optional<QUuid> selected;
        std::optional<std::size_t> expected;
    };
    const Case cases[] {
        { "match", three, three[2].id, 2 },
        { "no selection", three, std::nullopt, 0 },
        { "unknown id", three, QUuid::createUuid(), 0 },
        { "empty list", {}, three[0].id, std::nullopt },
        { "empty list, no selection", {}, std::nullopt, std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(CamStudioViewModel::activeScriptIndex(c.scripts, c.selected), c.expected) << c.name;
}

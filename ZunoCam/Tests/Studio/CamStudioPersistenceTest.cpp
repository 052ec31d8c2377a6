// Saving the studio document: what writes, how often, and what a failing disk shows.
#include "StudioTestFixture.h"

#include <QSignalSpy>

#include <cmath>

TEST_F(StudioTest, SelectionsWriteNothingAndEachUserChangeWritesOnce)
{
    start(2);
    vm->setSelectedTab(CamStudioTab::camera);
    vm->setSelectedCameraID(QStringLiteral("cam-2"));
    vm->setSelectedScriptID(vm->scripts().back().id);
    flush();
    EXPECT_EQ(fakes.store->saves(), 0);

    struct Step {
        const char *name;
        std::function<void()> run;
    };
    const Step steps[] {
        { "new script", [&] { vm->createNewScript(); } },
        { "edit script", [&] { vm->updateActiveScript(QStringLiteral("Edited"), std::nullopt); } },
        { "delete script", [&] { vm->deleteScript(vm->scripts().back()); } },
        { "nudge", [&] { vm->nudgePrompterWPM(10); } },
        { "apply settings", [&] { vm->applyTeleprompterSettings(); } },
    };
    int expected = 0;
    for (const Step &step : steps) {
        step.run();
        flush();
        EXPECT_EQ(fakes.store->saves(), ++expected) << step.name;
    }
    const CamPersistedPayload stored = CamScriptStore(documentFolder()).load();
    ASSERT_EQ(stored.scripts.size(), vm->scripts().size());
    for (std::size_t index = 0; index < stored.scripts.size(); ++index) {
        EXPECT_EQ(stored.scripts[index].id, vm->scripts()[index].id);
        EXPECT_EQ(stored.scripts[index].title, vm->scripts()[index].title);
    }
    EXPECT_EQ(stored.teleprompter.wordsPerMinute, 145);
    EXPECT_EQ(stored.scripts.front().title, QStringLiteral("Edited"));
}

TEST_F(StudioTest, RapidChangesAlwaysLeaveTheLastStateOnDisk)
{
    start();
    for (int step = 0; step < 100; ++step)
        vm->nudgePrompterWPM(1);
    flush();
    EXPECT_GE(fakes.store->saves(), 1);
    EXPECT_LE(fakes.store->saves(), 100);
    EXPECT_EQ(CamScriptStore(documentFolder()).load().teleprompter.wordsPerMinute, 235);
}

TEST_F(StudioTest, FailingSavesLogEveryFailureAndToastOncePerRun)
{
    // A file where the document's folder should be: no save can succeed.
    QFile blocker(documentFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    start();
    QSignalSpy toasts(vm.get(), &CamStudioViewModel::toastChanged);

    for (int step = 0; step < 3; ++step) {
        vm->nudgePrompterWPM(1);
        flush();
    }
    const QStringList errors = messages(QStringLiteral("lifecycle"), ZunoLogLevel::error);
    ASSERT_EQ(errors.size(), 3);
    for (const QString &line : errors)
        EXPECT_TRUE(line.startsWith(QStringLiteral("Studio document not saved"))) << line.toStdString();
    ASSERT_EQ(toasts.count(), 1);
    ASSERT_TRUE(vm->toastMessage().has_value());
    EXPECT_EQ(
        *vm->toastMessage(), QStringLiteral("Could not save your scripts and settings: ") + errors.first());
    EXPECT_TRUE(vm->toastIsError());

    // A save that succeeds ends the run; the next failure is shown again.
    clock().advance(CamStudioViewModel::kToastSeconds);
    EXPECT_FALSE(vm->toastMessage().has_value());
    ASSERT_TRUE(QFile::remove(documentFolder()));
    vm->nudgePrompterWPM(1);
    flush();
    EXPECT_FALSE(vm->toastMessage().has_value());
    const QString document = QDir(documentFolder()).filePath(QStringLiteral("zunocam-store.json"));
    ASSERT_TRUE(QFile::remove(document));
    ASSERT_TRUE(QDir().mkpath(document)) << "a folder in the document's place";
    vm->nudgePrompterWPM(1);
    flush();
    ASSERT_TRUE(vm->toastMessage().has_value());
    EXPECT_TRUE(vm->toastMessage()->startsWith(QStringLiteral("Could not save your scripts and settings: ")));
}

TEST_F(StudioTest, SaveFailureToastSpeaksTheStudioLanguage)
{
    QFile blocker(documentFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    start();
    vm->setLanguage(ZunoLanguage::tr);
    vm->createNewScript();
    flush();
    ASSERT_TRUE(vm->toastMessage().has_value());
    EXPECT_TRUE(vm->toastMessage()->startsWith(QStringLiteral("Senaryolar ve ayarlar kaydedilemedi: ")));
}

TEST_F(StudioTest, LanguageFollowsTheChangeNotification)
{
    start();
    QSignalSpy changes(vm.get(), &CamStudioViewModel::languageChanged);
    const ZunoLanguage other = vm->language() == ZunoLanguage::tr ? ZunoLanguage::en : ZunoLanguage::tr;
    ZunoNotificationCenter::shared().post(
        QString::fromLatin1(ZunoLanguages::kLanguageDidChangeNotification), QVariant::fromValue(other));
    EXPECT_EQ(vm->language(), other);
    EXPECT_EQ(changes.count(), 1);
    ZunoNotificationCenter::shared().post(
        QString::fromLatin1(ZunoLanguages::kLanguageDidChangeNotification), QVariant::fromValue(other));
    EXPECT_EQ(changes.count(), 1) << "no signal without a change";
}

namespace {

// A file where the document's folder should be: no save can succeed until it goes.
void blockFolder(const QString &folder)
{
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
}

} // namespace

TEST_F(StudioTest, FailedSaveStaysPendingAndIsRetriedWithBackoff)
{
    blockFolder(documentFolder());
    start();
    const int wpm = vm->teleprompter().wordsPerMinute;
    vm->nudgePrompterWPM(20);
    flush();
    ASSERT_EQ(fakes.store->saves(), 1);
    ASSERT_TRUE(vm->toastIsError());

    // Still failing: tried again after 1, 2, 4 ... seconds, never more often than every 30.
    const double waits[] = { 1, 2, 4, 8, 16, 30, 30 };
    int saves = 1;
    for (const double wait : waits) {
        clock().advance(wait - 0.01);
        flush();
        EXPECT_EQ(fakes.store->saves(), saves) << "not before " << wait << " s";
        clock().advance(0.01);
        flush();
        EXPECT_EQ(fakes.store->saves(), ++saves) << "after " << wait << " s";
    }

    // The disk is back: the next retry stores the change nobody repeated.
    ASSERT_TRUE(QFile::remove(documentFolder()));
    clock().advance(30);
    flush();
    EXPECT_EQ(CamScriptStore(documentFolder()).load().teleprompter.wordsPerMinute, wpm + 20);
    // Saved: no more retries.
    clock().advance(120);
    flush();
    EXPECT_EQ(fakes.store->saves(), saves + 1);
}

TEST_F(StudioTest, QuitTriesTheFailedSaveOnceMoreAndLogsWhatStaysUnsaved)
{
    blockFolder(documentFolder());
    start();
    const int wpm = vm->teleprompter().wordsPerMinute;
    vm->nudgePrompterWPM(20);
    flush();
    EXPECT_TRUE(messages(CamStudioViewModel::kLifecycleCategory, ZunoLogLevel::error).size() == 1);

    const std::optional<QString> unsaved = vm->saveBeforeQuit(std::chrono::milliseconds(kWait));
    ASSERT_TRUE(unsaved);
    EXPECT_TRUE(unsaved->startsWith(QStringLiteral("Studio document not saved"))) << unsaved->toStdString();
    const QStringList errors = messages(CamStudioViewModel::kLifecycleCategory, ZunoLogLevel::error);
    ASSERT_FALSE(errors.isEmpty());
    EXPECT_EQ(errors.last(), QStringLiteral("Quitting with unsaved changes: ") + *unsaved);

    // Space freed, nothing changed since: the quit itself saves the change.
    ASSERT_TRUE(QFile::remove(documentFolder()));
    EXPECT_EQ(vm->saveBeforeQuit(std::chrono::milliseconds(kWait)), std::nullopt);
    EXPECT_EQ(CamScriptStore(documentFolder()).load().teleprompter.wordsPerMinute, wpm + 20);
}

class StudioRescueTest : public StudioTest, public ::testing::WithParamInterface<ZunoLanguage> { };

TEST_P(StudioRescueTest, RescuedDocumentIsToldOnceNamingTheKeptFile)
{
    const ZunoLanguage language = GetParam();
    ASSERT_TRUE(QDir().mkpath(documentFolder()));
    QFile damaged(QDir(documentFolder()).filePath(QStringLiteral("zunocam-store.json")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{ not json");
    damaged.close();
    start();
    vm->setLanguage(language);
    vm->nudgePrompterWPM(5);
    flush();

    const QStringList kept
        = QDir(documentFolder()).entryList({ QStringLiteral("zunocam-store.corrupt-*.json") }, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    ASSERT_TRUE(vm->toastMessage().has_value());
    const QString toast = *vm->toastMessage();
    EXPECT_TRUE(toast.contains(QDir(documentFolder()).filePath(kept.first()))) << toast.toStdString();
    EXPECT_TRUE(toast.startsWith(language == ZunoLanguage::en ? QStringLiteral("Your saved scripts")
                                                              : QStringLiteral("Kayıtlı senaryolar")))
        << toast.toStdString();

    // Later saves say nothing more.
    clock().advance(CamStudioViewModel::kToastSeconds);
    vm->nudgePrompterWPM(5);
    flush();
    EXPECT_FALSE(vm->toastMessage().has_value());
}

INSTANTIATE_TEST_SUITE_P(Languages, StudioRescueTest, ::testing::Values(ZunoLanguage::en, ZunoLanguage::tr),
    [](const ::testing::TestParamInfo<ZunoLanguage> &info) {
        return std::string(info.param == ZunoLanguage::en ? "en" : "tr");
    });

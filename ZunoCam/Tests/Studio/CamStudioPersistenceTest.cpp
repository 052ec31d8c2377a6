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

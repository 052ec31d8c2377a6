// The language-following view state: one increment per change, always on the main thread after the
// poster's call, never on an object that is gone.
#include "ZunoLanguageAwareUIState.h"

#include "ZunoLanguage.h"
#include "ZunoNotificationCenter.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// Generous: the machine may be loaded.
constexpr int kWaitMs = 20000;

void postLanguageChange(ZunoLanguage language)
{
    ZunoNotificationCenter::shared().post(
        QString::fromLatin1(ZunoLanguages::kLanguageDidChangeNotification), QVariant::fromValue(language));
}

} // namespace

TEST(ZunoLanguageAwareUIState, EveryChangeRaisesTheRevisionByOneAfterThePostersCall)
{
    ZunoLanguageAwareUIState state;
    EXPECT_EQ(state.languageRevision(), 0);
    QSignalSpy changed(&state, &ZunoLanguageAwareUIState::languageRevisionChanged);
    postLanguageChange(ZunoLanguage::tr);
    postLanguageChange(ZunoLanguage::tr);
    // Nothing happens inside the poster's call.
    EXPECT_EQ(state.languageRevision(), 0);
    EXPECT_EQ(changed.count(), 0);
    while (changed.count() < 2)
        ASSERT_TRUE(changed.wait(kWaitMs));
    EXPECT_EQ(state.languageRevision(), 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(state.languageRevision(), 2);
}

TEST(ZunoLanguageAwareUIState, AChangeFromAnotherThreadArrivesOnTheMainThread)
{
    ZunoLanguageAwareUIState state;
    std::atomic<bool> posterReturned = false;
    bool returnedBeforeIncrement = false;
    QThread *incrementThread = nullptr;
    QObject::connect(&state, &ZunoLanguageAwareUIState::languageRevisionChanged, [&] {
        returnedBeforeIncrement = posterReturned.load();
        incrementThread = QThread::currentThread();
    });
    QSignalSpy changed(&state, &ZunoLanguageAwareUIState::languageRevisionChanged);
    std::thread poster([&] {
        postLanguageChange(ZunoLanguage::de);
        posterReturned = true;
    });
    poster.join();
    ASSERT_TRUE(changed.wait(kWaitMs));
    EXPECT_TRUE(returnedBeforeIncrement);
    EXPECT_EQ(incrementThread, QCoreApplication::instance()->thread());
    EXPECT_EQ(state.languageRevision(), 1);
}

TEST(ZunoLanguageAwareUIState, AStateGoneBeforeItsQueuedCallIsNotTouched)
{
    auto gone = std::make_unique<ZunoLanguageAwareUIState>();
    postLanguageChange(ZunoLanguage::tr);
    gone.reset();
    // A live state sees this change and the next; the gone one neither its queued call nor later ones.
    ZunoLanguageAwareUIState live;
    QSignalSpy changed(&live, &ZunoLanguageAwareUIState::languageRevisionChanged);
    postLanguageChange(ZunoLanguage::en);
    ASSERT_TRUE(changed.wait(kWaitMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(live.languageRevision(), 1);
}

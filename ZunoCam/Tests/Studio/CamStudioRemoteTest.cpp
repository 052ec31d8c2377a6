// The LAN remote on a fake server and virtual time: the state the page shows, the commands, start and
// stop with their toasts, the address, stale server events and answers after the view model is gone.
#include "StudioTestFixture.h"

#include "FakeStudioRemote.h"
#include "TeleprompterRemoteProtocol.h"
#include "ZunoLoggerFakes.h"

#include <QClipboard>
#include <QGuiApplication>

#include <limits>
#include <mutex>
#include <thread>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One completion the server hands out, called from any thread.
struct Answer {
    std::mutex lock;
    int calls = 0;
    TeleprompterRemoteState state;

    TeleprompterRemoteServer::StateCompletion completion(const std::shared_ptr<Answer> &self)
    {
        return [self](const TeleprompterRemoteState &answer) {
            std::lock_guard guard(self->lock);
            ++self->calls;
            self->state = answer;
        };
    }
    int count()
    {
        std::lock_guard guard(lock);
        return calls;
    }
};

TeleprompterScript script(const QString &title, const QString &body)
{
    return TeleprompterScript(QUuid::createUuid(), title, body, QDateTime::currentDateTimeUtc());
}

} // namespace

class StudioRemoteTest : public StudioTest {
protected:
    // A document with the given scripts and teleprompter, then the view model.
    void startWith(
        std::vector<TeleprompterScript> scripts,
        const std::function<void(TeleprompterSettings &)> &change = [](TeleprompterSettings &) {})
    {
        CamPersistedPayload document;
        document.scripts = std::move(scripts);
        change(document.teleprompter);
        writeDocument(document);
        start();
    }

    // Calls `ask` on a thread of its own, as the server does, which must return without waiting for
    // the main thread; then turns the main loop until the one answer arrived.
    TeleprompterRemoteState answerOf(
        const std::function<void(TeleprompterRemoteServer::StateCompletion)> &ask)
    {
        auto answer = std::make_shared<Answer>();
        std::thread server([&] { ask(answer->completion(answer)); });
        server.join();
        EXPECT_TRUE(QTest::qWaitFor([&] { return answer->count() > 0; }, kWait));
        QCoreApplication::processEvents();
        EXPECT_EQ(answer->count(), 1);
        std::lock_guard guard(answer->lock);
        return answer->state;
    }
    TeleprompterRemoteState remoteState()
    {
        const auto provider = fakes.remote->stateProvider();
        return answerOf([&](auto done) { provider(std::move(done)); });
    }
    TeleprompterRemoteState send(const TeleprompterRemoteCommand &command)
    {
        const auto handler = fakes.remote->commandHandler();
        return answerOf([&](auto done) { handler(command, std::move(done)); });
    }
    // A server event, sent as the server's thread does; it reaches the view model a task later.
    void serverSends(const TeleprompterRemoteServerEvent &event)
    {
        const auto handler = fakes.remote->eventHandler();
        std::thread([&] { handler(event); }).join();
    }
    void runPosted() { QCoreApplication::processEvents(); }
};

TEST_F(StudioRemoteTest, StateTable)
{
    TeleprompterSettings settings;
    const TeleprompterScript first
        = script(QStringLiteral("Keynote"), QStringLiteral("one two  three\nfour"));
    const TeleprompterScript second = script(QStringLiteral("Q&A"), QString());
    const std::vector<TeleprompterScript> scripts { first, second };
    const auto state = [&](const std::vector<TeleprompterScript> &list, std::optional<QUuid> selected,
                           bool visible, bool scrolling, double offset) {
        return CamStudioViewModel::remoteState(list, selected, settings, visible, scrolling, offset);
    };

    // No scripts: the fixed identity, progress 0 at the top.
    const TeleprompterRemoteState empty = state({}, std::nullopt, false, false, 0);
    EXPECT_EQ(empty.activeScriptId, std::nullopt);
    EXPECT_EQ(empty.activeScriptTitle, QStringLiteral("ZunoCam"));
    EXPECT_TRUE(empty.scripts.isEmpty());
    EXPECT_EQ(empty.progress, 0);
    EXPECT_EQ(empty, TeleprompterRemoteState::fallback());

    // A selection matching nothing is the first script; ids as upper-case UUIDs, word counts.
    const TeleprompterRemoteState unmatched = state(scripts, QUuid::createUuid(), false, false, 0);
    const QString firstId = first.id.toString(QUuid::WithoutBraces).toUpper();
    EXPECT_EQ(unmatched.activeScriptId, firstId);
    EXPECT_NE(firstId, first.id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(unmatched.activeScriptTitle, QStringLiteral("Keynote"));
    ASSERT_EQ(unmatched.scripts.size(), 2);
    EXPECT_EQ(
        unmatched.scripts[0], (TeleprompterRemoteScriptSummary { firstId, QStringLiteral("Keynote"), 4 }));
    EXPECT_EQ(unmatched.scripts[1].id, second.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(unmatched.scripts[1].wordCount, 0);
    EXPECT_EQ(state(scripts, second.id, false, false, 0).activeScriptTitle, QStringLiteral("Q&A"));

    // Progress limited at both ends.
    EXPECT_EQ(state(scripts, first.id, true, true, 1e9).progress, 1);
    EXPECT_EQ(state(scripts, first.id, true, true, -500).progress, 0);
    EXPECT_EQ(state(scripts, first.id, true, true, kNaN).progress, 0);

    // Playing means visible and scrolling.
    EXPECT_FALSE(state(scripts, first.id, false, true, 0).isPlaying);
    EXPECT_FALSE(state(scripts, first.id, false, true, 0).isVisible);
    EXPECT_FALSE(state(scripts, first.id, true, false, 0).isPlaying);
    EXPECT_TRUE(state(scripts, first.id, true, true, 0).isPlaying);

    // Numbers of a hand-edited document: rounded halves away from zero, saturated, not finite as 0.
    const std::vector<std::tuple<double, double, qint64, qint64>> numbers = {
        { 135.5, 24.5, 136, 25 },
        { 135.49, 23.5, 135, 24 },
        { kNaN, std::numeric_limits<double>::infinity(), 0, 0 },
        { 1e300, -1e300, std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min() },
    };
    for (const auto &[wpm, fontSize, wantWpm, wantFont] : numbers) {
        settings.wordsPerMinute = wpm;
        settings.fontSize = fontSize;
        const TeleprompterRemoteState rounded = state(scripts, first.id, true, false, 0);
        EXPECT_EQ(rounded.wpm, wantWpm) << wpm;
        EXPECT_EQ(rounded.fontSize, wantFont) << fontSize;
    }
}

TEST_F(StudioRemoteTest, ProviderAnswersTheStudioStateFromTheMainThread)
{
    startWith({}, [](TeleprompterSettings &s) { s.wordsPerMinute = 135.5; });
    vm->setPrompterScrolling(true); // hidden, so not playing
    const TeleprompterRemoteState state = remoteState();
    EXPECT_EQ(state, vm->currentRemoteState());
    EXPECT_EQ(state.wpm, 136);
    EXPECT_EQ(state.scripts.size(), 2); // the samples
    EXPECT_FALSE(state.isPlaying);
    EXPECT_EQ(state.activeScriptId, vm->selectedScriptID()->toString(QUuid::WithoutBraces).toUpper());
}

TEST_F(StudioRemoteTest, SnapshotFollowsEveryChangeThePageShowsWithTheProvidersBytes)
{
    startWith({ script(QStringLiteral("Keynote"), QStringLiteral("word ").repeated(400)),
        script(QStringLiteral("Q&A"), QStringLiteral("ask")) });
    const std::vector<std::pair<const char *, std::function<void()>>> steps = {
        { "at start", [] {} },
        { "pace",
            [&] {
                vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) { s.wordsPerMinute = 211; }));
            } },
        { "font",
            [&] { vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) { s.fontSize = 33; })); } },
        { "shown", [&] { vm->showTeleprompterOverlay(); } },
        { "scrolling", [&] { vm->setPrompterScrolling(true); } },
        { "progress", [&] { vm->setPrompterScrollOffset(40); } },
        { "more progress", [&] { vm->setPrompterScrollOffset(400); } },
        { "selection", [&] { vm->setSelectedScriptID(vm->scripts().back().id); } },
        { "title and body",
            [&] { vm->updateActiveScript(QStringLiteral("Q & A"), QStringLiteral("a b c d")); } },
        { "new script", [&] { vm->createNewScript(); } },
        { "remote command", [&] { send(TeleprompterRemoteCommand::pause()); } },
        { "hidden", [&] { vm->hideTeleprompterOverlay(); } },
    };
    for (const auto &[name, step] : steps) {
        SCOPED_TRACE(name);
        const int published = fakes.remote->publishCount();
        step();
        const auto snapshot = fakes.remote->publishedState();
        ASSERT_TRUE(snapshot.has_value());
        EXPECT_EQ(*snapshot, vm->currentRemoteState());
        EXPECT_EQ(TeleprompterRemoteProtocol::makeStateResponse(*snapshot).serialized(),
            TeleprompterRemoteProtocol::makeStateResponse(remoteState()).serialized());
        if (std::string_view(name) != "at start") {
            EXPECT_GT(fakes.remote->publishCount(), published) << "a change the page shows is published";
        }
    }
    // Nothing the page shows changed: nothing new is published.
    const int published = fakes.remote->publishCount();
    vm->setPrompterScrollOffset(vm->prompterScrollOffset());
    vm->setSelectedTab(CamStudioTab::camera);
    EXPECT_EQ(fakes.remote->publishCount(), published);
}

TEST_F(StudioRemoteTest, ACommandTheServerGaveUpOnIsDropped)
{
    start();
    vm->showTeleprompterOverlay();
    const double fontSize = vm->teleprompter().fontSize;
    const auto handler = fakes.remote->commandHandler();
    const auto handOver
        = [&](const TeleprompterRemoteCommand &command, const std::shared_ptr<std::atomic<int>> &claim,
              const std::shared_ptr<Answer> &answer) {
              std::thread([&] {
                  handler(command, TeleprompterRemoteCommandReply(answer->completion(answer), claim));
              }).join();
          };

    // The server answered 503 before the main thread got to the command.
    auto claim = std::make_shared<std::atomic<int>>(TeleprompterRemoteCommandReply::kOpen);
    auto answer = std::make_shared<Answer>();
    handOver(TeleprompterRemoteCommand::fontUp(4), claim, answer);
    ASSERT_TRUE(TeleprompterRemoteCommandReply::cancel(*claim));
    runPosted();
    EXPECT_EQ(vm->teleprompter().fontSize, fontSize);
    EXPECT_EQ(vm->lastRemoteCommandLabel(), std::nullopt);
    EXPECT_EQ(answer->count(), 1);

    // In time: claimed, applied, and the server can no longer cancel it.
    claim = std::make_shared<std::atomic<int>>(TeleprompterRemoteCommandReply::kOpen);
    answer = std::make_shared<Answer>();
    handOver(TeleprompterRemoteCommand::fontUp(4), claim, answer);
    runPosted();
    EXPECT_EQ(vm->teleprompter().fontSize, fontSize + 4);
    EXPECT_FALSE(TeleprompterRemoteCommandReply::cancel(*claim));
    ASSERT_EQ(answer->count(), 1);
    EXPECT_EQ(answer->state.fontSize, fontSize + 4);
}

TEST_F(StudioRemoteTest, FontCommandsStayWithinSixteenToFortyFourAndSave)
{
    const std::vector<std::tuple<double, TeleprompterRemoteCommand, double>> cases = {
        { 44, TeleprompterRemoteCommand::fontUp(2), 44 },
        { 20, TeleprompterRemoteCommand::fontDown(12), 16 },
        { 24, TeleprompterRemoteCommand::fontUp(12), 36 },
        { kNaN, TeleprompterRemoteCommand::fontUp(2), 16 },
        { std::numeric_limits<double>::infinity(), TeleprompterRemoteCommand::fontDown(2), 16 },
    };
    for (const auto &[from, command, expected] : cases) {
        fakes = {};
        start();
        vm->setTeleprompter(settingsWith([from](TeleprompterSettings &s) { s.fontSize = from; }));
        vm->showTeleprompterOverlay();
        flush();
        const int saves = fakes.store->saves();
        const int layouts = fakes.log->count(QStringLiteral("notch.updateLayout"));
        const TeleprompterRemoteState state = send(command);
        EXPECT_EQ(vm->teleprompter().fontSize, expected) << from;
        EXPECT_EQ(state.fontSize, expected) << from;
        EXPECT_EQ(vm->lastRemoteCommandLabel(), command.wireName());
        // Even a size that stays put goes through the settings-apply step.
        flush();
        EXPECT_EQ(fakes.store->saves(), saves + 1) << from;
        EXPECT_EQ(fakes.log->count(QStringLiteral("notch.updateLayout")), layouts + 1) << from;
        EXPECT_EQ(CamScriptStore(documentFolder()).load().teleprompter.fontSize, expected) << from;
        vm.reset();
    }
}

TEST_F(StudioRemoteTest, PaceCommandsNudgeWithinFiftyToThreeHundred)
{
    startWith({}, [](TeleprompterSettings &s) { s.wordsPerMinute = 295; });
    EXPECT_EQ(send(TeleprompterRemoteCommand::wpmUp(10)).wpm, 300);
    EXPECT_EQ(send(TeleprompterRemoteCommand::wpmDown(60)).wpm, 240);
    EXPECT_EQ(vm->lastRemoteCommandLabel(), QStringLiteral("wpm_down"));
    flush();
    EXPECT_EQ(CamScriptStore(documentFolder()).load().teleprompter.wordsPerMinute, 240);
}

TEST_F(StudioRemoteTest, PlayWhileHiddenShowsTheTeleprompterWithItsCountdown)
{
    start();
    const TeleprompterRemoteState state = send(TeleprompterRemoteCommand::play());
    EXPECT_TRUE(vm->isTeleprompterVisible());
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.show")), 1);
    EXPECT_EQ(vm->prompterCountdownRemaining(), 3);
    EXPECT_FALSE(vm->isPrompterScrolling());
    EXPECT_TRUE(state.isVisible);
    EXPECT_FALSE(state.isPlaying);
    EXPECT_EQ(vm->lastRemoteCommandLabel(), QStringLiteral("play"));
}

TEST_F(StudioRemoteTest, PlayDuringTheCountdownScrollsAtOnceAndTheCountdownIsGone)
{
    start();
    vm->showTeleprompterOverlay();
    clock().advance(1);
    ASSERT_EQ(vm->prompterCountdownRemaining(), 2);
    EXPECT_TRUE(send(TeleprompterRemoteCommand::play()).isPlaying);
    EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
    clock().advance(1.0 / 60);
    EXPECT_GT(vm->prompterScrollOffset(), 0);
    // The cancelled countdown does not tick on.
    clock().advance(3);
    EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
    EXPECT_TRUE(vm->isPrompterScrolling());
}

TEST_F(StudioRemoteTest, PauseClearsCountdownAndScrollingEvenWhileHidden)
{
    start();
    vm->setPrompterScrolling(true);
    ASSERT_FALSE(vm->isTeleprompterVisible());
    send(TeleprompterRemoteCommand::pause());
    EXPECT_FALSE(vm->isPrompterScrolling());
    EXPECT_EQ(vm->lastRemoteCommandLabel(), QStringLiteral("pause"));

    vm->showTeleprompterOverlay();
    ASSERT_EQ(vm->prompterCountdownRemaining(), 3);
    send(TeleprompterRemoteCommand::pause());
    EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
    clock().advance(5);
    EXPECT_FALSE(vm->isPrompterScrolling());
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
}

TEST_F(StudioRemoteTest, ToggleFlipsScrollingWhileVisibleAndShowsWhileHidden)
{
    start();
    send(TeleprompterRemoteCommand::toggle());
    EXPECT_TRUE(vm->isTeleprompterVisible());
    EXPECT_EQ(vm->prompterCountdownRemaining(), 3);
    EXPECT_FALSE(vm->isPrompterScrolling());

    EXPECT_TRUE(send(TeleprompterRemoteCommand::toggle()).isPlaying);
    EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
    EXPECT_FALSE(send(TeleprompterRemoteCommand::toggle()).isPlaying);
    clock().advance(1);
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
    EXPECT_TRUE(send(TeleprompterRemoteCommand::toggle()).isPlaying);
    clock().advance(1);
    EXPECT_GT(vm->prompterScrollOffset(), 0);
    EXPECT_EQ(vm->lastRemoteCommandLabel(), QStringLiteral("toggle"));
}

TEST_F(StudioRemoteTest, ResetWhileScrollingGoesOnFromTheTop)
{
    startWith({}, [](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 0; });
    vm->showTeleprompterOverlay();
    clock().advance(2);
    ASSERT_GT(vm->prompterScrollOffset(), 10);
    const TeleprompterRemoteState state = send(TeleprompterRemoteCommand::reset());
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
    EXPECT_EQ(state.progress, 0);
    EXPECT_TRUE(state.isPlaying);
    clock().advance(1.0 / 60);
    EXPECT_GT(vm->prompterScrollOffset(), 0);
}

TEST_F(StudioRemoteTest, SelectScriptMatchesTheIdIgnoringCaseRewindsAndIsNotSaved)
{
    const TeleprompterScript first = script(QStringLiteral("Keynote"), QStringLiteral("a b c"));
    const TeleprompterScript second = script(QStringLiteral("Closing"), QStringLiteral("d e"));
    startWith({ first, second }, [](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 0; });
    vm->showTeleprompterOverlay();
    clock().advance(1);
    flush();
    const int saves = fakes.store->saves();

    const QString lowerId = second.id.toString(QUuid::WithoutBraces).toLower();
    const TeleprompterRemoteState state = send(TeleprompterRemoteCommand::selectScript(lowerId));
    EXPECT_EQ(vm->selectedScriptID(), second.id);
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
    EXPECT_EQ(state.activeScriptId, lowerId.toUpper());
    EXPECT_EQ(state.activeScriptTitle, QStringLiteral("Closing"));
    EXPECT_EQ(messages(CamStudioViewModel::kRemoteCategory, ZunoLogLevel::info),
        QStringList { QStringLiteral("Remote switched active script to 'Closing'.") });

    // An unknown id changes nothing.
    clock().advance(1);
    const double offset = vm->prompterScrollOffset();
    ASSERT_GT(offset, 0);
    const TeleprompterRemoteState before = vm->currentRemoteState();
    EXPECT_EQ(
        send(TeleprompterRemoteCommand::selectScript(QUuid::createUuid().toString(QUuid::WithoutBraces))),
        before);
    EXPECT_EQ(vm->selectedScriptID(), second.id);
    EXPECT_EQ(vm->prompterScrollOffset(), offset);
    EXPECT_EQ(messages(CamStudioViewModel::kRemoteCategory).size(), 1);
    flush();
    EXPECT_EQ(fakes.store->saves(), saves);
}

TEST_F(StudioRemoteTest, StartBoundsThePortAndStopSaysSo)
{
    const std::vector<std::pair<qint64, quint16>> ports = { { 80, 1024 }, { 70000, 65535 }, { 8791, 8791 } };
    for (const auto &[stored, used] : ports) {
        fakes = {};
        startWith({}, [stored](TeleprompterSettings &s) { s.remoteControlPort = stored; });
        vm->startRemoteServer();
        EXPECT_EQ(fakes.remote->lastPort(), used) << stored;
        const QString address = QStringLiteral("http://127.0.0.1:%1").arg(used);
        EXPECT_TRUE(vm->isRemoteServerRunning());
        EXPECT_EQ(vm->remoteServerURL(), address);
        EXPECT_EQ(vm->toastMessage(), QStringLiteral("LAN Remote active: ") + address);
        EXPECT_FALSE(vm->toastIsError());
        vm.reset();
    }

    fakes = {};
    start();
    vm->startRemoteServer();
    vm->setLanguage(ZunoLanguage::tr);
    vm->stopRemoteServer();
    EXPECT_FALSE(vm->isRemoteServerRunning());
    EXPECT_EQ(fakes.log->count(QStringLiteral("remote.stop")), 1);
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("LAN Kumanda durduruldu."));
    // The server's own stopped event confirms it.
    serverSends(TeleprompterRemoteServerEvent::stopped());
    runPosted();
    EXPECT_FALSE(vm->isRemoteServerRunning());
}

TEST_F(StudioRemoteTest, CopyPutsTheAddressOnTheClipboardAndOpenNeedsAUsableOne)
{
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> desktop;
    start();
    vm->startRemoteServer();
    vm->copyRemoteURLToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("http://127.0.0.1:8791"));
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("Copied remote URL to clipboard."));
    vm->openRemoteURLInBrowser();
    EXPECT_EQ(desktop.fake->opened, QList<QUrl> { QUrl(QStringLiteral("http://127.0.0.1:8791")) });

    for (const QString &unusable :
        { QString(), QStringLiteral("http://[::1"), QStringLiteral("not an address") }) {
        serverSends(TeleprompterRemoteServerEvent::started(unusable, 8791));
        runPosted();
        ASSERT_EQ(vm->remoteServerURL(), unusable);
        const std::optional<QString> toast = vm->toastMessage();
        vm->openRemoteURLInBrowser();
        EXPECT_EQ(desktop.fake->opened.size(), 1) << unusable.toStdString();
        EXPECT_EQ(vm->toastMessage(), toast);
    }
}

TEST_F(StudioRemoteTest, EventsApplyOnlyWhileTheyAgreeWithTheServer)
{
    start();
    // Start, stop, late started: stays stopped.
    vm->startRemoteServer();
    serverSends(TeleprompterRemoteServerEvent::started(QStringLiteral("http://192.0.2.1:8791"), 8791));
    vm->stopRemoteServer();
    runPosted();
    EXPECT_FALSE(vm->isRemoteServerRunning());
    EXPECT_EQ(vm->remoteServerURL(), QStringLiteral("http://127.0.0.1:8791"));

    // A started event that agrees sets the address.
    vm->startRemoteServer();
    serverSends(TeleprompterRemoteServerEvent::started(QStringLiteral("http://192.0.2.1:8791"), 8791));
    runPosted();
    EXPECT_EQ(vm->remoteServerURL(), QStringLiteral("http://192.0.2.1:8791"));

    // Start, fail, restart, late failed: the fresh server stays running, without an error toast.
    fakes.remote->breakListener();
    serverSends(TeleprompterRemoteServerEvent::failed(QStringLiteral("old listener")));
    vm->startRemoteServer();
    runPosted();
    EXPECT_TRUE(vm->isRemoteServerRunning());
    EXPECT_FALSE(vm->toastIsError());

    // Stop, start, late stopped: still running.
    vm->stopRemoteServer();
    serverSends(TeleprompterRemoteServerEvent::stopped());
    vm->startRemoteServer();
    runPosted();
    EXPECT_TRUE(vm->isRemoteServerRunning());

    // A failure that is current: stopped, with the error toast and no log line of the studio's.
    fakes.remote->breakListener();
    serverSends(TeleprompterRemoteServerEvent::failed(QStringLiteral("Network is down")));
    runPosted();
    EXPECT_FALSE(vm->isRemoteServerRunning());
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("LAN Remote failed: Network is down"));
    EXPECT_TRUE(vm->toastIsError());
    EXPECT_TRUE(messages(CamStudioViewModel::kRemoteCategory).isEmpty());
}

TEST_F(StudioRemoteTest, AnswersAfterTheViewModelIsGoneAreTheFixedState)
{
    start();
    const auto provider = fakes.remote->stateProvider();
    const auto handler = fakes.remote->commandHandler();
    const auto events = fakes.remote->eventHandler();
    auto state = std::make_shared<Answer>();
    auto command = std::make_shared<Answer>();
    std::thread([&] {
        provider(state->completion(state));
        handler(TeleprompterRemoteCommand::fontUp(12), command->completion(command));
        events(TeleprompterRemoteServerEvent::failed(QStringLiteral("late")));
    }).join();
    vm.reset();
    runPosted();
    ASSERT_EQ(state->count(), 1);
    ASSERT_EQ(command->count(), 1);
    EXPECT_EQ(state->state, TeleprompterRemoteState::fallback());
    EXPECT_EQ(command->state, TeleprompterRemoteState::fallback());
    // The command was not applied.
    EXPECT_EQ(CamScriptStore(documentFolder()).load().teleprompter.fontSize, 24);
}

// The real LAN remote server on 127.0.0.1 wired to the real view model: a raw client on a worker
// thread while the test turns the main loop, as the studio's main thread would.
#include "StudioTestFixture.h"

#include "RemoteTestClient.h"
#include "TeleprompterRemoteCardView.h"
#include "ZunoButton.h"

#include <future>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray get(const QByteArray &path)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

QByteArray postCommand(const QByteArray &body)
{
    return "POST /api/command HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
           "Content-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// A listening socket on 127.0.0.1 that holds its port for its lifetime.
class HeldPort {
public:
    HeldPort()
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (bind(m_fd, reinterpret_cast<sockaddr *>(&address), length) == 0 && listen(m_fd, 1) == 0
            && getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~HeldPort() { ::close(m_fd); }
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

} // namespace

class StudioRemoteLoopbackTest : public StudioTest {
protected:
    // The fakes with the real server, listening on 127.0.0.1 only, on `port`.
    void startOnPort(quint16 port)
    {
        CamPersistedPayload document;
        document.teleprompter.remoteControlPort = port;
        writeDocument(document);
        makeFakes();
        TeleprompterRemoteServer::Options options;
        options.loopbackOnly = true;
        fakes.remote = nullptr;
        fakes.services.remote = CamStudioServices::remoteServer(fakes.logger, options);
        start();
    }

    // One exchange on a worker; the main loop turns meanwhile, where the server's questions are answered.
    HttpAnswer exchangeTurningTheLoop(const QByteArray &request)
    {
        auto answer = std::async(std::launch::async, [this, request] { return exchange(m_port, request); });
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, kWait));
        return answer.get();
    }

    quint16 m_port = 0;
};

TEST_F(StudioRemoteLoopbackTest, PageStatePlayAndFontReachTheStudio)
{
    m_port = freeLoopbackPort();
    startOnPort(m_port);
    // A server on 127.0.0.1 only is shown there, before its start and after.
    const QString served = QStringLiteral("http://127.0.0.1:%1").arg(m_port);
    EXPECT_EQ(vm->remoteServerURL(), served);
    vm->startRemoteServer();
    ASSERT_TRUE(vm->isRemoteServerRunning());
    EXPECT_EQ(vm->remoteServerURL(), served);
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("LAN Remote active: ") + served);

    const HttpAnswer state = exchangeTurningTheLoop(get("/api/state"));
    ASSERT_EQ(state.status, 200) << state.body.toStdString();
    const nlohmann::json json = state.json();
    EXPECT_EQ(json["wpm"], 135);
    EXPECT_EQ(json["fontSize"], 24);
    ASSERT_EQ(json["scripts"].size(), 2u);
    EXPECT_EQ(QString::fromStdString(json["scripts"][1]["title"].get<std::string>()),
        TeleprompterScript::sampleScripts()[1].title);
    EXPECT_EQ(QString::fromStdString(json["activeScriptId"].get<std::string>()),
        vm->selectedScriptID()->toString(QUuid::WithoutBraces).toUpper());

    const HttpAnswer play = exchangeTurningTheLoop(postCommand(R"({"command":"play"})"));
    ASSERT_EQ(play.status, 200) << play.body.toStdString();
    EXPECT_EQ(play.json()["state"]["isVisible"], true);
    EXPECT_TRUE(vm->isTeleprompterVisible());
    EXPECT_EQ(vm->prompterCountdownRemaining(), 3);
    EXPECT_EQ(vm->lastRemoteCommandLabel(), QStringLiteral("play"));

    // The protocol limits a font step to 12.
    const HttpAnswer font = exchangeTurningTheLoop(postCommand(R"({"command":"font_up","delta":30})"));
    ASSERT_EQ(font.status, 200) << font.body.toStdString();
    EXPECT_EQ(font.json()["state"]["fontSize"], 36);
    flush();
    EXPECT_EQ(CamScriptStore(documentFolder()).load().teleprompter.fontSize, 36);

    // The started event confirms the address the start returned.
    QCoreApplication::processEvents();
    EXPECT_TRUE(vm->isRemoteServerRunning());
    EXPECT_EQ(vm->remoteServerURL(), served);
    vm->stopRemoteServer();
    EXPECT_TRUE(exchange(m_port, get("/api/state")).isEmpty());
}

TEST_F(StudioRemoteLoopbackTest, PortAlreadyBoundGivesTheErrorLineAndToast)
{
    HeldPort held;
    ASSERT_NE(held.port(), 0);
    startOnPort(held.port());
    vm->startRemoteServer();
    EXPECT_FALSE(vm->isRemoteServerRunning());
    ASSERT_TRUE(vm->toastMessage());
    EXPECT_TRUE(vm->toastIsError());
    EXPECT_TRUE(
        vm->toastMessage()->startsWith(QStringLiteral("Failed to start LAN teleprompter remote server: ")));
    EXPECT_EQ(messages(CamStudioViewModel::kRemoteCategory, ZunoLogLevel::error)
                  .filter(QStringLiteral("Failed to start LAN remote server: ") + *vm->toastMessage()),
        QStringList { QStringLiteral("Failed to start LAN remote server: ") + *vm->toastMessage() });
}

// The teleprompter tab's remote card drives the real server: its start button, the page's state, its
// stop button; a port another program holds leaves the card in its stopped look.
TEST_F(StudioRemoteLoopbackTest, RemoteCardRoundTrip)
{
    m_port = freeLoopbackPort();
    startOnPort(m_port);
    TeleprompterRemoteCardView card(*vm, QColor(244, 114, 208));
    card.show();
    QTest::mouseClick(card.startStopButton(), Qt::LeftButton);
    ASSERT_TRUE(vm->isRemoteServerRunning());
    EXPECT_EQ(card.statusText(), QStringLiteral("LIVE"));

    const HttpAnswer state = exchangeTurningTheLoop(get("/api/state"));
    ASSERT_EQ(state.status, 200) << state.body.toStdString();
    const std::size_t active = vm->activeScriptIndex().value();
    EXPECT_EQ(QString::fromStdString(state.json()["activeScriptTitle"].get<std::string>()),
        vm->scripts()[active].title);

    QTest::mouseClick(card.startStopButton(), Qt::LeftButton);
    EXPECT_FALSE(vm->isRemoteServerRunning());
    EXPECT_EQ(card.statusText(), QStringLiteral("OFF"));
    EXPECT_EQ(card.startStopButton()->text(), QStringLiteral("Start Remote"));
    EXPECT_TRUE(exchange(m_port, get("/api/state")).isEmpty());
}

TEST_F(StudioRemoteLoopbackTest, RemoteCardStaysOffWhenThePortIsTaken)
{
    HeldPort held;
    ASSERT_NE(held.port(), 0);
    startOnPort(held.port());
    TeleprompterRemoteCardView card(*vm, QColor(244, 114, 208));
    QTest::mouseClick(card.startStopButton(), Qt::LeftButton);
    EXPECT_FALSE(vm->isRemoteServerRunning());
    EXPECT_EQ(card.statusText(), QStringLiteral("OFF"));
    EXPECT_FALSE(card.openButton()->isEnabled());
    EXPECT_TRUE(vm->toastIsError());
}

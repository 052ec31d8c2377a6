// The LAN remote card on the fake server: its two looks in both languages, its buttons, and a
// listener failure reported later turning it back off.
#include "StudioTestFixture.h"

#include "FakeStudioRemote.h"
#include "TeleprompterRemoteCardView.h"
#include "ZunoButton.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassTokens.h"
#include "ZunoLoggerFakes.h"
#include "ZunoSymbolIcon.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>

#include <cstdlib>
#include <thread>

namespace {

const QColor kAccent(244, 114, 208);

// Style-sheet colours come back through 8-bit alpha.
bool near(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) <= 1 && std::abs(a.green() - b.green()) <= 1
        && std::abs(a.blue() - b.blue()) <= 1 && std::abs(a.alpha() - b.alpha()) <= 1;
}

} // namespace

class RemoteCardTest : public StudioTest {
protected:
    void startCard()
    {
        start();
        card = std::make_unique<TeleprompterRemoteCardView>(*vm, kAccent);
        card->resize(760, 140);
        card->show();
        flush();
    }

    void TearDown() override
    {
        card.reset();
        StudioTest::TearDown();
    }

    static bool isActive(const ZunoButton *button)
    {
        const auto *style = dynamic_cast<const ZunoGlassButtonStyle *>(&button->buttonStyle());
        return style && style->isActive();
    }

    std::unique_ptr<TeleprompterRemoteCardView> card;
};

TEST_F(RemoteCardTest, LooksFollowTheServerInBothLanguages)
{
    struct Case {
        ZunoLanguage language;
        bool running;
        const char *pill;
        const char *button;
        const char *copy;
        const char *open;
    };
    const Case cases[] = {
        { ZunoLanguage::en, false, "OFF", "Start Remote", "Copy URL", "Open in Browser" },
        { ZunoLanguage::en, true, "LIVE", "Stop Remote", "Copy URL", "Open in Browser" },
        { ZunoLanguage::tr, false, "KAPALI", "Başlat", "Kopyala", "Tarayıcıda Aç" },
        { ZunoLanguage::tr, true, "AKTİF", "Durdur", "Kopyala", "Tarayıcıda Aç" },
    };
    startCard();
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 running=%2").arg(rawValue(c.language)).arg(c.running).toStdString());
        vm->setLanguage(c.language);
        if (c.running != vm->isRemoteServerRunning())
            QTest::mouseClick(card->startStopButton(), Qt::LeftButton);
        ASSERT_EQ(vm->isRemoteServerRunning(), c.running);
        EXPECT_EQ(card->statusText(), QString::fromUtf8(c.pill));
        EXPECT_EQ(card->statusColor(), c.running ? ZunoGlassTokens::success() : ZunoGlassTokens::textMuted());
        EXPECT_EQ(card->statusSymbol()->color(), c.running ? ZunoGlassTokens::success() : kAccent);
        EXPECT_EQ(card->startStopButton()->text(), QString::fromUtf8(c.button));
        EXPECT_EQ(card->startStopButton()->symbol(),
            c.running ? QStringLiteral("stop.circle.fill")
                      : QStringLiteral("antenna.radiowaves.left.and.right"));
        EXPECT_EQ(isActive(card->startStopButton()), c.running);
        EXPECT_EQ(card->copyButton()->text(), QString::fromUtf8(c.copy));
        EXPECT_EQ(card->openButton()->text(), QString::fromUtf8(c.open));
        EXPECT_EQ(card->openButton()->isEnabled(), c.running);
        EXPECT_TRUE(card->copyButton()->isEnabled());
        // The address is never translated.
        EXPECT_EQ(card->addressField()->text(), vm->remoteServerURL());
        EXPECT_TRUE(card->addressField()->isReadOnly());
        EXPECT_TRUE(near(card->addressField()->palette().color(QPalette::Text),
            c.running ? ZunoGlassTokens::textPrimary() : ZunoGlassTokens::textMuted()));
    }
    EXPECT_EQ(card->titleLabel()->text(), QStringLiteral("Telefon / Tarayıcı LAN Kumandası"));
}

TEST_F(RemoteCardTest, CopyWorksWhileStoppedAndOpenWhileRunning)
{
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> desktop;
    startCard();
    ASSERT_FALSE(vm->isRemoteServerRunning());
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(card->copyButton(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), vm->remoteServerURL());
    EXPECT_FALSE(QGuiApplication::clipboard()->text().isEmpty());
    QTest::mouseClick(card->openButton(), Qt::LeftButton);
    EXPECT_TRUE(desktop.fake->opened.isEmpty());

    QTest::mouseClick(card->startStopButton(), Qt::LeftButton);
    ASSERT_TRUE(vm->isRemoteServerRunning());
    QTest::mouseClick(card->openButton(), Qt::LeftButton);
    EXPECT_EQ(desktop.fake->opened, QList<QUrl> { QUrl(vm->remoteServerURL()) });
}

TEST_F(RemoteCardTest, ALaterListenerFailureLeavesTheStoppedLook)
{
    startCard();
    QTest::mouseClick(card->startStopButton(), Qt::LeftButton);
    ASSERT_EQ(card->statusText(), QStringLiteral("LIVE"));
    fakes.remote->breakListener();
    const auto handler = fakes.remote->eventHandler();
    std::thread([&] {
        handler(TeleprompterRemoteServerEvent::failed(QStringLiteral("Network is down")));
    }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->isRemoteServerRunning(); }, kWait));
    EXPECT_EQ(card->statusText(), QStringLiteral("OFF"));
    EXPECT_EQ(card->startStopButton()->text(), QStringLiteral("Start Remote"));
    EXPECT_FALSE(card->openButton()->isEnabled());
}

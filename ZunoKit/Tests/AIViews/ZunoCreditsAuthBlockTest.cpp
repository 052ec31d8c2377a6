// The sign-in block on the real store over the fake gateway: the signed-in row, the connection code, the
// browser and device routes with their progress, the verification addresses that may be opened, copying
// a code, and Turkish.
#include "ZunoCreditsAuthBlock.h"

#include "CreditsViewsFixture.h"
#include "ZunoButton.h"
#include "ZunoCreditsAuthUIState.h"
#include "ZunoCreditsDisclosureButton.h"
#include "ZunoSymbolRegistry.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>

using namespace CreditsViews;

namespace {

const QColor kAccent(0x38, 0xE8, 0xFF);

class ZunoCreditsAuthBlockTest : public Fixture {
protected:
    std::unique_ptr<ZunoCreditsAuthBlock> block(ZunoLanguage language = ZunoLanguage::en)
    {
        auto made = std::make_unique<ZunoCreditsAuthBlock>(*store, kAccent, language, true);
        made->resize(380, 300);
        made->show();
        return made;
    }

    static void type(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        field->del();
        field->insert(text);
    }

    Json deviceStart(const std::string &userCode, const std::string &complete, const std::string &uri)
    {
        return { { "device_code", ZunoFakeGateway::kDeviceCode }, { "user_code", userCode },
            { "verification_uri", uri }, { "verification_uri_complete", complete }, { "expires_in", 600 },
            { "interval", 5 } };
    }

    void startDevice(ZunoCreditsAuthBlock &b)
    {
        if (!b.deviceCodeButton()->isVisible())
            b.otherOptionsRow()->click();
        b.deviceCodeButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return store->pendingDeviceSignIn().has_value(); }, kWaitMs));
    }
};

} // namespace

TEST_F(ZunoCreditsAuthBlockTest, SignedInIsOneRowThatRevealsTheRoutes)
{
    signIn();
    auto b = block();
    EXPECT_TRUE(b->switchAccountRow()->isVisible());
    EXPECT_EQ(b->switchAccountRow()->title(), QStringLiteral("Switch Account"));
    EXPECT_FALSE(b->browserButton()->isVisible());
    EXPECT_FALSE(b->otherOptionsRow()->isVisible());
    EXPECT_EQ(b->sizeHint().height(), b->switchAccountRow()->sizeHint().height());
    QTest::mouseClick(
        b->switchAccountRow(), Qt::LeftButton, {}, QPoint(b->switchAccountRow()->width() - 4, 4));
    EXPECT_TRUE(b->browserButton()->isVisible());
    EXPECT_TRUE(b->otherOptionsRow()->isVisible());
    EXPECT_TRUE(ZunoSymbolRegistry::unknownNamesRequested().isEmpty());
}

TEST_F(ZunoCreditsAuthBlockTest, ConnectionCodeGoesToTheStoreAsTyped)
{
    gateway.setProfile(profile(12'500'000));
    auto b = block();
    EXPECT_FALSE(b->switchAccountRow()->isVisible());
    b->otherOptionsRow()->click();
    EXPECT_FALSE(b->connectionCodeField()->isVisible());
    b->connectionCodeButton()->click();
    ASSERT_TRUE(b->connectionCodeField()->isVisible());
    EXPECT_EQ(b->connectionCodeField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(b->connectionCodeField()->placeholderText(),
        QStringLiteral("Paste quarnwell.com connection code (vrk_\u2026)\u2026"));

    // Blanks leave Save disabled.
    type(b->connectionCodeField(), QStringLiteral("   \t "));
    EXPECT_FALSE(b->saveCodeButton()->isEnabled());
    // "Connection Code" twice closes the row and keeps the text.
    b->connectionCodeButton()->click();
    EXPECT_FALSE(b->connectionCodeField()->isVisible());
    b->connectionCodeButton()->click();
    EXPECT_EQ(b->connectionCodeField()->text(), QStringLiteral("   \t "));

    // A refused code keeps everything open.
    type(b->connectionCodeField(), QStringLiteral("not-a-token"));
    b->saveCodeButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return store->lastError().has_value(); }, kWaitMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(b->connectionCodeField()->text(), QStringLiteral("not-a-token"));
    EXPECT_TRUE(b->uiState()->showManualToken());

    // A padded code is handed over as typed; the store trims it and signs in; everything closes.
    const QString padded
        = QStringLiteral("  ") + QString::fromLatin1(ZunoFakeGateway::kToken) + QStringLiteral("  ");
    type(b->connectionCodeField(), padded);
    EXPECT_TRUE(b->saveCodeButton()->isEnabled());
    EXPECT_EQ(b->uiState()->manualTokenInput(), padded);
    b->saveCodeButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !b->uiState()->showOtherOptions(); }, kWaitMs));
    EXPECT_TRUE(store->isSignedIn());
    EXPECT_EQ(manager->savedToken(), QString::fromLatin1(ZunoFakeGateway::kToken));
    EXPECT_EQ(b->uiState()->manualTokenInput(), QString());
    EXPECT_FALSE(b->uiState()->showManualToken());
    EXPECT_FALSE(b->uiState()->showReconnectOptions());
    EXPECT_TRUE(b->switchAccountRow()->isVisible());
}

TEST_F(ZunoCreditsAuthBlockTest, BrowserSignInShowsItsProgressAndOpensOnlyThePublishedPage)
{
    auto b = block();
    EXPECT_EQ(b->browserButton()->symbol(), QStringLiteral("safari"));
    EXPECT_FALSE(b->pendingRow()->isVisible());
    b->browserButton()->click();
    ASSERT_TRUE(store->isSigningIn());
    EXPECT_FALSE(b->browserButton()->isEnabled());
    EXPECT_TRUE(b->browserButton()->isBusy());
    EXPECT_TRUE(b->pendingRow()->isVisible());
    EXPECT_EQ(b->pendingMessage()->text(), QStringLiteral("Complete sign-in in your browser\u2026"));
    EXPECT_EQ(b->openBrowserButton()->isVisible(), store->pendingConnectURL().has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return store->pendingConnectURL().has_value(); }, kWaitMs));
    EXPECT_TRUE(b->openBrowserButton()->isVisible());
    desktop->opened.clear();
    b->openBrowserButton()->click();
    ASSERT_EQ(desktop->opened.size(), 1);
    EXPECT_EQ(desktop->opened.first(), *store->pendingConnectURL());

    b->cancelButton()->click();
    EXPECT_FALSE(store->isSigningIn());
    EXPECT_FALSE(b->pendingRow()->isVisible());
    EXPECT_TRUE(b->browserButton()->isEnabled());
    EXPECT_FALSE(b->browserButton()->isBusy());
}

TEST_F(ZunoCreditsAuthBlockTest, DeviceSignInShowsTheCodeWithoutTheBrowserSpinner)
{
    holdDeviceApproval();
    auto b = block();
    startDevice(*b);
    EXPECT_FALSE(b->browserButton()->isEnabled());
    EXPECT_FALSE(b->browserButton()->isBusy());
    EXPECT_EQ(b->browserButton()->symbol(), QStringLiteral("safari"));
    EXPECT_EQ(b->pendingMessage()->text(), QStringLiteral("Waiting for device approval in browser\u2026"));
    EXPECT_FALSE(b->openBrowserButton()->isVisible());
    EXPECT_FALSE(b->deviceCodeButton()->isEnabled());
    ASSERT_TRUE(b->deviceCodeRow()->isVisible());
    EXPECT_EQ(b->deviceCodeLabel()->text(), QString::fromLatin1(ZunoFakeGateway::kUserCode));
    EXPECT_EQ(b->deviceCodeLabel()->palette().color(QPalette::WindowText), kAccent);

    // Copy puts the code on the clipboard; copying again keeps "Copied".
    EXPECT_EQ(b->copyButton()->text(), QStringLiteral("Copy"));
    b->copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1(ZunoFakeGateway::kUserCode));
    b->copyButton()->click();
    EXPECT_EQ(b->copyButton()->text(), QStringLiteral("Copied"));

    // Another code was never copied.
    gateway.script("POST", "/v1/device/code",
        { jsonReply(200,
            deviceStart("WXYZ-2345", "https://quarnwell.com/device?c=2", "https://quarnwell.com/device")) });
    b->cancelButton()->click();
    EXPECT_FALSE(b->deviceCodeRow()->isVisible());
    startDevice(*b);
    EXPECT_EQ(b->deviceCodeLabel()->text(), QStringLiteral("WXYZ-2345"));
    EXPECT_EQ(b->copyButton()->text(), QStringLiteral("Copy"));
}

TEST_F(ZunoCreditsAuthBlockTest, OnlyWebAddressesOfTheGatewayAreOpened)
{
    struct Case {
        const char *complete, *uri;
        const char *opened; // none: no button
    };
    const Case cases[] = {
        { "https://quarnwell.com/device?c=1", "https://quarnwell.com/device",
            "https://quarnwell.com/device?c=1" },
        { "not a url", "https://quarnwell.com/device", "https://quarnwell.com/device" },
        { "javascript:alert(1)", "http://quarnwell.com/device", "http://quarnwell.com/device" },
        { "javascript:alert(1)", "file:///etc/passwd", nullptr },
        { "file:///etc/passwd", "quarnwell://device", nullptr },
    };
    holdDeviceApproval();
    auto b = block();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.complete);
        gateway.script(
            "POST", "/v1/device/code", { jsonReply(200, deviceStart("ABCD-EFGH", c.complete, c.uri)) });
        store->cancelPendingSignIn();
        startDevice(*b);
        EXPECT_EQ(b->openVerificationButton()->isVisible(), c.opened != nullptr);
        desktop->opened.clear();
        if (c.opened) {
            b->openVerificationButton()->click();
            ASSERT_EQ(desktop->opened.size(), 1);
            EXPECT_EQ(desktop->opened.first(), QUrl(QString::fromLatin1(c.opened)));
        }
    }
}

TEST_F(ZunoCreditsAuthBlockTest, TurkishTexts)
{
    holdDeviceApproval();
    auto b = block(ZunoLanguage::tr);
    EXPECT_EQ(b->browserButton()->text(), QStringLiteral("Tarayıcı Üzerinden Giriş Yap \u2197"));
    EXPECT_EQ(
        b->otherOptionsRow()->title(), QStringLiteral("Diğer giriş yöntemleri (Cihaz Kodu, Bağlantı Kodu)"));
    EXPECT_EQ(b->deviceCodeButton()->text(), QStringLiteral("Cihaz Koduyla Bağlan"));
    EXPECT_EQ(b->connectionCodeButton()->text(), QStringLiteral("Bağlantı Kodu Gir"));
    EXPECT_EQ(b->connectionCodeField()->placeholderText(),
        QStringLiteral("quarnwell.com bağlantı kodunu yapıştırın (vrk_\u2026)\u2026"));
    EXPECT_EQ(b->saveCodeButton()->text(), QStringLiteral("Kaydet"));
    startDevice(*b);
    EXPECT_EQ(b->pendingMessage()->text(), QStringLiteral("Tarayıcıda cihaz onayı bekleniyor\u2026"));
    EXPECT_EQ(b->cancelButton()->text(), QStringLiteral("İptal"));
    EXPECT_EQ(b->copyButton()->text(), QStringLiteral("Kopyala"));
    b->copyButton()->click();
    EXPECT_EQ(b->copyButton()->text(), QStringLiteral("Kopyalandı"));
    EXPECT_EQ(b->openVerificationButton()->text(), QStringLiteral("Aç \u2197"));
    // The language changes; the state stays.
    b->setLanguage(ZunoLanguage::en);
    EXPECT_EQ(b->copyButton()->text(), QStringLiteral("Copied"));
    EXPECT_TRUE(b->uiState()->showOtherOptions());
}

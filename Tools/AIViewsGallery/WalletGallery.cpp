#include "WalletGallery.h"

#include "GallerySupport.h"
#include "ZunoButton.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsAuthBlock.h"
#include "ZunoCreditsAuthUIState.h"
#include "ZunoCreditsDisclosureButton.h"
#include "ZunoCreditsHeaderPill.h"
#include "ZunoCreditsWalletPopover.h"
#include "ZunoDesktopServices.h"
#include "ZunoFakeGateway.h"
#include "ZunoGroundBackground.h"

#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

using namespace std::chrono_literals;
using Json = nlohmann::json;
using Reply = ZunoFakeHttpServer::Reply;

namespace {

const QColor kAccent = QColor(0x38, 0xE8, 0xFF);

// Nothing is opened: the gallery only draws.
class QuietDesktop final : public ZunoDesktopServices {
public:
    void revealFile(const QString &) override { }
    void openUrl(const QUrl &) override { }
};

// A scratch account on the fake gateway with its own store.
class Account {
public:
    Account()
        : m_manager(std::make_shared<ZunoCreditsAccountManager>(
            m_scratch.filePath(QStringLiteral("account")), std::nullopt, m_gateway.baseURL()))
        , m_store(std::make_unique<ZunoCreditsAccountStore>(m_manager))
    {
    }
    ~Account()
    {
        m_store->cancelPendingSignIn();
        m_store.reset();
    }

    ZunoFakeGateway &gateway() { return m_gateway; }
    ZunoCreditsAccountStore &store() { return *m_store; }

    bool signIn(Json profile)
    {
        m_gateway.setProfile(std::move(profile));
        m_manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
        return refresh();
    }
    bool refresh()
    {
        m_store->refresh();
        return Gallery::waitFor([&] { return !m_store->isRefreshing(); });
    }

private:
    QTemporaryDir m_scratch;
    ZunoFakeGateway m_gateway;
    std::shared_ptr<ZunoCreditsAccountManager> m_manager;
    std::unique_ptr<ZunoCreditsAccountStore> m_store;
};

Json profile(qint64 available, qint64 unit = 1000)
{
    return { { "user_id", "user-1" }, { "email", "ayse.yilmaz@example.com" }, { "name", "Ayşe" },
        { "available_micros", available }, { "held_micros", 500'000 }, { "credit_unit_micros", unit } };
}

Json withBudget(Json profile)
{
    profile["current_app_budget"]
        = { { "app", "ZunoCam" }, { "daily_limit_credits", 100 }, { "monthly_limit_credits", 2000 },
              { "spent_today_credits", 86 }, { "spent_month_credits", 1234.4 }, { "near_limit", true } };
    profile["budget_warnings"] = Json::array({ { { "kind", "app_cap" }, { "severity", "warning" },
        { "app", "ZunoCam" }, { "message", "ZunoCam has used 86% of its daily cap." } } });
    return profile;
}

// A device sign-in that waits for approval and a browser sign-in that waits for the browser.
void holdSignIns(ZunoFakeGateway &gateway)
{
    gateway.script("POST", "/v1/device/token",
        { Reply::text(
            400, R"({"error":"authorization_pending"})", { { "Content-Type", "application/json" } }) });
}

bool renderPills(const QString &folder, ZunoLanguage language)
{
    struct Scene {
        const char *name;
        std::optional<Json> profile;
    };
    Json warning = profile(3'200'000);
    warning["low_balance"] = true;
    const Scene scenes[] = {
        { "pill-signed-out", std::nullopt },
        { "pill-healthy", profile(12'500'000) },
        { "pill-warning", warning },
        { "pill-critical", profile(0) },
        { "pill-unit-0", profile(4200, 0) },
    };
    for (const Scene &scene : scenes) {
        Account account;
        if (scene.profile ? !account.signIn(*scene.profile) : !account.refresh())
            return false;
        auto *pill = new ZunoCreditsHeaderPill(account.store(), kAccent, language);
        const bool saved
            = Gallery::save(pill, folder, QString::fromLatin1(scene.name), language, Gallery::Mount::bare);
        delete pill;
        if (!saved)
            return false;
    }
    return true;
}

bool renderPopovers(const QString &folder, ZunoLanguage language)
{
    const auto render = [&](const char *name, Account &account, const std::function<void()> &prepare = {}) {
        auto *popover = new ZunoCreditsWalletPopover(account.store(), kAccent, language);
        if (prepare)
            prepare();
        Gallery::settle();
        const bool saved
            = Gallery::save(popover, folder, QString::fromLatin1(name), language, Gallery::Mount::bare);
        delete popover;
        return saved;
    };
    {
        Account account;
        if (!account.refresh() || !render("popover-connect", account))
            return false;
    }
    Account account;
    if (!account.signIn(withBudget(profile(12'500'000))) || !render("popover-account", account))
        return false;
    account.gateway().script("GET", "/v1/me",
        { Reply::text(200, QByteArray::fromStdString(withBudget(profile(12'500'000)).dump()),
            { { "Content-Type", "application/json" } })
                .delayed(1500ms) });
    if (!render("popover-refreshing", account, [&] { account.store().refresh(); }) || !account.refresh())
        return false;
    account.gateway().script("GET", "/v1/me", { Reply::text(503, "Service Unavailable") });
    return account.refresh() && render("popover-error", account);
}

bool renderSignIns(const QString &folder, ZunoLanguage language)
{
    const auto render = [&](const char *name, Account &account,
                            const std::function<void(ZunoCreditsAuthBlock &)> &prepare = {}) {
        auto *block = new ZunoCreditsAuthBlock(account.store(), kAccent, language, true);
        if (prepare)
            prepare(*block);
        Gallery::settle();
        const bool saved = Gallery::save(block, folder, QString::fromLatin1(name), language);
        delete block;
        return saved;
    };
    Account account;
    holdSignIns(account.gateway());
    if (!account.refresh() || !render("auth-signed-out", account))
        return false;
    if (!render("auth-connection-code", account, [](ZunoCreditsAuthBlock &block) {
            block.otherOptionsRow()->click();
            block.connectionCodeButton()->click();
            block.connectionCodeField()->insert(QStringLiteral("vrk_0123456789"));
        }))
        return false;
    account.store().startOneClickSignIn();
    if (!Gallery::waitFor([&] { return account.store().pendingConnectURL().has_value(); })
        || !render("auth-browser", account))
        return false;
    account.store().startDeviceSignIn();
    if (!Gallery::waitFor([&] { return account.store().pendingDeviceSignIn().has_value(); })
        || !render(
            "auth-device", account, [](ZunoCreditsAuthBlock &block) { block.otherOptionsRow()->click(); }))
        return false;
    account.store().cancelPendingSignIn();
    if (!account.signIn(profile(12'500'000)) || !render("auth-signed-in", account)
        || !render("auth-switch-account", account,
            [](ZunoCreditsAuthBlock &block) { block.switchAccountRow()->click(); }))
        return false;
    return true;
}

// The real popup window, opened by clicking the pill in a header.
bool renderPopup(const QString &folder, ZunoLanguage language)
{
    Account account;
    if (!account.signIn(withBudget(profile(12'500'000))))
        return false;
    ZunoGroundBackground header(ZunoProductPalette::deepCoral);
    auto *row = new QHBoxLayout(&header);
    row->addStretch(1);
    auto *pill = new ZunoCreditsHeaderPill(account.store(), kAccent, language, &header);
    row->addWidget(pill);
    header.resize(720, 52);
    header.move(100, 40);
    header.show();
    Gallery::settle(300);
    pill->click();
    if (!Gallery::waitFor([&] { return pill->popupWindow() && pill->popupWindow()->isVisible(); }))
        return false;
    Gallery::settle(300);
    const QString path = QDir(folder).filePath(QStringLiteral("pill-popup-%1.png").arg(rawValue(language)));
    const QImage image = pill->popupWindow()->grab().toImage();
    pill->setPopoverPresented(false);
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

} // namespace

bool renderWallet(const QString &folder, ZunoLanguage language)
{
    const auto previous = ZunoDesktopServices::replaceShared(std::make_shared<QuietDesktop>());
    bool ok = renderPills(folder, language) && renderPopovers(folder, language)
        && renderSignIns(folder, language);
    if (ok && QGuiApplication::platformName() == QLatin1String("xcb"))
        ok = renderPopup(folder, language);
    ZunoDesktopServices::replaceShared(previous);
    return ok;
}

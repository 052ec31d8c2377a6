// The credits views in a window on the shared credits store, against the loopback stand-in gateway by
// default (signed in, with a budget and a warning) or a real gateway and account folder.
//
//   AIViewsDemo --view pill [--gateway URL --account-dir DIR] [--print-urls] [--language CODE]

#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsHeaderPill.h"
#include "ZunoDemoSignalQuit.h"
#include "ZunoDesktopServices.h"
#include "ZunoFakeGateway.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoLanguage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHBoxLayout>
#include <QLabel>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

// Prints what would be opened; the browser is not started.
class PrintingDesktop final : public ZunoDesktopServices {
public:
    void revealFile(const QString &path) override { std::printf("reveal: %s\n", qPrintable(path)); }
    void openUrl(const QUrl &url) override
    {
        std::printf("open: %s\n", qPrintable(url.toString()));
        std::fflush(stdout);
    }
};

int fail(const QString &message)
{
    std::fprintf(stderr, "AIViewsDemo: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int runPillDemo(int argc, char **argv)
{
    QApplication app(argc, argv);
    ZunoDemoSignalQuit quitOnSignal; // Ctrl+C still removes the temporary folders
    ZunoFonts::applyApplicationFont();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("AIViewsDemo --view pill: the credits views on the shared credits store."));
    parser.addHelpOption();
    const QCommandLineOption gatewayOption(QStringLiteral("gateway"),
        QStringLiteral("A gateway instead of the loopback stand-in."), QStringLiteral("URL"));
    const QCommandLineOption accountDirOption(QStringLiteral("account-dir"),
        QStringLiteral("The account folder (default: a temporary one)."), QStringLiteral("DIR"));
    const QCommandLineOption printOption(
        QStringLiteral("print-urls"), QStringLiteral("Print the addresses instead of opening them."));
    const QCommandLineOption languageOption(QStringLiteral("language"),
        QStringLiteral("A fixed language (default: the application's)."), QStringLiteral("CODE"));
    parser.addOptions({ gatewayOption, accountDirOption, printOption, languageOption });
    parser.process(app);
    std::optional<ZunoLanguage> language;
    if (parser.isSet(languageOption)) {
        language = ZunoLanguages::fromRawValue(parser.value(languageOption));
        if (!language)
            return fail(QStringLiteral("unknown language: ") + parser.value(languageOption));
    }

    std::unique_ptr<ZunoFakeGateway> fake;
    QString gateway = parser.value(gatewayOption);
    if (gateway.isEmpty()) {
        fake = std::make_unique<ZunoFakeGateway>();
        gateway = fake->baseURL();
        fake->setProfile({ { "user_id", "user-1" }, { "email", "user@example.com" }, { "name", "Test User" },
            { "available_micros", 12'500'000 }, { "held_micros", 500'000 }, { "credit_unit_micros", 1000 },
            { "budget_warnings",
                { { { "kind", "low_balance" }, { "severity", "warning" },
                    { "message", "Your balance is below 15 credits." } } } } });
    }
    QTemporaryDir temporaryAccount;
    QString accountDir = parser.value(accountDirOption);
    if (accountDir.isEmpty()) {
        if (!temporaryAccount.isValid())
            return fail(QStringLiteral("cannot make a temporary account folder"));
        accountDir = temporaryAccount.path();
    }
    // Before the shared store is made: it and its manager read them once.
    qputenv(ZunoCreditsAccountManager::kGatewayURLEnvironmentVariable, gateway.toUtf8());
    qputenv(ZunoCreditsAccountManager::kAccountDirectoryVariable, accountDir.toUtf8());
    std::printf("gateway: %s\naccount folder: %s\n", qPrintable(gateway), qPrintable(accountDir));
    std::fflush(stdout);
    if (parser.isSet(printOption))
        ZunoDesktopServices::replaceShared(std::make_shared<PrintingDesktop>());
    if (fake) {
        // Signed in to the stand-in from the start; the wallet's sign-out and sign-in routes work on it.
        const ZunoCreditsAccountManager account(accountDir, std::nullopt, gateway);
        account.saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
        if (account.savedToken() != QString::fromLatin1(ZunoFakeGateway::kToken))
            return fail(QStringLiteral("cannot save the stand-in's token in ") + accountDir);
    }

    ZunoCreditsAccountStore &store = ZunoCreditsAccountStore::shared();
    ZunoGroundBackground window(ZunoProductPalette::deepCoral);
    window.setWindowTitle(QStringLiteral("AIViewsDemo — credits pill"));
    auto *header = new QHBoxLayout(&window);
    header->setContentsMargins(16, 10, 16, 10);
    auto *title = new QLabel(QStringLiteral("ZunoCam"), &window);
    title->setFont(ZunoFonts::system(13, QFont::DemiBold));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, ZunoGlassTokens::textPrimary());
    title->setPalette(palette);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(new ZunoCreditsHeaderPill(store, QColor(0x38, 0xE8, 0xFF), language, &window));
    window.resize(720, 52);
    window.show();
    return app.exec();
}

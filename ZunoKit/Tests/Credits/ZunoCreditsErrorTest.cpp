#include "ZunoCreditsError.h"

#include <gtest/gtest.h>

TEST(ZunoCreditsError, MessagesInEnglishAndTurkish)
{
    struct Case {
        ZunoCreditsError error;
        const char *en;
        const char *tr;
    };
    const Case cases[] = {
        { ZunoCreditsError::insufficientCredits(42),
            "Insufficient Quarnwell Credits. Top up at quarnwell.com or switch to your own API key / local "
            "Ollama.",
            "Quarnwell Krediniz yetersiz. quarnwell.com üzerinden kredi yükleyebilir veya kendi API "
            "anahtarınıza / "
            "yerel Ollama'ya geçebilirsiniz." },
        { ZunoCreditsError::serverError(502, QStringLiteral("Bad gateway")), "HTTP 502: Bad gateway",
            "HTTP 502: Bad gateway" },
        // No text to add (an error page, an empty body): the status alone, without a dangling colon.
        { ZunoCreditsError::serverError(0, QString()), "HTTP 0", "HTTP 0" },
        { ZunoCreditsError::tokenNotSaved(QStringLiteral("/home/u/account.json")),
            "Could not save the sign-in in /home/u/account.json",
            "Oturum açma bilgisi /home/u/account.json konumuna kaydedilemedi" },
        { ZunoCreditsError::signInFailed(QStringLiteral("Code refused")), "Code refused", "Code refused" },
        { ZunoCreditsError::invalidGatewayURL(), "Invalid Quarnwell API gateway URL.",
            "Geçersiz Quarnwell API geçit adresi." },
        { ZunoCreditsError::notSignedIn(),
            "Connect your quarnwell.com account first to use Quarnwell Credits.",
            "Quarnwell Kredisi kullanmak için önce quarnwell.com hesabınızı bağlayın." },
        { ZunoCreditsError::unauthorized(),
            "Your Quarnwell session expired. Please reconnect your quarnwell.com account.",
            "Quarnwell oturumunuzun süresi doldu. Lütfen quarnwell.com hesabınızı yeniden bağlayın." },
        { ZunoCreditsError::signInTimedOut(), "Browser sign-in timed out. Please try connecting again.",
            "Tarayıcı bağlantısı zaman aşımına uğradı. Lütfen yeniden bağlanmayı deneyin." },
        { ZunoCreditsError::signInCancelled(), "Sign-in was cancelled.", "Hesap bağlantısı iptal edildi." },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.error.description(ZunoLanguage::en), QString::fromUtf8(c.en));
        EXPECT_EQ(c.error.description(ZunoLanguage::tr), QString::fromUtf8(c.tr));
    }
    // The untranslated cases read the same in every language.
    EXPECT_EQ(ZunoCreditsError::serverError(500, QString()).description(ZunoLanguage::de),
        QStringLiteral("HTTP 500"));
    EXPECT_EQ(ZunoCreditsError::insufficientCredits(7).availableMicros(), 7);
    EXPECT_FALSE(ZunoCreditsError::insufficientCredits(std::nullopt).availableMicros());
    EXPECT_EQ(ZunoCreditsError::serverError(401, QStringLiteral("x")),
        ZunoCreditsError::serverError(401, QStringLiteral("x")));
}

TEST(ZunoCreditsError, EqualOnlyWhenEveryFieldIs)
{
    EXPECT_EQ(ZunoCreditsError::insufficientCredits(42), ZunoCreditsError::insufficientCredits(42));
    EXPECT_EQ(ZunoCreditsError::notSignedIn(), ZunoCreditsError::notSignedIn());

    struct Case {
        const char *field;
        ZunoCreditsError one;
        ZunoCreditsError other;
    };
    const Case cases[] = {
        { "kind", ZunoCreditsError::signInFailed(QStringLiteral("/a")),
            ZunoCreditsError::tokenNotSaved(QStringLiteral("/a")) },
        { "kind without a value", ZunoCreditsError::notSignedIn(), ZunoCreditsError::unauthorized() },
        { "availableMicros", ZunoCreditsError::insufficientCredits(42),
            ZunoCreditsError::insufficientCredits(43) },
        { "availableMicros, one unknown", ZunoCreditsError::insufficientCredits(0),
            ZunoCreditsError::insufficientCredits(std::nullopt) },
        { "status", ZunoCreditsError::serverError(502, QStringLiteral("Bad gateway")),
            ZunoCreditsError::serverError(503, QStringLiteral("Bad gateway")) },
        { "message", ZunoCreditsError::serverError(502, QStringLiteral("Bad gateway")),
            ZunoCreditsError::serverError(502, QStringLiteral("Bad Gateway")) },
    };
    for (const Case &c : cases) {
        EXPECT_FALSE(c.one == c.other) << "differs only in " << c.field;
        EXPECT_FALSE(c.other == c.one) << "differs only in " << c.field;
    }
}

// The header pill on the real store over the fake gateway: its label, tooltip, colours and mark, the
// language it follows, and the popup it opens and closes.
#include "ZunoCreditsHeaderPill.h"

#include "CreditsViewsFixture.h"
#include "ZunoCreditsWalletPopover.h"
#include "ZunoGlassTokens.h"

#include <QKeyEvent>
#include <QPointer>

using namespace CreditsViews;

namespace {

const QColor kAccent(0x38, 0xE8, 0xFF);

class ZunoCreditsHeaderPillTest : public Fixture {
protected:
    std::unique_ptr<ZunoCreditsHeaderPill> pill(std::optional<ZunoLanguage> language = ZunoLanguage::en)
    {
        auto made = std::make_unique<ZunoCreditsHeaderPill>(*store, kAccent, language);
        made->resize(made->sizeHint());
        made->show();
        return made;
    }

    Json warnings(std::initializer_list<std::pair<const char *, const char *>> list, Json body)
    {
        Json array = Json::array();
        for (const auto &[severity, message] : list)
            array.push_back({ { "kind", "cap" }, { "severity", severity }, { "message", message } });
        body["budget_warnings"] = array;
        return body;
    }
};

} // namespace

TEST_F(ZunoCreditsHeaderPillTest, LabelDividesByAUnitAboveOne)
{
    struct Case {
        qint64 available, unit;
        const char *label;
    };
    const Case cases[] = {
        { 12'500'000, 1'000'000, "12.5 cr" },
        { 12'500'000, 1000, "12,500 cr" },
        { 4200, 0, "4,200 cr" },
        { 4200, 1, "4,200 cr" },
        { 4200, -5, "4,200 cr" },
        { -4200, 1000, "0 cr" },
    };
    signIn();
    auto p = pill();
    for (const Case &c : cases) {
        gateway.setProfile(profile(c.available, c.unit));
        refreshNow();
        EXPECT_EQ(p->pillLabel(), QString::fromUtf8(c.label)) << c.available << " / " << c.unit;
        EXPECT_EQ(p->toolTip(), QString::fromUtf8(c.label) + QStringLiteral(" \u00B7 user@example.com"));
    }
}

TEST_F(ZunoCreditsHeaderPillTest, SignedOutAsksToConnect)
{
    auto p = pill();
    EXPECT_EQ(p->pillLabel(), QStringLiteral("Credits"));
    EXPECT_FALSE(p->markColor());
    EXPECT_EQ(p->dotColor(), ZunoGlassTokens::textMuted());
    EXPECT_EQ(p->borderColor(), ZunoGlassTokens::borderSubtle());
    EXPECT_EQ(p->toolTip(), QStringLiteral("Connect your quarnwell.com shared credits wallet"));
    auto turkish = pill(ZunoLanguage::tr);
    EXPECT_EQ(turkish->pillLabel(), QStringLiteral("Kredi"));
    EXPECT_EQ(turkish->toolTip(), QStringLiteral("quarnwell.com ortak kredi cüzdanınızı bağlayın"));
}

TEST_F(ZunoCreditsHeaderPillTest, TooltipNamesTheHostWithoutAnEmailAndTheFirstWarning)
{
    // Absent (null), empty or blank: the host stands in for the e-mail.
    for (const char *email : { static_cast<const char *>(nullptr), "", "  " }) {
        Json body = profile(12'500'000);
        if (email)
            body["email"] = email;
        else
            body.erase("email");
        signIn(warnings({ { "warning", "First warning." }, { "warning", "Second warning." } }, body));
        EXPECT_EQ(pill()->toolTip(), QStringLiteral("12,500 cr \u00B7 quarnwell.com \u2014 First warning."))
            << (email ? email : "absent");
    }
    auto p = pill();
    EXPECT_EQ(p->markColor(), ZunoGlassTokens::warning());
    EXPECT_EQ(p->dotColor(), ZunoGlassTokens::warning());
}

TEST_F(ZunoCreditsHeaderPillTest, ACriticalWarningAloneTurnsThePillRed)
{
    signIn(warnings({ { "CRITICAL", "Cap reached." } }, profile(12'500'000)));
    auto p = pill();
    EXPECT_EQ(p->dotColor(), ZunoGlassTokens::danger());
    EXPECT_EQ(p->markColor(), ZunoGlassTokens::danger());
    QColor border = ZunoGlassTokens::danger();
    border.setAlphaF(0.65);
    EXPECT_EQ(p->borderColor(), border);
    // The border's pixel at the top centre: the border over the surface over black.
    QWidget ground;
    ground.setAutoFillBackground(true);
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, Qt::black);
    ground.setPalette(palette);
    p->setParent(&ground);
    p->move(0, 0);
    ground.resize(p->size());
    ground.show();
    const QColor pixel = ground.grab().toImage().pixelColor(p->width() / 2, 0);
    const auto blend = [](int channel) {
        const double surface = 255 * 0.10;
        return int(std::lround(surface * (1 - 0.65) + channel * 0.65));
    };
    const QColor danger = ZunoGlassTokens::danger();
    EXPECT_NEAR(pixel.red(), blend(danger.red()), 8) << qPrintable(pixel.name());
    EXPECT_NEAR(pixel.green(), blend(danger.green()), 8);
    EXPECT_NEAR(pixel.blue(), blend(danger.blue()), 8);
    p->setParent(nullptr);
}

TEST_F(ZunoCreditsHeaderPillTest, TheUnitFollowsTheApplicationLanguage)
{
    signIn();
    auto p = pill(std::nullopt);
    const int englishWidth = p->sizeHint().width();
    EXPECT_EQ(p->pillLabel(), QStringLiteral("12,500 cr"));
    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return p->toolTip().startsWith(QStringLiteral("12.500 kr")); }, kWaitMs));
    EXPECT_EQ(p->pillLabel(), QStringLiteral("12.500 kr"));
    EXPECT_GT(englishWidth, 0);
    ZunoLanguages::setCurrent(ZunoLanguage::en);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return p->toolTip().startsWith(QStringLiteral("12,500 cr")); }, kWaitMs));
}

TEST_F(ZunoCreditsHeaderPillTest, AClickOpensThePopupBelowAndEscapeOrAnotherClickClosesIt)
{
    signIn();
    QWidget header;
    auto *p = new ZunoCreditsHeaderPill(*store, kAccent, ZunoLanguage::tr, &header);
    p->move(20, 10);
    header.resize(400, 60);
    header.show();
    p->click();
    ASSERT_TRUE(p->isPopoverPresented());
    ASSERT_NE(p->popupWindow(), nullptr);
    EXPECT_TRUE(p->popupWindow()->isVisible());
    EXPECT_TRUE(p->popupWindow()->windowFlags() & Qt::Popup);
    EXPECT_EQ(p->popover()->language(), ZunoLanguage::tr);
    EXPECT_GE(p->popupWindow()->y(), p->mapToGlobal(QPoint(0, p->height())).y());

    QTest::keyClick(p->popupWindow(), Qt::Key_Escape);
    EXPECT_FALSE(p->isPopoverPresented());
    QCoreApplication::processEvents();
    EXPECT_EQ(p->popupWindow(), nullptr);

    p->click();
    EXPECT_TRUE(p->isPopoverPresented());
    QPointer<QWidget> popup = p->popupWindow();
    p->click();
    EXPECT_FALSE(p->isPopoverPresented());
    EXPECT_TRUE(popup.isNull() || !popup->isVisible());

    // A pill that goes away with its popup open takes the popup along.
    p->click();
    popup = p->popupWindow();
    ASSERT_FALSE(popup.isNull());
    delete p;
    EXPECT_TRUE(popup.isNull());
}

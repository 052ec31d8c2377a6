#include "ZunoFeedbackButton.h"

#include "ZunoFeedbackService.h"
#include "ZunoLoggerFakes.h"
#include "ZunoScopedEnvironment.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

const ZunoAppVersion kVersion { QStringLiteral("1.0.0"), QStringLiteral("100") };

struct Look {
    const char *name;
    ZunoFeedbackButtonStyle style;
    ZunoLanguage language;
    const char *path;
};

class FeedbackButtonLooks : public ::testing::TestWithParam<Look> { };

} // namespace

TEST_P(FeedbackButtonLooks, AClickOpensThePageOnceAndChangesNothingElse)
{
    ZunoScopedEnvironment environment(ZunoFeedbackService::kBaseURLEnvironmentVariable, QByteArray());
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> desktop;
    const Look look = GetParam();
    ZunoFeedbackButton button(
        QStringLiteral("ZunoCam"), kVersion, ZunoFeedbackKind::feature, look.language, look.style);
    button.resize(button.sizeHint());
    button.show();
    const QImage before = button.grab().toImage();

    QTest::mouseClick(button.button(), Qt::LeftButton, {}, button.button()->rect().center());

    ASSERT_EQ(desktop.fake->opened.size(), 1);
    const QUrl url = desktop.fake->opened.first();
    EXPECT_EQ(url.host(), QStringLiteral("quarnwell.com")) << "no base URL: the service resolves it";
    EXPECT_EQ(url.path(), QString::fromLatin1(look.path));
    EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("type")), QStringLiteral("feature"));
    EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("version")), QStringLiteral("1.0.0"));
    EXPECT_TRUE(desktop.fake->revealed.isEmpty());
    EXPECT_EQ(button.grab().toImage(), before) << "the button looks the same after the click";
}

INSTANTIATE_TEST_SUITE_P(BothLooks, FeedbackButtonLooks,
    ::testing::Values(
        Look { "compactEnglish", ZunoFeedbackButtonStyle::compactIcon, ZunoLanguage::en, "/en/feedback" },
        Look {
            "compactTurkish", ZunoFeedbackButtonStyle::compactIcon, ZunoLanguage::tr, "/tr/geri-bildirim" },
        Look { "pillEnglish", ZunoFeedbackButtonStyle::labeledPill, ZunoLanguage::en, "/en/feedback" },
        Look { "pillTurkish", ZunoFeedbackButtonStyle::labeledPill, ZunoLanguage::tr, "/tr/geri-bildirim" }),
    [](const ::testing::TestParamInfo<Look> &info) { return std::string(info.param.name); });

TEST(ZunoFeedbackButton, AGivenBaseURLReachesTheServiceUnchanged)
{
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> desktop;
    ZunoFeedbackButton button(QStringLiteral("ZunoCam"), kVersion, ZunoFeedbackKind::feature,
        ZunoLanguage::en, ZunoFeedbackButtonStyle::labeledPill, QStringLiteral("http://127.0.0.1:8099/site"));
    button.show();
    button.button()->click();
    ASSERT_EQ(desktop.fake->opened.size(), 1);
    EXPECT_EQ(desktop.fake->opened.first().toString(QUrl::RemoveQuery),
        QStringLiteral("http://127.0.0.1:8099/site/en/feedback"));
}

TEST(ZunoFeedbackButton, TurkishTitleAndTooltips)
{
    ZunoFeedbackButton pill(QStringLiteral("ZunoCam"), kVersion, ZunoFeedbackKind::feature, ZunoLanguage::tr,
        ZunoFeedbackButtonStyle::labeledPill);
    ZunoFeedbackButton compact(QStringLiteral("ZunoCam"), kVersion, ZunoFeedbackKind::feature,
        ZunoLanguage::tr, ZunoFeedbackButtonStyle::compactIcon);
    const QString tooltip = QStringLiteral("Sizi dinliyoruz — Hata bildir veya fikir paylaş");
    EXPECT_EQ(pill.button()->text(), QStringLiteral("Geri Bildirim & Fikir Gönder"));
    EXPECT_EQ(pill.button()->toolTip(), tooltip);
    EXPECT_EQ(compact.button()->toolTip(), tooltip);
    EXPECT_TRUE(compact.button()->text().isEmpty()) << "the compact look is the symbol alone";
    EXPECT_TRUE(pill.button()->shortcut().isEmpty()) << "the title's & is no mnemonic";

    pill.setLanguage(ZunoLanguage::en);
    EXPECT_EQ(pill.button()->text(), QStringLiteral("Send Feedback & Ideas"));
    EXPECT_EQ(pill.button()->toolTip(), QStringLiteral("Listening to you — Report a bug or share an idea"));
}

TEST(ZunoFeedbackButton, CompactLookIsAnAccessibleCapsuleWithoutFocus)
{
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> desktop;
    ZunoFeedbackButton button(QStringLiteral("ZunoCam"), kVersion, ZunoFeedbackKind::feature,
        ZunoLanguage::en, ZunoFeedbackButtonStyle::compactIcon);
    button.resize(button.sizeHint());
    button.show();
    QAbstractButton *capsule = button.button();
    EXPECT_EQ(capsule->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(capsule->size(), capsule->sizeHint()) << "sized to its content";

    QTest::mouseClick(capsule, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(desktop.fake->opened.isEmpty()) << "a corner outside the capsule";

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(capsule);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name),
        QStringLiteral("Listening to you — Report a bug or share an idea"));
    ASSERT_NE(accessible->actionInterface(), nullptr);
    QSignalSpy clicked(capsule, &QAbstractButton::clicked);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(20000));
    EXPECT_EQ(desktop.fake->opened.size(), 1);
}

// The presenter and settings tabs on a view model with fake services.
#include "StudioTestFixture.h"

#include "CamSettingsView.h"
#include "PresentationToolTile.h"
#include "PresentationToolsView.h"
#include "StudioSliderControl.h"
#include "TeleprompterStudioView.h"
#include "ZunoButton.h"
#include "ZunoDefaults.h"
#include "ZunoGlassSwitch.h"
#include "ZunoGlassTokens.h"
#include "ZunoLanguagePicker.h"
#include "ZunoScopedEnvironment.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>

namespace {

const QColor kAccent(255, 111, 97);

// The system's preferred languages for one test.
class ScopedSystemLanguages : public ZunoScopedEnvironment {
public:
    explicit ScopedSystemLanguages(const QByteArray &languages)
    {
        set("LANGUAGE", languages);
        set("LC_ALL", QByteArray());
        set("LC_MESSAGES", QByteArray());
        set("LANG", "C");
    }
};

QString storedPreference()
{
    return ZunoDefaults::standard().string(ZunoLanguages::kDefaultsKey);
}

} // namespace

TEST_F(StudioTest, PresenterTabMarksOneToolAndFollowsTheOverlay)
{
    start();
    vm->setLanguage(ZunoLanguage::en);
    PresentationToolsView view(*vm, kAccent);
    view.resize(1000, 400);
    view.show();
    ASSERT_EQ(view.tiles().size(), 6u);
    for (std::size_t i = 0; i < view.tiles().size(); ++i)
        EXPECT_EQ(view.tiles()[i]->mode(), PresentationOverlayModes::allCases()[i]);

    struct Case {
        std::size_t tile;
        QString symbol;
        QString label;
    };
    const Case cases[] {
        { 4, QStringLiteral("1.circle.fill"), QStringLiteral("Step Stamp (1,2,3)") },
        { 5, QStringLiteral("flashlight.on.fill"), QStringLiteral("Cursor Spotlight") },
        { 0, QStringLiteral("wand.and.stars"), QStringLiteral("Fading Laser") },
    };
    for (const Case &c : cases) {
        QTest::mouseClick(view.tiles()[c.tile], Qt::LeftButton);
        EXPECT_EQ(vm->overlayMode(), PresentationOverlayModes::allCases()[c.tile]);
        EXPECT_EQ(view.overlayButton()->symbol(), c.symbol);
        EXPECT_EQ(view.tiles()[c.tile]->text(), c.label);
        int selected = 0;
        for (PresentationToolTile *tile : view.tiles()) {
            selected += tile->isSelected() ? 1 : 0;
            EXPECT_EQ(tile->symbolColor(), tile->isSelected() ? kAccent : ZunoGlassTokens::textSecondary());
        }
        EXPECT_EQ(selected, 1);
        EXPECT_TRUE(view.tiles()[c.tile]->isSelected());
    }

    EXPECT_EQ(view.overlayButton()->text(), QStringLiteral("Activate Overlay (Super+Alt+L)"));
    QTest::mouseClick(view.overlayButton(), Qt::LeftButton);
    ASSERT_TRUE(vm->isLaserOverlayVisible());
    EXPECT_EQ(view.overlayButton()->text(), QStringLiteral("Dismiss Overlay"));
    vm->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(view.overlayButton()->text(), QStringLiteral("Katmanı Kapat"));
    EXPECT_EQ(view.headerText(), QStringLiteral("Ekran Üstü Sunum Lazeri, Kalem ve Spot Işığı"));
    EXPECT_EQ(view.tiles()[1]->text(), QStringLiteral("Sunum Kalemi"));
    QTest::mouseClick(view.overlayButton(), Qt::LeftButton);
    EXPECT_FALSE(vm->isLaserOverlayVisible());
    EXPECT_EQ(view.overlayButton()->text(), QStringLiteral("Katmanı Başlat (Super+Alt+L)"));
}

TEST_F(StudioTest, SettingsLoginSwitchShowsTheRealStateAfterARefusal)
{
    makeFakes();
    fakes.system->setLaunchAtLoginWritable(false);
    start();
    CamSettingsView view(*vm);
    view.show();
    EXPECT_FALSE(view.loginSwitch()->isChecked());
    EXPECT_EQ(view.loginSwitch()->text(), QStringLiteral("Launch at Login"));
    view.loginSwitch()->click();
    EXPECT_FALSE(vm->launchAtLogin());
    EXPECT_FALSE(view.loginSwitch()->isChecked()) << "the refused change is not shown";
    EXPECT_TRUE(vm->toastIsError());

    fakes.system->setLaunchAtLoginWritable(true);
    view.loginSwitch()->click();
    EXPECT_TRUE(vm->launchAtLogin());
    EXPECT_TRUE(view.loginSwitch()->isChecked());
}

TEST_F(StudioTest, ChoosingALanguageRelabelsTheStudioAtOnceAndStoresIt)
{
    const ScopedSystemLanguages system("de:fr");
    ZunoLanguages::setCurrent(ZunoLanguage::en);
    start();
    ASSERT_EQ(vm->language(), ZunoLanguage::en);
    TeleprompterStudioView teleprompter(*vm, kAccent);
    PresentationToolsView presenter(*vm, kAccent);
    CamSettingsView settings(*vm);
    flush();
    const int saves = fakes.store->saves();
    QSignalSpy changes(vm.get(), &CamStudioViewModel::languageChanged);

    settings.languagePicker()->choose(ZunoLanguage::tr);
    EXPECT_EQ(vm->language(), ZunoLanguage::tr);
    EXPECT_EQ(changes.count(), 1) << "the second announcement changes nothing";
    EXPECT_EQ(storedPreference(), QStringLiteral("tr"));
    EXPECT_EQ(settings.headingLabel()->text(), QStringLiteral("Genel Tercihler"));
    EXPECT_EQ(settings.loginSwitch()->text(), QStringLiteral("Oturum Açılışında Başlat"));
    EXPECT_EQ(settings.languageLabel()->text(), QStringLiteral("Arayüz Dili"));
    EXPECT_EQ(presenter.overlayButton()->text(), QStringLiteral("Katmanı Başlat (Super+Alt+L)"));
    EXPECT_EQ(teleprompter.paceSlider()->title(), QStringLiteral("Hız (Kelime/dk)"));
    QCoreApplication::processEvents();
    EXPECT_EQ(vm->language(), ZunoLanguage::tr);

    // The system entry keeps "system" stored and uses the first supported system language.
    settings.languagePicker()->chooseSystem();
    QCoreApplication::processEvents();
    EXPECT_EQ(storedPreference(), QStringLiteral("system"));
    EXPECT_EQ(vm->language(), ZunoLanguage::de);
    EXPECT_EQ(settings.languagePicker()->language(), ZunoLanguage::de);
    flush();
    EXPECT_EQ(fakes.store->saves(), saves) << "the language is not part of the studio document";
    ZunoLanguages::setCurrent(ZunoLanguage::en);
}

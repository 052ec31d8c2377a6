#include "ZunoLanguagePicker.h"
#include "ZunoDefaults.h"
#include "ZunoLanguageMenuButton.h"
#include "ZunoNotificationCenter.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

#include <gtest/gtest.h>

#include <optional>

namespace {

// The system's preferred languages for one test (LANGUAGE and LC_ALL), put back afterwards.
class SystemLanguages : public ZunoScopedEnvironment {
public:
    SystemLanguages(const char *language, const char *lcAll)
    {
        set("LANGUAGE", language);
        set("LC_ALL", lcAll);
    }
};

QString stored()
{
    return ZunoDefaults::standard().string(QString::fromLatin1(ZunoLanguages::kDefaultsKey));
}

void store(const QString &value)
{
    EXPECT_TRUE(ZunoDefaults::standard().setValue(QString::fromLatin1(ZunoLanguages::kDefaultsKey), value));
}

// Everything that happens during a choice, in order: change notifications and the caller's handler
// (with what was stored when it ran).
class Journal {
public:
    Journal()
    {
        m_token = ZunoNotificationCenter::shared().addObserver(
            QString::fromLatin1(ZunoLanguages::kLanguageDidChangeNotification), nullptr,
            [this](const QString &, const QVariant &payload) {
                events.push_back(QStringLiteral("notified ") + rawValue(payload.value<ZunoLanguage>()));
            });
    }
    ~Journal() { ZunoNotificationCenter::shared().removeObserver(m_token); }

    // A handler that, like an application's, also makes the language current.
    ZunoLanguageChoice::OnSelect handler(bool alsoSetCurrent)
    {
        return [this, alsoSetCurrent](ZunoLanguage language) {
            events.push_back(
                QStringLiteral("selected ") + rawValue(language) + QStringLiteral(" stored ") + stored());
            if (alsoSetCurrent)
                ZunoLanguages::setCurrent(language);
        };
    }

    QStringList events;

private:
    ZunoNotificationCenter::Token m_token;
};

QAction *menuRow(ZunoLanguageMenuButton &button, const QString &text)
{
    for (QAction *action : button.menu()->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

QStringList checkedRows(ZunoLanguageMenuButton &button)
{
    QStringList rows;
    for (QAction *action : button.menu()->actions()) {
        if (!action->icon().isNull())
            rows.append(action->text());
    }
    return rows;
}

} // namespace

TEST(ZunoLanguagePicker, StoredSystemInAnyCaseSelectsTheSystemEntry)
{
    for (const QString &value :
        { QStringLiteral("System"), QStringLiteral("SYSTEM"), QStringLiteral("system") }) {
        ZunoTestHome home;
        store(value);
        ZunoLanguagePicker picker(std::nullopt, ZunoLanguage::de, false);
        EXPECT_TRUE(picker.isFollowingSystem()) << qPrintable(value);
        EXPECT_EQ(picker.comboBox()->currentIndex(), 0) << qPrintable(value);
        ZunoLanguageMenuButton button(ZunoLanguage::de);
        EXPECT_TRUE(button.isFollowingSystem()) << qPrintable(value);
    }
    ZunoTestHome home;
    store(QStringLiteral("de"));
    ZunoLanguagePicker picker(std::nullopt, ZunoLanguage::de, false);
    EXPECT_FALSE(picker.isFollowingSystem());
    EXPECT_EQ(picker.comboBox()->currentText(), QStringLiteral("Deutsch (German)"));
}

TEST(ZunoLanguagePicker, RowsAreSystemSeparatorThenLanguagesByEnglishName)
{
    ZunoTestHome home;
    SystemLanguages system("de", "de_DE.UTF-8");
    ZunoLanguagePicker english(std::nullopt, ZunoLanguage::en, true);
    QComboBox *combo = english.comboBox();
    ASSERT_EQ(combo->count(), 2 + ZunoLanguages::kCount);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("System Language (Deutsch)"));
    EXPECT_TRUE(combo->itemText(1).isEmpty());
    const auto sorted = ZunoLanguages::sortedCases();
    for (int i = 0; i < ZunoLanguages::kCount; ++i)
        EXPECT_EQ(combo->itemText(i + 2), displayName(sorted[i]));
    EXPECT_EQ(english.title(), QStringLiteral("Language"));

    ZunoLanguagePicker turkish(std::nullopt, ZunoLanguage::tr, true);
    EXPECT_EQ(turkish.comboBox()->itemText(0), QStringLiteral("Sistem Dili (Deutsch)"));
    EXPECT_EQ(turkish.title(), QStringLiteral("Dil"));
    ZunoLanguagePicker titled(QStringLiteral("Interface"), ZunoLanguage::tr, true);
    EXPECT_EQ(titled.title(), QStringLiteral("Interface"));
}

TEST(ZunoLanguagePicker, ChoosingTheSystemKeepsSystemStoredWhateverTheHandlerDoes)
{
    ZunoTestHome home;
    SystemLanguages system("fr", "fr_FR.UTF-8");
    store(QStringLiteral("de"));
    Journal journal;
    ZunoLanguagePicker picker(std::nullopt, ZunoLanguage::de, false, journal.handler(true));
    picker.comboBox()->setCurrentIndex(0);
    emit picker.comboBox()->activated(0);
    EXPECT_EQ(stored(), QStringLiteral("system"));
    EXPECT_TRUE(picker.isFollowingSystem());
    EXPECT_EQ(picker.comboBox()->currentIndex(), 0);
    // Stored and announced first; the handler's own setCurrent announces without storing.
    EXPECT_EQ(journal.events,
        (QStringList { QStringLiteral("notified fr"), QStringLiteral("selected fr stored system"),
            QStringLiteral("notified fr") }));
    // The suppression ends with the handler.
    ZunoLanguages::setCurrent(ZunoLanguage::it);
    EXPECT_EQ(stored(), QStringLiteral("it"));
}

TEST(ZunoLanguagePicker, ChoosingALanguageStoresItAndAnnouncesBeforeTheHandler)
{
    ZunoTestHome home;
    store(QStringLiteral("system"));
    Journal journal;
    std::optional<ZunoLanguage> emitted;
    ZunoLanguagePicker picker(std::nullopt, ZunoLanguage::en, false, journal.handler(false));
    QObject::connect(&picker, &ZunoLanguagePicker::languageSelected, [&](ZunoLanguage l) { emitted = l; });
    const int row = picker.comboBox()->findText(QStringLiteral("Deutsch (German)"));
    ASSERT_GE(row, 2);
    emit picker.comboBox()->activated(row);
    EXPECT_EQ(stored(), QStringLiteral("de"));
    EXPECT_FALSE(picker.isFollowingSystem());
    EXPECT_EQ(journal.events,
        (QStringList { QStringLiteral("notified de"), QStringLiteral("selected de stored de") }));
    EXPECT_EQ(emitted, ZunoLanguage::de);
    // The caller shows the new language; the pop-up then shows it chosen.
    picker.setLanguage(ZunoLanguage::de);
    EXPECT_EQ(picker.comboBox()->currentIndex(), row);
}

TEST(ZunoLanguagePicker, UnsupportedSystemLanguagesFollowAsEnglish)
{
    ZunoTestHome home;
    SystemLanguages system("fil:sr_Latn", "fil_PH.UTF-8");
    Journal journal;
    ZunoLanguagePicker picker(std::nullopt, ZunoLanguage::en, false, journal.handler(false));
    EXPECT_EQ(picker.comboBox()->itemText(0).toStdString(), "System Language (English)");
    picker.chooseSystem();
    EXPECT_EQ(journal.events.value(1).toStdString(), "selected en stored system");
    EXPECT_EQ(picker.comboBox()->itemText(0).toStdString(), "System Language (English)");
}

TEST(ZunoLanguagePicker, WithoutTitleItStaysBetween190And260Wide)
{
    ZunoTestHome home;
    ZunoLanguagePicker bare(std::nullopt, ZunoLanguage::en, false);
    EXPECT_EQ(bare.minimumWidth(), 190);
    EXPECT_EQ(bare.maximumWidth(), 260);
    bare.resize(100, 30);
    EXPECT_EQ(bare.width(), 190);
    bare.resize(400, 30);
    EXPECT_EQ(bare.width(), 260);
    bare.show();
    EXPECT_FALSE(bare.findChild<QLabel *>()->isVisible());

    ZunoLanguagePicker titled(std::nullopt, ZunoLanguage::en, true);
    EXPECT_EQ(titled.maximumWidth(), QWIDGETSIZE_MAX);
    titled.show();
    EXPECT_TRUE(titled.findChild<QLabel *>()->isVisible());
}

TEST(ZunoLanguagePicker, ShowingRereadsThePreference)
{
    ZunoTestHome home;
    store(QStringLiteral("de"));
    ZunoLanguagePicker picker(std::nullopt, ZunoLanguage::de, false);
    ZunoLanguageMenuButton button(ZunoLanguage::de);
    EXPECT_FALSE(picker.isFollowingSystem());
    // Chosen elsewhere (another window, the main menu) while hidden.
    store(QStringLiteral("System"));
    picker.show();
    button.show();
    EXPECT_TRUE(picker.isFollowingSystem());
    EXPECT_EQ(picker.comboBox()->currentIndex(), 0);
    EXPECT_TRUE(button.isFollowingSystem());
}

TEST(ZunoLanguageMenuButton, CheckMarkFollowsTheChoice)
{
    ZunoTestHome home;
    SystemLanguages system("de", "de_DE.UTF-8");
    store(QStringLiteral("system"));
    Journal journal;
    ZunoLanguageMenuButton button(ZunoLanguage::de, journal.handler(true));
    const QString systemRow = QStringLiteral("System Language (Deutsch)");
    const QString german = QStringLiteral("Deutsch (German)");
    // Following the system: only the system entry is ticked, not the equal language.
    EXPECT_EQ(checkedRows(button), QStringList { systemRow });
    ASSERT_EQ(button.menu()->actions().size(), 2 + ZunoLanguages::kCount);
    EXPECT_TRUE(button.menu()->actions()[1]->isSeparator());

    menuRow(button, german)->trigger();
    EXPECT_EQ(stored(), QStringLiteral("de"));
    EXPECT_EQ(checkedRows(button), QStringList { german });
    EXPECT_EQ(journal.events,
        (QStringList { QStringLiteral("notified de"), QStringLiteral("selected de stored de"),
            QStringLiteral("notified de") }));

    journal.events.clear();
    menuRow(button, systemRow)->trigger();
    EXPECT_EQ(stored(), QStringLiteral("system"));
    EXPECT_EQ(checkedRows(button), QStringList { systemRow });
    EXPECT_EQ(journal.events.value(1), QStringLiteral("selected de stored system"));
}

TEST(ZunoLanguageMenuButton, BadgeShowsTheShortCode)
{
    ZunoTestHome home;
    const std::pair<ZunoLanguage, const char *> cases[] = {
        { ZunoLanguage::ptBR, "PT" },
        { ZunoLanguage::ptPT, "PT-PT" },
        { ZunoLanguage::zhHans, "ZH" },
        { ZunoLanguage::zhHant, "ZH-TW" },
        { ZunoLanguage::en, "EN" },
        { ZunoLanguage::tr, "TR" },
    };
    for (const auto &[language, code] : cases) {
        ZunoLanguageMenuButton button(language);
        EXPECT_EQ(button.codeText(), QString::fromLatin1(code));
    }
    ZunoLanguageMenuButton turkish(ZunoLanguage::tr);
    EXPECT_EQ(turkish.toolTip(), QStringLiteral("Dil"));
    // The capsule grows with its code.
    ZunoLanguageMenuButton wide(ZunoLanguage::zhHant);
    ZunoLanguageMenuButton narrow(ZunoLanguage::zhHans);
    EXPECT_GT(wide.sizeHint().width(), narrow.sizeHint().width());
}

TEST(ZunoLanguageEnvironment, LayoutDirectionIsRightToLeftForArabicPersianHebrewOnly)
{
    int rightToLeft = 0;
    for (ZunoLanguage language : ZunoLanguages::allCases()) {
        const bool rtl
            = language == ZunoLanguage::ar || language == ZunoLanguage::fa || language == ZunoLanguage::he;
        EXPECT_EQ(layoutDirection(language), rtl ? Qt::RightToLeft : Qt::LeftToRight)
            << qPrintable(rawValue(language));
        rightToLeft += rtl;
    }
    EXPECT_EQ(rightToLeft, 3);

    QWidget widget;
    zunoContentLayoutDirection(&widget, ZunoLanguage::ar);
    zunoLocaleEnvironment(&widget, ZunoLanguage::ptBR);
    EXPECT_EQ(widget.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(widget.locale().name(), QStringLiteral("pt_BR"));
    zunoContentLayoutDirection(&widget, ZunoLanguage::tr);
    EXPECT_EQ(widget.layoutDirection(), Qt::LeftToRight);
}

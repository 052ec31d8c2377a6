#include "ZunoAppMenuController.h"
#include "ZunoDefaults.h"
#include "ZunoNotificationCenter.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

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

QString shown(const QString &text)
{
    QString plain = text;
    return plain.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

QString storedPreference()
{
    return ZunoDefaults::standard().string(ZunoLanguages::kDefaultsKey);
}

class ZunoLanguageSubmenuTest : public ::testing::Test {
protected:
    ZunoLanguageSubmenuTest()
        : controller(QStringLiteral("ZunoCam"), [] { return ZunoLanguages::current(); }, {}, {}, {},
            std::nullopt,
            { ZunoCustomMenu(QStringLiteral("View"),
                { ZunoMenuElement::languageSubmenu([] { return ZunoLanguages::current(); },
                    [this](ZunoLanguage chosen) {
                        selected.push_back(chosen);
                        if (onSelect)
                            onSelect(chosen);
                    }) }) })
    {
        view = controller.mainMenu()->actions()[2]->menu<QMenu *>();
        languages = view->actions().first()->menu<QMenu *>();
    }

    // Opens the View menu and the language submenu, as the user does, and returns the rows.
    QStringList openLanguages()
    {
        view->popup(QPoint(0, 0));
        view->hide();
        languages->popup(QPoint(0, 0));
        QStringList rows;
        for (QAction *action : languages->actions())
            rows << action->text();
        languages->hide();
        return rows;
    }

    void choose(const QString &row)
    {
        for (QAction *action : languages->actions()) {
            if (action->text() == row) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no row " << row.toStdString();
    }

    ZunoTestHome home;
    ScopedSystemLanguages system { "de" };
    std::vector<ZunoLanguage> selected;
    std::function<void(ZunoLanguage)> onSelect;
    ZunoAppMenuController controller;
    QMenu *view = nullptr;
    QMenu *languages = nullptr;
};

} // namespace

TEST_F(ZunoLanguageSubmenuTest, FollowingTheSystemTicksTheSystemRowOnly)
{
    EXPECT_TRUE(ZunoDefaults::standard().setValue(ZunoLanguages::kDefaultsKey, QStringLiteral("SYSTEM")));
    const QStringList rows = openLanguages();
    ASSERT_EQ(rows.size(), 1 + ZunoLanguages::kCount);
    EXPECT_EQ(rows[0], "✓ System Language (Deutsch)");
    for (qsizetype i = 1; i < rows.size(); ++i)
        EXPECT_FALSE(rows[i].startsWith("✓")) << rows[i].toStdString();
    // Sorted by English name: Arabic, Azerbaijani, Bulgarian ...
    EXPECT_EQ(rows[1], displayName(ZunoLanguages::sortedCases().front()));
    EXPECT_EQ(shown(languages->title()), "Language");
}

TEST_F(ZunoLanguageSubmenuTest, ChoosingALanguageStoresItAnnouncesItThenCallsBack)
{
    QStringList order;
    const auto token
        = ZunoNotificationCenter::shared().addObserver(ZunoLanguages::kLanguageDidChangeNotification, nullptr,
            [&](const QString &, const QVariant &) { order << "notified"; });
    onSelect = [&](ZunoLanguage) { order << "selected"; };

    openLanguages();
    choose(displayName(ZunoLanguage::tr));
    ZunoNotificationCenter::shared().removeObserver(token);

    EXPECT_EQ(storedPreference(), "tr");
    EXPECT_EQ(selected, std::vector<ZunoLanguage> { ZunoLanguage::tr });
    EXPECT_EQ(order, (QStringList { "notified", "selected" }));

    // The next opening shows the choice, in the chosen language.
    const QStringList rows = openLanguages();
    EXPECT_EQ(rows[0], "Sistem Dili (Deutsch)");
    EXPECT_TRUE(rows.contains("✓ " + displayName(ZunoLanguage::tr)));
    EXPECT_EQ(rows.filter("✓").size(), 1);
    EXPECT_EQ(languages->title(), "Dil");
}

TEST_F(ZunoLanguageSubmenuTest, FollowingTheSystemKeepsSystemStoredWhenTheCallerSetsTheLanguage)
{
    EXPECT_TRUE(ZunoDefaults::standard().setValue(ZunoLanguages::kDefaultsKey, QStringLiteral("tr")));
    onSelect = [](ZunoLanguage chosen) { ZunoLanguages::setCurrent(chosen); };

    const QStringList rows = openLanguages();
    EXPECT_EQ(rows[0], "Sistem Dili (Deutsch)");
    choose(rows[0]);

    EXPECT_EQ(selected, std::vector<ZunoLanguage> { ZunoLanguage::de });
    EXPECT_EQ(storedPreference(), "system");
    EXPECT_EQ(openLanguages()[0], "✓ System Language (Deutsch)");
}

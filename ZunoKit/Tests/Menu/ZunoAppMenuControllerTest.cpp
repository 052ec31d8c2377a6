#include "ZunoTestTimeouts.h"
#include "ZunoAppMenuController.h"
#include "ZunoDefaults.h"
#include "ZunoDesktopServices.h"
#include "ZunoFeedbackService.h"
#include "ZunoTestHome.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Titles as the user reads them ("&&" is how a menu shows one "&").
QString shown(const QString &text)
{
    QString plain = text;
    return plain.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

QList<QMenu *> menusOf(QMenuBar *bar)
{
    QList<QMenu *> menus;
    for (QAction *action : bar->actions())
        menus.append(action->menu<QMenu *>());
    return menus;
}

// Opens a menu the way the user does, so its titles and states are refreshed, and closes it again.
// What the items showed while it was open is returned.
struct ShownItem {
    QString title;
    bool separator;
    bool visible;
    bool enabled;
    QKeySequence shortcut;
};

QList<ShownItem> open(QMenu *menu)
{
    menu->popup(QPoint(10, 10));
    QList<ShownItem> items;
    for (QAction *action : menu->actions())
        items.append({ shown(action->text()), action->isSeparator(), action->isVisible(), action->isEnabled(),
            action->shortcut() });
    menu->hide();
    return items;
}

QStringList titles(const QList<ShownItem> &items)
{
    QStringList list;
    for (const ShownItem &item : items)
        list << (item.separator ? QStringLiteral("-") : item.title);
    return list;
}

QAction *actionTitled(QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (shown(action->text()) == title)
            return action;
    }
    return nullptr;
}

class RecordingDesktop final : public ZunoDesktopServices {
public:
    void revealFile(const QString &) override { }
    void openUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

// A window with a text field and a button; the text field can take the focus.
struct EditingWindow {
    EditingWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        field = new QLineEdit(QStringLiteral("hello world"));
        button = new QPushButton(QStringLiteral("OK"));
        layout->addWidget(field);
        layout->addWidget(button);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window, kWindowWait));
    }
    void focusField()
    {
        field->setFocus();
        field->selectAll();
    }
    void focusButton() { button->setFocus(); }
    QWidget window;
    QLineEdit *field = nullptr;
    QPushButton *button = nullptr;
};

class ZunoAppMenuControllerTest : public ::testing::Test {
protected:
    ZunoTestHome home;
    ZunoLanguage language = ZunoLanguage::en;
    std::function<ZunoLanguage()> currentLanguage = [this] { return language; };
};

} // namespace

TEST_F(ZunoAppMenuControllerTest, MinimalMenuBarInEnglishAndTurkish)
{
    ZunoAppMenuController controller(QStringLiteral("ZunoCam"), currentLanguage);
    const QList<QMenu *> menus = menusOf(controller.mainMenu());
    ASSERT_EQ(menus.size(), 3); // no File menu without file items
    EXPECT_EQ(menus.last(), controller.windowsMenu());

    struct Expected {
        ZunoLanguage language;
        QStringList menuTitles;
        QStringList application;
        QStringList edit;
        QStringList window;
    };
    const std::vector<Expected> cases = {
        { ZunoLanguage::en, { "ZunoCam", "Edit", "Window" },
            { "Send Feedback & Ideas…", "-", "Quit ZunoCam" },
            { "Undo", "Redo", "-", "Cut", "Copy", "Paste", "Select All" },
            { "Minimize", "Close Window", "-", "Bring All to Front" } },
        { ZunoLanguage::tr, { "ZunoCam", "Düzen", "Pencere" },
            { "Geri Bildirim & Fikir Gönder…", "-", "ZunoCam Uygulamasından Çık" },
            { "Geri Al", "Yinele", "-", "Kes", "Kopyala", "Yapıştır", "Tümünü Seç" },
            { "Küçült", "Pencereyi Kapat", "-", "Tümünü Öne Getir" } },
        // Languages without a pack show English.
        { ZunoLanguage::de, { "ZunoCam", "Edit", "Window" },
            { "Send Feedback & Ideas…", "-", "Quit ZunoCam" },
            { "Undo", "Redo", "-", "Cut", "Copy", "Paste", "Select All" },
            { "Minimize", "Close Window", "-", "Bring All to Front" } },
    };
    for (const Expected &expected : cases) {
        SCOPED_TRACE(rawValue(expected.language).toStdString());
        language = expected.language;
        EXPECT_EQ(titles(open(menus[0])), expected.application);
        EXPECT_EQ(titles(open(menus[1])), expected.edit);
        EXPECT_EQ(titles(open(menus[2])), expected.window);
        QStringList menuTitles;
        for (QMenu *menu : menus)
            menuTitles << shown(menu->title());
        EXPECT_EQ(menuTitles, expected.menuTitles);
    }
}

TEST_F(ZunoAppMenuControllerTest, ShortcutsFollowTheTable)
{
    ZunoAppMenuController controller(QStringLiteral("ZunoCam"), currentLanguage, {}, [] {});
    const QList<QMenu *> menus = menusOf(controller.mainMenu());
    const auto app = open(menus[0]);
    const auto edit = open(menus[1]);
    const auto window = open(menus[2]);
    const auto seq = [](const char *text) { return QKeySequence(QString::fromLatin1(text)); };
    EXPECT_EQ(app[0].shortcut, seq("Ctrl+,"));
    EXPECT_EQ(app[2].shortcut, QKeySequence()); // feedback
    EXPECT_EQ(app[4].shortcut, seq("Ctrl+Q"));
    EXPECT_EQ(edit[0].shortcut, seq("Ctrl+Z"));
    EXPECT_EQ(edit[1].shortcut, seq("Ctrl+Shift+Z"));
    EXPECT_EQ(edit[3].shortcut, seq("Ctrl+X"));
    EXPECT_EQ(edit[4].shortcut, seq("Ctrl+C"));
    EXPECT_EQ(edit[5].shortcut, seq("Ctrl+V"));
    EXPECT_EQ(edit[6].shortcut, seq("Ctrl+A"));
    EXPECT_EQ(window[0].shortcut, seq("Ctrl+M"));
    EXPECT_EQ(window[1].shortcut, seq("Ctrl+W"));
    EXPECT_EQ(window[3].shortcut, QKeySequence());

    // An empty close key leaves Close Window without a shortcut, whatever the modifiers.
    ZunoAppMenuController noClose(QStringLiteral("ZunoCam"), currentLanguage, {}, {}, {}, std::nullopt, {},
        QString(), Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(open(noClose.windowsMenu())[1].shortcut, QKeySequence());
    ZunoAppMenuController altClose(QStringLiteral("ZunoCam"), currentLanguage, {}, {}, {}, std::nullopt, {},
        QStringLiteral("k"), Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(open(altClose.windowsMenu())[1].shortcut, seq("Ctrl+Alt+K"));
}

TEST_F(ZunoAppMenuControllerTest, SettingsFileAndCustomMenus)
{
    int settingsOpened = 0;
    int exported = 0;
    bool exportHidden = false;
    bool dividerHidden = true;
    std::vector<ZunoMenuElement> fileItems = {
        ZunoMenuElement::item(
            [] { return QStringLiteral("New Script"); }, "n", Qt::ControlModifier, {}, {}, false, [] {}),
        ZunoMenuElement::divider([&] { return dividerHidden; }),
        ZunoMenuElement::item([] { return QStringLiteral("Export"); }, "e",
            Qt::ControlModifier | Qt::ShiftModifier, [] { return false; }, [&] { return exportHidden; },
            false, [&] { ++exported; }),
    };
    std::vector<ZunoCustomMenu> custom = { ZunoCustomMenu(QStringLiteral("Camera"), {}),
        ZunoCustomMenu(
            [this] {
                return language == ZunoLanguage::tr ? QStringLiteral("Görünüm") : QStringLiteral("View");
            },
            {}) };

    ZunoAppMenuController controller(
        QStringLiteral("ZunoCam"), currentLanguage,
        [this] {
            return language == ZunoLanguage::tr ? QStringLiteral("Tercihler…")
                                                : QStringLiteral("Preferences…");
        },
        [&] { ++settingsOpened; }, fileItems, std::nullopt, custom);
    const QList<QMenu *> menus = menusOf(controller.mainMenu());
    QStringList menuTitles;
    for (QMenu *menu : menus)
        menuTitles << shown(menu->title());
    EXPECT_EQ(menuTitles, (QStringList { "ZunoCam", "File", "Edit", "Camera", "View", "Window" }));

    EXPECT_EQ(titles(open(menus[0])),
        (QStringList { "Preferences…", "-", "Send Feedback & Ideas…", "-", "Quit ZunoCam" }));
    const auto file = open(menus[1]);
    EXPECT_EQ(titles(file), (QStringList { "New Script", "-", "Export" }));
    EXPECT_FALSE(file[1].visible);
    EXPECT_TRUE(file[2].visible);
    EXPECT_FALSE(file[2].enabled);
    EXPECT_EQ(file[2].shortcut, QKeySequence(QStringLiteral("Ctrl+Shift+E")));

    // Checks are asked again at every opening.
    dividerHidden = false;
    exportHidden = true;
    const auto fileAgain = open(menus[1]);
    EXPECT_TRUE(fileAgain[1].visible);
    EXPECT_FALSE(fileAgain[2].visible);
    EXPECT_FALSE(fileAgain[2].enabled);

    // Menu titles change when each menu opens.
    language = ZunoLanguage::tr;
    EXPECT_EQ(shown(menus[1]->title()), "File");
    EXPECT_EQ(titles(open(menus[0])).first(), "Tercihler…");
    open(menus[1]);
    open(menus[4]);
    EXPECT_EQ(shown(menus[1]->title()), "Dosya");
    EXPECT_EQ(shown(menus[4]->title()), "Görünüm");
    EXPECT_EQ(shown(menus[3]->title()), "Camera");

    actionTitled(menus[0], "Tercihler…")->trigger();
    EXPECT_EQ(settingsOpened, 1);
    // A disabled or hidden item does not act, even through its shortcut.
    QAction *exportItem = menus[1]->actions()[2];
    exportItem->setEnabled(true);
    exportItem->setVisible(true);
    exportItem->trigger();
    EXPECT_EQ(exported, 0);
}

TEST_F(ZunoAppMenuControllerTest, SettingsTitleAloneAddsNothingAndDefaultTitleIsLocalized)
{
    ZunoAppMenuController titleOnly(
        QStringLiteral("ZunoCam"), currentLanguage, [] { return QStringLiteral("X"); });
    EXPECT_EQ(titles(open(menusOf(titleOnly.mainMenu())[0])).first(), "Send Feedback & Ideas…");

    language = ZunoLanguage::tr;
    ZunoAppMenuController withSettings(QStringLiteral("ZunoCam"), currentLanguage, {}, [] {});
    EXPECT_EQ(titles(open(menusOf(withSettings.mainMenu())[0])).first(), "Ayarlar…");
}

TEST_F(ZunoAppMenuControllerTest, EditOverridesGiveWayToAFocusedTextField)
{
    QStringList calls;
    ZunoEditMenuOverrides overrides;
    overrides.copy = [&] { calls << "copy"; };
    overrides.redo = [&] { calls << "redo"; };
    overrides.canRedo = [] { return false; };
    overrides.duplicate = [&] { calls << "duplicate"; };
    ZunoAppMenuController controller(QStringLiteral("ZunoCam"), currentLanguage, {}, {}, {}, overrides);
    QMenu *edit = menusOf(controller.mainMenu())[1];

    EditingWindow editing;
    editing.focusButton();
    auto items = open(edit);
    EXPECT_EQ(titles(items),
        (QStringList { "Undo", "Redo", "-", "Cut", "Copy", "Paste", "Duplicate", "Select All" }));
    EXPECT_EQ(items[6].shortcut, QKeySequence(QStringLiteral("Ctrl+D")));
    // Without a focused text field: the standard commands have no taker, the overrides decide.
    EXPECT_FALSE(items[0].enabled); // standard Undo
    EXPECT_FALSE(items[1].enabled); // canRedo says no
    EXPECT_FALSE(items[3].enabled); // standard Cut
    EXPECT_TRUE(items[4].enabled); // overridden Copy
    EXPECT_TRUE(items[6].enabled);

    QApplication::clipboard()->setText(QStringLiteral("before"));
    actionTitled(edit, "Copy")->trigger();
    actionTitled(edit, "Duplicate")->trigger();
    EXPECT_EQ(calls, (QStringList { "copy", "duplicate" }));
    EXPECT_EQ(QApplication::clipboard()->text(), "before");

    // With the text field focused: Copy copies its selection and leaves the override alone.
    editing.focusField();
    ASSERT_TRUE(ZunoAppMenuController::isTextInputFocused());
    items = open(edit);
    EXPECT_TRUE(items[1].enabled); // overridden Redo is the field's now
    EXPECT_TRUE(items[3].enabled); // standard Cut with a selection
    actionTitled(edit, "Copy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "hello world");
    EXPECT_EQ(calls, (QStringList { "copy", "duplicate" }));

    // The standard Cut and Undo reach the field.
    actionTitled(edit, "Cut")->trigger();
    EXPECT_TRUE(editing.field->text().isEmpty());
    actionTitled(edit, "Undo")->trigger();
    EXPECT_EQ(editing.field->text(), "hello world");
}

TEST_F(ZunoAppMenuControllerTest, SkipWhenEditingTextFollowsTheFocus)
{
    int ran = 0;
    std::vector<ZunoCustomMenu> custom = { ZunoCustomMenu(QStringLiteral("Script"),
        { ZunoMenuElement::item(
            [] { return QStringLiteral("Delete Script"); }, {}, {}, {}, {}, true, [&] { ++ran; }) }) };
    ZunoAppMenuController controller(
        QStringLiteral("ZunoCam"), currentLanguage, {}, {}, {}, std::nullopt, custom);
    QMenu *script = menusOf(controller.mainMenu())[2];
    QAction *item = script->actions().first();

    EditingWindow editing;
    editing.focusField();
    EXPECT_FALSE(open(script).first().enabled);
    EXPECT_FALSE(controller.validateMenuItem(item));
    item->trigger(); // as a shortcut would
    EXPECT_EQ(ran, 0);

    editing.focusButton();
    EXPECT_TRUE(open(script).first().enabled);
    item->trigger();
    EXPECT_EQ(ran, 1);
}

TEST_F(ZunoAppMenuControllerTest, SubmenusAreRebuiltOnEveryOpening)
{
    int built = 0;
    QStringList ran;
    std::vector<ZunoCustomMenu> custom = { ZunoCustomMenu(QStringLiteral("Scripts"),
        { ZunoMenuElement::submenu([] { return QStringLiteral("Recent"); },
            [&] {
                const int generation = ++built;
                return std::vector<ZunoMenuElement> { ZunoMenuElement::item(
                    [generation] { return QStringLiteral("Script %1").arg(generation); }, {}, {}, {}, {},
                    false, [&ran, generation] { ran << QStringLiteral("run %1").arg(generation); }) };
            }) }) };
    ZunoAppMenuController controller(
        QStringLiteral("ZunoCam"), currentLanguage, {}, {}, {}, std::nullopt, custom);
    QMenu *scripts = menusOf(controller.mainMenu())[2];
    QMenu *recent = scripts->actions().first()->menu<QMenu *>();
    ASSERT_TRUE(recent);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(titles(open(scripts)), (QStringList { "Recent" }));

    QPointer<QAction> stale = recent->actions().first();
    EXPECT_EQ(titles(open(recent)), (QStringList { "Script 2" }));
    EXPECT_EQ(built, 2);
    ASSERT_TRUE(stale); // removed, deleted later
    stale->trigger();
    EXPECT_TRUE(ran.isEmpty());

    recent->actions().first()->trigger();
    EXPECT_EQ(ran, (QStringList { "run 2" }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(stale);
}

TEST_F(ZunoAppMenuControllerTest, FeedbackItemOpensTheWebPageInTheInterfaceLanguage)
{
    auto desktop = std::make_shared<RecordingDesktop>();
    const auto previous = ZunoDesktopServices::replaceShared(desktop);
    qunsetenv(ZunoFeedbackService::kBaseURLEnvironmentVariable);

    ZunoAppMenuController controller(QStringLiteral("Zuno Cam"), currentLanguage);
    QMenu *app = menusOf(controller.mainMenu())[0];
    open(app)[0];
    actionTitled(app, "Send Feedback & Ideas…")->trigger();
    language = ZunoLanguage::tr;
    open(app);
    actionTitled(app, "Geri Bildirim & Fikir Gönder…")->trigger();
    ZunoDesktopServices::replaceShared(previous);

    ASSERT_EQ(desktop->opened.size(), 2);
    const QString base = QString::fromLatin1(ZunoFeedbackService::kDefaultBaseURL);
    EXPECT_EQ(desktop->opened[0].toString(QUrl::RemoveQuery), base + "/en/feedback");
    EXPECT_EQ(desktop->opened[1].toString(QUrl::RemoveQuery), base + "/tr/geri-bildirim");
    const QUrlQuery query(desktop->opened[0].query(QUrl::FullyEncoded));
    EXPECT_EQ(query.queryItemValue("type"), "feature");
    EXPECT_EQ(query.queryItemValue("source"), "desktop_app");
    EXPECT_EQ(query.queryItemValue("app"), "zunocam");
    EXPECT_EQ(query.queryItemValue("os", QUrl::FullyDecoded), ZunoFeedbackService::currentOSDescription());
    EXPECT_EQ(query.queryItemValue("version"), ZunoAppVersion::current().shortVersion);
}

TEST_F(ZunoAppMenuControllerTest, StandardWindowCommandsNeedAnActiveWindow)
{
    ZunoAppMenuController controller(QStringLiteral("ZunoCam"), currentLanguage);
    {
        EditingWindow editing;
        const auto items = open(controller.windowsMenu());
        EXPECT_TRUE(items[0].enabled);
        EXPECT_TRUE(items[1].enabled);
        EXPECT_TRUE(items[3].enabled);
        actionTitled(controller.windowsMenu(), "Close Window")->trigger();
        EXPECT_FALSE(editing.window.isVisible());
    }
    QApplication::processEvents();
    const auto items = open(controller.windowsMenu());
    EXPECT_FALSE(items[0].enabled);
    EXPECT_FALSE(items[1].enabled);
}

#include "ZunoAppMenuController.h"

#include "ZunoAppVersion.h"
#include "ZunoBundle.h"
#include "ZunoFeedbackService.h"
#include "ZunoText.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// Menu texts are plain: "&" is shown, never a mnemonic.
QString menuText(const QString &title)
{
    QString escaped = title;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QKeySequence shortcut(const QString &keyEquivalent, Qt::KeyboardModifiers modifiers)
{
    if (keyEquivalent.isEmpty())
        return {};
    const auto key = static_cast<Qt::Key>(keyEquivalent.at(0).toUpper().unicode());
    return QKeySequence(QKeyCombination(modifiers, key));
}

// The window that takes keyboard input; an open (or just closed) menu popup is not one.
QWidget *keyWindow()
{
    QWidget *window = QApplication::activeWindow();
    if (!window || !window->isVisible() || window->windowType() == Qt::Popup)
        return nullptr;
    return window;
}

// The focused text input of the active window, as the first responder of the standard edit commands.
struct TextInput {
    QObject *target = nullptr;
    bool readOnly = false;
    bool hasSelection = false;
    bool canUndo = false;
    bool canRedo = false;
};

std::optional<TextInput> focusedTextInput()
{
    QWidget *window = keyWindow();
    QWidget *focus = QApplication::focusWidget();
    if (!window || !focus || focus->window() != window)
        return std::nullopt;
    if (auto *spinBox = qobject_cast<QAbstractSpinBox *>(focus)) {
        focus = spinBox->findChild<QLineEdit *>();
        if (!focus)
            return std::nullopt;
    }
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        return TextInput { line, line->isReadOnly(), line->hasSelectedText(), line->isUndoAvailable(),
            line->isRedoAvailable() };
    if (auto *text = qobject_cast<QTextEdit *>(focus))
        return TextInput { text, text->isReadOnly(), text->textCursor().hasSelection(),
            text->document()->isUndoAvailable(), text->document()->isRedoAvailable() };
    if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        return TextInput { plain, plain->isReadOnly(), plain->textCursor().hasSelection(),
            plain->document()->isUndoAvailable(), plain->document()->isRedoAvailable() };
    return std::nullopt;
}

// Ordinary windows of the application that are on screen.
QList<QWidget *> visibleWindows()
{
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->isVisible()
            && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool || type == Qt::Sheet))
            windows.append(widget);
    }
    return windows;
}

// Whether a standard command has a taker now, as the responder chain would tell.
bool canPerform(const QString &selector)
{
    if (selector == QLatin1String("terminate:"))
        return true;
    if (selector == QLatin1String("performMiniaturize:") || selector == QLatin1String("performClose:"))
        return keyWindow() != nullptr;
    if (selector == QLatin1String("arrangeInFront:"))
        return !visibleWindows().isEmpty();
    const auto input = focusedTextInput();
    if (!input)
        return false;
    if (selector == QLatin1String("undo:"))
        return !input->readOnly && input->canUndo;
    if (selector == QLatin1String("redo:"))
        return !input->readOnly && input->canRedo;
    if (selector == QLatin1String("cut:"))
        return !input->readOnly && input->hasSelection;
    if (selector == QLatin1String("copy:"))
        return input->hasSelection;
    if (selector == QLatin1String("paste:"))
        return !input->readOnly;
    return selector == QLatin1String("selectAll:");
}

// Sends a standard command to its taker; nothing happens when there is none.
void perform(const QString &selector)
{
    if (selector == QLatin1String("terminate:")) {
        QCoreApplication::quit();
        return;
    }
    if (selector == QLatin1String("performMiniaturize:")) {
        if (QWidget *window = keyWindow())
            window->showMinimized();
        return;
    }
    if (selector == QLatin1String("performClose:")) {
        if (QWidget *window = keyWindow())
            window->close();
        return;
    }
    if (selector == QLatin1String("arrangeInFront:")) {
        QWidget *active = keyWindow();
        for (QWidget *window : visibleWindows()) {
            if (window != active)
                window->raise();
        }
        if (active)
            active->raise();
        return;
    }
    const auto input = focusedTextInput();
    if (!input)
        return;
    const QByteArray slot = selector.chopped(1).toLatin1();
    QMetaObject::invokeMethod(input->target, slot.constData());
}

} // namespace

ZunoAppMenuController::ZunoAppMenuController(const QString &appName, std::function<ZunoLanguage()> language,
    std::function<QString()> settingsTitle, std::function<void()> onOpenSettings,
    std::vector<ZunoMenuElement> fileMenuItems, std::optional<ZunoEditMenuOverrides> editOverrides,
    std::vector<ZunoCustomMenu> customMenus, const QString &closeWindowKeyEquivalent,
    Qt::KeyboardModifiers closeWindowModifiers, QObject *parent)
    : QObject(parent)
    , m_language(std::move(language))
{
    m_mainMenu = new QMenuBar;
    m_windowsMenu = makeMenu(text(QStringLiteral("Window"), QStringLiteral("Pencere")), m_mainMenu);

    buildApplicationMenu(appName, std::move(settingsTitle), std::move(onOpenSettings));

    if (!fileMenuItems.empty()) {
        auto title = [this] { return text(QStringLiteral("File"), QStringLiteral("Dosya")); };
        QMenu *file = makeMenu(title(), m_mainMenu);
        m_menuTitleUpdaters.insert(file, title);
        appendElements(fileMenuItems, file);
        m_mainMenu->addMenu(file);
    }

    buildEditMenu(editOverrides);

    for (const ZunoCustomMenu &custom : customMenus) {
        QMenu *menu = makeMenu(custom.title(), m_mainMenu);
        m_menuTitleUpdaters.insert(menu, custom.title);
        appendElements(custom.elements, menu);
        m_mainMenu->addMenu(menu);
    }

    buildWindowMenu(closeWindowKeyEquivalent, closeWindowModifiers);
}

ZunoAppMenuController::~ZunoAppMenuController()
{
    // A window that adopted the menu bar owns it now.
    if (m_mainMenu && !m_mainMenu->parent())
        delete m_mainMenu.data();
}

QMenuBar *ZunoAppMenuController::mainMenu() const
{
    return m_mainMenu;
}

QString ZunoAppMenuController::text(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_language ? m_language() : ZunoLanguages::current());
}

QMenu *ZunoAppMenuController::makeMenu(const QString &title, QWidget *parent)
{
    auto *menu = new QMenu(menuText(title), parent);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuNeedsUpdate(menu); });
    // An item disabled for the last opening must still let its shortcut reach validation.
    connect(menu, &QMenu::aboutToHide, this, [this, menu] {
        for (QAction *item : menu->actions()) {
            if (m_itemBindings.contains(item) || m_responderSelectors.contains(item))
                item->setEnabled(item->isVisible());
        }
    });
    return menu;
}

void ZunoAppMenuController::buildApplicationMenu(
    const QString &appName, std::function<QString()> settingsTitle, std::function<void()> onOpenSettings)
{
    // Titled by the application's name once; never updated.
    QMenu *menu = makeMenu(appName, m_mainMenu);
    m_mainMenu->addMenu(menu);

    if (onOpenSettings) {
        auto title = [this, settingsTitle] {
            return settingsTitle ? settingsTitle()
                                 : text(QStringLiteral("Settings…"), QStringLiteral("Ayarlar…"));
        };
        addBindingItem(
            menu, { title, QStringLiteral(","), Qt::ControlModifier, {}, {}, false, onOpenSettings });
        menu->addSeparator();
    }

    auto feedbackTitle = [this] {
        return text(
            QStringLiteral("Send Feedback & Ideas…"), QStringLiteral("Geri Bildirim & Fikir Gönder…"));
    };
    auto openFeedback = [this, appName] {
        const ZunoAppVersion version
            = ZunoAppVersion::current(ZunoBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100"));
        const ZunoLanguage language = m_language ? m_language() : ZunoLanguages::current();
        ZunoFeedbackService::openInBrowser(
            appName, version, ZunoFeedbackKind::feature, language, std::nullopt);
    };
    addBindingItem(menu, { feedbackTitle, {}, {}, {}, {}, false, openFeedback });
    menu->addSeparator();

    // Hide, Hide Others and Show All (and the separator after them) are left out: an X11 or Wayland
    // desktop has no application-wide hiding.
    addResponderItem(
        menu,
        [this, appName] {
            return text(QStringLiteral("Quit ") + appName, appName + QStringLiteral(" Uygulamasından Çık"));
        },
        QStringLiteral("terminate:"), QStringLiteral("q"), Qt::ControlModifier);
}

void ZunoAppMenuController::buildEditMenu(const std::optional<ZunoEditMenuOverrides> &overrides)
{
    auto title = [this] { return text(QStringLiteral("Edit"), QStringLiteral("Düzen")); };
    QMenu *menu = makeMenu(title(), m_mainMenu);
    m_menuTitleUpdaters.insert(menu, title);

    // With the client's closure: a bound item that still gives way to a focused text input. Without
    // it: the standard command for the focused input.
    auto addEditItem
        = [this, menu](const QString &en, const QString &tr, const QString &selector, const QString &key,
              Qt::KeyboardModifiers modifiers, const std::function<void()> &override,
              const std::function<bool()> &canDo, bool checksEnabled) {
              auto itemTitle = [this, en, tr] { return text(en, tr); };
              if (!override) {
                  addResponderItem(menu, itemTitle, selector, key, modifiers);
                  return;
              }
              std::function<bool()> isEnabled;
              if (checksEnabled) {
                  isEnabled = [canDo] {
                      if (isTextInputFocused())
                          return true;
                      return canDo ? canDo() : true;
                  };
              }
              auto action = [selector, override] {
                  if (isTextInputFocused())
                      perform(selector);
                  else
                      override();
              };
              addBindingItem(menu, { itemTitle, key, modifiers, isEnabled, {}, false, action });
          };

    const ZunoEditMenuOverrides none;
    const ZunoEditMenuOverrides &edit = overrides ? *overrides : none;
    const auto command = Qt::ControlModifier;
    addEditItem(QStringLiteral("Undo"), QStringLiteral("Geri Al"), QStringLiteral("undo:"),
        QStringLiteral("z"), command, edit.undo, edit.canUndo, true);
    addEditItem(QStringLiteral("Redo"), QStringLiteral("Yinele"), QStringLiteral("redo:"),
        QStringLiteral("z"), command | Qt::ShiftModifier, edit.redo, edit.canRedo, true);
    menu->addSeparator();
    addEditItem(QStringLiteral("Cut"), QStringLiteral("Kes"), QStringLiteral("cut:"), QStringLiteral("x"),
        command, edit.cut, {}, false);
    addEditItem(QStringLiteral("Copy"), QStringLiteral("Kopyala"), QStringLiteral("copy:"),
        QStringLiteral("c"), command, edit.copy, {}, false);
    addEditItem(QStringLiteral("Paste"), QStringLiteral("Yapıştır"), QStringLiteral("paste:"),
        QStringLiteral("v"), command, edit.paste, {}, false);
    if (edit.duplicate) {
        auto duplicateTitle = [this] { return text(QStringLiteral("Duplicate"), QStringLiteral("Çoğalt")); };
        addBindingItem(menu, { duplicateTitle, QStringLiteral("d"), command, {}, {}, false, edit.duplicate });
    }
    addEditItem(QStringLiteral("Select All"), QStringLiteral("Tümünü Seç"), QStringLiteral("selectAll:"),
        QStringLiteral("a"), command, edit.selectAll, {}, false);

    m_mainMenu->addMenu(menu);
}

void ZunoAppMenuController::buildWindowMenu(
    const QString &closeWindowKeyEquivalent, Qt::KeyboardModifiers closeWindowModifiers)
{
    auto title = [this] { return text(QStringLiteral("Window"), QStringLiteral("Pencere")); };
    m_windowsMenu->setTitle(menuText(title()));
    m_menuTitleUpdaters.insert(m_windowsMenu, title);

    addResponderItem(
        m_windowsMenu, [this] { return text(QStringLiteral("Minimize"), QStringLiteral("Küçült")); },
        QStringLiteral("performMiniaturize:"), QStringLiteral("m"), Qt::ControlModifier);
    addResponderItem(
        m_windowsMenu,
        [this] { return text(QStringLiteral("Close Window"), QStringLiteral("Pencereyi Kapat")); },
        QStringLiteral("performClose:"), closeWindowKeyEquivalent,
        closeWindowKeyEquivalent.isEmpty() ? Qt::KeyboardModifiers() : closeWindowModifiers);
    m_windowsMenu->addSeparator();
    addResponderItem(m_windowsMenu,
        [this] { return text(QStringLiteral("Bring All to Front"), QStringLiteral("Tümünü Öne Getir")); },
        QStringLiteral("arrangeInFront:"), {}, {});

    m_mainMenu->addMenu(m_windowsMenu);
}

QAction *ZunoAppMenuController::addBindingItem(QMenu *menu, const ZunoMenuItemElement &element)
{
    auto *item = new QAction(menuText(element.title ? element.title() : QString()), menu);
    item->setShortcut(shortcut(element.keyEquivalent, element.modifiers));
    // Like a main menu's key equivalents: the shortcuts work in every window of the application.
    item->setShortcutContext(Qt::ApplicationShortcut);
    if (element.isHidden)
        item->setVisible(!element.isHidden());
    m_itemBindings.insert(item,
        ItemBinding { element.title, element.isEnabled, element.isHidden, element.skipWhenEditingText,
            element.action });
    connect(item, &QAction::triggered, this, [this, item] { itemTriggered(item); });
    menu->addAction(item);
    return item;
}

QAction *ZunoAppMenuController::addResponderItem(QMenu *menu, std::function<QString()> title,
    const QString &selector, const QString &keyEquivalent, Qt::KeyboardModifiers modifiers)
{
    auto *item = new QAction(menuText(title()), menu);
    item->setShortcut(shortcut(keyEquivalent, modifiers));
    item->setShortcutContext(Qt::ApplicationShortcut);
    m_titleUpdaters.insert(item, std::move(title));
    m_responderSelectors.insert(item, selector);
    connect(item, &QAction::triggered, this, [this, item] { itemTriggered(item); });
    menu->addAction(item);
    return item;
}

void ZunoAppMenuController::appendElements(const std::vector<ZunoMenuElement> &elements, QMenu *menu)
{
    for (const ZunoMenuElement &element : elements) {
        if (const auto *item = std::get_if<ZunoMenuItemElement>(&element.value)) {
            addBindingItem(menu, *item);
        } else if (const auto *divider = std::get_if<ZunoMenuDividerElement>(&element.value)) {
            QAction *separator = menu->addSeparator();
            if (divider->isHidden) {
                separator->setVisible(!divider->isHidden());
                m_hiddenChecks.insert(separator, divider->isHidden);
            }
        } else if (const auto *submenu = std::get_if<ZunoMenuSubmenuElement>(&element.value)) {
            QMenu *child = makeMenu(submenu->title ? submenu->title() : QString(), menu);
            m_menuTitleUpdaters.insert(child, submenu->title);
            m_dynamicSubmenuBuilders.insert(child, submenu->items);
            m_titleUpdaters.insert(child->menuAction(), submenu->title);
            if (submenu->items)
                appendElements(submenu->items(), child);
            menu->addMenu(child);
        }
    }
}

void ZunoAppMenuController::menuNeedsUpdate(QMenu *menu)
{
    if (const auto title = m_menuTitleUpdaters.value(menu))
        menu->setTitle(menuText(title()));

    if (const auto builder = m_dynamicSubmenuBuilders.value(menu)) {
        unregisterBindings(menu);
        // Removed now, deleted later: an action already on its way finds no binding and does nothing.
        const QList<QAction *> old = menu->actions();
        for (QAction *item : old) {
            menu->removeAction(item);
            if (QMenu *child = item->menu<QMenu *>(); child && child->parent() == menu)
                child->deleteLater();
            else if (item->parent() == menu)
                item->deleteLater();
        }
        appendElements(builder(), menu);
        return;
    }

    const bool editingText = isTextInputFocused();
    for (QAction *item : menu->actions()) {
        const auto binding = m_itemBindings.constFind(item);
        if (binding != m_itemBindings.cend()) {
            if (binding->title)
                item->setText(menuText(binding->title()));
            const bool hidden = binding->isHidden ? binding->isHidden() : false;
            item->setVisible(!hidden);
            if (hidden)
                item->setEnabled(false);
            else if (binding->skipWhenEditingText && editingText)
                item->setEnabled(false);
            else
                item->setEnabled(binding->isEnabled ? binding->isEnabled() : true);
            continue;
        }
        if (const auto title = m_titleUpdaters.value(item))
            item->setText(menuText(title()));
        if (const auto hidden = m_hiddenChecks.value(item))
            item->setVisible(!hidden());
        // What the responder chain would decide for a standard command.
        if (const auto selector = m_responderSelectors.constFind(item);
            selector != m_responderSelectors.cend())
            item->setEnabled(canPerform(*selector));
    }
}

bool ZunoAppMenuController::validateMenuItem(QAction *item)
{
    const auto binding = m_itemBindings.constFind(item);
    if (binding == m_itemBindings.cend())
        return true;
    if (binding->title)
        item->setText(menuText(binding->title()));
    if (binding->isHidden) {
        const bool hidden = binding->isHidden();
        item->setVisible(!hidden);
        if (hidden)
            return false;
    } else {
        item->setVisible(true);
    }
    if (binding->skipWhenEditingText && isTextInputFocused())
        return false;
    return binding->isEnabled ? binding->isEnabled() : true;
}

void ZunoAppMenuController::handleMenuAction(QAction *sender)
{
    const auto binding = m_itemBindings.constFind(sender);
    if (binding == m_itemBindings.cend() || !binding->action)
        return;
    // A copy: the action may rebuild menus and so drop this binding while it runs.
    const std::function<void()> action = binding->action;
    action();
}

void ZunoAppMenuController::itemTriggered(QAction *item)
{
    // A shortcut can fire without the menu having opened: validate first, as a menu bar does.
    if (const auto selector = m_responderSelectors.constFind(item); selector != m_responderSelectors.cend()) {
        const QString command = *selector;
        if (canPerform(command))
            perform(command);
        return;
    }
    if (validateMenuItem(item))
        handleMenuAction(item);
}

void ZunoAppMenuController::unregisterBindings(QMenu *menu)
{
    for (QAction *item : menu->actions()) {
        if (QMenu *child = item->menu<QMenu *>()) {
            unregisterBindings(child);
            m_menuTitleUpdaters.remove(child);
            m_dynamicSubmenuBuilders.remove(child);
        }
        m_itemBindings.remove(item);
        m_hiddenChecks.remove(item);
        m_titleUpdaters.remove(item);
        m_responderSelectors.remove(item);
    }
}

bool ZunoAppMenuController::isTextInputFocused()
{
    return focusedTextInput().has_value();
}

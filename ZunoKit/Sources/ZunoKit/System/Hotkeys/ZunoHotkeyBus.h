#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

// The hot-key actions of this process on the D-Bus session bus, for desktops where key grabs are
// not possible (Wayland): a desktop shortcut binds a command such as
//   gdbus call --session --dest com.quarnwell.ZunoCam --object-path /com/quarnwell/Hotkeys
//       --method com.quarnwell.Hotkeys.Activate Super+Alt+T
// Every registration that a `ZunoGlobalHotkeyManager` accepts is published here under its shortcut
// text; a refused one never is. Main thread only.
class ZunoHotkeyBus : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quarnwell.Hotkeys")

public:
    static constexpr const char *kObjectPath = "/com/quarnwell/Hotkeys";

    // The process's one instance, made on first use (a child of the application object) and
    // exported on the session bus when one is reachable; null without an application object.
    static ZunoHotkeyBus *shared();

    void add(const QString &shortcut, const void *owner, uint32_t id, QObject *context,
        std::function<void()> action);
    void remove(const void *owner, uint32_t id);
    void removeAll(const void *owner);

    // Whether the object is reachable on the session bus.
    bool isExported() const { return m_exported; }

public slots:
    // Runs the action published under `shortcut` (compared without regard to case or spaces) on a
    // later turn of the main loop; false when nothing is published under it. The most recent
    // registration of a shortcut wins.
    Q_SCRIPTABLE bool Activate(const QString &shortcut);
    // The published shortcut texts, in registration order, without repeats.
    Q_SCRIPTABLE QStringList Shortcuts() const;

private:
    explicit ZunoHotkeyBus(QObject *parent);

    struct Entry {
        QString shortcut;
        const void *owner;
        uint32_t id;
        QPointer<QObject> context;
        std::function<void()> action;
    };
    std::vector<Entry> m_entries;
    bool m_exported = false;
};

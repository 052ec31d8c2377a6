#include "ZunoHotkeyBus.h"

#include "ZunoMainThread.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <algorithm>

namespace {

QString normalized(const QString &shortcut)
{
    QString text = shortcut;
    text.remove(QLatin1Char(' '));
    return text.toLower();
}

} // namespace

ZunoHotkeyBus *ZunoHotkeyBus::shared()
{
    static QPointer<ZunoHotkeyBus> instance;
    auto *app = QCoreApplication::instance();
    if (!instance && app)
        instance = new ZunoHotkeyBus(app);
    return instance;
}

ZunoHotkeyBus::ZunoHotkeyBus(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        m_exported = bus.registerObject(
            QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportScriptableSlots);
}

void ZunoHotkeyBus::add(
    const QString &shortcut, const void *owner, uint32_t id, QObject *context, std::function<void()> action)
{
    if (shortcut.isEmpty() || !action)
        return;
    m_entries.push_back({ shortcut, owner, id, context, std::move(action) });
}

void ZunoHotkeyBus::remove(const void *owner, uint32_t id)
{
    std::erase_if(m_entries, [&](const Entry &e) { return e.owner == owner && e.id == id; });
}

void ZunoHotkeyBus::removeAll(const void *owner)
{
    std::erase_if(m_entries, [&](const Entry &e) { return e.owner == owner; });
}

bool ZunoHotkeyBus::Activate(const QString &shortcut)
{
    const QString wanted = normalized(shortcut);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (normalized(it->shortcut) != wanted || !it->context)
            continue;
        ZunoMainThread::post(it->context, it->action);
        return true;
    }
    return false;
}

QStringList ZunoHotkeyBus::Shortcuts() const
{
    QStringList result;
    for (const Entry &e : m_entries) {
        if (!result.contains(e.shortcut, Qt::CaseInsensitive))
            result.append(e.shortcut);
    }
    return result;
}

#include "ZunoGlobalHotkeyManager.h"

#include "ZunoHotkeyBus.h"
#include "ZunoHotkeyKeymap.h"
#include "ZunoMainThread.h"
#include "ZunoX11HotkeyBackend.h"

#include <QObject>

#include <limits>

ZunoGlobalHotkeyManager::ZunoGlobalHotkeyManager()
    : m_context(std::make_unique<QObject>())
{
    m_backend = ZunoX11HotkeyBackend::create([this](uint32_t id) { handlePress(id); });
}

ZunoGlobalHotkeyManager::~ZunoGlobalHotkeyManager()
{
    unregisterAll();
    m_backend.reset();
    m_context.reset();
}

std::optional<uint32_t> ZunoGlobalHotkeyManager::registerHotkey(
    const ZunoHotkeyDescriptor &descriptor, Action action)
{
    // After the largest id every registration is refused rather than handing an id out twice.
    if (m_idsSpent)
        return std::nullopt;
    const uint32_t id = m_nextID;
    if (m_nextID == std::numeric_limits<uint32_t>::max())
        m_idsSpent = true;
    else
        ++m_nextID;

    if (auto *bus = ZunoHotkeyBus::shared())
        bus->add(descriptor.shortcutText(), this, id, m_context.get(), action);

    const auto keysym = ZunoHotkeyKeymap::keysym(descriptor.keyCode);
    const auto modifiers = ZunoHotkeyKeymap::modifiers(descriptor.carbonModifiers);
    if (!m_backend || !keysym || !modifiers || !m_backend->grab(id, *keysym, *modifiers))
        return std::nullopt;
    m_handlers[id] = std::move(action);
    return id;
}

void ZunoGlobalHotkeyManager::unregister(uint32_t id)
{
    if (m_backend)
        m_backend->ungrab(id);
    m_handlers.erase(id);
    if (auto *bus = ZunoHotkeyBus::shared())
        bus->remove(this, id);
}

void ZunoGlobalHotkeyManager::unregisterAll()
{
    if (m_backend)
        m_backend->ungrabAll();
    m_handlers.clear();
    if (auto *bus = ZunoHotkeyBus::shared())
        bus->removeAll(this);
}

void ZunoGlobalHotkeyManager::handlePress(uint32_t id)
{
    // The press counts as handled at once; the action runs on a later turn of the main loop.
    ZunoMainThread::post(m_context.get(), [this, id] {
        auto it = m_handlers.find(id);
        if (it == m_handlers.end())
            return;
        // A copy, so an action that unregisters itself does not destroy what is running.
        const Action action = it->second;
        action();
    });
}

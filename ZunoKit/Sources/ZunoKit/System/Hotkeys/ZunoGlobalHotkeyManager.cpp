#include "ZunoGlobalHotkeyManager.h"

#include "ZunoAppLogger.h"
#include "ZunoHotkeyBus.h"
#include "ZunoHotkeyKeymap.h"
#include "ZunoMainThread.h"
#include "ZunoSingleInstanceService.h"
#include "ZunoX11HotkeyBackend.h"

#include <QObject>
#include <QtGlobal>

#include <limits>

ZunoGlobalHotkeyManager::ZunoGlobalHotkeyManager(std::shared_ptr<ZunoAppLogger> logger)
    : m_logger(std::move(logger))
    , m_context(std::make_unique<QObject>())
{
    // Under Wayland the studio may still be on XWayland, where a grab succeeds but fires only while
    // a studio window has focus: such a grab is no global hot key.
    if (!isWaylandSession())
        m_backend = ZunoX11HotkeyBackend::create([this](uint32_t id) { handlePress(id); });
}

bool ZunoGlobalHotkeyManager::isWaylandSession()
{
    const QString sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    return sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
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

    const QString shortcut = descriptor.shortcutText();
    ZunoHotkeyBus *bus = ZunoHotkeyBus::shared();
    if (!m_backend) {
        // No grabs here: the bus action is the registration.
        if (shortcut.isEmpty() || !bus || !bus->isExported())
            return std::nullopt;
        bus->add(shortcut, this, id, m_context.get(), std::move(action));
        if (isWaylandSession())
            explainWaylandBinding(shortcut);
        return id;
    }
    const auto keysym = ZunoHotkeyKeymap::keysym(descriptor.keyCode);
    const auto modifiers = ZunoHotkeyKeymap::modifiers(descriptor.carbonModifiers);
    if (!keysym || !modifiers || !m_backend->grab(id, *keysym, *modifiers))
        return std::nullopt;
    if (bus)
        bus->add(shortcut, this, id, m_context.get(), action);
    m_handlers[id] = std::move(action);
    return id;
}

void ZunoGlobalHotkeyManager::explainWaylandBinding(const QString &shortcut)
{
    if (m_explainedBinding)
        return;
    m_explainedBinding = true;
    const QString hint = QStringLiteral(
        "Hot keys: a Wayland session lets no application grab keys; bind each shortcut in the desktop's "
        "keyboard settings to a command such as: gdbus call --session --dest %1 --object-path %2 "
        "--method com.quarnwell.Hotkeys.Activate %3")
                             .arg(QLatin1String(ZunoSingleInstanceService::kServiceName),
                                 QLatin1String(ZunoHotkeyBus::kObjectPath), shortcut);
    qInfo().noquote() << hint;
    if (m_logger)
        m_logger->info(hint, QStringLiteral("hotkeys"));
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

#pragma once

#include "CamStudioHotkeys.h"

#include <QSet>
#include <QString>

#include <memory>

// The real hot-key manager (actions reachable through ZunoHotkeyBus), refusing the shortcuts the test
// names, as a desktop does for a combination another application holds.
class FakeStudioHotkeys : public CamStudioHotkeys {
public:
    explicit FakeStudioHotkeys(std::unique_ptr<CamStudioHotkeys> real)
        : m_real(std::move(real))
    {
    }

    std::optional<uint32_t> registerHotkey(
        const ZunoHotkeyDescriptor &descriptor, std::function<void()> action) override
    {
        if (refused.contains(descriptor.shortcutText()))
            return std::nullopt;
        return m_real->registerHotkey(descriptor, std::move(action));
    }

    QSet<QString> refused;

private:
    std::unique_ptr<CamStudioHotkeys> m_real;
};

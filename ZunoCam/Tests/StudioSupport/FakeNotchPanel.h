#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioPanels.h"

#include <memory>

// Records what the studio asks of the notch teleprompter panel.
class FakeNotchPanel : public CamNotchPanel {
public:
    explicit FakeNotchPanel(std::shared_ptr<CamStudioCallLog> log)
        : m_log(std::move(log))
    {
    }

    void show(const TeleprompterSettings &settings) override
    {
        m_log->add(QStringLiteral("notch.show"));
        lastSettings = settings;
    }
    void updateLayout(const TeleprompterSettings &settings) override
    {
        m_log->add(QStringLiteral("notch.updateLayout"));
        lastSettings = settings;
    }
    void orderOut() override { m_log->add(QStringLiteral("notch.orderOut")); }

    TeleprompterSettings lastSettings;

private:
    std::shared_ptr<CamStudioCallLog> m_log;
};

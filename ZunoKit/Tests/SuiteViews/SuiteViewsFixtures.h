#pragma once

// What the suite view tests share: summaries to start from and a desktop of the test's making, with
// the RAM application installed, running or absent and its tool in the test home.

#include "FakeSuiteWorkspace.h"
#include "SuiteTestFiles.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoSuiteApp.h"
#include "ZunoTestHome.h"
#include "ZunoVirtualMemorySummary.h"

#include <memory>

inline ZunoVirtualMemorySummary zeroSummary()
{
    return ZunoVirtualMemorySummary(
        0, 0, 0, 0, 0, 0, true, "normal", false, 0, 0, 0, {}, 0, 0, 0, {}, 0, 0, {}, 0, {}, 0);
}

class SuiteDesktop {
public:
    SuiteDesktop()
        : m_scoped(workspace)
    {
        // No entry or tool of the machine's own may count.
        m_environment.set("XDG_DATA_DIRS", QFile::encodeName(home.filePath("system")));
        workspace->folders = { home.filePath("share/applications") };
    }

    QString entry(ZunoSuiteApp app) const
    {
        return home.filePath("share/applications/" + bundleIdentifier(app) + ".desktop");
    }
    void install(ZunoSuiteApp app) const { writeFile(entry(app), "[Desktop Entry]\n"); }
    void setRunning(ZunoSuiteApp app) const
    {
        workspace->running = { { QStringLiteral("com.quarnwell.") + rawValue(app), std::nullopt, 0 } };
    }
    // ZunoRAM's tool in ~/.local/bin: records its arguments in "ran" and runs `script`.
    QString installTool(const QByteArray &script = {}) const
    {
        writeTool(home.filePath(".local/bin/zunoram-cli"),
            "echo \"$@\" >> '" + QFile::encodeName(home.filePath("ran")) + "'\n" + script);
        return home.filePath("ran");
    }

    ZunoTestHome home;
    std::shared_ptr<FakeSuiteWorkspace> workspace = std::make_shared<FakeSuiteWorkspace>();

private:
    ZunoScopedEnvironment m_environment;
    ScopedSuiteWorkspace m_scoped;
};

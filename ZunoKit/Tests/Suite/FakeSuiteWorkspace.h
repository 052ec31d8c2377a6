#pragma once

#include "ZunoSuiteWorkspace.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

// A desktop of the test's making: what runs and where entries are installed is set by the test, and
// every activation and start is recorded.
class FakeSuiteWorkspace final : public ZunoSuiteWorkspace {
public:
    std::vector<ZunoRunningApplication> running;
    QStringList folders;
    bool openSucceeds = true;

    QStringList activated;
    std::vector<std::pair<QString, bool>> opened;

    std::vector<ZunoRunningApplication> runningApplications() override { return running; }
    void activate(const QString &busName) override { activated.append(busName); }
    bool openDesktopEntry(const QString &path, bool activates) override
    {
        opened.emplace_back(path, activates);
        return openSucceeds;
    }
    QStringList applicationFolders() override { return folders; }
};

// Installs a workspace as the process's shared one for its lifetime.
class ScopedSuiteWorkspace {
public:
    explicit ScopedSuiteWorkspace(std::shared_ptr<ZunoSuiteWorkspace> workspace)
        : m_previous(ZunoSuiteWorkspace::replaceShared(std::move(workspace)))
    {
    }
    ~ScopedSuiteWorkspace() { ZunoSuiteWorkspace::replaceShared(m_previous); }
    ScopedSuiteWorkspace(const ScopedSuiteWorkspace &) = delete;
    ScopedSuiteWorkspace &operator=(const ScopedSuiteWorkspace &) = delete;

private:
    std::shared_ptr<ZunoSuiteWorkspace> m_previous;
};

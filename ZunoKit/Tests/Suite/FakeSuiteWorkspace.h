#pragma once

#include "ZunoSuiteWorkspace.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// A desktop of the test's making: what runs and where entries are installed is set by the test, and
// every activation and start is recorded. A start can run a real program, so that its early end is
// seen, and can put names on the bus as a sibling coming up would (set both before the start: a watch
// over the start reads `running` from another thread).
class FakeSuiteWorkspace final : public ZunoSuiteWorkspace {
public:
    std::vector<ZunoRunningApplication> running;
    QStringList folders;
    bool openSucceeds = true;
    QString openFailure = QStringLiteral("the start was refused");
    // Started on each successful open; none: the start counts as handed on, with nothing to watch.
    std::optional<ZunoDetachedProcess::Options> program;
    // Added to `running` by each successful open.
    std::vector<ZunoRunningApplication> runningAfterOpen;

    QStringList activated;
    std::vector<std::pair<QString, bool>> opened;

    std::vector<ZunoRunningApplication> runningApplications() override { return running; }
    void activate(const QString &busName) override { activated.append(busName); }
    ZunoDesktopEntryStart openDesktopEntry(const QString &path, bool activates) override
    {
        opened.emplace_back(path, activates);
        if (!openSucceeds)
            return { false, openFailure, nullptr };
        running.insert(running.end(), runningAfterOpen.begin(), runningAfterOpen.end());
        if (!program)
            return { true, QString(), nullptr };
        QString failure;
        std::shared_ptr<ZunoDetachedProcess> started = ZunoDetachedProcess::start(*program, &failure);
        if (!started)
            return { false, failure, nullptr };
        return { true, QString(), std::move(started) };
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

#include "ZunoSuiteWorkspace.h"

#include "ZunoDesktopSuiteWorkspace.h"

#include <mutex>

namespace {

std::mutex &sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<ZunoSuiteWorkspace> &sharedWorkspace()
{
    static std::shared_ptr<ZunoSuiteWorkspace> workspace = std::make_shared<ZunoDesktopSuiteWorkspace>();
    return workspace;
}

} // namespace

std::shared_ptr<ZunoSuiteWorkspace> ZunoSuiteWorkspace::shared()
{
    std::lock_guard lock(sharedMutex());
    return sharedWorkspace();
}

std::shared_ptr<ZunoSuiteWorkspace> ZunoSuiteWorkspace::replaceShared(
    std::shared_ptr<ZunoSuiteWorkspace> workspace)
{
    std::lock_guard lock(sharedMutex());
    if (!workspace)
        workspace = std::make_shared<ZunoDesktopSuiteWorkspace>();
    sharedWorkspace().swap(workspace);
    return workspace;
}

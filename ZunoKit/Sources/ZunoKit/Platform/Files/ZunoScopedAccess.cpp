#include "ZunoScopedAccess.h"

#include <QFile>
#include <QHash>

#include <mutex>
#include <unistd.h>

namespace {

std::mutex &accessMutex()
{
    static std::mutex mutex;
    return mutex;
}

QHash<QString, int> &counts()
{
    static QHash<QString, int> map;
    return map;
}

} // namespace

namespace ZunoScopedAccess {

bool start(const QString &path)
{
    if (path.isEmpty() || ::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return false;
    std::lock_guard lock(accessMutex());
    ++counts()[path];
    return true;
}

void stop(const QString &path)
{
    std::lock_guard lock(accessMutex());
    const auto it = counts().find(path);
    if (it == counts().end())
        return;
    if (--it.value() <= 0)
        counts().erase(it);
}

int activeCount(const QString &path)
{
    std::lock_guard lock(accessMutex());
    return counts().value(path, 0);
}

} // namespace ZunoScopedAccess

#include "ZunoDesktopSuiteWorkspace.h"

#include "ZunoDesktopEntryLauncher.h"
#include "ZunoPaths.h"
#include "ZunoStartupToken.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kApplicationInterface = QStringLiteral("org.freedesktop.Application");

QByteArray readSmallFile(const QByteArray &path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return file.read(64 * 1024);
}

// Zombies (Z) and dead tasks (X) are no longer running applications.
bool isZombie(const QByteArray &procDir)
{
    const QByteArray stat = readSmallFile(procDir + "/stat");
    // "pid (comm) S ...": comm may hold spaces and parentheses, so look after the last ')'.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return true;
    const char state = stat.at(close + 2);
    return state == 'Z' || state == 'X';
}

// The file name of the process's executable, else of its argv[0]; empty when neither is readable.
QString executableName(const QByteArray &procDir)
{
    char target[4096];
    const ssize_t length = ::readlink((procDir + "/exe").constData(), target, sizeof target - 1);
    if (length > 0) {
        QString path = QFile::decodeName(QByteArray(target, length));
        // An executable replaced on disk (an upgrade) keeps running under its old name.
        const QString deleted = QStringLiteral(" (deleted)");
        if (path.endsWith(deleted))
            path.chop(deleted.size());
        return QFileInfo(path).fileName();
    }
    const QByteArray cmdline = readSmallFile(procDir + "/cmdline");
    const QByteArray argv0 = cmdline.left(cmdline.indexOf('\0'));
    return argv0.isEmpty() ? QString() : QFileInfo(QFile::decodeName(argv0)).fileName();
}

std::vector<ZunoRunningApplication> userProcesses()
{
    std::vector<pid_t> pids;
    if (DIR *proc = ::opendir("/proc")) {
        while (const dirent *entry = ::readdir(proc)) {
            char *end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (pid > 0 && end && *end == '\0')
                pids.push_back(pid_t(pid));
        }
        ::closedir(proc);
    }
    std::sort(pids.begin(), pids.end());

    const uid_t me = ::getuid();
    std::vector<ZunoRunningApplication> processes;
    for (const pid_t pid : pids) {
        const QByteArray dir = "/proc/" + QByteArray::number(pid);
        struct stat info;
        if (::stat(dir.constData(), &info) != 0 || info.st_uid != me || isZombie(dir))
            continue;
        const QString name = executableName(dir);
        if (!name.isEmpty())
            processes.push_back({ std::nullopt, name, pid });
    }
    return processes;
}

} // namespace

ZunoDesktopSuiteWorkspace::ZunoDesktopSuiteWorkspace(const QDBusConnection &connection)
    : m_connection(connection)
{
}

std::vector<ZunoRunningApplication> ZunoDesktopSuiteWorkspace::runningApplications()
{
    std::vector<ZunoRunningApplication> running;
    if (QDBusConnectionInterface *bus = m_connection.isConnected() ? m_connection.interface() : nullptr) {
        const QDBusReply<QStringList> names = bus->registeredServiceNames();
        if (names.isValid()) {
            for (const QString &name : names.value()) {
                // Unique names (":1.42") belong to connections, not to applications.
                if (!name.startsWith(QLatin1Char(':')))
                    running.push_back({ name, std::nullopt, 0 });
            }
        }
    }
    std::vector<ZunoRunningApplication> processes = userProcesses();
    running.insert(
        running.end(), std::make_move_iterator(processes.begin()), std::make_move_iterator(processes.end()));
    return running;
}

void ZunoDesktopSuiteWorkspace::activate(const QString &busName)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        busName, objectPathForBusName(busName), kApplicationInterface, QStringLiteral("Activate"));
    // The token lets the window manager bring the sibling forward despite focus-stealing prevention.
    QVariantMap platformData;
    if (const auto token = ZunoStartupToken::make()) {
        platformData.insert(QStringLiteral("desktop-startup-id"), *token);
        platformData.insert(QStringLiteral("activation-token"), *token);
    }
    call << platformData;
    // Sent without waiting: the owner may be busy, and the caller is the main thread.
    if (!m_connection.send(call))
        qWarning("ZunoDesktopSuiteWorkspace: cannot send Activate to %s", qPrintable(busName));
}

ZunoDesktopEntryStart ZunoDesktopSuiteWorkspace::openDesktopEntry(const QString &path, bool activates)
{
    return ZunoDesktopEntryLauncher::open(path, activates);
}

QStringList ZunoDesktopSuiteWorkspace::applicationFolders()
{
    QStringList folders { ZunoPaths::applicationSupport() + QStringLiteral("/applications") };
    QStringList dataDirs = qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (dataDirs.isEmpty())
        dataDirs = { QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share") };
    for (const QString &dir : std::as_const(dataDirs)) {
        if (QDir::isAbsolutePath(dir))
            folders.append(QDir::cleanPath(dir) + QStringLiteral("/applications"));
    }
    return folders;
}

QString ZunoDesktopSuiteWorkspace::objectPathForBusName(const QString &busName)
{
    QString path = QLatin1Char('/') + busName;
    path.replace(QLatin1Char('.'), QLatin1Char('/'));
    path.replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

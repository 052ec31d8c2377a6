#include "ZunoAccountTokenFile.h"

#include "ZunoAtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Json = nlohmann::json;

constexpr char kLockFileName[] = ".account.lock";
constexpr char kRescueStem[] = "account";
constexpr auto kLockWait = std::chrono::seconds(5);

enum class State { missing, unreadable, notAnObject, object };

struct Contents {
    State state = State::missing;
    Json object;
};

Contents load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return { State::missing, Json::object() };
    if (!file.open(QIODevice::ReadOnly))
        return { State::unreadable, {} };
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return { State::unreadable, {} };
    Json json = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return { State::notAnObject, {} };
    return { State::object, std::move(json) };
}

// The folder with mode 0700: created so (never wider for a moment), or narrowed when it exists.
bool ensurePrivateFolder(const QString &directory)
{
    const QByteArray name = QFile::encodeName(directory);
    if (!QFileInfo(directory).isDir()) {
        QDir().mkpath(QFileInfo(directory).absolutePath());
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
            qWarning("Account folder %s could not be created: %s", name.constData(), std::strerror(errno));
            return false;
        }
    }
    ::chmod(name.constData(), 0700);
    return QFileInfo(directory).isDir();
}

// Serialises writers of the files in one folder, across processes (flock) and threads (mutex). A lock
// that stays taken for longer than `kLockWait` is given up on: a stopped process must not block a
// sign-in for ever.
class FolderLock {
public:
    explicit FolderLock(const QString &directory)
        : m_guard(mutex())
    {
        const QByteArray path = QFile::encodeName(QDir(directory).filePath(QLatin1String(kLockFileName)));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            qWarning("Account lock %s could not be opened: %s", path.constData(), std::strerror(errno));
            return;
        }
        ::fchmod(m_fd, 0600);
        const auto deadline = std::chrono::steady_clock::now() + kLockWait;
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            if (std::chrono::steady_clock::now() >= deadline) {
                qWarning("Account lock %s is still held after 5 s; writing without it", path.constData());
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    static std::mutex &mutex()
    {
        static std::mutex shared;
        return shared;
    }

    std::unique_lock<std::mutex> m_guard;
    int m_fd = -1;
};

bool persist(const QString &path, const Json &object)
{
    std::string text;
    try {
        text = object.dump(2); // keys come out sorted
    } catch (const Json::exception &error) {
        qWarning("Account file %s could not be encoded: %s", qPrintable(path), error.what());
        return false;
    }
    QString failure;
    ZunoAtomicFile::Options options;
    options.mode = 0600;
    if (!ZunoAtomicFile::write(path, QByteArray::fromStdString(text), &failure, options)) {
        qWarning("Account file %s could not be written: %s", qPrintable(path), qPrintable(failure));
        return false;
    }
    return true;
}

// Moves a file that is not a JSON object aside, owner-only, so that no entry of it is lost for good.
bool rescue(const QString &path)
{
    const QString directory = QFileInfo(path).absolutePath();
    const QString target = ZunoAtomicFile::rescuePath(directory, QLatin1String(kRescueStem));
    // Narrowed through a descriptor of the file itself: a link would carry the change to its target,
    // which may be any file of the user's outside this folder.
    const QByteArray name = QFile::encodeName(path);
    struct stat status { };
    if (::lstat(name.constData(), &status) == 0 && S_ISREG(status.st_mode)) {
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::fchmod(fd, 0600);
            ::close(fd);
        }
    }
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0) {
        qWarning("Unreadable account file %s could not be moved aside: %s", qPrintable(path),
            std::strerror(errno));
        return false;
    }
    qWarning(
        "Account file %s was not a JSON object; it was moved to %s", qPrintable(path), qPrintable(target));
    return true;
}

} // namespace

namespace ZunoAccountTokenFile {

std::optional<QString> value(const QString &path, const QString &key)
{
    const Contents contents = load(path);
    if (contents.state != State::object)
        return std::nullopt;
    const auto found = contents.object.find(key.toStdString());
    if (found == contents.object.end() || !found->is_string())
        return std::nullopt;
    return QString::fromStdString(found->get<std::string>());
}

bool setValue(const QString &path, const QString &key, const QString &value)
{
    const QString directory = QFileInfo(path).absolutePath();
    if (!ensurePrivateFolder(directory))
        return false;
    const FolderLock lock(directory);
    Contents contents = load(path);
    switch (contents.state) {
    case State::unreadable:
        qWarning("Account file %s exists but cannot be read; it is left as it is", qPrintable(path));
        return false;
    case State::notAnObject:
        if (!rescue(path))
            return false;
        contents.object = Json::object();
        break;
    case State::missing:
    case State::object:
        break;
    }
    contents.object[key.toStdString()] = value.toStdString();
    return persist(path, contents.object);
}

bool removeValue(const QString &path, const QString &key)
{
    const std::string name = key.toStdString();
    // A look without the lock first: the common case, nothing to remove, then touches nothing at all.
    if (const Contents peek = load(path); peek.state != State::object || !peek.object.contains(name))
        return true;
    const QString directory = QFileInfo(path).absolutePath();
    const FolderLock lock(directory);
    Contents contents = load(path);
    if (contents.state != State::object || !contents.object.contains(name))
        return true;
    contents.object.erase(name);
    ensurePrivateFolder(directory);
    return persist(path, contents.object);
}

} // namespace ZunoAccountTokenFile

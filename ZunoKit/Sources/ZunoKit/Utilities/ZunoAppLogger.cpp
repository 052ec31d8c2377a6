#include "ZunoAppLogger.h"

#include "ZunoBundle.h"
#include "ZunoDesktopServices.h"
#include "ZunoPaths.h"
#include "ZunoSystemLog.h"
#include "ZunoUtf8.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::uint64_t kMinimumFileBytes = 4096;
constexpr std::int64_t kMinimumRotatedFiles = 1;

struct RedactionRule {
    const char *pattern;
    const char *replacement;
};

// Applied in this order, each to the output of the one before. \1 is the first capture group.
constexpr RedactionRule kRedactionRules[] = {
    { R"((?i)(bearer\s+)[A-Za-z0-9._\-]{8,})", R"(\1[REDACTED])" },
    { R"(\b(sk-[A-Za-z0-9_\-]{10,})\b)", "[REDACTED_KEY]" },
    { R"(\b(AIza[0-9A-Za-z\-_]{16,})\b)", "[REDACTED_KEY]" },
    { R"((?i)((?:api[_-]?key|token|secret|password)\s*[=:]\s*)[^\s,;\"']+)", R"(\1[REDACTED])" },
};

ZunoAppVersion defaultVersion()
{
    return ZunoAppVersion::current(ZunoBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100"));
}

QString fileStem(const QString &appName)
{
    return appName.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

QString defaultDirectory(const QString &appName)
{
    return ZunoPaths::applicationSupport() + QStringLiteral("/Quarnwell/") + appName
        + QStringLiteral("/logs");
}

ZunoSystemLog::Type systemLogType(ZunoLogLevel level)
{
    switch (level) {
    case ZunoLogLevel::debug:
        return ZunoSystemLog::Type::debug;
    case ZunoLogLevel::info:
        return ZunoSystemLog::Type::info;
    case ZunoLogLevel::warn:
    case ZunoLogLevel::error:
        return ZunoSystemLog::Type::error;
    }
    return ZunoSystemLog::Type::info;
}

QString errnoText(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

// A move that never replaces an existing file, so a generation another process just made survives.
bool moveWithoutReplacing(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    if (::access(to.constData(), F_OK) == 0)
        return false;
    return ::rename(from.constData(), to.constData()) == 0;
}

struct AppendFailure {
    QString description;
    bool partLeft = false; // part of the line stayed in the file
};

// Appends with O_APPEND (creating the file when missing): each line lands whole at the end even
// when another process writes the same file. A write cut short (a full disk, a file-size limit) is cut
// back to the size before it, so no half line is left for the next one to be glued onto; when that is
// not possible (another writer appended since), `partLeft` asks the caller to start a fresh line.
std::optional<AppendFailure> appendToFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray nativePath = QFile::encodeName(path);
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return AppendFailure { QStringLiteral("could not open %1: %2").arg(path, errnoText(errno)) };
    struct stat before { };
    const bool sized = ::fstat(fd, &before) == 0;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            struct stat after { };
            const bool onlyOurs = written > 0 && sized && ::fstat(fd, &after) == 0
                && after.st_size == before.st_size + written;
            if (onlyOurs && ::ftruncate(fd, before.st_size) == 0)
                written = 0;
            ::close(fd);
            return AppendFailure { QStringLiteral("could not write %1: %2").arg(path, errnoText(error)),
                written > 0 };
        }
        written += n;
    }
    ::close(fd);
    return std::nullopt;
}

void reportWriteFailure(const QString &appName, const QString &description)
{
    const QByteArray line = (QStringLiteral("[ZunoAppLogger:") + appName + QStringLiteral("] write failed: ")
        + description + QLatin1Char('\n'))
                                .toUtf8();
    // One write call, so the line is not interleaved with other output.
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, line.constData(), size_t(line.size()));
}

} // namespace

std::shared_ptr<ZunoAppLogger> ZunoAppLogger::shared(const QString &appName, VersionProvider versionProvider)
{
    static std::mutex registryMutex;
    static QHash<QString, std::shared_ptr<ZunoAppLogger>> registry;
    std::lock_guard lock(registryMutex);
    auto &logger = registry[appName];
    if (!logger)
        logger = std::make_shared<ZunoAppLogger>(
            appName, QString(), kRegistryMaxFileBytes, kRegistryMaxRotatedFiles, std::move(versionProvider));
    return logger;
}

ZunoAppLogger::ZunoAppLogger(const QString &appName, const QString &directory, std::uint64_t maxFileBytes,
    std::int64_t maxRotatedFiles, VersionProvider versionProvider)
    : m_appName(appName)
    , m_logDirectoryPath(directory.isEmpty() ? defaultDirectory(appName) : directory)
    , m_currentLogFilePath(m_logDirectoryPath + QLatin1Char('/') + fileStem(appName) + QStringLiteral(".log"))
    , m_maxFileBytes(maxFileBytes > kMinimumFileBytes ? maxFileBytes : kMinimumFileBytes)
    , m_maxRotatedFiles(maxRotatedFiles > kMinimumRotatedFiles ? maxRotatedFiles : kMinimumRotatedFiles)
    , m_subsystem(QStringLiteral("com.quarnwell.") + fileStem(appName))
    , m_versionProvider(versionProvider ? std::move(versionProvider) : VersionProvider(defaultVersion))
{
}

void ZunoAppLogger::log(ZunoLogLevel level, const QString &category, const QString &message)
{
    // Everything but the file work runs on the caller's thread, outside the mutex.
    const ZunoAppVersion version = m_versionProvider();
    ZunoLogEntry entry;
    entry.message = redactSecrets(message);
    entry.timestamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    entry.id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    entry.level = level;
    entry.category = category;
    entry.version = version.shortVersion;
    entry.build = version.buildNumber;

    if (const auto systemLog = ZunoSystemLog::shared()) {
        systemLog->write(m_subsystem, QStringLiteral("runtime"), systemLogType(level),
            QLatin1Char('[') + category + QStringLiteral("] ") + entry.message);
    }

    QByteArray line = entry.encoded();
    line.append('\n');

    std::lock_guard lock(m_mutex);
    std::error_code folderError;
    std::filesystem::create_directories(QFile::encodeName(m_logDirectoryPath).toStdString(), folderError);
    if (folderError) {
        reportWriteFailure(m_appName,
            QStringLiteral("could not create folder %1: %2")
                .arg(m_logDirectoryPath, QString::fromStdString(folderError.message())));
        return;
    }
    rotateIfNeeded();
    if (m_unfinishedLine)
        line.prepend('\n');
    const std::optional<AppendFailure> failure = appendToFile(m_currentLogFilePath, line);
    m_unfinishedLine = failure && failure->partLeft;
    if (failure)
        reportWriteFailure(m_appName, failure->description);
}

QString ZunoAppLogger::generationPath(std::int64_t generation) const
{
    return m_currentLogFilePath + QLatin1Char('.') + QString::number(generation);
}

// Called with the mutex held. Every failure is ignored: at worst the current file keeps growing.
void ZunoAppLogger::rotateIfNeeded()
{
    const QByteArray current = QFile::encodeName(m_currentLogFilePath);
    struct stat status { };
    if (::stat(current.constData(), &status) != 0 || status.st_size < 0)
        return;
    if (static_cast<std::uint64_t>(status.st_size) < m_maxFileBytes)
        return;
    ::unlink(QFile::encodeName(generationPath(m_maxRotatedFiles)).constData());
    for (std::int64_t i = m_maxRotatedFiles - 1; i >= 1; --i)
        moveWithoutReplacing(QFile::encodeName(generationPath(i)), QFile::encodeName(generationPath(i + 1)));
    moveWithoutReplacing(current, QFile::encodeName(generationPath(1)));
}

QList<ZunoLogEntry> ZunoAppLogger::recentEntries(int limit, ZunoLogLevel minimumLevel) const
{
    QByteArray content;
    {
        std::lock_guard lock(m_mutex);
        QFile file(m_currentLogFilePath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        content = file.readAll();
    }
    if (content.isEmpty())
        return {};

    QList<ZunoLogEntry> result;
    const QList<QByteArray> lines = content.split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->isEmpty() || !ZunoUtf8::isValid(*line))
            continue;
        const auto entry = ZunoLogEntry::decoded(*line);
        if (!entry || entry->level < minimumLevel)
            continue;
        result.append(*entry);
        if (result.size() >= limit)
            break;
    }
    return result;
}

QString ZunoAppLogger::exportPlainText(int limit, ZunoLogLevel minimumLevel) const
{
    const QList<ZunoLogEntry> entries = recentEntries(limit, minimumLevel);
    QStringList lines;
    lines.reserve(entries.size());
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        lines.append(QLatin1Char('[') + entry->timestamp + QStringLiteral("] [") + label(entry->level)
            + QStringLiteral("] [v") + entry->version + QLatin1Char('#') + entry->build
            + QStringLiteral("] [") + entry->category + QStringLiteral("] ") + entry->message);
    }
    return lines.join(QLatin1Char('\n'));
}

void ZunoAppLogger::revealInFinder() const
{
    std::error_code ignored;
    std::filesystem::create_directories(QFile::encodeName(m_logDirectoryPath).toStdString(), ignored);
    const auto desktop = ZunoDesktopServices::shared();
    if (QFileInfo::exists(m_currentLogFilePath))
        desktop->revealFile(m_currentLogFilePath);
    else
        desktop->openUrl(QUrl::fromLocalFile(m_logDirectoryPath));
}

bool ZunoAppLogger::clear()
{
    const auto removed = [](const QString &path) {
        return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
    };
    std::lock_guard lock(m_mutex);
    bool everyFileGone = removed(m_currentLogFilePath);
    for (std::int64_t i = 1; i <= m_maxRotatedFiles; ++i)
        everyFileGone = removed(generationPath(i)) && everyFileGone;
    return everyFileGone;
}

QString ZunoAppLogger::redactSecrets(const QString &text)
{
    // Compiling the four patterns costs far more than matching them; each thread keeps its own copy
    // so no compiled pattern is shared between threads.
    thread_local const std::vector<std::pair<QRegularExpression, QString>> rules = [] {
        std::vector<std::pair<QRegularExpression, QString>> compiled;
        for (const RedactionRule &rule : kRedactionRules) {
            // Unicode word and space classes: accented letters count as word characters for \b.
            QRegularExpression expression(
                QString::fromLatin1(rule.pattern), QRegularExpression::UseUnicodePropertiesOption);
            if (expression.isValid())
                compiled.emplace_back(std::move(expression), QString::fromLatin1(rule.replacement));
        }
        return compiled;
    }();
    QString result = text;
    for (const auto &[expression, replacement] : rules)
        result.replace(expression, replacement);
    return result;
}

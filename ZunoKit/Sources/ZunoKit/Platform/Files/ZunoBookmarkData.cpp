#include "ZunoBookmarkData.h"

#include <QFile>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>
#include <system_error>

namespace {

constexpr int kFormatVersion = 1;

std::optional<struct stat> statPath(const QString &path, int *error = nullptr)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    return info;
}

} // namespace

namespace ZunoBookmarkData {

QByteArray create(const QString &absolutePath)
{
    int error = 0;
    const auto info = statPath(absolutePath, &error);
    if (!info)
        throw std::system_error(error, std::generic_category(), absolutePath.toStdString());
    const nlohmann::json data = {
        { "version", kFormatVersion },
        { "path", absolutePath.toStdString() },
        { "device", std::uint64_t(info->st_dev) },
        { "inode", std::uint64_t(info->st_ino) },
    };
    return QByteArray::fromStdString(data.dump());
}

std::optional<Resolution> resolve(const QByteArray &data)
{
    const nlohmann::json json = nlohmann::json::parse(data.toStdString(), nullptr, false);
    if (!json.is_object() || json.value("version", 0) != kFormatVersion)
        return std::nullopt;
    const auto path = json.find("path");
    const auto device = json.find("device");
    const auto inode = json.find("inode");
    if (path == json.end() || !path->is_string() || device == json.end() || !device->is_number_unsigned()
        || inode == json.end() || !inode->is_number_unsigned())
        return std::nullopt;
    const QString resolved = QString::fromStdString(path->get<std::string>());
    if (resolved.isEmpty())
        return std::nullopt;
    const auto info = statPath(resolved);
    if (!info)
        return std::nullopt;
    const bool stale = std::uint64_t(info->st_dev) != device->get<std::uint64_t>()
        || std::uint64_t(info->st_ino) != inode->get<std::uint64_t>();
    return Resolution { resolved, stale };
}

} // namespace ZunoBookmarkData

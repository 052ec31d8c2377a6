#include "ZunoDefaults.h"

#include "ZunoAppInfo.h"
#include "ZunoPaths.h"

#include <QSettings>

#include <map>

ZunoDefaults::ZunoDefaults(const QString &filePath)
    : m_filePath(filePath)
    , m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

ZunoDefaults::~ZunoDefaults() = default;

QString ZunoDefaults::standardFilePath()
{
    return ZunoPaths::configuration() + QStringLiteral("/Quarnwell/")
        + QString::fromUtf8(ZunoAppInfo::displayName) + QStringLiteral(".conf");
}

ZunoDefaults &ZunoDefaults::standard()
{
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<ZunoDefaults>> stores;
    const QString path = standardFilePath();
    std::lock_guard lock(mutex);
    auto &slot = stores[path];
    if (!slot)
        slot = std::make_unique<ZunoDefaults>(path);
    return *slot;
}

QVariant ZunoDefaults::value(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    return m_settings->value(key);
}

bool ZunoDefaults::contains(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    return m_settings->contains(key);
}

bool ZunoDefaults::setValue(const QString &key, const QVariant &value)
{
    return write(key, value);
}

bool ZunoDefaults::remove(const QString &key)
{
    return write(key, std::nullopt);
}

bool ZunoDefaults::write(const QString &key, const std::optional<QVariant> &value)
{
    std::lock_guard lock(m_mutex);
    // QSettings keeps the first error for the object's life, so each write goes through a fresh
    // object whose status speaks of this write alone; objects on one file share its contents.
    QSettings writer(m_filePath, QSettings::IniFormat);
    const std::optional<QVariant> previous
        = writer.contains(key) ? std::optional<QVariant>(writer.value(key)) : std::nullopt;
    if (value)
        writer.setValue(key, *value);
    else
        writer.remove(key);
    writer.sync();
    if (writer.status() == QSettings::NoError)
        return true;
    qWarning().noquote()
        << QStringLiteral("Settings: cannot write \"%1\" to %2; the change is not kept").arg(key, m_filePath);
    if (previous)
        writer.setValue(key, *previous);
    else
        writer.remove(key);
    return false;
}

QString ZunoDefaults::string(const QString &key) const
{
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

QVariantMap ZunoDefaults::dictionary(const QString &key) const
{
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QVariantMap ? v.toMap() : QVariantMap();
}

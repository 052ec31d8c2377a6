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

void ZunoDefaults::setValue(const QString &key, const QVariant &value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(key, value);
    m_settings->sync();
}

void ZunoDefaults::remove(const QString &key)
{
    std::lock_guard lock(m_mutex);
    m_settings->remove(key);
    m_settings->sync();
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

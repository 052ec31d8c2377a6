#include "ZunoPermissionPromptLedger.h"

#include "ZunoDefaults.h"

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

double secondsSince1970(const QDateTime &date)
{
    return static_cast<double>(date.toMSecsSinceEpoch()) / 1000.0;
}

} // namespace

ZunoPermissionPromptLedger::ZunoPermissionPromptLedger(const QString &storageKey, ZunoDefaults &defaults)
    : m_defaults(defaults)
    , m_storageKey(storageKey)
{
}

QVariantMap ZunoPermissionPromptLedger::load() const
{
    const QVariantMap prompts = m_defaults.dictionary(m_storageKey);
    for (const QVariant &value : prompts) {
        if (!isNumber(value))
            return {};
    }
    return prompts;
}

bool ZunoPermissionPromptLedger::store(const QVariantMap &prompts)
{
    return m_defaults.setValue(m_storageKey, prompts);
}

bool ZunoPermissionPromptLedger::hasPrompted(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    return load().contains(key);
}

bool ZunoPermissionPromptLedger::markPrompted(const QString &key, const QDateTime &at)
{
    std::lock_guard lock(m_mutex);
    QVariantMap prompts = load();
    prompts.insert(key, secondsSince1970(at));
    return store(prompts);
}

bool ZunoPermissionPromptLedger::claimOneTimePrompt(const QString &key, const QDateTime &at)
{
    std::lock_guard lock(m_mutex);
    QVariantMap prompts = load();
    if (prompts.contains(key))
        return false;
    prompts.insert(key, secondsSince1970(at));
    // A claim that cannot be recorded is no claim: the prompt would otherwise come back every start.
    return store(prompts);
}

bool ZunoPermissionPromptLedger::reset(const QString &key)
{
    std::lock_guard lock(m_mutex);
    QVariantMap prompts = load();
    prompts.remove(key);
    return store(prompts);
}

bool ZunoPermissionPromptLedger::resetAll()
{
    std::lock_guard lock(m_mutex);
    return m_defaults.remove(m_storageKey);
}

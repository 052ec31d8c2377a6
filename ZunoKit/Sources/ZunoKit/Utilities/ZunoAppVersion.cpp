#include "ZunoAppVersion.h"

#include "ZunoBundle.h"

namespace {

QString infoString(const ZunoBundle &bundle, const QString &key, const QString &fallback)
{
    const QVariant value = bundle.infoDictionary.value(key);
    if (value.typeId() != QMetaType::QString)
        return fallback;
    const QString trimmed = value.toString().trimmed();
    return trimmed.isEmpty() ? fallback : trimmed;
}

} // namespace

QString ZunoAppVersion::tag() const
{
    return QStringLiteral("v") + shortVersion;
}

QString ZunoAppVersion::detailedDisplay() const
{
    return QStringLiteral("v%1 (%2)").arg(shortVersion, buildNumber);
}

std::optional<ZunoSemVer> ZunoAppVersion::semVer() const
{
    return ZunoSemVer::parsing(shortVersion);
}

ZunoAppVersion ZunoAppVersion::current(
    const ZunoBundle &bundle, const QString &fallbackVersion, const QString &fallbackBuild)
{
    return { infoString(bundle, QStringLiteral("CFBundleShortVersionString"), fallbackVersion),
        infoString(bundle, QStringLiteral("CFBundleVersion"), fallbackBuild) };
}

ZunoAppVersion ZunoAppVersion::current()
{
    return current(ZunoBundle::main());
}

#include "ZunoCreditsAccountManager.h"

#include "ZunoAccountTokenFile.h"
#include "ZunoAppVersion.h"
#include "ZunoBundle.h"
#include "ZunoFeedbackService.h"
#include "ZunoPaths.h"
#include "ZunoServiceURL.h"
#include "ZunoWebURL.h"

#include <QDir>

namespace {

QString accountFileIn(const QString &directory)
{
    return QDir(directory).filePath(QLatin1String(ZunoCreditsAccountManager::kAccountFileName));
}

std::optional<QUrl> portalURL(const QString &portalBase, const char *path)
{
    return ZunoWebURL::parse(ZunoServiceURL::withoutEdgeSlashes(portalBase) + QLatin1String(path));
}

} // namespace

ZunoCreditsAccountManager::ZunoCreditsAccountManager(const std::optional<QString> &accountDirectory,
    const std::optional<QString> &legacyDirectory, const std::optional<QString> &gatewayURLOverride,
    std::shared_ptr<ZunoHttpSession> session)
    : m_gatewayURLOverride(gatewayURLOverride)
    , m_session(std::move(session))
{
    if (accountDirectory) {
        m_primaryAccountFile = accountFileIn(*accountDirectory);
        if (legacyDirectory)
            m_legacyAccountFile = accountFileIn(*legacyDirectory);
        return;
    }
    // The first variable wins when present at all, even blank; a blank value means the defaults.
    std::optional<QString> fromEnvironment;
    if (qEnvironmentVariableIsSet(kAccountDirectoryVariable))
        fromEnvironment = qEnvironmentVariable(kAccountDirectoryVariable);
    else if (qEnvironmentVariableIsSet(kSiblingAccountDirectoryVariable))
        fromEnvironment = qEnvironmentVariable(kSiblingAccountDirectoryVariable);
    if (fromEnvironment && !fromEnvironment->trimmed().isEmpty()) {
        m_primaryAccountFile = accountFileIn(*fromEnvironment);
        return;
    }
    const QDir support(ZunoPaths::applicationSupport());
    m_primaryAccountFile = accountFileIn(support.filePath(QStringLiteral("Quarnwell")));
    m_legacyAccountFile = accountFileIn(support.filePath(QStringLiteral("com.dezevevEZU.dezevevEZU")));
}

std::shared_ptr<ZunoCreditsAccountManager> ZunoCreditsAccountManager::shared()
{
    static const std::shared_ptr<ZunoCreditsAccountManager> manager
        = std::make_shared<ZunoCreditsAccountManager>();
    return manager;
}

QString ZunoCreditsAccountManager::resolvedGatewayURL(const std::optional<QString> &override)
{
    return ZunoServiceURL::resolve(override, kGatewayURLEnvironmentVariable,
        QLatin1String(kGatewayURLDefaultsKey), QString::fromLatin1(kDefaultGatewayURL),
        ZunoServiceURL::Trimming::whiteSpaceAndSlashes);
}

QString ZunoCreditsAccountManager::currentAppHeader()
{
    const ZunoBundle &bundle = ZunoBundle::main();
    const QString name = ZunoFeedbackService::resolvedCurrentAppName(bundle, QStringLiteral("Quarnwell"));
    const QString version
        = ZunoAppVersion::current(bundle, QStringLiteral("1.0.0"), QStringLiteral("100")).shortVersion;
    return name + QLatin1Char('/') + version + QStringLiteral(" Linux");
}

QString ZunoCreditsAccountManager::tokenKey() const
{
    return QLatin1String(kTokenKeyPrefix) + resolvedGatewayURL(m_gatewayURLOverride);
}

std::vector<QString> ZunoCreditsAccountManager::accountFiles() const
{
    std::vector<QString> files { m_primaryAccountFile };
    if (m_legacyAccountFile)
        files.push_back(*m_legacyAccountFile);
    return files;
}

std::optional<QString> ZunoCreditsAccountManager::savedToken() const
{
    const QString key = tokenKey();
    for (const QString &file : accountFiles()) {
        const QString token = ZunoAccountTokenFile::value(file, key).value_or(QString()).trimmed();
        if (!token.isEmpty())
            return token;
    }
    return std::nullopt;
}

bool ZunoCreditsAccountManager::saveToken(const QString &token) const
{
    const QString trimmed = token.trimmed();
    if (trimmed.isEmpty())
        return true;
    const QString key = tokenKey();
    bool savedInPrimary = true;
    for (const QString &file : accountFiles()) {
        const bool saved = ZunoAccountTokenFile::setValue(file, key, trimmed);
        if (file == m_primaryAccountFile)
            savedInPrimary = saved;
    }
    return savedInPrimary;
}

void ZunoCreditsAccountManager::clearLocalToken() const
{
    const QString key = tokenKey();
    for (const QString &file : accountFiles())
        ZunoAccountTokenFile::removeValue(file, key);
}

std::optional<QUrl> ZunoCreditsAccountManager::topUpURL(const QString &portalBase, ZunoLanguage language)
{
    return portalURL(portalBase, language == ZunoLanguage::tr ? "/kredi" : "/en/credits");
}

std::optional<QUrl> ZunoCreditsAccountManager::budgetsURL(const QString &portalBase, ZunoLanguage language)
{
    return portalURL(portalBase, language == ZunoLanguage::tr ? "/kullanim" : "/en/usage");
}

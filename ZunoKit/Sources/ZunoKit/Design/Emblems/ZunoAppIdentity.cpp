#include "ZunoAppIdentity.h"

#include "ZunoBundle.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>

#include <nlohmann/json.hpp>

namespace {

constexpr const char16_t *kCaseNames[ZunoAppIdentities::kCount] = { u"zunoFocus", u"zunoTask", u"zunoFlow",
    u"zunoFind", u"zunoRead", u"zunoMind", u"zunoSheet", u"zunoNote", u"zunoMail", u"zunoCalendar",
    u"zunoDocs", u"zunoWrite", u"zunoSlide", u"zunoClip", u"zunoType", u"zunoTranslate", u"zunoPDF",
    u"zunoScan", u"zunoBoard", u"zunoHabit", u"zunoTime", u"zunoBudget", u"zunoInvoice", u"zunoContact",
    u"zunoLearn", u"zunoCode", u"zunoShelf", u"zunoDraw", u"zunoMark", u"zunoSnip", u"zunoList", u"zunoPhoto",
    u"zunoMusic", u"zunoCam", u"zunoStudio", u"zunoMixer", u"zunoDownloader", u"zunoVideo", u"zunoPodcast",
    u"zunoRadio", u"zunoCast", u"zunoFrame", u"zunoWall", u"zunoGIF", u"zunoVoice", u"zunoSubtitle",
    u"zunoPlayer", u"zunoReel", u"zunoTune", u"zunoKill", u"zunoRAM", u"zunoVolt", u"zunoTor", u"zunoDNS",
    u"zunoDB", u"zunoServe", u"zunoAgentBrowser", u"zunoContainer", u"zunoGit", u"zunoDisk", u"zunoVM",
    u"zunoPhone", u"zunoRescue", u"zunoVPN", u"zunoBackup", u"zunoPulse", u"zunoClean", u"zunoFirewall",
    u"zunoPort", u"zunoShell", u"zunoSync", u"zunoVault", u"zunoWiFi", u"zunoTemp", u"zunoFan", u"zunoUpdate",
    u"zunoLog", u"quarnwell", u"dezevevezu", u"atlas", u"beacon", u"harbor" };

// Shortened and former names, compared after normalisation, in this order.
struct Alias {
    const char *name;
    ZunoAppIdentity app;
};
constexpr Alias kAliases[] = {
    { "zunobrowser", ZunoAppIdentity::zunoAgentBrowser },
    { "zunodl", ZunoAppIdentity::zunoDownloader },
    { "zunodownload", ZunoAppIdentity::zunoDownloader },
    { "zunomemory", ZunoAppIdentity::zunoRAM },
    { "zunokiller", ZunoAppIdentity::zunoKill },
};

QString normalised(const QString &text)
{
    QString out;
    for (const char32_t c : text.toLower().toUcs4()) {
        if (QChar::isLetterOrNumber(c) || QChar::isMark(c))
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

const QHash<QString, ZunoAppIdentity> &rawValueTable()
{
    static const QHash<QString, ZunoAppIdentity> table = [] {
        QHash<QString, ZunoAppIdentity> t;
        for (int i = 0; i < ZunoAppIdentities::kCount; ++i)
            t.insert(normalised(QString::fromUtf16(kCaseNames[i])), static_cast<ZunoAppIdentity>(i));
        return t;
    }();
    return table;
}

} // namespace

namespace ZunoAppIdentities {

const std::array<ZunoAppIdentity, kCount> &allCases()
{
    static const auto cases = [] {
        std::array<ZunoAppIdentity, kCount> all {};
        for (int i = 0; i < kCount; ++i)
            all[i] = static_cast<ZunoAppIdentity>(i);
        return all;
    }();
    return cases;
}

std::optional<ZunoAppIdentity> fromRawValue(const QString &raw)
{
    const auto &table = rawValueTable();
    const auto it = table.constFind(raw);
    if (it == table.cend())
        return std::nullopt;
    return *it;
}

std::optional<ZunoAppIdentity> resolve(const QString &name)
{
    const QStringList pieces = name.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    const QString last = pieces.isEmpty() ? name : pieces.constLast();
    const QString key = normalised(last);
    for (const auto &alias : kAliases) {
        if (key == QLatin1String(alias.name))
            return alias.app;
    }
    return fromRawValue(key);
}

std::optional<ZunoAppIdentity> current()
{
    const ZunoBundle &bundle = ZunoBundle::main();
    if (auto app = resolve(bundle.bundleIdentifier))
        return app;
    for (const char *key : { "CFBundleDisplayName", "CFBundleName" }) {
        const QVariant value = bundle.infoDictionary.value(QLatin1String(key));
        if (value.typeId() == QMetaType::QString) {
            if (auto app = resolve(value.toString()))
                return app;
        }
    }
    return resolve(ZunoBundle::processName());
}

QString caseName(ZunoAppIdentity app)
{
    const int i = static_cast<int>(app);
    return (i >= 0 && i < kCount) ? QString::fromUtf16(kCaseNames[i]) : QString();
}

} // namespace ZunoAppIdentities

QString rawValue(ZunoAppIdentity app)
{
    return normalised(ZunoAppIdentities::caseName(app));
}

void to_json(nlohmann::json &j, ZunoAppIdentity app)
{
    j = rawValue(app).toStdString();
}

void from_json(const nlohmann::json &j, ZunoAppIdentity &app)
{
    const auto found = ZunoAppIdentities::fromRawValue(QString::fromStdString(j.get<std::string>()));
    if (!found)
        throw nlohmann::json::other_error::create(501, "unknown ZunoAppIdentity raw value", &j);
    app = *found;
}

#include "ZunoSuiteApp.h"

#include "ZunoSuiteWorkspace.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

#include <nlohmann/json.hpp>

namespace {

struct Row {
    const char *rawValue;
    const char *symbolName;
};

// In declaration order.
constexpr Row kRows[ZunoSuiteApps::kCount] = {
    { "ZunoKill", "xmark.octagon.fill" },
    { "ZunoRAM", "memorychip.fill" },
    { "ZunoPulse", "waveform.path.ecg" },
    { "ZunoVolt", "bolt.fill" },
    { "ZunoVoice", "mic.fill" },
    { "ZunoTor", "network" },
    { "ZunoProxy", "arrow.left.arrow.right" },
    { "ZunoNotch", "rectangle.topthird.inset.filled" },
    { "ZunoMan", "book.closed.fill" },
    { "ZunoPlay", "play.tv" },
    { "ZunoBeam", "arrow.up.arrow.down.circle" },
    { "ZunoDNS", "globe" },
    { "ZunoFlow", "point.3.connected.trianglepath.dotted" },
    { "ZunoFind", "magnifyingglass" },
    { "ZunoRead", "book" },
    { "ZunoWave", "waveform" },
    { "ZunoCanvas", "scribble.variable" },
    { "ZunoDesign", "ruler" },
    { "ZunoMusic", "music.note" },
    { "ZunoLink", "link" },
    { "ZunoMixer", "slider.horizontal.3" },
    { "ZunoMind", "brain" },
    { "ZunoMail", "envelope.fill" },
    { "ZunoDB", "cylinder.split.1x2" },
    { "ZunoServe", "server.rack" },
    { "ZunoPass", "key.fill" },
    { "ZunoContainer", "shippingbox.fill" },
    { "ZunoGit", "arrow.triangle.branch" },
    { "ZunoDisk", "internaldrive" },
    { "ZunoSheet", "tablecells" },
    { "ZunoWall", "flame.fill" },
    { "ZunoVM", "desktopcomputer" },
    { "ZunoPhoto", "photo.on.rectangle.angled" },
    { "ZunoPhone", "iphone" },
    { "ZunoRescue", "cross.case.fill" },
    { "ZunoVPN", "lock.shield" },
    { "ZunoFinder", "folder.fill" },
    { "ZunoBackup", "externaldrive.badge.timemachine" },
    { "ZunoFocus", "target" },
    { "ZunoTask", "checklist" },
    { "ZunoCam", "camera.aperture" },
    { "ZunoDownloader", "arrow.down.circle.fill" },
    { "ZunoStudio", "film" },
    { "ZunoAgentBrowser", "safari" },
    { "ZunoNote", "note.text" },
    { "ZunoCalendar", "calendar" },
    { "ZunoClip", "paperclip" },
    { "ZunoTranslate", "character.bubble" },
    { "ZunoClean", "sparkles" },
    { "ZunoShell", "terminal" },
};

const Row &row(ZunoSuiteApp app)
{
    return kRows[static_cast<int>(app)];
}

const QHash<QString, ZunoSuiteApp> &rawValueTable()
{
    static const QHash<QString, ZunoSuiteApp> table = [] {
        QHash<QString, ZunoSuiteApp> t;
        for (int i = 0; i < ZunoSuiteApps::kCount; ++i)
            t.insert(QString::fromLatin1(kRows[i].rawValue), static_cast<ZunoSuiteApp>(i));
        return t;
    }();
    return table;
}

bool matches(ZunoSuiteApp app, const ZunoRunningApplication &running)
{
    if (running.busName)
        return running.busName->compare(bundleIdentifier(app), Qt::CaseInsensitive) == 0;
    if (running.executableName) {
        const QString &name = *running.executableName;
        return name.compare(rawValue(app), Qt::CaseInsensitive) == 0 && !cliBinaryNames(app).contains(name);
    }
    return false;
}

std::optional<ZunoRunningApplication> firstRunning(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace)
{
    for (ZunoRunningApplication &running : workspace.runningApplications()) {
        if (matches(app, running))
            return std::move(running);
    }
    return std::nullopt;
}

} // namespace

namespace ZunoSuiteApps {

const std::array<ZunoSuiteApp, kCount> &allCases()
{
    static const auto cases = [] {
        std::array<ZunoSuiteApp, kCount> all {};
        for (int i = 0; i < kCount; ++i)
            all[i] = static_cast<ZunoSuiteApp>(i);
        return all;
    }();
    return cases;
}

std::optional<ZunoSuiteApp> fromRawValue(const QString &raw)
{
    const auto &table = rawValueTable();
    const auto it = table.constFind(raw);
    if (it == table.cend())
        return std::nullopt;
    return *it;
}

} // namespace ZunoSuiteApps

QString rawValue(ZunoSuiteApp app)
{
    return QString::fromLatin1(row(app).rawValue);
}

QString bundleIdentifier(ZunoSuiteApp app)
{
    return QStringLiteral("com.quarnwell.") + rawValue(app).toLower();
}

QString symbolName(ZunoSuiteApp app)
{
    return QString::fromLatin1(row(app).symbolName);
}

QStringList cliBinaryNames(ZunoSuiteApp app)
{
    switch (app) {
    case ZunoSuiteApp::zunoVM:
        return { QStringLiteral("zunovm"), QStringLiteral("zunovm-cli") };
    case ZunoSuiteApp::zunoDownloader:
        return { QStringLiteral("zunodl"), QStringLiteral("zunodownloader-cli"),
            QStringLiteral("zunodownloader") };
    default: {
        const QString lower = rawValue(app).toLower();
        return { lower + QStringLiteral("-cli"), lower };
    }
    }
}

std::optional<QString> installedURL(ZunoSuiteApp app)
{
    return installedURL(app, *ZunoSuiteWorkspace::shared());
}

std::optional<QString> installedURL(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace)
{
    const QString entry = bundleIdentifier(app) + QStringLiteral(".desktop");
    for (const QString &folder : workspace.applicationFolders()) {
        const QString path = folder + QLatin1Char('/') + entry;
        if (QFileInfo::exists(path))
            return path;
    }
    return std::nullopt;
}

bool isInstalled(ZunoSuiteApp app)
{
    return installedURL(app).has_value();
}

bool isRunning(ZunoSuiteApp app)
{
    return isRunning(app, *ZunoSuiteWorkspace::shared());
}

bool isRunning(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace)
{
    return firstRunning(app, workspace).has_value();
}

bool isOnSessionBus(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace)
{
    const std::vector<ZunoRunningApplication> running = workspace.runningApplications();
    return std::any_of(running.begin(), running.end(),
        [&](const ZunoRunningApplication &entry) { return entry.busName && matches(app, entry); });
}

bool launch(ZunoSuiteApp app)
{
    return launch(app, *ZunoSuiteWorkspace::shared());
}

bool launch(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace)
{
    if (const auto running = firstRunning(app, workspace)) {
        // A process found only in /proc has no handle to bring it forward on Linux: say so, rather
        // than report a window that never came.
        if (!running->busName)
            return false;
        workspace.activate(*running->busName);
        return true;
    }
    const std::optional<QString> entry = installedURL(app, workspace);
    if (!entry)
        return false;
    return workspace.openDesktopEntry(*entry, true).started;
}

void to_json(nlohmann::json &j, ZunoSuiteApp app)
{
    j = rawValue(app).toStdString();
}

void from_json(const nlohmann::json &j, ZunoSuiteApp &app)
{
    const auto found = ZunoSuiteApps::fromRawValue(QString::fromStdString(j.get<std::string>()));
    if (!found)
        throw nlohmann::json::other_error::create(501, "unknown ZunoSuiteApp raw value", &j);
    app = *found;
}

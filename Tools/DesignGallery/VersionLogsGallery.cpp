#include "VersionLogsGallery.h"

#include "GalleryWidgets.h"

#include "ZunoAppLogger.h"
#include "ZunoLogEntry.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoVersionAndLogsView.h"
#include "ZunoVersionBadgeButton.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

constexpr ZunoProductPalette kPalette = ZunoProductPalette::deepCoral;

// Two records for ZunoCam: one translated, one without a summary.
constexpr char kReleaseLog[]
    = R"({"timestamp":"2026-11-02T09:00:00Z","app":"ZunoCam","fromVersion":"0.9.0","toVersion":"1.0.0","fromBuild":90,"toBuild":100,"bumpKind":"minor","section":"Added","summary":"Release history and runtime logs in one sheet.","details":["Level filter with four steps.","Copy the log for a bug report."],"summary_i18n":{"tr":"Sürüm geçmişi ve çalışma logları tek pencerede."},"details_i18n":{"tr":["Dört adımlı seviye filtresi.","Hata bildirimi için logu kopyalayın."]}}
{"timestamp":"2026-12-01T15:30:00Z","app":"ZunoCam","fromVersion":"1.0.0","toVersion":"1.0.1","fromBuild":100,"toBuild":101,"bumpKind":"patch","section":"Fixed","summary":"","details":["A torn log line no longer hides the whole log."]}
)";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray line(ZunoLogLevel level, const QString &category, const QString &message, int secondsAgo)
{
    ZunoLogEntry entry;
    entry.id = QStringLiteral("00000000-0000-0000-0000-%1").arg(secondsAgo, 12, 10, QLatin1Char('0'));
    entry.timestamp = QDateTime::currentDateTimeUtc().addSecs(-secondsAgo).toString(Qt::ISODateWithMs);
    entry.level = level;
    entry.category = category;
    entry.message = message;
    entry.version = QStringLiteral("1.0.0");
    entry.build = QStringLiteral("100");
    return entry.encoded() + '\n';
}

QByteArray logFixture()
{
    QByteArray log;
    log += line(ZunoLogLevel::info, "lifecycle", "ZunoCam started.", 600);
    log += line(ZunoLogLevel::debug, "camera", "Probing /dev/video0: 1280x720 YUYV at 30 fps.", 540);
    log += line(ZunoLogLevel::info, "camera", "Camera started: Integrated Webcam.", 530);
    // A torn write: one line that is not UTF-8, which the sheet skips on its own.
    log += "{\"build\":\"100\",\"category\":\"camera\",\"id\":\"torn\xff\xfe\n";
    log += line(ZunoLogLevel::warn, "teleprompter", "Voice level stayed under the threshold for 30 s.", 400);
    log += line(ZunoLogLevel::info, "recorder",
        "Recording started: ZunoCam-20261210-171500.mp4 (1280x720, H.264 High, 30 fps). A long message "
        "wraps onto a second line inside the message column.",
        300);
    log += line(ZunoLogLevel::error, "recorder", "Failed to save snapshot PNG: No space left on device", 200);
    log += line(ZunoLogLevel::debug, "remote", "<b>x</b> shown as written", 120);
    log += line(ZunoLogLevel::info, "remote", "Remote server listening on 192.0.2.10:8791.", 60);
    return log;
}

void settle(int ms = 350)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(const QImage &image, const QString &path)
{
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

} // namespace

int renderVersionLogsGallery(const QString &folder)
{
    QTemporaryDir scratch;
    const QString resources = scratch.filePath(QStringLiteral("share"));
    QDir().mkpath(resources);
    // The installed resources with the fixture's release log in place of the real one. The bundle reads
    // its folder once, on first use: point it at the copy before that.
    const QDir installed(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/zunocam"));
    for (const QString &entry : installed.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry != QStringLiteral("release-log.jsonl"))
            QFile::link(installed.absoluteFilePath(entry), resources + QLatin1Char('/') + entry);
    }
    qputenv("ZUNOCAM_RESOURCE_DIR", QFile::encodeName(resources));
    const QString logs = scratch.filePath(QStringLiteral("logs"));
    QDir().mkpath(logs);
    auto logger = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCam"), logs);
    if (!writeFile(resources + QStringLiteral("/release-log.jsonl"), kReleaseLog)
        || !writeFile(logger->currentLogFilePath(), logFixture())) {
        std::fprintf(stderr, "cannot write the fixture in %s\n", qPrintable(scratch.path()));
        return 1;
    }
    QDir().mkpath(folder);

    for (ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        const QString code = rawValue(language);
        Gallery::HeaderPreview window(language,
            ZunoWindowButtonLayout::fromGnome(QStringLiteral("appmenu:minimize,maximize,close")),
            QSize(1220, 770), logger);
        window.show();
        QCoreApplication::processEvents();
        window.badge()->badgeButton()->click();
        settle();
        if (!save(window.grab().toImage(),
                QDir(folder).filePath(QStringLiteral("version-logs-%1.png").arg(code))))
            return 1;

        // The whole sheet at its minimum width, with the list filtered to WARN+ and copied.
        ZunoVersionAndLogsView *view = window.badge()->sheetView();
        view->setSelectedMinLevel(ZunoLogLevel::warn);
        view->copyLog();
        ZunoVersionAndLogsView full(QStringLiteral("ZunoCam"),
            ZunoAppVersion { QStringLiteral("1.0.0"), QStringLiteral("100") }, logger, kPalette, language, {},
            [] {});
        full.show();
        QCoreApplication::processEvents();
        full.resize(full.sizeHint());
        QCoreApplication::processEvents();
        if (!save(full.grab().toImage(),
                QDir(folder).filePath(QStringLiteral("version-logs-full-%1.png").arg(code))))
            return 1;
        if (!save(view->grab().toImage(),
                QDir(folder).filePath(QStringLiteral("version-logs-warn-copied-%1.png").arg(code))))
            return 1;
        window.badge()->dismissSheet();
        settle();
    }

    // A clear that could not delete a generation: the failure line under the toolbar.
    QDir(logs).mkpath(QStringLiteral("zunocam.log.2/kept"));
    ZunoVersionAndLogsView failed(QStringLiteral("ZunoCam"),
        ZunoAppVersion { QStringLiteral("1.0.0"), QStringLiteral("100") }, logger, kPalette, ZunoLanguage::tr,
        {}, [] {});
    failed.resize(ZunoVersionBadgeButton::kSheetMinimumWidth, 900);
    failed.show();
    QCoreApplication::processEvents();
    failed.clearLog();
    QCoreApplication::processEvents();
    if (!save(failed.grab().toImage(),
            QDir(folder).filePath(QStringLiteral("version-logs-clear-failed-tr.png"))))
        return 1;

    const QStringList unknown = ZunoSymbolRegistry::unknownNamesRequested();
    if (!unknown.isEmpty()) {
        std::fprintf(stderr, "symbols without an icon: %s\n", qPrintable(unknown.join(QStringLiteral(", "))));
        return 1;
    }
    return 0;
}

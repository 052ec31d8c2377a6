// Renders the virtual-memory pill and gauge card for a set of named summaries, in English and Turkish,
// with and without the RAM application's action group, on the studio's ground.

#include "ZunoActivityIndicator.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoLanguage.h"
#include "ZunoOffloadProgressBanner.h"
#include "ZunoSuiteApp.h"
#include "ZunoSuiteQuickActionsStrip.h"
#include "ZunoToolCommandLine.h"
#include "ZunoVirtualMemoryGaugeCard.h"
#include "ZunoVirtualMemoryHeaderPill.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr ZunoProductPalette kGround = ZunoProductPalette::deepCoral;
const QColor kAccent(0xFF, 0x8A, 0x65);
constexpr int kMargin = 28;
constexpr int kGap = 24;

ZunoVirtualMemorySummary zero()
{
    return ZunoVirtualMemorySummary(
        0, 0, 0, 0, 0, 0, true, "normal", false, 0, 0, 0, {}, 0, 0, 0, {}, 0, 0, {}, 0, {}, 0);
}

struct NamedSummary {
    QString name;
    ZunoVirtualMemorySummary summary;
};

std::vector<NamedSummary> namedSummaries()
{
    ZunoVirtualMemorySummary idle = zero();
    idle.physicalTotalBytes = 17'179'869'184;
    idle.physicalUsedBytes = 8'100'000'000;

    ZunoVirtualMemorySummary swapOnly = idle;
    swapOnly.swapTotalBytes = 2'147'483'648;

    ZunoVirtualMemorySummary poolWarning = idle;
    poolWarning.physicalUsedBytes = 14'900'000'000;
    poolWarning.pressureLevel = "warning";
    poolWarning.isZunoRAMRunning = true;
    poolWarning.swapTotalBytes = 4'294'967'296;
    poolWarning.swapUsedBytes = 1'000'000'000;
    poolWarning.swapFileCount = 2;
    poolWarning.activeDiskPoolCount = 1;
    poolWarning.diskPoolVirtualBytes = 10'000'000'000;
    poolWarning.diskPoolActualDiskBytes = 3'200'000'000;
    poolWarning.diskPoolNames = { "pool-main" };
    poolWarning.mountedSparseDiskCount = 1;
    poolWarning.sparseDiskVirtualBytes = 50'000'000'000;
    poolWarning.sparseDiskActualBytes = 2'000'000'000;
    poolWarning.sparseDiskNames = { "Pool-A" };

    ZunoVirtualMemorySummary critical = idle;
    critical.physicalUsedBytes = 16'800'000'000;
    critical.pressureLevel = "critical";
    critical.swapTotalBytes = 2'147'483'648;
    critical.swapUsedBytes = 1'900'000'000;
    critical.swapEncrypted = false;

    ZunoVirtualMemorySummary frozen = idle;
    frozen.isZunoRAMRunning = true;
    frozen.frozenAppCount = 3;
    frozen.frozenPIDs = { 4101, 4102, 4103 };
    frozen.mountedRAMDiskCount = 2;
    frozen.ramDiskTotalBytes = 4'000'000'000;
    frozen.ramDiskNames = { "scratch", "build" };
    frozen.reclaimedFromFrozenBytes = 1'200'000'000;

    return { { "Nothing active", idle }, { "Swap only", swapOnly },
        { "Pool, virtual disk and swap under warning pressure (ZunoRAM running)", poolWarning },
        { "Critical pressure", critical },
        { "Frozen applications and RAM disks, reclaimed memory", frozen } };
}

// A summary from a JSON object whose keys are the field names; missing ones stay 0 / empty.
std::optional<ZunoVirtualMemorySummary> summaryFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto json = nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
    if (!json.is_object())
        return std::nullopt;
    ZunoVirtualMemorySummary s = zero();
    const auto number = [&](const char *key, qint64 &field) {
        if (json.contains(key) && json[key].is_number())
            field = json[key].get<qint64>();
    };
    const auto flag = [&](const char *key, bool &field) {
        if (json.contains(key) && json[key].is_boolean())
            field = json[key].get<bool>();
    };
    const auto names = [&](const char *key, QStringList &field) {
        if (json.contains(key) && json[key].is_array())
            for (const auto &item : json[key])
                if (item.is_string())
                    field << QString::fromStdString(item.get<std::string>());
    };
    number("physicalTotalBytes", s.physicalTotalBytes);
    number("physicalUsedBytes", s.physicalUsedBytes);
    number("compressedBytes", s.compressedBytes);
    number("swapTotalBytes", s.swapTotalBytes);
    number("swapUsedBytes", s.swapUsedBytes);
    number("swapFileCount", s.swapFileCount);
    flag("swapEncrypted", s.swapEncrypted);
    if (json.contains("pressureLevel") && json["pressureLevel"].is_string())
        s.pressureLevel = QString::fromStdString(json["pressureLevel"].get<std::string>());
    flag("isZunoRAMRunning", s.isZunoRAMRunning);
    number("activeDiskPoolCount", s.activeDiskPoolCount);
    number("diskPoolVirtualBytes", s.diskPoolVirtualBytes);
    number("diskPoolActualDiskBytes", s.diskPoolActualDiskBytes);
    names("diskPoolNames", s.diskPoolNames);
    number("mountedSparseDiskCount", s.mountedSparseDiskCount);
    number("sparseDiskVirtualBytes", s.sparseDiskVirtualBytes);
    number("sparseDiskActualBytes", s.sparseDiskActualBytes);
    names("sparseDiskNames", s.sparseDiskNames);
    number("mountedRAMDiskCount", s.mountedRAMDiskCount);
    number("ramDiskTotalBytes", s.ramDiskTotalBytes);
    names("ramDiskNames", s.ramDiskNames);
    number("frozenAppCount", s.frozenAppCount);
    if (json.contains("frozenPIDs") && json["frozenPIDs"].is_array())
        for (const auto &pid : json["frozenPIDs"])
            if (pid.is_number_integer())
                s.frozenPIDs << pid.get<qint32>();
    number("reclaimedFromFrozenBytes", s.reclaimedFromFrozenBytes);
    return s;
}

// A widget drawn without its window background (so the ground shows through), at its laid-out size.
QImage render(QWidget *widget, int width = 0)
{
    widget->setAttribute(Qt::WA_DontShowOnScreen);
    widget->show();
    if (width > 0) {
        const int height
            = widget->hasHeightForWidth() ? widget->heightForWidth(width) : widget->sizeHint().height();
        widget->resize(width, height);
    } else {
        widget->resize(widget->sizeHint());
    }
    QApplication::processEvents();
    QImage image(widget->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

struct Section {
    QString caption;
    std::vector<QImage> images; // side by side
};

QImage captionImage(const QString &text)
{
    const QFont font = ZunoFonts::style(ZunoTextStyle::caption, QFont::DemiBold);
    const QFontMetrics metrics(font);
    QImage image(QSize(metrics.horizontalAdvance(text) + 2, metrics.height()) * 2,
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(ZunoGlassTokens::textMuted());
    painter.drawText(
        QRect(0, 0, image.width() / 2, image.height() / 2), Qt::AlignLeft | Qt::AlignVCenter, text);
    return image;
}

// The pill over the card, for one language.
QImage pillAndCard(const ZunoVirtualMemorySummary &summary, ZunoLanguage language, int cardWidth)
{
    ZunoVirtualMemoryHeaderPill pill(summary, language, [] {});
    ZunoVirtualMemoryGaugeCard card(summary, language, kAccent, ZunoSuiteApp::zunoCam, nullptr);
    const QImage pillImage = render(&pill);
    const QImage cardImage = render(&card, cardWidth);
    const QSizeF pillSize = pillImage.deviceIndependentSize();
    const QSizeF cardSize = cardImage.deviceIndependentSize();
    QImage image(QSize(int(std::max(pillSize.width(), cardSize.width())),
                     int(pillSize.height() + 10 + cardSize.height()))
            * 2,
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawImage(QPointF(0, 0), pillImage);
    painter.drawImage(QPointF(0, pillSize.height() + 10), cardImage);
    return image;
}

QImage compose(const std::vector<Section> &sections)
{
    int width = 0, height = kMargin;
    for (const Section &section : sections) {
        int rowWidth = 0, rowHeight = 0;
        for (const QImage &image : section.images) {
            rowWidth += int(image.deviceIndependentSize().width()) + kGap;
            rowHeight = std::max(rowHeight, int(image.deviceIndependentSize().height()));
        }
        width = std::max(width, rowWidth - kGap);
        height += 22 + rowHeight + kGap;
    }
    width += 2 * kMargin;
    QImage page(QSize(width, height) * 2, QImage::Format_ARGB32_Premultiplied);
    page.setDevicePixelRatio(2);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    ZunoGroundBackground::paint(painter, QRectF(0, 0, width, height), kGround);
    int y = kMargin;
    for (const Section &section : sections) {
        painter.drawImage(QPointF(kMargin, y), captionImage(section.caption.toUpper()));
        y += 22;
        int x = kMargin, rowHeight = 0;
        for (const QImage &image : section.images) {
            painter.drawImage(QPointF(x, y), image);
            x += int(image.deviceIndependentSize().width()) + kGap;
            rowHeight = std::max(rowHeight, int(image.deviceIndependentSize().height()));
        }
        y += rowHeight + kGap;
    }
    return page;
}

// A home whose data folder holds the RAM application's desktop entry, so that its actions show.
class GalleryHome {
public:
    GalleryHome()
    {
        const QString share = m_dir.filePath("share");
        QDir().mkpath(share + "/applications");
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(share));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath("system")));
    }

    void setInstalled(ZunoSuiteApp app, bool installed)
    {
        const QString entry = m_dir.filePath("share/applications/" + bundleIdentifier(app) + ".desktop");
        if (!installed) {
            QFile::remove(entry);
            return;
        }
        QFile file(entry);
        if (file.open(QIODevice::WriteOnly))
            file.write("[Desktop Entry]\nType=Application\nName=" + rawValue(app).toUtf8() + "\n");
    }
    void setRAMInstalled(bool installed) { setInstalled(ZunoSuiteApp::zunoRAM, installed); }

private:
    QTemporaryDir m_dir;
};

ZunoRAMOffloadLiveProgress offload(
    bool running, bool completed, qint64 step, double fraction, const char *pressure)
{
    return ZunoRAMOffloadLiveProgress(QDateTime::currentDateTimeUtc(), running, completed, step, 4, fraction,
        completed ? "Offload complete" : "Swap wave in progress",
        completed ? "Rahatlatma tamamlandı" : "Swap dalgası sürüyor",
        completed ? "Freed 3.40 GB; 2 apps frozen" : "Moving cold pages of 2 frozen apps to swap",
        completed ? "3,40 GB boşaltıldı; 2 uygulama donduruldu"
                  : "2 donuk uygulamanın soğuk sayfaları swap'a taşınıyor",
        running ? 1'400'000'000 : 3'400'000'000, 4'000'000'000, { "Browser", "Chat" }, pressure);
}

// The quick-actions strips and offload banners, for one language.
std::vector<Section> actionSections(ZunoLanguage language)
{
    const QString tag
        = language == ZunoLanguage::tr ? QStringLiteral(" — Turkish") : QStringLiteral(" — English");
    std::vector<Section> sections;
    ZunoVirtualMemorySummary frozen = zero();
    frozen.frozenAppCount = 3;
    const ZunoKillLiveStatus kill(
        QDateTime::currentDateTimeUtc(), 1, 400, 1, 2, { "Editor" }, 0, {}, std::nullopt, 0, 0);
    const auto strip = [&](ZunoSuiteApp host, bool counts, bool compact) {
        ZunoSuiteQuickActionsStrip widget(host, counts ? std::optional(frozen) : std::nullopt,
            counts ? std::optional(kill) : std::nullopt, language, compact, nullptr);
        return render(&widget, compact ? 700 : 1280);
    };
    sections.push_back({ "Quick actions, hosted by ZunoCam, with counts" + tag,
        { strip(ZunoSuiteApp::zunoCam, true, false) } });
    sections.push_back({ "Quick actions, hosted by ZunoCam, no counts" + tag,
        { strip(ZunoSuiteApp::zunoCam, false, false) } });
    sections.push_back(
        { "Quick actions, hosted by ZunoRAM" + tag, { strip(ZunoSuiteApp::zunoRAM, true, false) } });
    sections.push_back({ "Quick actions, compact: ZunoCam with counts, ZunoRAM" + tag,
        { strip(ZunoSuiteApp::zunoCam, true, true), strip(ZunoSuiteApp::zunoRAM, false, true) } });

    const auto banner = [&](const ZunoRAMOffloadLiveProgress &progress, bool compact) {
        ZunoOffloadProgressBanner widget(
            progress, language, compact, [] {}, [] {});
        widget.spinner()->setFixedPhase(0.15);
        return render(&widget, compact ? 380 : 540);
    };
    const ZunoRAMOffloadLiveProgress running = offload(true, false, 3, 0.62, "normal");
    const ZunoRAMOffloadLiveProgress critical = offload(true, false, 2, 0.125, "critical");
    const ZunoRAMOffloadLiveProgress completed = offload(false, true, 4, 1, "normal");
    const ZunoRAMOffloadLiveProgress idle = offload(false, false, 3, 0.5, "warning");
    sections.push_back({ "Offload banner: running, running under critical pressure" + tag,
        { banner(running, false), banner(critical, false) } });
    sections.push_back({ "Offload banner: completed, idle at step 3" + tag,
        { banner(completed, false), banner(idle, false) } });
    sections.push_back({ "Offload banner, compact: running, critical, completed, idle" + tag,
        { banner(running, true), banner(critical, true), banner(completed, true), banner(idle, true) } });
    return sections;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char *usage
        = "usage: SuiteGallery [output.png] [--page memory|actions] [--summary FILE.json] [--language tr]\n";
    if (const auto exitCode
        = zunoCheckToolArguments(argc, argv, usage, { "--page=", "--summary=", "--language=" }))
        return *exitCode;
    ZunoFonts::applyApplicationFont();
    GalleryHome home;

    QString output = QStringLiteral("suite-memory.png");
    std::optional<QString> page;
    std::optional<QString> summaryFile;
    std::optional<ZunoLanguage> onlyLanguage;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--summary") && i + 1 < arguments.size()) {
            summaryFile = arguments[++i];
        } else if (arguments[i] == QLatin1String("--language") && i + 1 < arguments.size()) {
            onlyLanguage = ZunoLanguages::fromRawValue(arguments[++i]);
            if (!onlyLanguage) {
                std::fprintf(stderr, "unknown language %s\n", qPrintable(arguments[i]));
                return 2;
            }
        } else if (arguments[i] == QLatin1String("--page") && i + 1 < arguments.size()) {
            page = arguments[++i];
        } else if (!arguments[i].startsWith(QLatin1String("--"))) {
            output = arguments[i];
        } else {
            std::fputs(usage, stderr);
            return 2;
        }
    }

    std::vector<Section> sections;
    const std::vector<ZunoLanguage> languages
        = onlyLanguage ? std::vector { *onlyLanguage } : std::vector { ZunoLanguage::en, ZunoLanguage::tr };
    const auto both = [&](const ZunoVirtualMemorySummary &summary, int width) {
        std::vector<QImage> images;
        for (const ZunoLanguage language : languages)
            images.push_back(pillAndCard(summary, language, width));
        return images;
    };

    // The actions page unless asked otherwise when the file is named for it.
    const bool actions = page ? *page == QLatin1String("actions")
                              : QFileInfo(output).fileName().startsWith(QLatin1String("suite-actions"));
    home.setRAMInstalled(true);
    if (actions) {
        home.setInstalled(ZunoSuiteApp::zunoKill, true);
        home.setInstalled(ZunoSuiteApp::zunoPulse, true);
        for (const ZunoLanguage language : languages) {
            std::vector<Section> part = actionSections(language);
            sections.insert(sections.end(), part.begin(), part.end());
        }
    } else if (summaryFile) {
        const auto summary = summaryFromFile(*summaryFile);
        if (!summary) {
            std::fprintf(stderr, "%s is not a JSON object\n", qPrintable(*summaryFile));
            return 1;
        }
        sections.push_back({ QFileInfo(*summaryFile).fileName(), both(*summary, 620) });
    } else {
        const std::vector<NamedSummary> summaries = namedSummaries();
        for (const NamedSummary &named : summaries)
            sections.push_back(
                { named.name + QStringLiteral(" — ZunoRAM installed"), both(named.summary, 620) });
        sections.push_back(
            { summaries[2].name + QStringLiteral(" — narrow card"), both(summaries[2].summary, 330) });
        home.setRAMInstalled(false);
        sections.push_back({ summaries[0].name + QStringLiteral(" — no ZunoRAM (no actions)"),
            both(summaries[0].summary, 620) });
        sections.push_back({ summaries[2].name + QStringLiteral(" — no ZunoRAM (no actions)"),
            both(summaries[2].summary, 620) });
    }

    const QImage image = compose(sections);
    if (!image.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}

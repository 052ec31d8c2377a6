#include "ZunoVersionAndLogsView.h"

#include "ZunoAppLogger.h"
#include "ZunoBrandMark.h"
#include "ZunoBundle.h"
#include "ZunoButton.h"
#include "ZunoColumn.h"
#include "ZunoContinuousShape.h"
#include "ZunoFeedbackButton.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoPlainLabel.h"
#include "ZunoReleaseLogReader.h"
#include "ZunoRoundedFill.h"
#include "ZunoSegmentedControl.h"
#include "ZunoSymbolButton.h"
#include "ZunoSymbolLabel.h"
#include "ZunoText.h"
#include "ZunoVersionBadge.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kColumnSpacing = 16;
constexpr int kPagePadding = 18;
constexpr int kCardPadding = 16;
constexpr int kCardRadius = 14;
constexpr int kFilterWidth = 230;

QFont monospaced(ZunoTextStyle style, QFont::Weight weight)
{
    return ZunoFonts::monospaced(ZunoFonts::metrics(style).size, weight);
}

// A fixed-width single-line column; a text too long for it ends in an ellipsis.
QLabel *columnLabel(const QString &text, const QFont &font, const QColor &color, int width)
{
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, width);
    QLabel *label = zunoPlainLabel(shown, font, color);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    if (shown != text)
        label->setToolTip(text);
    return label;
}

QWidget *infoChip(const QString &title, const QString &value)
{
    auto *chip = new ZunoRoundedFill(6, ZunoGlassTokens::surface2());
    chip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(chip);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(4);
    QLabel *titleLabel = zunoPlainLabel(
        title + QLatin1Char(':'), ZunoFonts::style(ZunoTextStyle::caption2), ZunoGlassTokens::textMuted());
    titleLabel->setObjectName(QStringLiteral("chipTitle"));
    row->addWidget(titleLabel);
    QLabel *valueLabel = zunoPlainLabel(
        value, monospaced(ZunoTextStyle::caption2, QFont::Bold), ZunoGlassTokens::textPrimary());
    valueLabel->setObjectName(QStringLiteral("chipValue"));
    row->addWidget(valueLabel);
    return chip;
}

QColor levelColor(ZunoLogLevel level)
{
    switch (level) {
    case ZunoLogLevel::debug:
        return ZunoGlassTokens::textMuted();
    case ZunoLogLevel::info:
        return ZunoGlassTokens::success();
    case ZunoLogLevel::warn:
        return ZunoGlassTokens::warning();
    case ZunoLogLevel::error:
        return ZunoGlassTokens::danger();
    }
    return ZunoGlassTokens::textMuted();
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

std::shared_ptr<const ZunoButtonStyle> toolbarStyle()
{
    return std::make_shared<ZunoGlassButtonStyle>(false, ZunoFonts::style(ZunoTextStyle::caption));
}

void removeAll(QVBoxLayout *layout)
{
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

} // namespace

ZunoVersionAndLogsView::ZunoVersionAndLogsView(const QString &appName, const ZunoAppVersion &version,
    std::shared_ptr<ZunoAppLogger> logger, ZunoProductPalette palette, ZunoLanguage language,
    QList<ZunoReleaseLogRecord> fallbackReleases, std::function<void()> onClose, QWidget *parent)
    : QWidget(parent)
    , m_appName(appName)
    , m_version(version)
    , m_logger(logger ? std::move(logger) : ZunoAppLogger::shared(appName))
    , m_palette(palette)
    , m_language(language)
    , m_fallbackReleases(std::move(fallbackReleases))
    , m_onClose(std::move(onClose))
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    QVBoxLayout *scrollHolder = outer;
    if (isSheet()) {
        auto *ground = new ZunoGroundBackground(palette);
        outer->addWidget(ground);
        scrollHolder = new QVBoxLayout(ground);
        scrollHolder->setContentsMargins(0, 0, 0, 0);
    }

    m_column = new QWidget;
    auto *stack = new QVBoxLayout(m_column);
    stack->setContentsMargins(kPagePadding, kPagePadding, kPagePadding, kPagePadding);
    stack->setSpacing(kColumnSpacing);
    if (isSheet())
        stack->addWidget(buildHeader());
    stack->addWidget(buildVersionCard());
    stack->addWidget(buildReleaseCard());
    stack->addWidget(buildLogCard());
    stack->addStretch(1);
    QScrollArea *scroll = zunoGlassScrollArea(m_column);
    scroll->setObjectName(QStringLiteral("versionLogsScroll"));
    scrollHolder->addWidget(scroll);
}

ZunoVersionAndLogsView::~ZunoVersionAndLogsView() = default;

QSize ZunoVersionAndLogsView::sizeHint() const
{
    const int width = m_column->sizeHint().width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return QSize(width, m_column->heightForWidth(width));
}

QString ZunoVersionAndLogsView::text(const char *en, const char *tr) const
{
    return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), m_language);
}

QWidget *ZunoVersionAndLogsView::buildHeader()
{
    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    m_brandMark = new ZunoBrandMark(24, ZunoBrandMarkStyle::forAppName(m_appName));
    row->addWidget(m_brandMark, 0, Qt::AlignVCenter);
    QLabel *title
        = zunoPlainLabel(m_appName + QStringLiteral(" · ") + text("Version & Logs", "Sürüm & Loglar"),
            ZunoFonts::system(16, QFont::Bold), Qt::white);
    title->setObjectName(QStringLiteral("sheetTitle"));
    row->addWidget(title, 0, Qt::AlignVCenter);
    row->addStretch(1);
    m_closeButton = ZunoSymbolButton::closeButton(m_language, m_onClose);
    row->addWidget(m_closeButton, 0, Qt::AlignVCenter);
    return header;
}

QWidget *ZunoVersionAndLogsView::buildVersionCard()
{
    auto *content = new QWidget;
    QVBoxLayout *stack = zunoColumn(content, 10);

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(10);
    titleRow->addWidget(
        new ZunoSymbolLabel(QStringLiteral("tag.fill"), text("Version & Release Info", "Sürüm Bilgileri"),
            ZunoFonts::style(ZunoTextStyle::headline), ZunoProductPalettes::accentColor(m_palette)),
        1, Qt::AlignVCenter);
    titleRow->addWidget(new ZunoVersionBadge(m_version, true), 0, Qt::AlignVCenter);
    stack->addLayout(titleRow);

    stack->addWidget(
        zunoPlainLabel(text("Application version details, full release changelog from initial release "
                            "to latest, and runtime logs.",
                           "Uygulama sürüm bilgileri, ilk sürümden son sürüme kadar tüm değişiklik "
                           "geçmişi ve çalışma logları."),
            ZunoFonts::style(ZunoTextStyle::caption), ZunoGlassTokens::textSecondary(), true));

    auto *chips = new QHBoxLayout;
    chips->setSpacing(12);
    chips->addWidget(infoChip(text("Version", "Sürüm"), m_version.tag()), 0, Qt::AlignVCenter);
    // "Build" is the same word in every language.
    chips->addWidget(
        infoChip(QStringLiteral("Build"), QLatin1Char('#') + m_version.buildNumber), 0, Qt::AlignVCenter);
    chips->addStretch(1);
    m_feedbackButton = new ZunoFeedbackButton(
        m_appName, m_version, ZunoFeedbackKind::feature, m_language, ZunoFeedbackButtonStyle::labeledPill);
    chips->addWidget(m_feedbackButton, 0, Qt::AlignVCenter);
    QLabel *fileName = zunoPlainLabel(QFileInfo(m_logger->currentLogFilePath()).fileName(),
        monospaced(ZunoTextStyle::caption2, ZunoFonts::metrics(ZunoTextStyle::caption2).weight),
        ZunoGlassTokens::textMuted());
    fileName->setObjectName(QStringLiteral("logFileName"));
    chips->addWidget(fileName, 0, Qt::AlignVCenter);
    stack->addLayout(chips);

    return new ZunoGlassCard(kCardPadding, kCardRadius, content, nullptr);
}

QWidget *ZunoVersionAndLogsView::buildReleaseCard()
{
    auto *content = new QWidget;
    QVBoxLayout *stack = zunoColumn(content, 12);
    stack->addWidget(new ZunoSymbolLabel(QStringLiteral("clock.arrow.circlepath"),
        text("Release History (CHANGELOG)", "Sürüm Geçmişi (Değişiklik Logu)"),
        ZunoFonts::style(ZunoTextStyle::headline), ZunoGlassTokens::textPrimary()));
    m_releaseList = new QWidget;
    m_releaseList->setObjectName(QStringLiteral("releaseList"));
    m_releaseLayout = zunoColumn(m_releaseList, 12);
    stack->addWidget(m_releaseList);
    showReleases();
    return new ZunoGlassCard(kCardPadding, kCardRadius, content, nullptr);
}

QWidget *ZunoVersionAndLogsView::buildLogCard()
{
    auto *content = new QWidget;
    QVBoxLayout *stack = zunoColumn(content, 12);

    auto *toolbar = new QHBoxLayout;
    toolbar->setSpacing(8);
    toolbar->addWidget(new ZunoSymbolLabel(QStringLiteral("doc.text.magnifyingglass"),
                           text("Rotating Runtime Logs", "Uygulama Çalışma Logları"),
                           ZunoFonts::style(ZunoTextStyle::headline), ZunoGlassTokens::textPrimary()),
        1, Qt::AlignVCenter);

    QStringList segments;
    for (ZunoLogLevel level : ZunoLogLevels::allCases)
        segments << filterTitle(level, m_language);
    m_levelFilter = new ZunoSegmentedControl(segments);
    m_levelFilter->setFixedWidth(kFilterWidth);
    m_levelFilter->setAccessibleName(text("Level", "Seviye"));
    m_levelFilter->setCurrentIndex(static_cast<int>(m_selectedMinLevel));
    connect(m_levelFilter, &ZunoSegmentedControl::activated, this,
        [this](int index) { setSelectedMinLevel(ZunoLogLevels::allCases[index]); });
    toolbar->addWidget(m_levelFilter, 0, Qt::AlignVCenter);

    m_refreshButton = new ZunoButton(QString(), toolbarStyle());
    m_refreshButton->setSymbol(QStringLiteral("arrow.clockwise"));
    m_refreshButton->setToolTip(text("Refresh logs", "Logları yenile"));
    m_refreshButton->setAccessibleName(m_refreshButton->toolTip());
    connect(m_refreshButton, &QAbstractButton::clicked, this, &ZunoVersionAndLogsView::refresh);
    m_copyButton = new ZunoButton(QString(), toolbarStyle());
    m_copyButton->setSymbol(QStringLiteral("doc.on.doc"));
    connect(m_copyButton, &QAbstractButton::clicked, this, &ZunoVersionAndLogsView::copyLog);
    m_folderButton = new ZunoButton(text("Folder", "Klasör"), toolbarStyle());
    m_folderButton->setSymbol(QStringLiteral("folder"));
    connect(m_folderButton, &QAbstractButton::clicked, this, &ZunoVersionAndLogsView::revealLog);
    m_clearButton = new ZunoButton(text("Clear", "Temizle"), toolbarStyle());
    m_clearButton->setSymbol(QStringLiteral("trash"));
    connect(m_clearButton, &QAbstractButton::clicked, this, &ZunoVersionAndLogsView::clearLog);
    for (ZunoButton *button : { m_refreshButton, m_copyButton, m_folderButton, m_clearButton })
        toolbar->addWidget(button, 0, Qt::AlignVCenter);
    updateCopyTitle();
    stack->addLayout(toolbar);

    m_clearFailureLabel
        = zunoPlainLabel(text("Some log files could not be deleted.", "Bazı log dosyaları silinemedi."),
            ZunoFonts::style(ZunoTextStyle::caption), ZunoGlassTokens::warning(), true);
    m_clearFailureLabel->setObjectName(QStringLiteral("clearFailure"));
    m_clearFailureLabel->setVisible(false);
    stack->addWidget(m_clearFailureLabel);

    m_logEmptyLabel = zunoPlainLabel(
        text("No runtime log entries match the filter yet.", "Filtreye uyan çalışma logu henüz yok."),
        ZunoFonts::style(ZunoTextStyle::caption), ZunoGlassTokens::textSecondary(), true);
    m_logEmptyLabel->setObjectName(QStringLiteral("logEmpty"));
    m_logEmptyLabel->setContentsMargins(0, 8, 0, 8);
    stack->addWidget(m_logEmptyLabel);

    m_logList = new QWidget;
    m_logList->setObjectName(QStringLiteral("logList"));
    m_logLayout = zunoColumn(m_logList, 4);
    stack->addWidget(m_logList);
    showEntries();
    return new ZunoGlassCard(kCardPadding, kCardRadius, content, nullptr);
}

QString ZunoVersionAndLogsView::filterTitle(ZunoLogLevel level, ZunoLanguage language)
{
    switch (level) {
    case ZunoLogLevel::debug:
        return zunoText(QStringLiteral("All"), QStringLiteral("Tümü"), language);
    case ZunoLogLevel::info:
        return QStringLiteral("INFO+");
    case ZunoLogLevel::warn:
        return QStringLiteral("WARN+");
    case ZunoLogLevel::error:
        return QStringLiteral("ERROR");
    }
    return {};
}

QString ZunoVersionAndLogsView::timeColumnText(const QString &timestamp)
{
    const qsizetype t = timestamp.indexOf(QLatin1Char('T'));
    if (t < 0)
        return timestamp.left(8);
    // The log stores UTC; people read their own clock.
    const QDateTime parsed = QDateTime::fromString(timestamp, Qt::ISODateWithMs);
    if (parsed.isValid())
        return parsed.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    return timestamp.mid(t + 1, 8);
}

QWidget *ZunoVersionAndLogsView::logRow(const ZunoLogEntry &entry) const
{
    auto *row = new ZunoRoundedFill(6, withOpacity(ZunoGlassTokens::surface1(), 0.65));
    row->setObjectName(QStringLiteral("logRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(8);
    QLabel *time = columnLabel(
        timeColumnText(entry.timestamp), ZunoFonts::monospaced(10), ZunoGlassTokens::textMuted(), 66);
    time->setObjectName(QStringLiteral("time"));
    QLabel *level = columnLabel(
        label(entry.level), ZunoFonts::monospaced(9.5, QFont::Bold), levelColor(entry.level), 42);
    level->setObjectName(QStringLiteral("level"));
    QLabel *category = columnLabel(QLatin1Char('[') + entry.category + QLatin1Char(']'),
        ZunoFonts::monospaced(10), withOpacity(ZunoProductPalettes::accentColor(m_palette), 0.9), 82);
    category->setObjectName(QStringLiteral("category"));
    QLabel *message
        = zunoPlainLabel(entry.message, ZunoFonts::system(11), ZunoGlassTokens::textPrimary(), true);
    message->setObjectName(QStringLiteral("message"));
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    for (QLabel *column : { time, level, category })
        layout->addWidget(column, 0, Qt::AlignTop);
    layout->addWidget(message, 1, Qt::AlignTop);
    return row;
}

QWidget *ZunoVersionAndLogsView::releaseRow(const ZunoReleaseLogRecord &record) const
{
    auto *row = new ZunoRoundedFill(10, ZunoGlassTokens::surface1());
    row->setObjectName(QStringLiteral("releaseRow"));
    auto *stack = new QVBoxLayout(row);
    stack->setContentsMargins(10, 10, 10, 10);
    stack->setSpacing(5);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    QLabel *version = zunoPlainLabel(QLatin1Char('v') + record.toVersion,
        monospaced(ZunoTextStyle::subheadline, QFont::Bold), ZunoProductPalettes::accentColor(m_palette));
    version->setObjectName(QStringLiteral("releaseVersion"));
    header->addWidget(version, 0, Qt::AlignVCenter);
    const QFont caption2Mono
        = monospaced(ZunoTextStyle::caption2, ZunoFonts::metrics(ZunoTextStyle::caption2).weight);
    QLabel *build = zunoPlainLabel(QStringLiteral("Build ") + QString::number(record.toBuild)
            + QStringLiteral(" · ") + record.bumpKind + QLatin1Char('/') + record.section,
        caption2Mono, ZunoGlassTokens::textSecondary());
    build->setObjectName(QStringLiteral("releaseBuild"));
    header->addWidget(build, 0, Qt::AlignVCenter);
    header->addStretch(1);
    QLabel *date = zunoPlainLabel(record.shortDate(), caption2Mono, ZunoGlassTokens::textMuted());
    date->setObjectName(QStringLiteral("releaseDate"));
    header->addWidget(date, 0, Qt::AlignVCenter);
    stack->addLayout(header);

    const QString code = rawValue(m_language);
    const QString summary = record.localizedSummary(code);
    if (!summary.isEmpty()) {
        QLabel *label = zunoPlainLabel(summary, ZunoFonts::style(ZunoTextStyle::caption, QFont::Medium),
            ZunoGlassTokens::textPrimary(), true);
        label->setObjectName(QStringLiteral("releaseSummary"));
        stack->addWidget(label);
    }
    for (const QString &line : record.localizedDetails(code)) {
        QLabel *label = zunoPlainLabel(QStringLiteral("• ") + line, ZunoFonts::style(ZunoTextStyle::caption2),
            ZunoGlassTokens::textSecondary(), true);
        label->setObjectName(QStringLiteral("releaseDetail"));
        stack->addWidget(label);
    }
    return row;
}

void ZunoVersionAndLogsView::showReleases()
{
    removeAll(m_releaseLayout);
    if (m_releases.isEmpty()) {
        QLabel *empty = zunoPlainLabel(text("No release log records found for this build.",
                                           "Bu derleme için sürüm geçmişi kaydı bulunamadı."),
            ZunoFonts::style(ZunoTextStyle::caption), ZunoGlassTokens::textSecondary(), true);
        empty->setObjectName(QStringLiteral("releaseEmpty"));
        m_releaseLayout->addWidget(empty);
        return;
    }
    for (const ZunoReleaseLogRecord &record : m_releases)
        m_releaseLayout->addWidget(releaseRow(record));
}

void ZunoVersionAndLogsView::showEntries()
{
    removeAll(m_logLayout);
    for (const ZunoLogEntry &entry : m_entries)
        m_logLayout->addWidget(logRow(entry));
    m_logEmptyLabel->setVisible(m_entries.isEmpty());
    m_logList->setVisible(!m_entries.isEmpty());
}

void ZunoVersionAndLogsView::updateCopyTitle()
{
    m_copyButton->setText(m_copiedToast ? text("Copied", "Kopyalandı") : text("Copy", "Kopyala"));
}

void ZunoVersionAndLogsView::reloadAll()
{
    QList<ZunoReleaseLogRecord> records = ZunoReleaseLogReader::loadBundled(m_appName, ZunoBundle::main());
    if (records.isEmpty())
        records = m_fallbackReleases;
    m_releases = records;
    showReleases();
    reloadEntries();
}

void ZunoVersionAndLogsView::reloadEntries()
{
    m_entries = m_logger->recentEntries(kListedEntries, m_selectedMinLevel);
    showEntries();
}

void ZunoVersionAndLogsView::setSelectedMinLevel(ZunoLogLevel level)
{
    m_selectedMinLevel = level;
    m_levelFilter->setCurrentIndex(static_cast<int>(level));
    reloadEntries();
}

void ZunoVersionAndLogsView::refresh()
{
    m_clearFailed = false;
    m_clearFailureLabel->setVisible(false);
    reloadEntries();
}

void ZunoVersionAndLogsView::copyLog()
{
    const QString exported = m_logger->exportPlainText(kCopiedEntries, m_selectedMinLevel);
    QGuiApplication::clipboard()->setText(exported);
    m_copiedToast = true;
    updateCopyTitle();
}

void ZunoVersionAndLogsView::revealLog()
{
    m_logger->revealInFinder();
}

void ZunoVersionAndLogsView::clearLog()
{
    m_clearFailed = !m_logger->clear();
    if (m_clearFailed)
        m_logger->error(QStringLiteral("Could not delete every runtime log file."), QStringLiteral("logs"));
    m_clearFailureLabel->setVisible(m_clearFailed);
    reloadEntries();
}

void ZunoVersionAndLogsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        reloadAll();
}

void ZunoVersionAndLogsView::keyPressEvent(QKeyEvent *event)
{
    if (isSheet() && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_onClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

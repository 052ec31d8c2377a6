#include "ZunoVirtualMemoryGaugeCard.h"

#include "ZunoAdaptiveGridLayout.h"
#include "ZunoButton.h"
#include "ZunoByteFormatter.h"
#include "ZunoCapsuleLabel.h"
#include "ZunoFlowLayout.h"
#include "ZunoFonts.h"
#include "ZunoGaugeBar.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassTokens.h"
#include "ZunoStatTile.h"
#include "ZunoSuiteCLIBridge.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"
#include "ZunoVirtualMemoryCardActions.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor kTeal(0x47, 0xE6, 0xC1);
constexpr qreal kHeaderSpacing = 8;
// The wide header is badges, spacer (at least 8) and actions in a stack of spacing 8: the spacer has the
// stack's spacing on both sides.
constexpr qreal kWideGap = 3 * kHeaderSpacing;

// " (47%)": halves away from zero.
QString percentText(double percent)
{
    return QStringLiteral(" (%1%)").arg(static_cast<qint64>(std::round(percent)));
}

QString formatted(qint64 bytes)
{
    return ZunoByteFormatter::format(bytes);
}

std::shared_ptr<const ZunoButtonStyle> buttonStyle(bool active)
{
    return std::make_shared<ZunoGlassButtonStyle>(
        active, ZunoFonts::style(ZunoTextStyle::caption2, QFont::Bold));
}

} // namespace

// The symbol and the title of the card, in the status colour and the bold subheadline font.
class ZunoVirtualMemoryGaugeCard::TitleBadge : public QWidget {
public:
    explicit TitleBadge(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    void setContent(const QString &text, const QColor &tint)
    {
        m_text = text;
        m_tint = tint;
        updateGeometry();
        update();
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return QSize(static_cast<int>(std::ceil(symbolSide() + kSpacing + metrics.horizontalAdvance(m_text))),
            static_cast<int>(std::ceil(std::max(metrics.height(), symbolSide()))));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = symbolSide();
        ZunoSymbolRegistry::paint(painter, QRectF(0, (height() - side) / 2, side, side),
            QStringLiteral("externaldrive.badge.timemachine"), m_tint);
        painter.setFont(font());
        painter.setPen(ZunoGlassTokens::textPrimary());
        painter.drawText(QRectF(side + kSpacing, 0, width() - side - kSpacing, height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
    }

private:
    static constexpr qreal kSpacing = 6;
    static QFont font() { return ZunoFonts::style(ZunoTextStyle::subheadline, QFont::Bold); }
    static qreal symbolSide() { return ZunoSymbolRegistry::sideForFont(font()); }

    QString m_text;
    QColor m_tint;
};

// "First that fits": badges and actions on one line when they fit the width, else badges over actions.
class ZunoVirtualMemoryGaugeCard::Header : public QWidget {
public:
    Header(QWidget *badges, QWidget *actions, QWidget *parent)
        : QWidget(parent)
        , m_badges(badges)
        , m_actions(actions)
    {
        m_badges->setParent(this);
        m_actions->setParent(this);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool isWide(int width) const
    {
        const int actions = m_actions->isVisibleTo(this) ? m_actions->sizeHint().width() : 0;
        const qreal gap = m_actions->isVisibleTo(this) ? kWideGap : 2 * kHeaderSpacing;
        return m_badges->sizeHint().width() + gap + actions <= width;
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(width, false); }
    QSize sizeHint() const override
    {
        const int actions = m_actions->isVisibleTo(this) ? m_actions->sizeHint().width() + int(kWideGap) : 0;
        const int width = m_badges->sizeHint().width() + actions;
        return QSize(width, heightForWidth(width));
    }
    QSize minimumSizeHint() const override { return QSize(0, heightForWidth(width())); }

    void relayout()
    {
        updateGeometry();
        arrange(width(), true);
    }

protected:
    void resizeEvent(QResizeEvent *) override { arrange(width(), true); }

private:
    int arrange(int width, bool apply) const
    {
        const bool actionsShown = m_actions->isVisibleTo(this);
        const QSize actions = actionsShown ? m_actions->sizeHint() : QSize();
        if (isWide(width)) {
            const QSize badges = m_badges->sizeHint();
            const int height = std::max(badges.height(), actions.height());
            if (apply) {
                m_badges->setGeometry(0, (height - badges.height()) / 2, badges.width(), badges.height());
                if (actionsShown)
                    m_actions->setGeometry(width - actions.width(), (height - actions.height()) / 2,
                        actions.width(), actions.height());
            }
            return height;
        }
        const int badgesHeight = m_badges->heightForWidth(width);
        if (apply) {
            m_badges->setGeometry(0, 0, width, badgesHeight);
            if (actionsShown)
                m_actions->setGeometry(
                    0, badgesHeight + int(kHeaderSpacing), actions.width(), actions.height());
        }
        return actionsShown ? badgesHeight + int(kHeaderSpacing) + actions.height() : badgesHeight;
    }

    QWidget *m_badges;
    QWidget *m_actions;
};

ZunoVirtualMemoryGaugeCard::ZunoVirtualMemoryGaugeCard(ZunoVirtualMemorySummary summary,
    ZunoLanguage language, QColor accentColor, ZunoSuiteApp sourceApp, Feedback onFeedback, QWidget *parent)
    : ZunoGlassCard(14, 13, parent)
    , m_summary(std::move(summary))
    , m_language(language)
    , m_accentColor(std::move(accentColor))
    , m_sourceApp(sourceApp)
    , m_onFeedback(std::move(onFeedback))
{
    auto *content = new QWidget;
    auto *rows = new QVBoxLayout(content);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(10);

    auto *badges = new QWidget;
    auto *flow = new ZunoFlowLayout(7, 5, badges);
    m_title = new TitleBadge(badges);
    m_stateBadge = new ZunoCapsuleLabel(ZunoFonts::monospaced(9.5, QFont::Bold), 7, 2, badges);
    m_liveBadge = new ZunoCapsuleLabel(ZunoFonts::system(9.5, QFont::DemiBold), 6, 2, badges);
    m_effectiveBadge = new ZunoCapsuleLabel(ZunoFonts::monospaced(9.5, QFont::DemiBold), 6, 2, badges);
    flow->addWidget(m_title);
    flow->addWidget(m_stateBadge);
    flow->addWidget(m_liveBadge);
    flow->addWidget(m_effectiveBadge);
    // Shown as written: a text of the host's own bundle, untranslated here.
    m_liveBadge->setText(QStringLiteral("ZunoRAM Live"));
    m_liveBadge->setColors(
        ZunoGlassTokens::withAlpha(ZunoGlassTokens::success(), 0.18), ZunoGlassTokens::success());
    m_effectiveBadge->setColors(ZunoGlassTokens::surface2(), ZunoGlassTokens::textSecondary());

    m_actions = new QWidget;
    auto *actionRow = new QHBoxLayout(m_actions);
    actionRow->setContentsMargins(0, 0, 0, 0);
    actionRow->setSpacing(6);
    m_offload = new ZunoButton(QString(), buttonStyle(true), m_actions);
    m_offload->setSymbol(QStringLiteral("bolt.fill"));
    m_thaw = new ZunoButton(QString(), buttonStyle(false), m_actions);
    m_thaw->setSymbol(QStringLiteral("sun.max.fill"));
    m_diskLab = new ZunoButton(QStringLiteral("Disk Lab"), buttonStyle(false), m_actions);
    m_diskLab->setSymbol(QStringLiteral("externaldrive.badge.timemachine"));
    for (ZunoButton *button : { m_offload, m_thaw, m_diskLab }) {
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        actionRow->addWidget(button);
    }
    connect(m_offload, &QAbstractButton::clicked, this, [this] { runCommand(false); });
    connect(m_thaw, &QAbstractButton::clicked, this, [this] { runCommand(true); });
    connect(m_diskLab, &QAbstractButton::clicked, this, &ZunoVirtualMemoryGaugeCard::openDiskLab);

    m_header = new Header(badges, m_actions, content);
    rows->addWidget(m_header);

    auto *gauges = new QWidget;
    auto *gaugeGrid = new ZunoAdaptiveGridLayout(250, 14, 10, gauges);
    m_physical = new ZunoGaugeBar(gauges);
    m_virtual = new ZunoGaugeBar(gauges);
    gaugeGrid->addWidget(m_physical);
    gaugeGrid->addWidget(m_virtual);
    rows->addWidget(gauges);

    auto *tiles = new QWidget;
    auto *tileGrid = new ZunoAdaptiveGridLayout(155, 8, 8, tiles);
    for (ZunoStatTile *&tile : m_tiles) {
        tile = new ZunoStatTile(tiles);
        tileGrid->addWidget(tile);
    }
    rows->addWidget(tiles);
    setContent(content);
    resync();
}

void ZunoVirtualMemoryGaugeCard::setSummary(ZunoVirtualMemorySummary summary)
{
    m_summary = std::move(summary);
    resync();
}

void ZunoVirtualMemoryGaugeCard::setLanguage(ZunoLanguage language)
{
    m_language = language;
    resync();
}

void ZunoVirtualMemoryGaugeCard::setAccentColor(QColor accentColor)
{
    m_accentColor = std::move(accentColor);
    resync();
}

void ZunoVirtualMemoryGaugeCard::setSourceApp(ZunoSuiteApp sourceApp)
{
    m_sourceApp = sourceApp;
}

void ZunoVirtualMemoryGaugeCard::setOnFeedback(Feedback onFeedback)
{
    m_onFeedback = std::move(onFeedback);
}

QColor ZunoVirtualMemoryGaugeCard::statusColor(const ZunoVirtualMemorySummary &summary)
{
    if (summary.pressureLevel == QLatin1String("critical"))
        return ZunoGlassTokens::danger();
    if (summary.isZunoRAMVirtualExpansionActive())
        return ZunoGlassTokens::accentViolet();
    if (summary.swapUsedBytes >= 1)
        return ZunoGlassTokens::accentCyan();
    return ZunoGlassTokens::success();
}

QString ZunoVirtualMemoryGaugeCard::feedbackLine(
    const ZunoSuiteCommandResult &result, const QString &fallback)
{
    if (result.succeeded && result.summary.isEmpty())
        return fallback;
    return result.summary;
}

bool ZunoVirtualMemoryGaugeCard::isHeaderWide() const
{
    return m_header->isWide(m_header->width());
}

void ZunoVirtualMemoryGaugeCard::showEvent(QShowEvent *event)
{
    ZunoGlassCard::showEvent(event);
    resync();
}

void ZunoVirtualMemoryGaugeCard::resync()
{
    const ZunoVirtualMemorySummary &s = m_summary;
    const ZunoLanguage language = m_language;
    const auto text = [language](const char *en, const char *tr) {
        return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
    };
    const QColor status = statusColor(s);
    const bool vmActive = s.isAnyVirtualMemoryActive();

    // Header badges.
    m_title->setContent(text("Virtual Memory & ZunoRAM Pools", "Sanal Bellek & ZunoRAM Havuzları"), status);
    m_stateBadge->setText(vmActive ? text("ACTIVE", "AÇIK") : text("STANDBY", "HAZIR"));
    m_stateBadge->setColors(ZunoGlassTokens::withAlpha(status, 0.22), status);
    m_liveBadge->setVisible(s.isZunoRAMRunning);
    m_effectiveBadge->setVisible(s.totalVirtualAllocatedBytes() >= 1);
    m_effectiveBadge->setText(
        text("Effective: ", "Efektif: ") + formatted(s.totalEffectiveMemoryCapacityBytes()));

    // The RAM application's actions, when it can be reached at all.
    const bool installed = isInstalled(ZunoSuiteApp::zunoRAM);
    m_actions->setVisible(installed || isCLIAvailable(ZunoSuiteApp::zunoRAM));
    m_offload->setText(text("Smart Offload", "Akıllı RAM Aç"));
    m_thaw->setText(s.frozenAppCount >= 1
            ? text("Thaw (", "Uyandır (") + QString::number(s.frozenAppCount) + QLatin1Char(')')
            : QString());
    m_thaw->setVisible(s.frozenAppCount >= 1);
    m_diskLab->setVisible(installed);
    m_header->relayout();

    // Gauges.
    m_physical->setContent(text("Physical RAM", "Fiziksel RAM"),
        formatted(s.physicalUsedBytes) + QStringLiteral(" / ") + formatted(s.physicalTotalBytes)
            + percentText(s.physicalUsedPercent()),
        s.physicalUsedPercent() / 100, m_accentColor);
    const qint64 allocated = s.totalVirtualAllocatedBytes();
    m_virtual->setContent(text("Virtual RAM Area (Swap + ZunoRAM)", "Sanal RAM Alanı (Swap + ZunoRAM)"),
        allocated < 1 ? text("0 B (Standby)", "0 B (Boşta)")
                      : formatted(s.totalVirtualUsedBytes()) + QStringLiteral(" / ") + formatted(allocated)
                + percentText(s.virtualUsedPercent()),
        s.virtualUsedPercent() / 100, status);

    // Tiles.
    const QString swapLabel = s.swapFileCount >= 1
        ? QStringLiteral("Linux Swap (") + QString::number(s.swapFileCount) + QLatin1Char(')')
        : QStringLiteral("Linux Swap");
    const QString swapDetail = s.swapTotalBytes >= 1
        ? QString::number(static_cast<qint64>(std::round(s.swapUsedPercent()))) + QStringLiteral("% • ")
            + (s.swapEncrypted ? QStringLiteral("encrypted") : QStringLiteral("plain"))
        : QString();
    m_tiles[0]->setContent(swapLabel,
        formatted(s.swapUsedBytes) + QStringLiteral(" / ") + formatted(s.swapTotalBytes), swapDetail,
        s.swapUsedBytes >= 1 ? ZunoGlassTokens::accentCyan() : ZunoGlassTokens::textSecondary());

    const QString off = text("Off", "Kapalı");
    m_tiles[1]->setContent(text("mmap Disk Pools", "Disk Bellek Havuzu"),
        s.activeDiskPoolCount < 1 ? off
                                  : formatted(s.diskPoolActualDiskBytes) + QStringLiteral(" / ")
                + formatted(s.diskPoolVirtualBytes),
        s.diskPoolNames.join(QStringLiteral(", ")),
        s.activeDiskPoolCount >= 1 ? ZunoGlassTokens::accentViolet() : ZunoGlassTokens::textMuted());

    m_tiles[2]->setContent(text("Virtual Disk", "Sanal Disk"),
        s.mountedSparseDiskCount < 1 ? off
                                     : formatted(s.sparseDiskActualBytes) + QStringLiteral(" / ")
                + formatted(s.sparseDiskVirtualBytes),
        s.sparseDiskNames.join(QStringLiteral(", ")),
        s.mountedSparseDiskCount >= 1 ? kTeal : ZunoGlassTokens::textMuted());

    const QString frozenValue = s.mountedRAMDiskCount < 1
        ? QString::number(s.frozenAppCount) + QLatin1Char(' ') + text("frozen", "donuk")
        : formatted(s.ramDiskTotalBytes);
    const QString frozenDetail = s.reclaimedFromFrozenBytes >= 1
        ? QStringLiteral("↓ ") + formatted(s.reclaimedFromFrozenBytes)
        : s.ramDiskNames.join(QStringLiteral(", "));
    m_tiles[3]->setContent(text("RAM-Disk / Frozen", "RAM-Disk / Donuk"), frozenValue, frozenDetail,
        s.mountedRAMDiskCount >= 1 || s.frozenAppCount >= 1 ? ZunoGlassTokens::warning()
                                                            : ZunoGlassTokens::textMuted());
    if (content() && content()->layout())
        content()->layout()->invalidate();
    updateGeometry();
}

void ZunoVirtualMemoryGaugeCard::runCommand(bool thaw)
{
    const ZunoLanguage language = m_language;
    const QString fallback = thaw ? zunoText(QStringLiteral("Thawed all frozen apps via ZunoRAM CLI"),
                                 QStringLiteral("ZunoRAM CLI ile donuk uygulamalar uyandırıldı"), language)
                                  : zunoText(QStringLiteral("Completed ZunoRAM Smart RAM Offload"),
                                      QStringLiteral("ZunoRAM Akıllı RAM Açma tamamlandı"), language);
    // What was set at the press stands for this command, whatever is set later.
    ZunoVirtualMemoryCardActions::runRAMCommand(
        thaw ? ZunoSuiteCommandKind::ramThawAll : ZunoSuiteCommandKind::ramSmartOffload, m_sourceApp, this,
        [feedback = m_onFeedback, fallback](const ZunoSuiteCommandResult &result) {
            if (feedback)
                feedback(feedbackLine(result, fallback));
        });
}

void ZunoVirtualMemoryGaugeCard::openDiskLab()
{
    ZunoVirtualMemoryCardActions::openRAMDiskLab(m_sourceApp);
}

#include "ZunoSuiteQuickActionsStrip.h"

#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSuiteActionChip.h"
#include "ZunoSuiteCLIBridge.h"
#include "ZunoSuiteCommandBus.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"
#include "ZunoWhileAlive.h"

#include <QFontMetricsF>
#include <QFuture>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace {

const QColor kViolet(0xA9, 0x8B, 0xFF);
const QColor kRose(0xFF, 0x6B, 0x81);
const QColor kCyan(0x38, 0xE8, 0xFF);

bool isAvailable(ZunoSuiteApp app)
{
    // The installation is looked at only when there is no tool.
    return isCLIAvailable(app) || isInstalled(app);
}

} // namespace

// "Suite Actions" with its symbol, muted, before the chips of the full look.
class ZunoSuiteQuickActionsStrip::Label : public QWidget {
public:
    explicit Label(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    void setText(const QString &text)
    {
        m_text = text;
        updateGeometry();
        update();
    }
    QString text() const { return m_text; }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(textFont());
        return QSize(static_cast<int>(
                         std::ceil(symbolSide() + kSpacing + metrics.horizontalAdvance(m_text) + kTrailing)),
            static_cast<int>(std::ceil(std::max(symbolSide(), metrics.height()))));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = symbolSide();
        ZunoSymbolRegistry::paint(painter, QRectF(0, (height() - side) / 2, side, side),
            QStringLiteral("square.grid.2x2.fill"), ZunoGlassTokens::textMuted());
        painter.setFont(textFont());
        painter.setPen(ZunoGlassTokens::textMuted());
        painter.drawText(QRectF(side + kSpacing, 0, width() - side - kSpacing, height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
    }

private:
    static constexpr qreal kSpacing = 5;
    static constexpr qreal kTrailing = 2;
    static QFont textFont() { return ZunoFonts::system(10.5, QFont::Bold); }
    static qreal symbolSide() { return ZunoSymbolRegistry::sideForFont(ZunoFonts::system(10)); }

    QString m_text;
};

ZunoSuiteQuickActionsStrip::ZunoSuiteQuickActionsStrip(ZunoSuiteApp currentApp,
    std::optional<ZunoVirtualMemorySummary> vmSummary, std::optional<ZunoKillLiveStatus> killStatus,
    ZunoLanguage language, bool compact, Feedback onFeedback, QWidget *parent)
    : QWidget(parent)
    , m_currentApp(currentApp)
    , m_vmSummary(std::move(vmSummary))
    , m_killStatus(std::move(killStatus))
    , m_language(language)
    , m_compact(compact)
    , m_onFeedback(std::move(onFeedback))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    m_scroll->viewport()->installEventFilter(this);
    m_row = new QWidget;
    m_rowLayout = new QHBoxLayout(m_row);
    m_rowLayout->setSizeConstraint(QLayout::SetFixedSize);
    m_label = new Label(m_row);
    m_scroll->setWidget(m_row);
    // The strip paints its own fill (or none): nothing of the scroll area may cover it.
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_row->setAutoFillBackground(false);
    layout->addWidget(m_scroll);
    resync();
}

QWidget *ZunoSuiteQuickActionsStrip::label() const
{
    return m_label;
}

void ZunoSuiteQuickActionsStrip::setCurrentApp(ZunoSuiteApp currentApp)
{
    m_currentApp = currentApp;
    resync();
}

void ZunoSuiteQuickActionsStrip::setVMSummary(std::optional<ZunoVirtualMemorySummary> vmSummary)
{
    m_vmSummary = std::move(vmSummary);
    resync();
}

void ZunoSuiteQuickActionsStrip::setKillStatus(std::optional<ZunoKillLiveStatus> killStatus)
{
    m_killStatus = std::move(killStatus);
    resync();
}

void ZunoSuiteQuickActionsStrip::setLanguage(ZunoLanguage language)
{
    m_language = language;
    resync();
}

void ZunoSuiteQuickActionsStrip::setCompact(bool compact)
{
    m_compact = compact;
    resync();
}

void ZunoSuiteQuickActionsStrip::setOnFeedback(Feedback onFeedback)
{
    m_onFeedback = std::move(onFeedback);
}

QString ZunoSuiteQuickActionsStrip::backgroundLine(const ZunoSuiteCommandResult &result, ZunoSuiteApp sibling,
    const QString &confirmation, ZunoLanguage language)
{
    if (!result.summary.isEmpty())
        return result.summary;
    if (result.succeeded)
        return confirmation;
    return zunoText(rawValue(sibling) + QStringLiteral(" CLI is unavailable"),
        rawValue(sibling) + QStringLiteral(" CLI bulunamadı"), language);
}

void ZunoSuiteQuickActionsStrip::resync()
{
    for (ZunoSuiteActionChip *chip : std::as_const(m_chips))
        delete chip;
    m_chips.clear();
    while (m_rowLayout->count() > 0)
        delete m_rowLayout->takeAt(0);

    const ZunoLanguage language = m_language;
    const auto text = [language](const QString &en, const QString &tr) { return zunoText(en, tr, language); };
    const bool compact = m_compact;
    const auto add = [&](const QString &title, const char *symbol, const QColor &tint, bool emphasized,
                         const QString &toolTip, std::function<void()> action) {
        auto *chip = new ZunoSuiteActionChip(
            title, QString::fromLatin1(symbol), tint, emphasized, compact, toolTip, m_row);
        connect(chip, &QAbstractButton::clicked, this, std::move(action));
        // A child made under a shown row would appear only after the next event, and count for
        // nothing in the row's size until then.
        chip->show();
        m_chips.append(chip);
    };
    using K = ZunoSuiteCommandKind;
    using A = ZunoSuiteApp;

    if (m_currentApp != A::zunoRAM && isAvailable(A::zunoRAM)) {
        const QString offloaded = text(QStringLiteral("Sent Smart RAM Offload to ZunoRAM"),
            QStringLiteral("ZunoRAM Akıllı RAM Açma tetiklendi"));
        add(text(QStringLiteral("Smart RAM Offload"), QStringLiteral("Akıllı RAM Aç")), "bolt.fill", kViolet,
            false,
            text(QStringLiteral("Trigger ZunoRAM smart memory offload in the background"),
                QStringLiteral("Arka planda ZunoRAM akıllı bellek rahatlatmayı çalıştır")),
            [this, offloaded] { runInBackground(K::ramSmartOffload, A::zunoRAM, offloaded); });
        if (m_vmSummary && m_vmSummary->frozenAppCount >= 1) {
            const QString count = QString::number(m_vmSummary->frozenAppCount);
            const QString thawed = text(QStringLiteral("Sent Thaw All command to ZunoRAM"),
                QStringLiteral("ZunoRAM tüm donukları uyandırma komutu gönderildi"));
            add(text(QStringLiteral("Thaw Apps (") + count + QLatin1Char(')'),
                    QStringLiteral("Donukları Uyandır (") + count + QLatin1Char(')')),
                "sun.max.fill", ZunoGlassTokens::warning(), false,
                text(QStringLiteral("Resume all apps frozen by ZunoRAM"),
                    QStringLiteral("ZunoRAM tarafından dondurulan tüm uygulamaları uyandır")),
                [this, thawed] { runInBackground(K::ramThawAll, A::zunoRAM, thawed); });
        }
        if (!compact) {
            const QString opening = text(QStringLiteral("Opening ZunoRAM Virtual Disk Lab"),
                QStringLiteral("ZunoRAM Sanal Disk Laboratuvarı açılıyor"));
            add(text(QStringLiteral("Virtual Disk Lab"), QStringLiteral("Sanal Disk Lab")),
                "externaldrive.badge.timemachine", kViolet, false,
                text(QStringLiteral("Open ZunoRAM Virtual Disk & mmap Pool Lab"),
                    QStringLiteral("ZunoRAM Sanal Disk ve Bellek Havuzu Laboratuvarını aç")),
                [this, opening] { dispatch(K::ramOpenDiskLab, A::zunoRAM, opening); });
        }
    }

    if (m_currentApp != A::zunoKill && isAvailable(A::zunoKill)) {
        const bool counted = m_killStatus && m_killStatus->problematicCount >= 1;
        const QString count = counted ? QString::number(m_killStatus->problematicCount) : QString();
        const QString killed = text(QStringLiteral("Sent Kill All Frozen command to ZunoKill"),
            QStringLiteral("ZunoKill'e donmuş uygulamaları öldürme komutu gönderildi"));
        add(counted ? text(QStringLiteral("Kill Frozen (") + count + QLatin1Char(')'),
                QStringLiteral("Donmuşları Öldür (") + count + QLatin1Char(')'))
                    : text(QStringLiteral("Kill Frozen"), QStringLiteral("Donmuşları Öldür")),
            "xmark.octagon.fill", ZunoGlassTokens::danger(), counted,
            text(QStringLiteral("Terminate unresponsive or frozen apps via ZunoKill"),
                QStringLiteral("Yanıt vermeyen/donmuş uygulamaları ZunoKill ile sonlandır")),
            [this, killed] { runInBackground(K::killAllFrozen, A::zunoKill, killed); });
        const QString targeted = text(QStringLiteral("ZunoKill window targeter activated"),
            QStringLiteral("ZunoKill pencere hedefleme nişangahı açıldı"));
        add(text(QStringLiteral("Target Window"), QStringLiteral("Pencere Hedefle")), "scope", kRose, false,
            text(QStringLiteral("Activate ZunoKill crosshair to click-kill any frozen window"),
                QStringLiteral(
                    "Herhangi bir donmuş pencereyi tıklayıp öldürmek için ZunoKill nişangahını aç")),
            [this, targeted] { dispatch(K::killOpenCrosshair, A::zunoKill, targeted); });
        const QString toggled = text(QStringLiteral("Toggled ZunoKill Quick HUD"),
            QStringLiteral("ZunoKill Hızlı Öldür HUD açıldı/kapatıldı"));
        add(text(QStringLiteral("Quick Kill HUD"), QStringLiteral("Hızlı Öldür HUD")), "bolt.circle.fill",
            kRose, false,
            text(QStringLiteral("Toggle ZunoKill floating Quick Kill HUD"),
                QStringLiteral("ZunoKill yüzen Hızlı Öldürme panelini aç/kapat")),
            [this, toggled] { dispatch(K::killToggleQuickHUD, A::zunoKill, toggled); });
        if (!compact) {
            const QString analytics = text(QStringLiteral("Opening ZunoKill 24h Analytics"),
                QStringLiteral("ZunoKill 24 Saatlik Analiz açılıyor"));
            add(text(QStringLiteral("24h Usage"), QStringLiteral("24s Analiz")), "chart.bar.xaxis", kRose,
                false,
                text(QStringLiteral("Open ZunoKill 24h CPU / RAM / Disk analytics"),
                    QStringLiteral("ZunoKill 24 saatlik CPU / RAM / Disk analizini aç")),
                [this, analytics] { dispatch(K::killOpenAnalytics24h, A::zunoKill, analytics); });
        }
    }

    if (m_currentApp != A::zunoPulse && isAvailable(A::zunoPulse)) {
        const QString hud = text(QStringLiteral("Toggled ZunoPulse Floating HUD"),
            QStringLiteral("ZunoPulse Masaüstü HUD açıldı/kapatıldı"));
        add(text(QStringLiteral("Pulse HUD"), QStringLiteral("Pulse HUD")), "rectangle.inset.topright.filled",
            kCyan, false,
            text(QStringLiteral("Show or hide the ZunoPulse floating desktop telemetry HUD"),
                QStringLiteral("ZunoPulse masaüstü yüzen sensör HUD'unu aç/kapat")),
            [this, hud] { dispatch(K::pulseToggleHUD, A::zunoPulse, hud); });
        if (!compact) {
            const QString thermals = text(QStringLiteral("Opening ZunoPulse Thermals & Power"),
                QStringLiteral("ZunoPulse Sıcaklık ve Fan ekranı açılıyor"));
            add(text(QStringLiteral("Thermals & Fan"), QStringLiteral("Sıcaklık & Fan")),
                "thermometer.medium", kCyan, false,
                text(QStringLiteral("Open ZunoPulse live thermal sensors, fan RPM & power view"),
                    QStringLiteral("ZunoPulse canlı sıcaklık sensörleri, fan RPM ve güç ekranını aç")),
                [this, thermals] { dispatch(K::pulseOpenThermalsPower, A::zunoPulse, thermals); });
        }
    }

    // The row: the label (full look) and the chips.
    const bool showLabel = !compact && !m_chips.isEmpty();
    m_label->setText(text(QStringLiteral("Suite Actions"), QStringLiteral("Suite Hızlı İşlemler")));
    m_label->setVisible(showLabel);
    m_rowLayout->setSpacing(compact ? 6 : 8);
    m_rowLayout->setContentsMargins(compact ? 2 : 14, compact ? 0 : 7, compact ? 2 : 14, compact ? 0 : 7);
    if (showLabel)
        m_rowLayout->addWidget(m_label, 0, Qt::AlignVCenter);
    for (ZunoSuiteActionChip *chip : std::as_const(m_chips))
        m_rowLayout->addWidget(chip, 0, Qt::AlignVCenter);
    m_rowLayout->activate();
    m_row->adjustSize();
    m_scroll->setVisible(!m_chips.isEmpty());
    setFixedHeight(m_chips.isEmpty() ? 0 : m_row->sizeHint().height());
    update();
}

void ZunoSuiteQuickActionsStrip::runInBackground(
    ZunoSuiteCommandKind kind, ZunoSuiteApp sibling, const QString &confirmation)
{
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    if (!bus)
        return;
    // What was set at the tap stands for this command; a strip gone meanwhile drops the line.
    zunoThenWhileAlive(bus->execute(kind, m_currentApp, sibling, std::nullopt, std::nullopt, std::nullopt,
                           false, false, {}, 45),
        this,
        [feedback = m_onFeedback, sibling, confirmation, language = m_language](
            const ZunoSuiteCommandResult &result) {
            if (feedback)
                feedback(backgroundLine(result, sibling, confirmation, language));
        });
}

void ZunoSuiteQuickActionsStrip::dispatch(
    ZunoSuiteCommandKind kind, ZunoSuiteApp sibling, const QString &success)
{
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    const bool sent
        = bus && bus->send(kind, m_currentApp, sibling, std::nullopt, std::nullopt, std::nullopt, true, true);
    if (!m_onFeedback)
        return;
    if (sent) {
        m_onFeedback(success);
        return;
    }
    // "Not installed" only when that is why; a sibling that is there but could not be told says so.
    const QString app = rawValue(sibling);
    if (!isRunning(sibling) && !isInstalled(sibling))
        m_onFeedback(zunoText(
            app + QStringLiteral(" is not installed"), app + QStringLiteral(" kurulu değil"), m_language));
    else
        m_onFeedback(zunoText(QStringLiteral("Failed to send command to %1.").arg(app),
            app + QStringLiteral(" uygulamasına komut gönderilemedi."), m_language));
}

QSize ZunoSuiteQuickActionsStrip::sizeHint() const
{
    if (m_chips.isEmpty())
        return QSize(0, 0);
    return m_row->sizeHint();
}

void ZunoSuiteQuickActionsStrip::paintEvent(QPaintEvent *)
{
    if (m_compact || m_chips.isEmpty())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), ZunoGlassTokens::surface1());
}

void ZunoSuiteQuickActionsStrip::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    resync();
}

bool ZunoSuiteQuickActionsStrip::eventFilter(QObject *watched, QEvent *event)
{
    // A vertical wheel turn scrolls the row sideways.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        const QPoint delta = wheel->pixelDelta().isNull() ? wheel->angleDelta() / 2 : wheel->pixelDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        QScrollBar *bar = m_scroll->horizontalScrollBar();
        bar->setValue(bar->value() - step);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

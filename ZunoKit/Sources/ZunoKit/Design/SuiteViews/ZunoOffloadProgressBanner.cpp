#include "ZunoOffloadProgressBanner.h"

#include "ZunoActivityIndicator.h"
#include "ZunoAdaptiveGridLayout.h"
#include "ZunoButton.h"
#include "ZunoByteFormatter.h"
#include "ZunoCapsuleLabel.h"
#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kMinimumFill = 6;

double clampedFraction(double fraction)
{
    return std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
}

} // namespace

// Text in one font and colour, cut short at the tail: one line, or up to `maxLines` wrapped lines.
class ZunoOffloadProgressBanner::Text : public QWidget {
public:
    explicit Text(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

    void setLook(const QFont &font, const QColor &color, int maxLines = 1)
    {
        m_font = font;
        m_color = color;
        m_maxLines = maxLines;
        updateGeometry();
        update();
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
        const QFontMetricsF metrics(m_font);
        return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(m_text))),
            static_cast<int>(std::ceil(metrics.height())));
    }
    QSize minimumSizeHint() const override { return QSize(0, sizeHint().height()); }
    bool hasHeightForWidth() const override { return m_maxLines > 1; }
    int heightForWidth(int width) const override
    {
        return static_cast<int>(std::ceil(QFontMetricsF(m_font).height() * lines(width).size()));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setFont(m_font);
        painter.setPen(m_color);
        const qreal line = QFontMetricsF(m_font).height();
        const QStringList shown = lines(width());
        for (qsizetype i = 0; i < shown.size(); ++i)
            painter.drawText(QRectF(0, i * line, width(), line), Qt::AlignLeft | Qt::AlignVCenter, shown[i]);
    }

private:
    // The lines drawn at `width`: wrapped at word boundaries, the last one cut short.
    QStringList lines(int width) const
    {
        const QFontMetricsF metrics(m_font);
        if (m_maxLines <= 1 || metrics.horizontalAdvance(m_text) <= width)
            return { metrics.elidedText(m_text, Qt::ElideRight, width) };
        QTextLayout layout(m_text, m_font);
        layout.beginLayout();
        QStringList result;
        while (true) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(width);
            if (result.size() + 1 == m_maxLines) {
                result << metrics.elidedText(m_text.mid(line.textStart()), Qt::ElideRight, width);
                break;
            }
            result << m_text.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        return result;
    }

    QFont m_font;
    QColor m_color;
    int m_maxLines = 1;
    QString m_text;
};

// The progress bar: a faint track and the gradient fill.
class ZunoOffloadProgressBanner::Bar : public QWidget {
public:
    explicit Bar(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    void setState(double fraction, const QColor &accent, int height)
    {
        m_fraction = fraction;
        m_accent = accent;
        setFixedHeight(height);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(ZunoContinuousShape::capsule(rect()), QColor(255, 255, 255, qRound(0.1 * 255)));
        const qreal fill = fillWidth(m_fraction, width());
        if (fill <= 0)
            return;
        const QRectF filled(0, 0, fill, height());
        QLinearGradient gradient(filled.topLeft(), filled.topRight());
        gradient.setColorAt(0, ZunoGlassTokens::withAlpha(m_accent, 0.75));
        gradient.setColorAt(1, m_accent);
        painter.fillPath(ZunoContinuousShape::capsule(filled), gradient);
    }

private:
    double m_fraction = 0;
    QColor m_accent;
};

// The seal mark of a run that is not going on.
class ZunoOffloadProgressBanner::Seal : public QWidget {
public:
    explicit Seal(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    void setSide(qreal side)
    {
        const int pixels = static_cast<int>(std::ceil(side));
        setFixedSize(pixels, pixels);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        ZunoSymbolRegistry::paint(
            painter, rect(), QStringLiteral("checkmark.seal.fill"), ZunoGlassTokens::success());
    }
};

// The plain "xmark" button that closes a finished run.
class ZunoOffloadProgressBanner::CloseButton : public QAbstractButton {
public:
    explicit CloseButton(QWidget *parent)
        : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        ZunoFocusRing::track(this);
        const int side = static_cast<int>(
            std::ceil(ZunoSymbolRegistry::sideForFont(ZunoFonts::system(9.5, QFont::Bold))));
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        ZunoSymbolRegistry::paint(painter, rect(), QStringLiteral("xmark"), ZunoGlassTokens::textMuted());
        ZunoFocusRing::paintIfVisible(painter, this, rect(), -1);
    }
};

// One of the four steps: symbol and title centred on a capsule in the step's colour.
class ZunoOffloadProgressBanner::StepPill : public QWidget {
public:
    explicit StepPill(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    void setContent(const QString &title, const StepLook &look)
    {
        m_title = title;
        m_look = look;
        updateGeometry();
        update();
    }
    const StepLook &look() const { return m_look; }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return QSize(static_cast<int>(std::ceil(
                         2 * kPaddingX + symbolSide() + kSpacing + metrics.horizontalAdvance(m_title))),
            static_cast<int>(std::ceil(2 * kPaddingY + std::max(symbolSide(), metrics.height()))));
    }
    QSize minimumSizeHint() const override { return QSize(0, sizeHint().height()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(ZunoContinuousShape::capsule(rect()),
            ZunoGlassTokens::withAlpha(m_look.color, m_look.fillOpacity));
        const QFontMetricsF metrics(font());
        const qreal side = symbolSide();
        const qreal available = width() - 2 * kPaddingX - side - kSpacing;
        const QString title = metrics.elidedText(m_title, Qt::ElideRight, std::max<qreal>(0, available));
        const qreal content = side + kSpacing + metrics.horizontalAdvance(title);
        const qreal x = std::max<qreal>(kPaddingX, (width() - content) / 2);
        ZunoSymbolRegistry::paint(
            painter, QRectF(x, (height() - side) / 2, side, side), m_look.symbol, m_look.color);
        painter.setFont(font());
        painter.setPen(m_look.color);
        painter.drawText(QRectF(x + side + kSpacing, 0, width() - x - side - kSpacing, height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
    }

private:
    static constexpr qreal kPaddingX = 7;
    static constexpr qreal kPaddingY = 3;
    static constexpr qreal kSpacing = 4;
    QFont font() const { return ZunoFonts::system(9.5, m_look.semibold ? QFont::DemiBold : QFont::Normal); }
    static qreal symbolSide() { return ZunoSymbolRegistry::sideForFont(ZunoFonts::system(9.5)); }

    QString m_title;
    StepLook m_look;
};

ZunoOffloadProgressBanner::ZunoOffloadProgressBanner(ZunoRAMOffloadLiveProgress progress,
    ZunoLanguage language, bool compact, Action onCancel, Action onDismiss, QWidget *parent)
    : QWidget(parent)
    , m_progress(std::move(progress))
    , m_language(language)
    , m_compact(compact)
    , m_onCancel(std::move(onCancel))
    , m_onDismiss(std::move(onDismiss))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_layout = new QVBoxLayout(this);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    m_spinner = new ZunoActivityIndicator(ZunoActivityIndicator::Size::small, this);
    m_seal = new Seal(this);
    m_counter = new ZunoCapsuleLabel(ZunoFonts::monospaced(9.5, QFont::Bold), 6, 2, this);
    m_title = new Text(this);
    m_bytes = new Text(this);
    m_bytes->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_percent = new Text(this);
    m_percent->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_cancel = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), this);
    m_cancel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_close = new CloseButton(this);
    header->addWidget(m_spinner, 0, Qt::AlignVCenter);
    header->addWidget(m_seal, 0, Qt::AlignVCenter);
    header->addWidget(m_counter, 0, Qt::AlignVCenter);
    header->addWidget(m_title, 0, Qt::AlignVCenter);
    header->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    header->addWidget(m_bytes, 0, Qt::AlignVCenter);
    header->addWidget(m_percent, 0, Qt::AlignVCenter);
    header->addWidget(m_cancel, 0, Qt::AlignVCenter);
    header->addWidget(m_close, 0, Qt::AlignVCenter);
    m_layout->addLayout(header);

    m_bar = new Bar(this);
    m_layout->addWidget(m_bar);
    m_detail = new Text(this);
    m_layout->addWidget(m_detail);

    m_steps = new QWidget(this);
    auto *grid = new ZunoAdaptiveGridLayout(135, 6, 6, m_steps);
    for (StepPill *&pill : m_pills) {
        pill = new StepPill(m_steps);
        grid->addWidget(pill);
    }
    m_layout->addWidget(m_steps);

    connect(m_cancel, &QAbstractButton::clicked, this, [this] {
        if (m_onCancel)
            m_onCancel();
    });
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        if (m_onDismiss)
            m_onDismiss();
    });
    resync();
}

void ZunoOffloadProgressBanner::setProgress(ZunoRAMOffloadLiveProgress progress)
{
    m_progress = std::move(progress);
    resync();
}

void ZunoOffloadProgressBanner::setLanguage(ZunoLanguage language)
{
    m_language = language;
    resync();
}

void ZunoOffloadProgressBanner::setCompact(bool compact)
{
    m_compact = compact;
    resync();
}

void ZunoOffloadProgressBanner::setOnCancel(Action onCancel)
{
    m_onCancel = std::move(onCancel);
    resync();
}

void ZunoOffloadProgressBanner::setOnDismiss(Action onDismiss)
{
    m_onDismiss = std::move(onDismiss);
    resync();
}

QColor ZunoOffloadProgressBanner::accentColor(const ZunoRAMOffloadLiveProgress &progress)
{
    if (progress.isCompletedSummary)
        return ZunoGlassTokens::success();
    if (progress.livePressure == QLatin1String("critical"))
        return ZunoGlassTokens::danger();
    if (progress.livePressure == QLatin1String("warning"))
        return ZunoGlassTokens::warning();
    return ZunoGlassTokens::accentViolet();
}

QString ZunoOffloadProgressBanner::percentText(double fractionCompleted)
{
    return QString::number(static_cast<qint64>(std::round(clampedFraction(fractionCompleted) * 100)))
        + QLatin1Char('%');
}

qreal ZunoOffloadProgressBanner::fillWidth(double fractionCompleted, qreal width)
{
    const double fraction = clampedFraction(fractionCompleted);
    if (fraction <= 0)
        return 0;
    return std::min(width, std::max(fraction * width, kMinimumFill));
}

ZunoOffloadProgressBanner::StepLook ZunoOffloadProgressBanner::stepLook(
    const ZunoRAMOffloadLiveProgress &progress, int step)
{
    const bool done = progress.isCompletedSummary || step < progress.stepIndex;
    const bool current = progress.isRunning && step == progress.stepIndex;
    StepLook look;
    look.color = done ? ZunoGlassTokens::success()
        : current     ? accentColor(progress)
                      : ZunoGlassTokens::textMuted();
    look.symbol = done ? QStringLiteral("checkmark.circle.fill")
        : current      ? QStringLiteral("bolt.circle.fill")
                       : QStringLiteral("circle");
    look.fillOpacity = current ? 0.22 : done ? 0.14 : 0.06;
    look.semibold = done || current;
    return look;
}

QWidget *ZunoOffloadProgressBanner::sealMark() const
{
    return m_seal;
}

QAbstractButton *ZunoOffloadProgressBanner::closeButton() const
{
    return m_close;
}

QWidget *ZunoOffloadProgressBanner::bar() const
{
    return m_bar;
}

QString ZunoOffloadProgressBanner::phaseTitle() const
{
    return m_title->text();
}

QWidget *ZunoOffloadProgressBanner::bytes() const
{
    return m_bytes;
}

QString ZunoOffloadProgressBanner::bytesText() const
{
    return m_bytes->text();
}

QString ZunoOffloadProgressBanner::percentage() const
{
    return m_percent->text();
}

QWidget *ZunoOffloadProgressBanner::detail() const
{
    return m_detail;
}

QString ZunoOffloadProgressBanner::detailText() const
{
    return m_detail->text();
}

void ZunoOffloadProgressBanner::resync()
{
    const ZunoRAMOffloadLiveProgress &p = m_progress;
    const bool compact = m_compact;
    const QColor accent = accentColor(p);
    const auto text = [this](const QString &en, const QString &tr) { return zunoText(en, tr, m_language); };

    m_layout->setSpacing(compact ? 6 : 8);
    m_layout->setContentsMargins(compact ? 10 : 14, compact ? 8 : 10, compact ? 10 : 14, compact ? 8 : 10);

    m_spinner->setVisible(p.isRunning);
    m_seal->setVisible(!p.isRunning);
    m_seal->setSide(ZunoSymbolRegistry::sideForFont(ZunoFonts::system(compact ? 12 : 14)));

    m_counter->setLabelFont(ZunoFonts::monospaced(compact ? 9 : 9.5, QFont::Bold));
    m_counter->setText(p.isCompletedSummary
            ? text(QStringLiteral("DONE"), QStringLiteral("TAMAMLANDI"))
            : text(QStringLiteral("STEP %1/%2").arg(p.stepIndex).arg(p.totalSteps),
                QStringLiteral("ADIM %1/%2").arg(p.stepIndex).arg(p.totalSteps)));
    m_counter->setColors(ZunoGlassTokens::withAlpha(accent, 0.24), accent);

    m_title->setLook(ZunoFonts::system(compact ? 11 : 12.5, QFont::DemiBold), ZunoGlassTokens::textPrimary());
    m_title->setText(text(p.phaseTitleEN, p.phaseTitleTR));

    const bool showBytes = p.isRunning && p.targetBytes >= 1;
    m_bytes->setVisible(showBytes);
    m_bytes->setLook(
        ZunoFonts::monospaced(compact ? 9.5 : 10.5, QFont::DemiBold), ZunoGlassTokens::textSecondary());
    m_bytes->setText(showBytes ? ZunoByteFormatter::format(p.allocatedBytes) + QStringLiteral(" / ")
                + ZunoByteFormatter::format(p.targetBytes)
                               : QString());
    m_percent->setLook(ZunoFonts::monospaced(compact ? 10.5 : 11.5, QFont::Bold), accent);
    m_percent->setText(percentText(p.fractionCompleted));

    m_cancel->setButtonStyle(std::make_shared<ZunoGlassButtonStyle>(
        false, ZunoFonts::system(compact ? 9.5 : 10.5, QFont::DemiBold)));
    m_cancel->setText(text(QStringLiteral("Cancel"), QStringLiteral("İptal")));
    m_cancel->setVisible(p.isRunning && m_onCancel);
    m_close->setVisible(!p.isRunning && m_onDismiss);

    m_bar->setState(p.fractionCompleted, accent, compact ? 5 : 7);

    const QString detail = text(p.detailEN, p.detailTR);
    m_detail->setLook(
        ZunoFonts::monospaced(compact ? 9.5 : 10.5), ZunoGlassTokens::textSecondary(), compact ? 2 : 1);
    m_detail->setText(detail);
    m_detail->setVisible(!detail.isEmpty());

    m_steps->setVisible(!compact);
    const std::pair<const char *, const char *> titles[4]
        = { { "1. Measure RAM", "1. Bellek Ölçümü" }, { "2. Freeze Idle Apps", "2. Pasifleri Dondur" },
              { "3. Swap Wave", "3. Swap Dalgası" }, { "4. Release & Verify", "4. İade & Sonuç" } };
    for (int i = 0; i < 4; ++i)
        m_pills[i]->setContent(text(QString::fromUtf8(titles[i].first), QString::fromUtf8(titles[i].second)),
            stepLook(p, i + 1));
    updateGeometry();
    update();
}

void ZunoOffloadProgressBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = m_compact ? 10 : 11;
    const QColor accent = accentColor(m_progress);
    painter.fillPath(
        ZunoContinuousShape::roundedRect(rect(), radius), ZunoGlassTokens::withAlpha(accent, 0.12));
    ZunoContinuousShape::strokeBorder(painter, rect(), radius, ZunoGlassTokens::withAlpha(accent, 0.4), 1);
}

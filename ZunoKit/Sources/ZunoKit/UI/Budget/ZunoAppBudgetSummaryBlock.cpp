#include "ZunoAppBudgetSummaryBlock.h"

#include "ZunoCompactProgressBar.h"
#include "ZunoContinuousShape.h"
#include "ZunoCreditsUIFormatter.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolIcon.h"
#include "ZunoTabularLabel.h"
#include "ZunoText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

using ZunoCreditsViewText::label;
using ZunoCreditsViewText::withOpacity;

namespace {

// The header's status badge: its text in the tone on a capsule of the tone at 0.16.
class Badge : public QLabel {
public:
    Badge(const QString &text, const QColor &tone, QWidget *parent)
        : QLabel(text, parent)
        , m_tone(tone)
    {
        setObjectName(QStringLiteral("badge"));
        setTextFormat(Qt::PlainText);
        setFont(ZunoFonts::system(10, QFont::DemiBold));
        ZunoCreditsViewText::setColor(this, tone);
        setContentsMargins(6, 2, 6, 2);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(ZunoContinuousShape::capsule(rect()), withOpacity(m_tone, 0.16));
        painter.end();
        QLabel::paintEvent(event);
    }

private:
    QColor m_tone;
};

// A warning's tinted box: fill at 0.14 and a border inside at 0.32 of the tone, radius 8.
class WarningBox : public QWidget {
public:
    WarningBox(const QColor &tone, QWidget *parent)
        : QWidget(parent)
        , m_tone(tone)
    {
        setObjectName(QStringLiteral("warning"));
    }

    QColor tone() const { return m_tone; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(ZunoContinuousShape::roundedRect(rect(), 8), withOpacity(m_tone, 0.14));
        ZunoContinuousShape::strokeBorder(painter, rect(), 8, withOpacity(m_tone, 0.32));
    }

private:
    QColor m_tone;
};

QHBoxLayout *row(QWidget *parent, int spacing)
{
    auto *layout = new QHBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

ZunoAppBudgetSummaryBlock::ZunoAppBudgetSummaryBlock(const QString &appName,
    const std::optional<ZunoAppBudgetStatus> &budget, const QList<ZunoBudgetWarning> &warnings,
    ZunoLanguage language, QWidget *parent)
    : QWidget(parent)
    , m_appName(appName)
    , m_budget(budget)
    , m_warnings(warnings)
    , m_language(language)
    , m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    // Extra height a host gives stays below the content.
    m_layout->addStretch(1);
    rebuild();
}

void ZunoAppBudgetSummaryBlock::setAppName(const QString &appName)
{
    m_appName = appName;
    rebuild();
}

void ZunoAppBudgetSummaryBlock::setBudget(const std::optional<ZunoAppBudgetStatus> &budget)
{
    m_budget = budget;
    rebuild();
}

void ZunoAppBudgetSummaryBlock::setWarnings(const QList<ZunoBudgetWarning> &warnings)
{
    m_warnings = warnings;
    rebuild();
}

void ZunoAppBudgetSummaryBlock::setLanguage(ZunoLanguage language)
{
    m_language = language;
    rebuild();
}

std::int64_t ZunoAppBudgetSummaryBlock::percent(double ratio)
{
    const double value = std::round(ratio * 100);
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(kMaximumPercent))
        return kMaximumPercent;
    // -2^63 is exact as a double; anything below it has no 64-bit value.
    if (value <= static_cast<double>(std::numeric_limits<std::int64_t>::min()))
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

QColor ZunoAppBudgetSummaryBlock::tone(double ratio)
{
    if (ratio >= 1)
        return ZunoGlassTokens::danger();
    if (ratio >= 0.8)
        return ZunoGlassTokens::warning();
    return ZunoGlassTokens::success();
}

QString ZunoAppBudgetSummaryBlock::t(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_language);
}

void ZunoAppBudgetSummaryBlock::rebuild()
{
    // Rebuilt whole from the inputs, as often as the host sets them.
    delete m_content;
    m_content = new QWidget(this);
    m_layout->insertWidget(0, m_content);
    auto *stack = new QVBoxLayout(m_content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(kSpacing);
    stack->addWidget(header(m_content));
    if (m_budget) {
        stack->addWidget(
            spendRow(m_content, QStringLiteral("today"), t(QStringLiteral("Today"), QStringLiteral("Bugün")),
                m_budget->spentTodayCredits, m_budget->dailyLimitCredits, m_budget->dailyRatio));
        stack->addWidget(spendRow(m_content, QStringLiteral("month"),
            t(QStringLiteral("This Month"), QStringLiteral("Bu Ay")), m_budget->spentMonthCredits,
            m_budget->monthlyLimitCredits, m_budget->monthlyRatio));
    } else {
        QLabel *none
            = label(t(QStringLiteral("No spending cap configured for ") + m_appName + QStringLiteral(" yet."),
                        m_appName + QStringLiteral(" için henüz harcama limiti tanımlanmadı.")),
                ZunoFonts::system(11), ZunoGlassTokens::textMuted(), m_content);
        none->setObjectName(QStringLiteral("noCap"));
        none->setWordWrap(true);
        stack->addWidget(none);
    }
    if (!m_warnings.isEmpty()) {
        auto *list = new QWidget(m_content);
        list->setObjectName(QStringLiteral("warnings"));
        auto *rows = new QVBoxLayout(list);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(kWarningSpacing);
        for (const ZunoBudgetWarning &warning : m_warnings)
            rows->addWidget(warningRow(list, warning));
        stack->addWidget(list);
    }
    m_content->show();
    updateGeometry();
}

QWidget *ZunoAppBudgetSummaryBlock::header(QWidget *parent) const
{
    auto *header = new QWidget(parent);
    QHBoxLayout *line = row(header, 6);
    line->addWidget(new ZunoSymbolIcon(QStringLiteral("gauge.with.dots.needle.33percent"),
        ZunoFonts::system(11, QFont::DemiBold), ZunoGlassTokens::textSecondary(), header));
    QLabel *title = label(m_appName + t(QStringLiteral(" Spending"), QStringLiteral(" Harcaması")),
        ZunoFonts::system(11.5, QFont::DemiBold), ZunoGlassTokens::textPrimary(), header);
    title->setObjectName(QStringLiteral("title"));
    line->addWidget(title);
    line->addStretch(1);
    if (m_budget) {
        if (m_budget->exceeded)
            line->addWidget(new Badge(t(QStringLiteral("Cap Reached"), QStringLiteral("Limit Doldu")),
                ZunoGlassTokens::danger(), header));
        else if (m_budget->nearLimit)
            line->addWidget(new Badge(t(QStringLiteral("Near Cap"), QStringLiteral("Limite Yakın")),
                ZunoGlassTokens::warning(), header));
    }
    return header;
}

QWidget *ZunoAppBudgetSummaryBlock::spendRow(QWidget *parent, const QString &key, const QString &text,
    double spent, std::optional<double> cap, std::optional<double> ratio) const
{
    using ZunoCreditsUIFormatter::formatCredits;
    const bool capped = cap && *cap > 0;
    const double effective = ratio ? *ratio : capped ? spent / *cap : 0;

    auto *spendRow = new QWidget(parent);
    spendRow->setObjectName(key);
    auto *stack = new QVBoxLayout(spendRow);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(4);
    auto *lineWidget = new QWidget(spendRow);
    QHBoxLayout *line = row(lineWidget, 6);
    line->addWidget(label(text, ZunoFonts::system(11), ZunoGlassTokens::textSecondary(), lineWidget));
    line->addStretch(1);
    const QString unit = ZunoCreditsViewText::unit(m_language);
    ZunoTabularLabel *amounts = nullptr;
    if (capped) {
        amounts = new ZunoTabularLabel(formatCredits(spent, m_language) + QStringLiteral(" / ")
                + formatCredits(*cap, m_language) + QLatin1Char(' ') + unit + QStringLiteral(" (")
                + QString::number(percent(effective)) + QStringLiteral("%)"),
            ZunoFonts::system(11, QFont::Medium), ZunoGlassTokens::textPrimary(), lineWidget);
    } else {
        amounts = new ZunoTabularLabel(formatCredits(spent, m_language) + QLatin1Char(' ') + unit
                + QStringLiteral(" \u00B7 ") + t(QStringLiteral("No cap"), QStringLiteral("Limitsiz")),
            ZunoFonts::system(11), ZunoGlassTokens::textSecondary(), lineWidget);
    }
    amounts->setObjectName(QStringLiteral("amounts"));
    line->addWidget(amounts);
    stack->addWidget(lineWidget);
    if (capped) {
        auto *bar = new ZunoCompactProgressBar(effective, tone(effective), spendRow);
        bar->setObjectName(QStringLiteral("bar"));
        stack->addWidget(bar);
    }
    return spendRow;
}

QWidget *ZunoAppBudgetSummaryBlock::warningRow(QWidget *parent, const ZunoBudgetWarning &warning) const
{
    const bool critical = warning.isCritical();
    const QColor tone = critical ? ZunoGlassTokens::danger() : ZunoGlassTokens::warning();
    auto *box = new WarningBox(tone, parent);
    box->setAccessibleName(warning.id());
    QHBoxLayout *line = row(box, 6);
    line->setContentsMargins(8, 6, 8, 6);
    line->setAlignment(Qt::AlignTop);
    auto *symbolColumn = new QVBoxLayout;
    symbolColumn->setContentsMargins(0, 1, 0, 0);
    symbolColumn->addWidget(new ZunoSymbolIcon(critical ? QStringLiteral("exclamationmark.octagon.fill")
                                                        : QStringLiteral("exclamationmark.triangle.fill"),
        ZunoFonts::system(11), tone, box));
    symbolColumn->addStretch(1);
    line->addLayout(symbolColumn);
    QLabel *message = label(warning.message, ZunoFonts::system(11), ZunoGlassTokens::textPrimary(), box);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    QSizePolicy policy = message->sizePolicy(); // keeps the height-for-width of the wrapping label
    policy.setHorizontalPolicy(QSizePolicy::Expanding);
    message->setSizePolicy(policy);
    line->addWidget(message, 1);
    return box;
}

#include "ZunoCreditsHeaderPill.h"

#include "ZunoContinuousShape.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsHeaderPillUIState.h"
#include "ZunoCreditsHealthColors.h"
#include "ZunoCreditsUIFormatter.h"
#include "ZunoCreditsViewText.h"
#include "ZunoCreditsWalletPopover.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoTabularFigures.h"
#include "ZunoText.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QFont labelFont()
{
    return ZunoFonts::system(11.5, QFont::DemiBold);
}

QFont markFont()
{
    return ZunoFonts::system(10, QFont::DemiBold);
}

constexpr int kPopupGap = 4;

} // namespace

// The frameless popup that holds the wallet; it closes on a click outside (without passing that click
// on, so the pill's own click does not reopen it) and on Escape.
class ZunoCreditsHeaderPill::Popup : public QWidget {
public:
    Popup(ZunoCreditsHeaderPill *pill, ZunoCreditsAccountStore &store, const QColor &accent,
        ZunoLanguage language)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint)
        , m_pill(pill)
    {
        setAttribute(Qt::WA_NoMouseReplay);
        setAttribute(Qt::WA_TranslucentBackground);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        popover = new ZunoCreditsWalletPopover(store, accent, language, this);
        layout->addWidget(popover);
    }

    ZunoCreditsWalletPopover *popover;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape) {
            close();
            return;
        }
        QWidget::keyPressEvent(event);
    }
    void hideEvent(QHideEvent *event) override
    {
        QWidget::hideEvent(event);
        if (m_pill)
            m_pill->m_state->setPopoverPresented(false);
    }

private:
    QPointer<ZunoCreditsHeaderPill> m_pill;
};

ZunoCreditsHeaderPill::ZunoCreditsHeaderPill(ZunoCreditsAccountStore &store, const QColor &accentColor,
    std::optional<ZunoLanguage> language, QWidget *parent)
    : QAbstractButton(parent)
    , m_store(store)
    , m_accent(accentColor)
    , m_override(language)
    , m_state(new ZunoCreditsHeaderPillUIState(this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(this, &QAbstractButton::clicked, this, [this] { setPopoverPresented(!isPopoverPresented()); });
    connect(m_state, &ZunoCreditsHeaderPillUIState::popoverPresentedChanged, this,
        &ZunoCreditsHeaderPill::present);
    connect(
        m_state, &ZunoLanguageAwareUIState::languageRevisionChanged, this, &ZunoCreditsHeaderPill::follow);
    connect(&m_store, &ZunoCreditsAccountStore::stateChanged, this, &ZunoCreditsHeaderPill::follow);
    follow();
}

ZunoCreditsHeaderPill::~ZunoCreditsHeaderPill()
{
    // The popup's hide reports to the state; nothing may reach this half-destroyed pill.
    m_state->blockSignals(true);
    m_popup.reset();
}

ZunoLanguage ZunoCreditsHeaderPill::language() const
{
    return m_override.value_or(ZunoLanguages::current());
}

QString ZunoCreditsHeaderPill::t(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, language());
}

QString ZunoCreditsHeaderPill::pillLabel() const
{
    if (!m_store.isSignedIn() || !m_store.profile())
        return t(QStringLiteral("Credits"), QStringLiteral("Kredi"));
    const ZunoCreditAccountProfile &profile = *m_store.profile();
    const double unit = profile.creditUnitMicros > 1 ? static_cast<double>(profile.creditUnitMicros) : 1.0;
    const ZunoLanguage l = language();
    return ZunoCreditsUIFormatter::formatCredits(static_cast<double>(profile.availableMicros) / unit, l)
        + QLatin1Char(' ') + ZunoCreditsViewText::unit(l);
}

QString ZunoCreditsHeaderPill::tooltipText() const
{
    if (m_store.profile() && m_store.isSignedIn()) {
        // An empty e-mail is no e-mail: the host stands in for it.
        const QString email = m_store.profile()->email.value_or(QString()).trimmed();
        QString text = pillLabel() + QStringLiteral(" \u00B7 ")
            + (email.isEmpty() ? ZunoCreditsViewText::portalHost() : email);
        const QList<ZunoBudgetWarning> warnings = m_store.budgetWarnings();
        if (!warnings.isEmpty())
            text += QStringLiteral(" \u2014 ") + warnings.first().message;
        return text;
    }
    const QString host = ZunoCreditsViewText::portalHost();
    return t(QStringLiteral("Connect your ") + host + QStringLiteral(" shared credits wallet"),
        host + QStringLiteral(" ortak kredi cüzdanınızı bağlayın"));
}

QColor ZunoCreditsHeaderPill::dotColor() const
{
    return zunoCreditsHealthColor(m_store.healthStatus());
}

QColor ZunoCreditsHeaderPill::borderColor() const
{
    switch (m_store.healthStatus()) {
    case ZunoCreditsHealthStatus::warning:
        return ZunoCreditsViewText::withOpacity(ZunoGlassTokens::warning(), 0.55);
    case ZunoCreditsHealthStatus::critical:
        return ZunoCreditsViewText::withOpacity(ZunoGlassTokens::danger(), 0.65);
    default:
        return ZunoGlassTokens::borderSubtle();
    }
}

std::optional<QColor> ZunoCreditsHeaderPill::markColor() const
{
    if (!m_store.isSignedIn())
        return std::nullopt;
    const ZunoCreditsHealthStatus health = m_store.healthStatus();
    const bool shown = (m_store.profile() && m_store.profile()->lowBalance)
        || !m_store.budgetWarnings().isEmpty() || health == ZunoCreditsHealthStatus::warning
        || health == ZunoCreditsHealthStatus::critical;
    if (!shown)
        return std::nullopt;
    return health == ZunoCreditsHealthStatus::critical ? ZunoGlassTokens::danger()
                                                       : ZunoGlassTokens::warning();
}

bool ZunoCreditsHeaderPill::isPopoverPresented() const
{
    return m_state->isPopoverPresented();
}

void ZunoCreditsHeaderPill::setPopoverPresented(bool presented)
{
    m_state->setPopoverPresented(presented);
}

QWidget *ZunoCreditsHeaderPill::popupWindow() const
{
    return m_popup.get();
}

ZunoCreditsWalletPopover *ZunoCreditsHeaderPill::popover() const
{
    return m_popup ? m_popup->popover : nullptr;
}

void ZunoCreditsHeaderPill::present(bool presented)
{
    if (!presented) {
        if (m_popup) {
            // This may run inside the popup's own hide: delete it after that returns.
            Popup *popup = m_popup.release();
            popup->hide();
            popup->deleteLater();
        }
        return;
    }
    m_popup = std::make_unique<Popup>(this, m_store, m_accent, language());
    m_popup->adjustSize();
    const QSize size = m_popup->sizeHint();
    const QPoint below = mapToGlobal(QPoint(width() / 2 - size.width() / 2, height() + kPopupGap));
    QPoint position = below;
    if (const QScreen *where = screen()) {
        const QRect available = where->availableGeometry();
        if (below.y() + size.height() > available.bottom()) {
            const int above = mapToGlobal(QPoint(0, 0)).y() - kPopupGap - size.height();
            if (above >= available.top())
                position.setY(above);
        }
        position.setX(std::clamp(
            position.x(), available.left(), std::max(available.left(), available.right() - size.width())));
    }
    m_popup->move(position);
    m_popup->show();
}

void ZunoCreditsHeaderPill::follow()
{
    setToolTip(tooltipText());
    setAccessibleName(pillLabel());
    updateGeometry();
    update();
}

QSize ZunoCreditsHeaderPill::sizeHint() const
{
    const QFontMetricsF metrics(labelFont());
    qreal width
        = kHorizontalPadding * 2 + kDotSide + kSpacing + ZunoTabularFigures::width(pillLabel(), labelFont());
    qreal height = std::max<qreal>(metrics.height(), kDotSide);
    if (markColor()) {
        const qreal side = ZunoSymbolRegistry::sideForFont(markFont());
        width += kSpacing + side;
        height = std::max(height, side);
    }
    return QSize(int(std::ceil(width)), int(std::ceil(height + kVerticalPadding * 2)));
}

bool ZunoCreditsHeaderPill::hitButton(const QPoint &pos) const
{
    return ZunoContinuousShape::capsule(QRectF(rect())).contains(QPointF(pos));
}

void ZunoCreditsHeaderPill::showEvent(QShowEvent *event)
{
    QAbstractButton::showEvent(event);
    m_store.refreshIfStale(300);
}

void ZunoCreditsHeaderPill::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = rect();
    painter.fillPath(ZunoContinuousShape::capsule(bounds), ZunoGlassTokens::surface2());
    ZunoContinuousShape::strokeBorder(painter, bounds, -1, borderColor());

    qreal x = kHorizontalPadding;
    const qreal middle = bounds.center().y();
    painter.setPen(Qt::NoPen);
    painter.setBrush(dotColor());
    painter.drawEllipse(QRectF(x, middle - kDotSide / 2.0, kDotSide, kDotSide));
    x += kDotSide + kSpacing;

    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    const QString label = pillLabel();
    painter.setPen(ZunoGlassTokens::textPrimary());
    ZunoTabularFigures::draw(
        painter, QPointF(x, middle - metrics.height() / 2 + metrics.ascent()), label, font);
    x += ZunoTabularFigures::width(label, font);

    if (const std::optional<QColor> mark = markColor()) {
        const qreal side = ZunoSymbolRegistry::sideForFont(markFont());
        ZunoSymbolRegistry::paint(painter, QRectF(x + kSpacing, middle - side / 2, side, side),
            QStringLiteral("exclamationmark.triangle.fill"), *mark);
    }
    ZunoFocusRing::paintIfVisible(painter, this, bounds, -1);
}

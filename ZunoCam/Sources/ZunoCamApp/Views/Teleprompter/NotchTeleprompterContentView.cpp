#include "NotchTeleprompterContentView.h"

#include "CamSaturating.h"
#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoProductPalette.h"
#include "ZunoSymbolButton.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSidePadding = 16;
constexpr int kTopPadding = 10;
constexpr int kBottomPadding = 6;
constexpr int kSpacing = 8;
constexpr int kDotSide = 8;
constexpr double kSymbolTextSize = 13;
constexpr int kBadgePaddingX = 6;
constexpr int kBadgePaddingY = 2;
constexpr double kBadgeOpacity = 0.28;
constexpr double kBandOpacity = 0.14;
constexpr double kBandHeightFactor = 1.65;
constexpr int kBandTop = 16;
constexpr int kTextPaddingX = 22;
constexpr int kTextPaddingTop = 24;
constexpr double kLineSpacing = 8;
constexpr double kDimOpacity = 0.55;
constexpr double kCountdownSize = 62;

const QString kPrivateBadge = QStringLiteral("PRIVATE");

QColor accent()
{
    return ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
}

QFont titleFont()
{
    return ZunoFonts::system(11, QFont::DemiBold);
}

QFont badgeFont()
{
    return ZunoFonts::system(9, QFont::Bold);
}

QFont paceFont()
{
    return ZunoFonts::monospaced(10.5, QFont::Bold);
}

int ceilInt(double value)
{
    return static_cast<int>(std::ceil(value));
}

} // namespace

NotchTeleprompterContentView::NotchTeleprompterContentView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    const auto button
        = [this](const QString &symbol, std::function<void()> NotchTeleprompterContentView::*action) {
              auto *result = new ZunoSymbolButton(symbol, kSymbolTextSize, Qt::white, this);
              result->setFocusPolicy(Qt::NoFocus);
              connect(result, &QAbstractButton::clicked, this, [this, action] {
                  if (this->*action)
                      (this->*action)();
              });
              return result;
          };
    m_slower = button(QStringLiteral("minus.circle"), &NotchTeleprompterContentView::onSlower);
    m_faster = button(QStringLiteral("plus.circle"), &NotchTeleprompterContentView::onFaster);
    m_rewind = button(QStringLiteral("backward.end.fill"), &NotchTeleprompterContentView::onRewind);
    m_playPause = button(QStringLiteral("play.fill"), &NotchTeleprompterContentView::onPlayPause);
    m_close = button(QStringLiteral("xmark.circle.fill"), &NotchTeleprompterContentView::onClose);
    m_slower->setAccessibleName(QStringLiteral("Slower"));
    m_faster->setAccessibleName(QStringLiteral("Faster"));
    m_rewind->setAccessibleName(QStringLiteral("Rewind"));
    m_close->setAccessibleName(QStringLiteral("Close"));
    setState(m_state);
    layoutHeader();
}

NotchTeleprompterContentView::~NotchTeleprompterContentView() = default;

QString NotchTeleprompterContentView::paceText(double wordsPerMinute)
{
    return QString::number(CamSaturating::toInt64(wordsPerMinute)) + QStringLiteral(" WPM");
}

void NotchTeleprompterContentView::setState(const NotchTeleprompterContentState &state)
{
    const bool headerChanged = state.title != m_state.title
        || state.showsPrivateBadge != m_state.showsPrivateBadge
        || paceText(state.wordsPerMinute) != paceText(m_state.wordsPerMinute);
    m_state = state;
    m_playPause->setSymbol(state.isScrolling ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"));
    m_playPause->setAccessibleName(state.isScrolling ? QStringLiteral("Pause") : QStringLiteral("Play"));
    if (headerChanged)
        layoutHeader();
    layoutBody();
    update();
}

void NotchTeleprompterContentView::setScrollOffset(double offset)
{
    if (offset == m_scrollOffset)
        return;
    m_scrollOffset = offset;
    update(scriptArea());
}

int NotchTeleprompterContentView::headerHeight() const
{
    return kTopPadding + m_rowHeight + kBottomPadding;
}

QRect NotchTeleprompterContentView::scriptArea() const
{
    const int top = headerHeight();
    return { 0, top, width(), std::max(0, height() - top) };
}

QRect NotchTeleprompterContentView::readingBand() const
{
    const QRect area = scriptArea();
    const int bandHeight = ceilInt(m_state.fontSize * kBandHeightFactor);
    return { 0, area.top() + kBandTop, width(), bandHeight };
}

QRect NotchTeleprompterContentView::statusDot() const
{
    return { kSidePadding, kTopPadding + (m_rowHeight - kDotSide) / 2, kDotSide, kDotSide };
}

QColor NotchTeleprompterContentView::dotColor() const
{
    if (!m_state.isScrolling)
        return ZunoGlassTokens::textMuted();
    return m_state.isVoiceGateOpen ? ZunoGlassTokens::success() : ZunoGlassTokens::warning();
}

void NotchTeleprompterContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutHeader();
    layoutBody();
}

void NotchTeleprompterContentView::layoutHeader()
{
    const QFontMetricsF title(titleFont());
    const QFontMetricsF badge(badgeFont());
    const QFontMetricsF pace(paceFont());
    const int buttonSide = m_close->sizeHint().width();
    const int badgeHeight = ceilInt(badge.height()) + 2 * kBadgePaddingY;
    m_rowHeight = std::max({ buttonSide, ceilInt(title.height()), ceilInt(pace.height()), badgeHeight });
    const int rowTop = kTopPadding;

    // The controls from the right edge leftwards.
    int right = width() - kSidePadding;
    const auto place = [&](QWidget *widget) {
        const QSize size = widget->sizeHint();
        right -= size.width();
        widget->setGeometry(right, rowTop + (m_rowHeight - size.height()) / 2, size.width(), size.height());
        right -= kSpacing;
    };
    place(m_close);
    place(m_playPause);
    place(m_rewind);
    place(m_faster);
    const int paceWidth = ceilInt(pace.horizontalAdvance(paceText(m_state.wordsPerMinute)));
    right -= paceWidth;
    m_paceRect = QRect(right, rowTop, paceWidth, m_rowHeight);
    right -= kSpacing;
    place(m_slower);

    // Dot, title and badge from the left; the title gives way.
    const int left = kSidePadding + kDotSide + kSpacing;
    const int badgeWidth = m_state.showsPrivateBadge
        ? ceilInt(badge.horizontalAdvance(kPrivateBadge)) + 2 * kBadgePaddingX
        : 0;
    const int titleRoom = std::max(0, right - left - (badgeWidth > 0 ? badgeWidth + kSpacing : 0));
    const int titleWidth = std::min(titleRoom, ceilInt(title.horizontalAdvance(m_state.title)));
    m_titleRect = QRect(left, rowTop, titleWidth, m_rowHeight);
    m_badgeRect = badgeWidth > 0 ? QRect(left + titleWidth + kSpacing,
                      rowTop + (m_rowHeight - badgeHeight) / 2, badgeWidth, badgeHeight)
                                 : QRect();
}

void NotchTeleprompterContentView::layoutBody()
{
    const int textWidth = std::max(1, width() - 2 * kTextPaddingX);
    if (m_state.body == m_laidOutBody && m_state.fontSize == m_laidOutFontSize && textWidth == m_laidOutWidth)
        return;
    m_laidOutBody = m_state.body;
    m_laidOutFontSize = m_state.fontSize;
    m_laidOutWidth = textWidth;
    m_layouts.clear();
    m_lines.clear();

    QFont font = ZunoFonts::system(m_state.fontSize, QFont::DemiBold);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    double y = 0;
    for (const QString &paragraph : m_state.body.split(QLatin1Char('\n'))) {
        auto layout = std::make_unique<QTextLayout>(paragraph, font);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(textWidth);
            line.setPosition(QPointF(0, y));
            m_lines.push_back({ static_cast<int>(m_layouts.size()), line.lineNumber(), y });
            y += line.height() + kLineSpacing;
        }
        layout->endLayout();
        m_layouts.push_back(std::move(layout));
    }
}

void NotchTeleprompterContentView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintContent(painter, event->rect());
}

void NotchTeleprompterContentView::paintContent(QPainter &painter, const QRect &exposed)
{
    painter.save();
    painter.setClipRect(exposed);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.fillPath(ZunoContinuousShape::roundedRect(bounds, kCornerRadius),
        ZunoGlassTokens::withAlpha(kFill, m_state.panelOpacity));
    if (exposed.top() < headerHeight())
        paintHeader(painter);
    if (exposed.intersects(scriptArea()))
        paintScript(painter);
    ZunoContinuousShape::strokeBorder(painter, bounds, kCornerRadius, ZunoGlassTokens::borderStrong(), 1);
    painter.restore();
}

void NotchTeleprompterContentView::paintHeader(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(dotColor());
    painter.drawEllipse(statusDot());

    painter.setFont(titleFont());
    painter.setPen(ZunoGlassTokens::textSecondary());
    const QString title
        = QFontMetricsF(titleFont()).elidedText(m_state.title, Qt::ElideRight, m_titleRect.width() + 0.5);
    painter.drawText(m_titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);

    if (!m_badgeRect.isNull()) {
        painter.fillPath(
            ZunoContinuousShape::capsule(m_badgeRect), ZunoGlassTokens::withAlpha(accent(), kBadgeOpacity));
        painter.setFont(badgeFont());
        painter.setPen(Qt::white);
        painter.drawText(m_badgeRect, Qt::AlignCenter, kPrivateBadge);
    }

    painter.setFont(paceFont());
    painter.setPen(accent());
    painter.drawText(m_paceRect, Qt::AlignCenter, paceText(m_state.wordsPerMinute));
}

void NotchTeleprompterContentView::paintScript(QPainter &painter)
{
    const QRect area = scriptArea();
    painter.save();
    // The area's bottom corners follow the card's.
    painter.setClipRect(area, Qt::IntersectClip);
    painter.setClipPath(ZunoContinuousShape::roundedRect(QRectF(rect()), kCornerRadius), Qt::IntersectClip);
    painter.fillRect(readingBand(), ZunoGlassTokens::withAlpha(accent(), kBandOpacity));

    const QTransform unmirrored = painter.transform();
    if (m_state.mirrorTextHorizontally) {
        painter.translate(2 * area.x() + area.width(), 0);
        painter.scale(-1, 1);
    }
    const double originY = area.top() + kTextPaddingTop - m_scrollOffset;
    const QPointF origin(area.left() + kTextPaddingX, originY);
    painter.setPen(Qt::white);
    // The first line whose bottom is below the area's top; lines are in order of y.
    const double firstVisibleY = area.top() - originY;
    auto it = std::upper_bound(
        m_lines.begin(), m_lines.end(), firstVisibleY, [](double y, const Line &line) { return y < line.y; });
    if (it != m_lines.begin())
        --it;
    for (; it != m_lines.end() && originY + it->y < area.bottom() + 1; ++it)
        m_layouts[it->layout]->lineAt(it->line).draw(&painter, origin);

    if (m_state.countdownRemaining >= 1) {
        painter.setTransform(unmirrored);
        painter.fillRect(area, ZunoGlassTokens::withAlpha(Qt::black, kDimOpacity));
        painter.setFont(ZunoFonts::rounded(kCountdownSize, QFont::Black));
        painter.setPen(accent());
        painter.drawText(area, Qt::AlignCenter, QString::number(m_state.countdownRemaining));
    }
    painter.restore();
}

#include "ZunoGlassSwitch.h"

#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTextFlags = Qt::TextWordWrap | Qt::AlignLeading | Qt::AlignTop;
// Room around the box for the focus ring, which is drawn just outside it.
constexpr int kRingMargin = 2;
constexpr qreal kDisabledOpacity = 0.45;

} // namespace

ZunoGlassSwitch::ZunoGlassSwitch(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
    , m_accent(ZunoGlassTokens::accentViolet())
    , m_textColor(ZunoGlassTokens::textPrimary())
{
    setCheckable(true);
    setText(text);
    setFont(ZunoFonts::system(kFontSize));
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    ZunoFocusRing::track(this);
}

void ZunoGlassSwitch::setAccent(const QColor &accent)
{
    m_accent = accent;
    update();
}

void ZunoGlassSwitch::setTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

QRectF ZunoGlassSwitch::boxRect() const
{
    const QFontMetrics metrics(font());
    // Centred on the first line of the label.
    const qreal top = kRingMargin + std::max<qreal>(0, (metrics.height() - kBoxSide) / 2);
    const QRect logical(kRingMargin, static_cast<int>(std::floor(top)), static_cast<int>(kBoxSide),
        static_cast<int>(kBoxSide));
    return QStyle::visualRect(layoutDirection(), rect(), logical);
}

int ZunoGlassSwitch::textWidthFor(int width) const
{
    return std::max(1, width - kRingMargin * 2 - static_cast<int>(kBoxSide) - kSpacing);
}

QRect ZunoGlassSwitch::textRect() const
{
    const int x = kRingMargin + static_cast<int>(kBoxSide) + kSpacing;
    const QRect logical(x, kRingMargin, textWidthFor(width()), height() - kRingMargin * 2);
    return QStyle::visualRect(layoutDirection(), rect(), logical);
}

QSize ZunoGlassSwitch::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int textWidth = text().isEmpty() ? 0 : metrics.horizontalAdvance(text()) + 1;
    const int width
        = kRingMargin * 2 + static_cast<int>(kBoxSide) + (textWidth > 0 ? kSpacing + textWidth : 0);
    return QSize(width, heightForWidth(width));
}

QSize ZunoGlassSwitch::minimumSizeHint() const
{
    // As narrow as the longest word: the rest wraps.
    const QFontMetrics metrics(font());
    int longestWord = 0;
    for (const QString &word : text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        longestWord = std::max(longestWord, metrics.horizontalAdvance(word) + 1);
    const int width
        = kRingMargin * 2 + static_cast<int>(kBoxSide) + (longestWord > 0 ? kSpacing + longestWord : 0);
    return QSize(width, heightForWidth(width));
}

int ZunoGlassSwitch::heightForWidth(int width) const
{
    const QFontMetrics metrics(font());
    int textHeight = metrics.height();
    if (!text().isEmpty())
        textHeight
            = metrics.boundingRect(QRect(0, 0, textWidthFor(width), 100000), kTextFlags, text()).height();
    return kRingMargin * 2 + std::max(textHeight, static_cast<int>(std::ceil(kBoxSide)));
}

bool ZunoGlassSwitch::hitButton(const QPoint &position) const
{
    return rect().contains(position);
}

void ZunoGlassSwitch::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange)
        updateGeometry();
    QAbstractButton::changeEvent(event);
}

void ZunoGlassSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(kDisabledOpacity);

    const QRectF box = boxRect();
    const bool on = isChecked();
    const bool hovered = isEnabled() && underMouse();
    QColor fill = on ? m_accent : ZunoGlassTokens::surface2();
    if (on && (isDown() || hovered))
        fill = fill.lighter(isDown() ? 90 : 112);
    else if (!on && (isDown() || hovered))
        fill = ZunoGlassTokens::surface3();
    painter.fillPath(ZunoContinuousShape::roundedRect(box, kBoxRadius), fill);
    const QColor edge = on ? m_accent.lighter(125)
                           : (hovered ? ZunoGlassTokens::borderStrong() : ZunoGlassTokens::borderSubtle());
    ZunoContinuousShape::strokeBorder(painter, box, kBoxRadius, edge);
    if (on) {
        QPainterPath check;
        check.moveTo(box.left() + box.width() * 0.26, box.top() + box.height() * 0.53);
        check.lineTo(box.left() + box.width() * 0.43, box.top() + box.height() * 0.70);
        check.lineTo(box.left() + box.width() * 0.75, box.top() + box.height() * 0.32);
        QPen pen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.drawPath(check);
    }
    // The ring goes round the whole control, box and label, in the margin kept free for it.
    const qreal inset = ZunoFocusRing::kLineWidth / 2.0;
    ZunoFocusRing::paintIfVisible(
        painter, this, QRectF(rect()).adjusted(inset, inset, -inset, -inset), kBoxRadius + kRingMargin);

    painter.setPen(m_textColor);
    painter.setFont(font());
    const int alignment = (layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft)
        | Qt::AlignTop | Qt::TextWordWrap;
    painter.drawText(textRect(), alignment, text());
}

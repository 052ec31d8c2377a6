#include "ZunoSegmentedControl.h"

#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QFont segmentFont()
{
    return ZunoFonts::system(11, QFont::Medium);
}

} // namespace

ZunoSegmentedControl::ZunoSegmentedControl(const QStringList &segments, QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    ZunoFocusRing::track(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setSegments(segments);
}

void ZunoSegmentedControl::setSegments(const QStringList &segments)
{
    m_segments = segments;
    const int previous = m_current;
    if (m_segments.isEmpty())
        m_current = -1;
    else if (m_current < 0 || m_current >= m_segments.size())
        m_current = 0;
    updateGeometry();
    update();
    if (m_current != previous)
        emit currentIndexChanged(m_current);
}

void ZunoSegmentedControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_segments.size() || index == m_current)
        return;
    m_current = index;
    update();
    emit currentIndexChanged(index);
}

void ZunoSegmentedControl::choose(int index)
{
    if (index < 0 || index >= m_segments.size() || index == m_current)
        return;
    setCurrentIndex(index);
    emit activated(index);
}

QRectF ZunoSegmentedControl::segmentRect(int index) const
{
    if (index < 0 || index >= m_segments.size())
        return {};
    const QRectF track = QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset);
    const qreal width = track.width() / m_segments.size();
    const int visual = layoutDirection() == Qt::RightToLeft ? int(m_segments.size()) - 1 - index : index;
    return QRectF(track.left() + visual * width, track.top(), width, track.height());
}

QSize ZunoSegmentedControl::sizeHint() const
{
    const QFontMetricsF metrics(segmentFont());
    qreal widest = 0;
    for (const QString &segment : m_segments)
        widest = std::max(widest, metrics.horizontalAdvance(segment));
    const qreal width = m_segments.size() * (widest + 2 * kHorizontalPadding) + 2 * kInset;
    const qreal height = metrics.height() + 2 * kVerticalPadding + 2 * kInset;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

QSize ZunoSegmentedControl::minimumSizeHint() const
{
    return QSize(static_cast<int>(m_segments.size() * 2 * kHorizontalPadding), sizeHint().height());
}

void ZunoSegmentedControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = rect();
    painter.fillPath(ZunoContinuousShape::roundedRect(bounds, kCornerRadius), ZunoGlassTokens::surface2());
    ZunoContinuousShape::strokeBorder(painter, bounds, kCornerRadius, ZunoGlassTokens::borderSubtle());

    const QFont font = segmentFont();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    for (int i = 0; i < m_segments.size(); ++i) {
        const QRectF area = segmentRect(i);
        const bool selected = i == m_current;
        if (selected) {
            const qreal radius = kCornerRadius - kInset;
            painter.fillPath(ZunoContinuousShape::roundedRect(area, radius), ZunoGlassTokens::surface3());
            if (hasFocus())
                ZunoContinuousShape::strokeBorder(painter, area, radius, ZunoGlassTokens::borderStrong());
        }
        painter.setPen(selected ? ZunoGlassTokens::textPrimary() : ZunoGlassTokens::textSecondary());
        painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine,
            metrics.elidedText(m_segments[i], Qt::ElideRight, area.width() - 4));
    }
    ZunoFocusRing::paintIfVisible(painter, this, bounds, kCornerRadius);
}

void ZunoSegmentedControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    for (int i = 0; i < m_segments.size(); ++i) {
        if (segmentRect(i).contains(event->position())) {
            choose(i);
            break;
        }
    }
}

void ZunoSegmentedControl::keyPressEvent(QKeyEvent *event)
{
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    int step = 0;
    if (event->key() == Qt::Key_Left)
        step = rtl ? 1 : -1;
    else if (event->key() == Qt::Key_Right)
        step = rtl ? -1 : 1;
    if (step == 0 || m_segments.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    choose(std::clamp(m_current + step, 0, int(m_segments.size()) - 1));
}

void ZunoSegmentedControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LayoutDirectionChange)
        update();
    QWidget::changeEvent(event);
}

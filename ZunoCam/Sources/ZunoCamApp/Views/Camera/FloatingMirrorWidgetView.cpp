#include "FloatingMirrorWidgetView.h"

#include "ZunoActivityIndicator.h"
#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoProductPalette.h"
#include "ZunoSymbolButton.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kPadding = 10;
constexpr int kSpacing = 6;
constexpr int kBadgePaddingX = 8;
constexpr int kBadgePaddingY = 4;
constexpr double kBadgeOpacity = 0.6;
constexpr double kCloseSize = 16;
constexpr double kCloseOpacity = 0.9;
constexpr double kBorderWidth = 1.5;
constexpr double kBorderOpacity = 0.8;

QFont badgeFont()
{
    return ZunoFonts::system(10, QFont::Bold);
}

// The part of a source of `source` size that fills `target` when scaled keeping the aspect ratio.
QRectF fillCrop(const QSizeF &source, const QSizeF &target)
{
    const double scale = std::max(target.width() / source.width(), target.height() / source.height());
    const QSizeF shown(target.width() / scale, target.height() / scale);
    return { (source.width() - shown.width()) / 2, (source.height() - shown.height()) / 2, shown.width(),
        shown.height() };
}

} // namespace

FloatingMirrorWidgetView::FloatingMirrorWidgetView(QWidget *parent)
    : QWidget(parent)
{
    resize(kWidth, kHeight);
    QColor closeColor = Qt::white;
    closeColor.setAlphaF(kCloseOpacity);
    m_close = new ZunoSymbolButton(QStringLiteral("xmark.circle.fill"), kCloseSize, closeColor, this);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setAccessibleName(QStringLiteral("Close"));
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        if (onClose)
            onClose();
    });
    m_spinner = new ZunoActivityIndicator(ZunoActivityIndicator::Size::small, this);
    layoutBadgeRow();
}

QString FloatingMirrorWidgetView::badgeText() const
{
    return m_autoFaceFraming ? QStringLiteral("Auto Framing") : QStringLiteral("Mirror");
}

void FloatingMirrorWidgetView::setAutoFaceFraming(bool on)
{
    if (on == m_autoFaceFraming)
        return;
    m_autoFaceFraming = on;
    layoutBadgeRow();
    update();
}

void FloatingMirrorWidgetView::setFrame(const QImage &frame)
{
    m_sourceFrame = frame;
    if (frame.isNull() || frame.width() < 1 || frame.height() < 1 || width() < 1 || height() < 1) {
        m_scaledFrame = QImage();
    } else {
        // One pass from the frame into an image of the view's pixels; painting then only copies it.
        const qreal ratio = devicePixelRatioF();
        QImage scaled(QSize(std::lround(width() * ratio), std::lround(height() * ratio)),
            QImage::Format_ARGB32_Premultiplied);
        scaled.setDevicePixelRatio(ratio);
        QPainter painter(&scaled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRectF(rect()), frame, fillCrop(frame.size(), size()));
        painter.end();
        m_scaledFrame = std::move(scaled);
    }
    m_spinner->setVisible(m_scaledFrame.isNull());
    update();
}

void FloatingMirrorWidgetView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutBadgeRow();
    if (!m_sourceFrame.isNull())
        setFrame(m_sourceFrame);
}

void FloatingMirrorWidgetView::layoutBadgeRow()
{
    const QSize closeSize = m_close->sizeHint();
    const QFontMetricsF metrics(badgeFont());
    const int badgeHeight = static_cast<int>(std::ceil(metrics.height())) + 2 * kBadgePaddingY;
    const int rowHeight = std::max(badgeHeight, closeSize.height());
    const int closeLeft = width() - kPadding - closeSize.width();
    m_close->setGeometry(
        closeLeft, kPadding + (rowHeight - closeSize.height()) / 2, closeSize.width(), closeSize.height());
    const int badgeWidth
        = static_cast<int>(std::ceil(metrics.horizontalAdvance(badgeText()))) + 2 * kBadgePaddingX;
    m_badgeRect = QRect(
        closeLeft - kSpacing - badgeWidth, kPadding + (rowHeight - badgeHeight) / 2, badgeWidth, badgeHeight);
    const QSize spinnerSize = m_spinner->sizeHint();
    m_spinner->move((width() - spinnerSize.width()) / 2, (height() - spinnerSize.height()) / 2);
}

void FloatingMirrorWidgetView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const QPainterPath shape = ZunoContinuousShape::roundedRect(bounds, kCornerRadius);
    painter.setClipPath(shape);
    if (m_scaledFrame.isNull())
        painter.fillRect(rect(), kPlaceholder);
    else
        painter.drawImage(QPointF(0, 0), m_scaledFrame);

    QColor badgeFill = Qt::black;
    badgeFill.setAlphaF(kBadgeOpacity);
    painter.fillPath(ZunoContinuousShape::capsule(m_badgeRect), badgeFill);
    painter.setFont(badgeFont());
    painter.setPen(Qt::white);
    painter.drawText(m_badgeRect, Qt::AlignCenter, badgeText());

    painter.setClipping(false);
    QColor border = ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
    border.setAlphaF(kBorderOpacity);
    ZunoContinuousShape::strokeBorder(painter, bounds, kCornerRadius, border, kBorderWidth);
}

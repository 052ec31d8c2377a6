#include "ZunoButton.h"

#include "ZunoActivityIndicator.h"
#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoSymbolRegistry.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

ZunoButton::ZunoButton(const QString &text, std::shared_ptr<const ZunoButtonStyle> style, QWidget *parent)
    : QAbstractButton(parent)
    , m_style(std::move(style))
    , m_animation(new QVariantAnimation(this))
{
    setText(text);
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    setAttribute(Qt::WA_Hover);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_pressProgress = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, &ZunoButton::followPressedState);
    connect(this, &QAbstractButton::released, this, &ZunoButton::followPressedState);
}

void ZunoButton::setButtonStyle(std::shared_ptr<const ZunoButtonStyle> style)
{
    m_animation->stop();
    m_style = std::move(style);
    m_pressProgress = isDown() ? 1 : 0;
    m_drawnDown = isDown();
    updateGeometry();
    update();
}

void ZunoButton::setSymbol(const QString &name)
{
    if (name == m_symbol)
        return;
    m_symbol = name;
    updateGeometry();
    update();
}

void ZunoButton::setSymbolColor(std::optional<QColor> color)
{
    m_symbolColor = color;
    update();
}

void ZunoButton::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy && !m_spin) {
        m_spin = new QVariantAnimation(this);
        m_spin->setStartValue(0.0);
        m_spin->setEndValue(360.0);
        m_spin->setDuration(ZunoActivityIndicator::kTurnMs);
        m_spin->setLoopCount(-1);
        connect(m_spin, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
            m_spinAngle = value.toReal();
            update();
        });
    }
    if (busy)
        m_spin->start();
    else if (m_spin)
        m_spin->stop();
    updateGeometry();
    update();
}

void ZunoButton::followPressedState()
{
    const bool down = isDown();
    if (down == m_drawnDown)
        return;
    m_drawnDown = down;
    const int duration = m_style->pressDurationMs();
    const qreal target = down ? 1.0 : 0.0;
    m_animation->stop();
    if (duration <= 0) {
        m_pressProgress = target;
        update();
        return;
    }
    // A reversal midway continues from where the button is drawn, over the full duration.
    m_animation->setStartValue(m_pressProgress);
    m_animation->setEndValue(target);
    m_animation->setDuration(duration);
    m_animation->setEasingCurve(m_style->pressEasing());
    m_animation->start();
}

QFont ZunoButton::detailFont() const
{
    return ZunoFonts::system(std::max<qreal>(1, ZunoFonts::size(m_style->font()) - 2));
}

void ZunoButton::setDetail(const QString &detail)
{
    if (m_detail == detail)
        return;
    m_detail = detail;
    updateGeometry();
    update();
}

void ZunoButton::setLabelAlignment(Qt::Alignment alignment)
{
    m_labelAlignment = alignment;
    update();
}

bool ZunoButton::isTextElided() const
{
    const QMarginsF padding = m_style->padding();
    return width() - padding.left() - padding.right() + 0.5 < labelSize().width();
}

QSizeF ZunoButton::labelSize() const
{
    const QFontMetricsF metrics(m_style->font());
    qreal width = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    qreal height = metrics.height();
    if (!m_detail.isEmpty()) {
        const QFontMetricsF detail(detailFont());
        width = std::max(width, detail.horizontalAdvance(m_detail));
        height += kDetailSpacing + detail.height();
    }
    if (!m_symbol.isEmpty() || m_busy) {
        const qreal side = ZunoSymbolRegistry::sideForFont(m_style->font());
        width += side + (text().isEmpty() ? 0 : kLabelSpacing);
        height = std::max(height, side);
    }
    return { width, height };
}

QSize ZunoButton::sizeHint() const
{
    const QSizeF label = labelSize();
    const QMarginsF padding = m_style->padding();
    return QSize(static_cast<int>(std::ceil(label.width() + padding.left() + padding.right())),
        static_cast<int>(std::ceil(label.height() + padding.top() + padding.bottom())));
}

QSize ZunoButton::minimumSizeHint() const
{
    const QMarginsF padding = m_style->padding();
    const qreal symbol = m_symbol.isEmpty() && !m_busy ? 0 : ZunoSymbolRegistry::sideForFont(m_style->font());
    return QSize(static_cast<int>(std::ceil(symbol + padding.left() + padding.right())), sizeHint().height());
}

bool ZunoButton::hitButton(const QPoint &pos) const
{
    return ZunoContinuousShape::roundedRect(rect(), m_style->cornerRadius())
        .contains(QPointF(pos) + QPointF(0.5, 0.5));
}

void ZunoButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange)
        updateGeometry();
    QAbstractButton::changeEvent(event);
}

void ZunoButton::paintButton(QPainter &painter) const
{
    const QRectF bounds = rect();
    const qreal scale = m_style->scale(m_pressProgress);
    if (scale != 1) {
        painter.translate(bounds.center());
        painter.scale(scale, scale);
        painter.translate(-bounds.center());
    }
    m_style->paintBackground(painter, bounds, m_pressProgress);

    const QRectF content = bounds.marginsRemoved(m_style->padding());
    const QSizeF label = labelSize();
    const qreal width = std::min(label.width(), content.width());
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    qreal left = content.center().x() - width / 2;
    if (m_labelAlignment & Qt::AlignLeading)
        left = rtl ? content.right() - width : content.left();
    QRectF box(left, content.top(), width, content.height());
    QRectF textBox = box;
    if (!m_symbol.isEmpty() || m_busy) {
        const qreal side = ZunoSymbolRegistry::sideForFont(m_style->font());
        const QRectF symbolBox(
            rtl ? box.right() - side : box.left(), box.center().y() - side / 2, side, side);
        const QColor color = m_symbolColor.value_or(m_style->foreground());
        if (m_busy) {
            // The design's spinner at its mini size, in the label's colour (it stands on the fill).
            const qreal mini = ZunoActivityIndicator::kMiniSide;
            ZunoActivityIndicator::paint(painter,
                QRectF(symbolBox.center().x() - mini / 2, symbolBox.center().y() - mini / 2, mini, mini),
                color, m_spinAngle / 360);
        } else {
            ZunoSymbolRegistry::paint(painter, symbolBox, m_symbol, color);
        }
        const qreal used = side + kLabelSpacing;
        textBox = rtl ? box.adjusted(0, 0, -used, 0) : box.adjusted(used, 0, 0, 0);
    }
    if (!text().isEmpty() && textBox.width() > 0) {
        painter.setFont(m_style->font());
        painter.setPen(m_style->foreground());
        const QFontMetricsF metrics(m_style->font());
        const QString shown = metrics.elidedText(text(), Qt::ElideRight, textBox.width() + 0.5);
        const int horizontal = rtl ? Qt::AlignRight : Qt::AlignLeft;
        if (m_detail.isEmpty()) {
            painter.drawText(textBox, Qt::AlignVCenter | horizontal | Qt::TextSingleLine, shown);
        } else {
            // The two lines together are centred in the box.
            const QFont small = detailFont();
            const QFontMetricsF detailMetrics(small);
            const qreal total = metrics.height() + kDetailSpacing + detailMetrics.height();
            const qreal top = textBox.center().y() - total / 2;
            painter.drawText(QRectF(textBox.left(), top, textBox.width(), metrics.height()),
                Qt::AlignVCenter | horizontal | Qt::TextSingleLine, shown);
            QColor dimmed = m_style->foreground();
            dimmed.setAlphaF(dimmed.alphaF() * 0.7f);
            painter.setFont(small);
            painter.setPen(dimmed);
            painter.drawText(QRectF(textBox.left(), top + metrics.height() + kDetailSpacing, textBox.width(),
                                 detailMetrics.height()),
                Qt::AlignVCenter | horizontal | Qt::TextSingleLine,
                detailMetrics.elidedText(m_detail, Qt::ElideRight, textBox.width() + 0.5));
        }
    }
}

void ZunoButton::paintEvent(QPaintEvent *)
{
    if (isDown() != m_drawnDown)
        followPressedState();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal opacity = m_style->opacity(m_pressProgress) * (isEnabled() ? 1 : kDisabledOpacity);
    if (opacity >= 1) {
        paintButton(painter);
        ZunoFocusRing::paintIfVisible(painter, this, rect(), m_style->cornerRadius());
        return;
    }
    // The opacity applies to the button as one picture, not to each of its strokes and fills.
    const qreal dpr = devicePixelRatioF();
    QImage layer((QSizeF(size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHint(QPainter::Antialiasing);
        layerPainter.setRenderHint(QPainter::TextAntialiasing);
        paintButton(layerPainter);
    }
    painter.setOpacity(opacity);
    painter.drawImage(QPointF(0, 0), layer);
    painter.setOpacity(1);
    ZunoFocusRing::paintIfVisible(painter, this, rect(), m_style->cornerRadius());
}

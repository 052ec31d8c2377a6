#include "ZunoToastBanner.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QFont messageFont()
{
    return ZunoFonts::style(ZunoTextStyle::callout, QFont::Medium);
}
// The symbol has no font of its own and takes the body size.
qreal symbolSide()
{
    return ZunoSymbolRegistry::sideForFont(ZunoFonts::style(ZunoTextStyle::body));
}

// A Gaussian blur of the alpha channel (the shadow is one colour), standard deviation sigma in pixels.
void blurAlpha(QImage &image, qreal sigma)
{
    const int radius = static_cast<int>(std::ceil(sigma * 3));
    std::vector<float> kernel(2 * radius + 1);
    float sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += kernel[i + radius] = std::exp(-(i * i) / (2 * sigma * sigma));
    for (float &k : kernel)
        k /= sum;
    const int w = image.width();
    const int h = image.height();
    std::vector<float> alpha(w * h);
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[y * w + x] = qAlpha(line[x]);
    }
    std::vector<float> pass(w * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float v = 0;
            for (int i = -radius; i <= radius; ++i)
                v += kernel[i + radius] * alpha[y * w + std::clamp(x + i, 0, w - 1)];
            pass[y * w + x] = v;
        }
    }
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float v = 0;
            for (int i = -radius; i <= radius; ++i)
                v += kernel[i + radius] * pass[std::clamp(y + i, 0, h - 1) * w + x];
            line[x] = qRgba(0, 0, 0, std::clamp(static_cast<int>(std::lround(v)), 0, 255));
        }
    }
}

} // namespace

ZunoToastBanner::ZunoToastBanner(const QString &message, bool isError, QWidget *parent)
    : QWidget(parent)
    , m_message(message)
    , m_isError(isError)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString ZunoToastBanner::symbolName() const
{
    return m_isError ? QStringLiteral("exclamationmark.triangle.fill")
                     : QStringLiteral("checkmark.circle.fill");
}

QColor ZunoToastBanner::symbolColor() const
{
    return m_isError ? ZunoGlassTokens::warning() : ZunoGlassTokens::success();
}

QSizeF ZunoToastBanner::capsuleSize() const
{
    const QFontMetricsF metrics(messageFont());
    const qreal side = symbolSide();
    const qreal width = side + kSpacing + metrics.horizontalAdvance(m_message);
    const qreal height = std::max(side, metrics.height());
    return { width + 2 * kHorizontalPadding, height + 2 * kVerticalPadding };
}

QMargins ZunoToastBanner::shadowMargins() const
{
    const int blur = static_cast<int>(kShadowRadius);
    const int offset = static_cast<int>(kShadowOffsetY);
    return QMargins(blur, blur - offset, blur, blur + offset);
}

QSize ZunoToastBanner::sizeHint() const
{
    const QSizeF capsule = capsuleSize();
    const QMargins m = shadowMargins();
    return QSize(static_cast<int>(std::ceil(capsule.width())) + m.left() + m.right(),
        static_cast<int>(std::ceil(capsule.height())) + m.top() + m.bottom());
}

QRectF ZunoToastBanner::capsuleRect() const
{
    return QRectF(rect().marginsRemoved(shadowMargins()));
}

void ZunoToastBanner::resizeEvent(QResizeEvent *event)
{
    m_shadow = QImage();
    QWidget::resizeEvent(event);
}

const QImage &ZunoToastBanner::shadow()
{
    const qreal dpr = devicePixelRatioF();
    if (m_shadow.isNull() || !qFuzzyCompare(m_shadow.devicePixelRatio(), dpr)) {
        QImage mask((QSizeF(size()) * dpr).toSize(), QImage::Format_ARGB32);
        mask.fill(Qt::transparent);
        {
            QPainter painter(&mask);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(dpr, dpr);
            // A shadow is as dense as what casts it: the shadow colour times the capsule's opacity.
            QColor shade(Qt::black);
            shade.setAlphaF(static_cast<float>(kShadowOpacity * kFillOpacity));
            painter.fillPath(
                ZunoContinuousShape::capsule(capsuleRect().translated(0, kShadowOffsetY)), shade);
        }
        // The shadow's radius is its blur's reach; the Gaussian's deviation is half of it.
        blurAlpha(mask, kShadowRadius / 2 * dpr);
        mask.setDevicePixelRatio(dpr);
        m_shadow = mask.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return m_shadow;
}

void ZunoToastBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawImage(QPointF(0, 0), shadow());

    const QRectF capsule = capsuleRect();
    QColor fill(Qt::black);
    fill.setAlphaF(static_cast<float>(kFillOpacity));
    painter.fillPath(ZunoContinuousShape::capsule(capsule), fill);
    ZunoContinuousShape::strokeBorder(painter, capsule, -1, ZunoGlassTokens::borderSubtle());

    const QRectF content
        = capsule.adjusted(kHorizontalPadding, kVerticalPadding, -kHorizontalPadding, -kVerticalPadding);
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const qreal side = symbolSide();
    const QRectF symbolBox(
        rtl ? content.right() - side : content.left(), content.center().y() - side / 2, side, side);
    ZunoSymbolRegistry::paint(painter, symbolBox, symbolName(), symbolColor());

    const qreal used = side + kSpacing;
    const QRectF textBox = rtl ? content.adjusted(0, 0, -used, 0) : content.adjusted(used, 0, 0, 0);
    const QFont font = messageFont();
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString shown = QFontMetricsF(font).elidedText(m_message, Qt::ElideRight, textBox.width() + 0.5);
    painter.drawText(
        textBox, Qt::AlignVCenter | (rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::TextSingleLine, shown);
}

#include "ZunoAppEmblem.h"

#include "ZunoEmblemRenderer.h"

#include <QPainter>

#include <cmath>

namespace {

// The renderer is always asked for a 2x image; the frame scales it.
constexpr qreal kImageScale = 2;

// The side of the frame: a negative or non-finite size shows nothing.
qreal frameSide(qreal size)
{
    return std::isfinite(size) && size > 0 ? size : 0;
}

} // namespace

ZunoAppEmblem::ZunoAppEmblem(ZunoAppIdentity app, qreal size, bool asTemplate, QWidget *parent)
    : QWidget(parent)
    , m_app(app)
    , m_size(size)
    , m_asTemplate(asTemplate)
{
    const int side = static_cast<int>(std::ceil(std::min<qreal>(frameSide(size), QWIDGETSIZE_MAX)));
    setFixedSize(side, side);
    setAttribute(Qt::WA_TranslucentBackground);
}

QSize ZunoAppEmblem::sizeHint() const
{
    return minimumSize();
}

void ZunoAppEmblem::paintEvent(QPaintEvent *)
{
    const qreal side = frameSide(m_size);
    if (side <= 0)
        return;
    const ZunoEmblemImage emblem = ZunoEmblemRenderer::image(m_app, m_size, kImageScale, m_asTemplate);
    QImage picture = emblem.bitmap;
    if (emblem.isTemplate) {
        // Keep the alpha shape, take the colour of the surrounding foreground.
        picture = picture.copy();
        QPainter tint(&picture);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(picture.rect(), palette().color(foregroundRole()));
    }
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF frame((width() - side) / 2, (height() - side) / 2, side, side);
    painter.drawImage(frame, picture);
}

#include "ZunoBrandMark.h"

#include "ZunoAppEmblem.h"
#include "ZunoHexColor.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace ZunoBrandMarkGeometry {

const Piece &topRightPiece()
{
    static const Piece piece { { { 31.95, 3.93 }, { 46.21, 12.7 }, { 46.21, 28.72 }, { 60.73, 37.39 },
        { 49.34, 43.59 }, { 34.02, 34.57 }, { 34.07, 18.85 }, { 20.96, 10.63 } } };
    return piece;
}

const Piece &leftPiece()
{
    static const Piece piece { { { 17.69, 12.39 }, { 29.83, 19.8 }, { 29.83, 34.67 }, { 13.65, 44.25 },
        { 13.71, 59.01 }, { 1.81, 51.66 }, { 1.86, 38.05 }, { 17.69, 28.47 } } };
    return piece;
}

const Piece &bottomRightPiece()
{
    static const Piece piece { { { 31.95, 38.1 }, { 48.48, 47.98 }, { 62.19, 40.27 }, { 62.19, 51.66 },
        { 48.08, 60.07 }, { 31.9, 50.8 }, { 16.28, 59.62 }, { 16.33, 47.27 } } };
    return piece;
}

const std::vector<Piece> &allPieces()
{
    static const std::vector<Piece> pieces { topRightPiece(), leftPiece(), bottomRightPiece() };
    return pieces;
}

} // namespace ZunoBrandMarkGeometry

namespace {

int frameSide(qreal size)
{
    return std::isfinite(size) && size > 0 ? static_cast<int>(std::ceil(std::min<qreal>(size, 4096))) : 0;
}

} // namespace

ZunoBrandMark::ZunoBrandMark(qreal size, ZunoBrandMarkStyle style, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
    , m_style(style)
    , m_identityProvider(&ZunoAppIdentities::current)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(frameSide(size), frameSide(size));
    resolveBody();
}

void ZunoBrandMark::setStyle(ZunoBrandMarkStyle style)
{
    m_style = style;
    resolveBody();
}

void ZunoBrandMark::setIdentityProvider(IdentityProvider provider)
{
    m_identityProvider = provider ? std::move(provider) : IdentityProvider(&ZunoAppIdentities::current);
    resolveBody();
}

QSize ZunoBrandMark::sizeHint() const
{
    return minimumSize();
}

void ZunoBrandMark::resolveBody()
{
    std::optional<ZunoAppIdentity> app;
    switch (m_style.kind()) {
    case ZunoBrandMarkStyle::Kind::app:
        app = m_style.identity();
        break;
    case ZunoBrandMarkStyle::Kind::currentApp:
        app = m_identityProvider();
        break;
    case ZunoBrandMarkStyle::Kind::tindrelSuite:
        break;
    }
    if (m_emblem && (!app || m_emblem->app() != *app)) {
        delete m_emblem;
        m_emblem = nullptr;
    }
    if (app && !m_emblem) {
        // The brand mark always shows an emblem in its own colours.
        m_emblem = new ZunoAppEmblem(*app, m_size, false, this);
        m_emblem->move((width() - m_emblem->width()) / 2, (height() - m_emblem->height()) / 2);
        m_emblem->setVisible(true);
    }
    update();
}

void ZunoBrandMark::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_style.kind() == ZunoBrandMarkStyle::Kind::currentApp)
        resolveBody();
}

void ZunoBrandMark::paintEvent(QPaintEvent *)
{
    if (m_emblem)
        return;
    const qreal side = frameSide(m_size) > 0 ? m_size : 0;
    if (side <= 0)
        return;
    QPainter painter(this);
    paintSuiteLogo(painter, QRectF((width() - side) / 2, (height() - side) / 2, side, side));
}

void ZunoBrandMark::paintSuiteLogo(QPainter &painter, const QRectF &rect)
{
    const qreal w = rect.width();
    const qreal h = rect.height();
    QLinearGradient silver(rect.topLeft(), rect.topLeft() + QPointF(w, h));
    silver.setColorAt(0, Qt::white);
    silver.setColorAt(0.55, zunoColorFromHex(0xEEF1F6));
    silver.setColorAt(1, zunoColorFromHex(0xC3CAD8));
    QLinearGradient sheen(rect.topLeft() + QPointF(0, h), rect.topLeft() + QPointF(w, 0));
    QColor clear(Qt::white);
    clear.setAlphaF(0);
    QColor bright(Qt::white);
    bright.setAlphaF(0.55f);
    // Outside the band the sheen is transparent: the pad spread keeps the end stops' colour.
    sheen.setColorAt(0.3, clear);
    sheen.setColorAt(0.5, bright);
    sheen.setColorAt(0.7, clear);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const qreal sx = w / ZunoBrandMarkGeometry::viewBoxSize;
    const qreal sy = h / ZunoBrandMarkGeometry::viewBoxSize;
    for (const auto &piece : ZunoBrandMarkGeometry::allPieces()) {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        path.moveTo(rect.left() + piece[0].x() * sx, rect.top() + piece[0].y() * sy);
        for (std::size_t i = 1; i < piece.size(); ++i)
            path.lineTo(rect.left() + piece[i].x() * sx, rect.top() + piece[i].y() * sy);
        path.closeSubpath();
        painter.fillPath(path, silver);
        painter.fillPath(path, sheen);
    }
    painter.restore();
}

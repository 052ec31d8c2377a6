#include "LaserCanvasDrawing.h"

#include "LaserCanvasState.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDimAlpha = 0.32;
constexpr double kSpotlightShadeAlpha = 0.6;
constexpr double kSpotlightRingWidth = 3;
constexpr double kLineWidth = 4.5;
constexpr double kArrowHeadLength = 18;
constexpr double kArrowHeadAngle = std::numbers::pi / 6;
constexpr double kBoxFillAlpha = 0.14;
constexpr double kBoxBorderWidth = 3.5;
constexpr double kBoxPreviewWidth = 3;
constexpr double kStampTextSize = 16;
constexpr double kTrailMinimumWidth = 1.5;
constexpr double kTrailWidthRange = 6.5;
constexpr double kLegendRadius = 15;
constexpr double kLegendTextInset = 12;
constexpr double kLegendTextAlpha = 0.92;
constexpr int kLegendLargestSize = 11;
const QColor kLegendFill = QColor::fromRgbF(0.09f, 0.04f, 0.10f, 0.86f);

QPen linePen(const QColor &color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QFont legendFont(int size)
{
    return ZunoFonts::monospaced(size, QFont::DemiBold);
}

void strokePolyline(QPainter &painter, const std::vector<QPointF> &points, const QColor &color)
{
    painter.setPen(linePen(color, kLineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void drawArrow(QPainter &painter, QPointF start, QPointF end, const QColor &color)
{
    painter.setPen(linePen(color, kLineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(start, end);
    const double angle = std::atan2(end.y() - start.y(), end.x() - start.x());
    const QPointF h1 = end
        - kArrowHeadLength * QPointF(std::cos(angle - kArrowHeadAngle), std::sin(angle - kArrowHeadAngle));
    const QPointF h2 = end
        - kArrowHeadLength * QPointF(std::cos(angle + kArrowHeadAngle), std::sin(angle + kArrowHeadAngle));
    const QPointF head[] = { h1, end, h2 };
    painter.drawPolyline(head, 3);
}

void drawAnnotation(QPainter &painter, const AnnotationItem &item)
{
    if (const auto *pen = std::get_if<AnnotationItem::Pen>(&item.shape)) {
        strokePolyline(painter, pen->points, item.color);
    } else if (const auto *arrow = std::get_if<AnnotationItem::Arrow>(&item.shape)) {
        drawArrow(painter, arrow->start, arrow->end, item.color);
    } else if (const auto *box = std::get_if<AnnotationItem::Box>(&item.shape)) {
        painter.fillRect(box->rect, ZunoGlassTokens::withAlpha(item.color, kBoxFillAlpha));
        painter.setPen(linePen(item.color, kBoxBorderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box->rect);
    } else if (const auto *stamp = std::get_if<AnnotationItem::Stamp>(&item.shape)) {
        const double radius = LaserCanvasDrawing::kStampDiameter / 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(item.color);
        painter.drawEllipse(stamp->centre, radius, radius);
        // The digits' ink centred on the disc.
        static const QFont font = ZunoFonts::system(kStampTextSize, QFont::Black);
        const QString text = QString::number(stamp->number);
        const QRectF ink = QFontMetricsF(font).tightBoundingRect(text);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(stamp->centre - ink.center(), text);
    }
}

} // namespace

QString LaserCanvasDrawing::legendText()
{
    return QStringLiteral(
        "ZunoCam \u00b7 [L]aser [P]en [A]rrow [R]ect [N]umber [S]pot \u00b7 [1-5] Color \u00b7 [B] Dim "
        "\u00b7 [Z] Undo \u00b7 [C] Clear \u00b7 [ESC] Exit");
}

QRectF LaserCanvasDrawing::legendRect(const QRectF &bounds)
{
    return { bounds.center().x() - kLegendWidth / 2, bounds.top() + kLegendTop, kLegendWidth, kLegendHeight };
}

int LaserCanvasDrawing::legendTextSize()
{
    static const int size = [] {
        const QString text = legendText();
        for (int candidate = kLegendLargestSize; candidate > 1; --candidate) {
            if (QFontMetricsF(legendFont(candidate)).horizontalAdvance(text)
                <= kLegendWidth - 2 * kLegendTextInset)
                return candidate;
        }
        return 1;
    }();
    return size;
}

QRectF LaserCanvasDrawing::annotationBounds(const AnnotationItem &item)
{
    // Stroke half-widths, round caps and a pixel of antialiasing around the geometry.
    QRectF shape;
    double margin = kLineWidth / 2 + 2;
    if (const auto *pen = std::get_if<AnnotationItem::Pen>(&item.shape)) {
        if (!pen->points.empty()) {
            QPointF low = pen->points.front(), high = low;
            for (const QPointF &point : pen->points) {
                low = QPointF(std::min(low.x(), point.x()), std::min(low.y(), point.y()));
                high = QPointF(std::max(high.x(), point.x()), std::max(high.y(), point.y()));
            }
            shape = QRectF(low, high);
        }
    } else if (const auto *arrow = std::get_if<AnnotationItem::Arrow>(&item.shape)) {
        shape = QRectF(arrow->start, arrow->end).normalized();
        margin += kArrowHeadLength;
    } else if (const auto *box = std::get_if<AnnotationItem::Box>(&item.shape)) {
        shape = box->rect.normalized();
        margin = kBoxBorderWidth / 2 + 2;
    } else if (const auto *stamp = std::get_if<AnnotationItem::Stamp>(&item.shape)) {
        shape = QRectF(stamp->centre, QSizeF(0, 0));
        margin = kStampDiameter / 2 + 2;
    }
    return shape.adjusted(-margin, -margin, margin, margin);
}

QRectF LaserCanvasDrawing::spotlightBounds(QPointF cursor)
{
    const double reach = kSpotlightDiameter / 2 + kSpotlightRingWidth / 2 + 2;
    return { cursor.x() - reach, cursor.y() - reach, 2 * reach, 2 * reach };
}

void LaserCanvasDrawing::paintBackground(
    const LaserCanvasState &state, QPainter &painter, const QRectF &bounds, const QImage *backdrop)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Clear, or the frozen picture of the screen where nothing composites.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (backdrop && !backdrop->isNull())
        painter.drawImage(bounds, *backdrop);
    else
        painter.fillRect(bounds, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (state.dimBackdrop() && state.mode() != PresentationOverlayMode::cursorSpotlight)
        painter.fillRect(bounds, QColor::fromRgbF(0, 0, 0, kDimAlpha));
    painter.restore();
}

void LaserCanvasDrawing::paintSpotlight(
    const LaserCanvasState &state, QPainter &painter, const QRectF &bounds)
{
    if (state.mode() != PresentationOverlayMode::cursorSpotlight)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = kSpotlightDiameter / 2;
    QPainterPath shade;
    shade.setFillRule(Qt::OddEvenFill);
    shade.addRect(bounds);
    shade.addEllipse(state.cursorLocation(), radius, radius);
    painter.fillPath(shade, QColor::fromRgbF(0, 0, 0, kSpotlightShadeAlpha));
    painter.setPen(linePen(state.currentColor(), kSpotlightRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(state.cursorLocation(), radius, radius);
    painter.restore();
}

void LaserCanvasDrawing::paintAnnotations(
    const LaserCanvasState &state, QPainter &painter, const QRectF *area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const AnnotationItem &item : state.annotations()) {
        if (!area || annotationBounds(item).intersects(*area))
            drawAnnotation(painter, item);
    }
    painter.restore();
}

void LaserCanvasDrawing::paintLive(
    const LaserCanvasState &state, QPainter &painter, const QRectF &bounds, double now, const QRectF *area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = state.currentColor();
    if (state.currentPenStroke().size() >= 2)
        strokePolyline(painter, state.currentPenStroke(), color);
    if (const std::optional<QPointF> start = state.dragStart()) {
        if (state.mode() == PresentationOverlayMode::highlightBox) {
            painter.setPen(linePen(color, kBoxPreviewWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(LaserCanvasState::spannedRect(*start, state.cursorLocation()));
        } else if (state.mode() == PresentationOverlayMode::arrowTool) {
            drawArrow(painter, *start, state.cursorLocation(), color);
        }
    }

    const std::vector<TimedPoint> &trail = state.laserTrail();
    for (std::size_t i = 1; i < trail.size(); ++i) {
        const double life = std::max(0.0, 1 - (now - trail[i].time) / LaserCanvasState::kTrailLife);
        painter.setPen(
            linePen(ZunoGlassTokens::withAlpha(color, life), kTrailMinimumWidth + kTrailWidthRange * life));
        painter.drawLine(trail[i - 1].point, trail[i].point);
    }

    const QRectF pill = legendRect(bounds);
    if (!area || pill.adjusted(-1, -1, 1, 1).intersects(*area)) {
        QPainterPath pillPath;
        pillPath.addRoundedRect(pill, kLegendRadius, kLegendRadius);
        painter.fillPath(pillPath, kLegendFill);
        painter.setFont(legendFont(legendTextSize()));
        painter.setPen(ZunoGlassTokens::withAlpha(Qt::white, kLegendTextAlpha));
        painter.drawText(pill, Qt::AlignCenter | Qt::TextSingleLine, legendText());
    }
    painter.restore();
}

void LaserCanvasDrawing::onOneThread(const QPainter &painter, const std::function<void()> &paint)
{
    // Qt's raster engine hands every fill of more than about a hundred spans (a large rectangle, an
    // antialiased stroke) to its global thread pool, unless the painting thread is one of that pool's.
    // Over a whole frame that is hundreds of wake-ups and waits, three times the work itself when the
    // cores are shared. One pool thread paints the whole frame instead, while the caller waits; when
    // no pool thread is free, the caller paints. Only for image painters: a widget paints on its own
    // thread.
    QThreadPool *pool = QThreadPool::globalInstance();
    const QPaintDevice *device = painter.device();
    if (!device || device->devType() != QInternal::Image || pool->contains(QThread::currentThread())) {
        paint();
        return;
    }
    QSemaphore done;
    if (!pool->tryStart([&] {
            paint();
            done.release();
        })) {
        paint();
        return;
    }
    done.acquire();
}

void LaserCanvasDrawing::paint(const LaserCanvasState &state, QPainter &painter, const QRectF &bounds,
    double now, const QImage *backdrop)
{
    onOneThread(painter, [&] {
        paintBackground(state, painter, bounds, backdrop);
        paintSpotlight(state, painter, bounds);
        paintAnnotations(state, painter);
        paintLive(state, painter, bounds, now);
    });
}

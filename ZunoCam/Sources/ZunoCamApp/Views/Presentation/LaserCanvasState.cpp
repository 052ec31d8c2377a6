#include "LaserCanvasState.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kPaletteAlpha = 0.96;
// The widest trail stroke (1.5 + 6.5 at full life), for repaint bounds.
constexpr double kWidestTrailStroke = 8;

} // namespace

LaserCanvasState::LaserCanvasState(Clock clock, PresentationOverlayMode mode)
    : m_clock(std::move(clock))
    , m_mode(mode)
{
}

const std::array<QColor, LaserCanvasState::kPaletteSize> &LaserCanvasState::palette()
{
    static const std::array<QColor, kPaletteSize> colors = [] {
        const auto rgb = [](float r, float g, float b) { return QColor::fromRgbF(r, g, b, kPaletteAlpha); };
        return std::array<QColor, kPaletteSize> { rgb(0.96f, 0.45f, 0.82f), rgb(0.22f, 0.91f, 1.0f),
            rgb(0.28f, 0.90f, 0.76f), rgb(1.0f, 0.72f, 0.30f), rgb(1.0f, 1.0f, 1.0f) };
    }();
    return colors;
}

bool LaserCanvasState::mouseDown(QPointF point)
{
    m_cursorLocation = point;
    switch (m_mode) {
    case PresentationOverlayMode::fadingLaser:
        m_laserTrail.push_back({ point, m_clock() });
        break;
    case PresentationOverlayMode::freehandPen:
        m_currentPenStroke = { point };
        break;
    case PresentationOverlayMode::arrowTool:
    case PresentationOverlayMode::highlightBox:
        m_dragStart = point;
        break;
    case PresentationOverlayMode::numberedStamp:
        addAnnotation({ AnnotationItem::Stamp { point, m_nextStampNumber }, currentColor() });
        ++m_nextStampNumber;
        break;
    case PresentationOverlayMode::cursorSpotlight:
        break;
    }
    return true;
}

void LaserCanvasState::addAnnotation(AnnotationItem item)
{
    m_annotations.push_back(std::move(item));
    ++m_drawingRevision;
}

bool LaserCanvasState::mouseDragged(QPointF point)
{
    m_cursorLocation = point;
    if (m_mode == PresentationOverlayMode::fadingLaser)
        m_laserTrail.push_back({ point, m_clock() });
    else if (m_mode == PresentationOverlayMode::freehandPen)
        m_currentPenStroke.push_back(point);
    return true;
}

bool LaserCanvasState::mouseUp(QPointF point)
{
    switch (m_mode) {
    case PresentationOverlayMode::freehandPen:
        if (m_currentPenStroke.size() >= 2)
            addAnnotation({ AnnotationItem::Pen { m_currentPenStroke }, currentColor() });
        m_currentPenStroke.clear();
        break;
    case PresentationOverlayMode::arrowTool:
        if (m_dragStart)
            addAnnotation({ AnnotationItem::Arrow { *m_dragStart, point }, currentColor() });
        m_dragStart.reset();
        break;
    case PresentationOverlayMode::highlightBox:
        if (m_dragStart) {
            const QRectF rect = spannedRect(*m_dragStart, point);
            if (rect.width() > kMinimumBoxSide && rect.height() > kMinimumBoxSide)
                addAnnotation({ AnnotationItem::Box { rect }, currentColor() });
        }
        m_dragStart.reset();
        break;
    default:
        break;
    }
    return true;
}

bool LaserCanvasState::mouseMoved(QPointF point)
{
    m_cursorLocation = point;
    return m_mode == PresentationOverlayMode::cursorSpotlight;
}

bool LaserCanvasState::keyPressed(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        if (onEscape)
            onEscape();
        return false;
    case Qt::Key_C:
        clearStrokes();
        return true;
    case Qt::Key_Z:
        if (!m_annotations.empty()) {
            m_annotations.pop_back();
            ++m_drawingRevision;
        }
        return true;
    case Qt::Key_B:
        m_dimBackdrop = !m_dimBackdrop;
        ++m_drawingRevision;
        return true;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
    case Qt::Key_5:
        m_colorIndex = key - Qt::Key_1;
        return true;
    case Qt::Key_L:
        m_mode = PresentationOverlayMode::fadingLaser;
        return true;
    case Qt::Key_P:
        m_mode = PresentationOverlayMode::freehandPen;
        return true;
    case Qt::Key_A:
        m_mode = PresentationOverlayMode::arrowTool;
        return true;
    case Qt::Key_R:
        m_mode = PresentationOverlayMode::highlightBox;
        return true;
    case Qt::Key_N:
        m_mode = PresentationOverlayMode::numberedStamp;
        return true;
    case Qt::Key_S:
        m_mode = PresentationOverlayMode::cursorSpotlight;
        return true;
    default:
        return false; // swallowed
    }
}

void LaserCanvasState::clearStrokes()
{
    m_laserTrail.clear();
    m_annotations.clear();
    ++m_drawingRevision;
    m_currentPenStroke.clear();
    m_dragStart.reset();
    m_nextStampNumber = 1;
}

bool LaserCanvasState::tickFade(double now)
{
    if (m_laserTrail.empty())
        return false;
    std::erase_if(m_laserTrail, [now](const TimedPoint &point) { return now - point.time > kTrailLife; });
    return true;
}

QRectF LaserCanvasState::trailBounds() const
{
    if (m_laserTrail.empty())
        return {};
    double left = m_laserTrail.front().point.x();
    double right = left;
    double top = m_laserTrail.front().point.y();
    double bottom = top;
    for (const TimedPoint &point : m_laserTrail) {
        left = std::min(left, point.point.x());
        right = std::max(right, point.point.x());
        top = std::min(top, point.point.y());
        bottom = std::max(bottom, point.point.y());
    }
    const double margin = kWidestTrailStroke / 2 + 1;
    return QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-margin, -margin, margin, margin);
}

QRectF LaserCanvasState::spannedRect(QPointF a, QPointF b)
{
    return { std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()),
        std::abs(b.y() - a.y()) };
}

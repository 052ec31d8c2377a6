#include "EmblemRecorder.h"

#include "ZunoEmblemRenderer.h"

#include <QPaintEngine>

#include <algorithm>

class EmblemRecordingEngine : public QPaintEngine {
public:
    EmblemRecordingEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }

    std::vector<RecordedPrimitive> primitives;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override { }
    Type type() const override { return QPaintEngine::User; }

    void drawPath(const QPainterPath &path) override { record(RecordedPrimitive::Kind::path, path); }
    void drawEllipse(const QRectF &rect) override
    {
        QPainterPath path;
        path.addEllipse(rect);
        record(RecordedPrimitive::Kind::ellipse, path);
    }
    void drawEllipse(const QRect &rect) override { drawEllipse(QRectF(rect)); }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        if (mode != PolylineMode)
            path.closeSubpath();
        record(RecordedPrimitive::Kind::other, path);
    }
    void drawPolygon(const QPoint *points, int count, PolygonDrawMode mode) override
    {
        QPolygonF polygon;
        for (int i = 0; i < count; ++i)
            polygon << points[i];
        drawPolygon(polygon.constData(), count, mode);
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path;
            path.addRect(rects[i]);
            record(RecordedPrimitive::Kind::other, path);
        }
    }
    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            drawRects(std::array { QRectF(rects[i]) }.data(), 1);
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path(lines[i].p1());
            path.lineTo(lines[i].p2());
            record(RecordedPrimitive::Kind::other, path);
        }
    }
    void drawLines(const QLine *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            drawLines(std::array { QLineF(lines[i]) }.data(), 1);
    }
    void drawPoints(const QPointF *points, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path(points[i]);
            record(RecordedPrimitive::Kind::other, path);
        }
    }
    void drawPixmap(const QRectF &rect, const QPixmap &, const QRectF &) override { recordRect(rect); }
    void drawImage(const QRectF &rect, const QImage &, const QRectF &, Qt::ImageConversionFlags) override
    {
        recordRect(rect);
    }
    void drawTextItem(const QPointF &point, const QTextItem &) override
    {
        record(RecordedPrimitive::Kind::other, QPainterPath(point));
    }
    void drawTiledPixmap(const QRectF &rect, const QPixmap &, const QPointF &) override { recordRect(rect); }

private:
    void recordRect(const QRectF &rect)
    {
        QPainterPath path;
        path.addRect(rect);
        record(RecordedPrimitive::Kind::other, path);
    }

    void record(RecordedPrimitive::Kind kind, const QPainterPath &path)
    {
        const QPainter *p = painter();
        RecordedPrimitive primitive;
        primitive.kind = kind;
        primitive.path = path;
        primitive.transform = p->worldTransform();
        primitive.mode = p->compositionMode();
        primitive.pen = p->pen();
        primitive.brush = p->brush();
        primitive.opacity = p->opacity();
        primitive.clipped = p->hasClipping();
        if (primitive.clipped)
            primitive.clip = p->worldTransform().map(p->clipPath());
        primitives.push_back(primitive);
    }
};

QRectF RecordedPrimitive::paintedBounds() const
{
    QRectF bounds = transform.map(path).boundingRect();
    if (isStroke()) {
        // A stroke reaches half its width beyond the path, scaled by the transform's largest stretch.
        const qreal stretch = std::max(
            std::hypot(transform.m11(), transform.m12()), std::hypot(transform.m21(), transform.m22()));
        const qreal half = pen.widthF() / 2 * stretch;
        bounds.adjust(-half, -half, half, half);
    }
    if (clipped)
        bounds &= clip.boundingRect();
    return bounds;
}

EmblemRecorder::EmblemRecorder()
    : m_engine(std::make_unique<EmblemRecordingEngine>())
{
}

EmblemRecorder::~EmblemRecorder() = default;

QPaintEngine *EmblemRecorder::paintEngine() const
{
    return m_engine.get();
}

const std::vector<RecordedPrimitive> &EmblemRecorder::primitives() const
{
    return m_engine->primitives;
}

int EmblemRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
    case PdmHeight:
        return 100;
    case PdmWidthMM:
    case PdmHeightMM:
        return 26;
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return 0;
    }
}

std::vector<RecordedPrimitive> recordDrawing(const std::function<void(QPainter &)> &draw)
{
    EmblemRecorder recorder;
    QPainter painter(&recorder);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return recorder.primitives();
}

std::vector<RecordedPrimitive> recordEmblem(ZunoAppIdentity app, const ZunoEmblemTone &tone)
{
    return recordDrawing([&](QPainter &p) { ZunoEmblemRenderer::drawFlatEmblem(app, p, tone); });
}

bool containsRun(const std::vector<RecordedPrimitive> &all, const std::vector<RecordedPrimitive> &run)
{
    const auto same = [](const RecordedPrimitive &a, const RecordedPrimitive &b) {
        return a.path == b.path && a.pen == b.pen && a.brush == b.brush && a.mode == b.mode
            && a.transform == b.transform;
    };
    return !run.empty() && std::ranges::search(all, run, same).begin() != all.end();
}

QImage replay(const std::vector<RecordedPrimitive> &primitives, int pixels, int skip)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = pixels * 0.88 / 60;
    QTransform design;
    design.translate(pixels / 2.0, pixels / 2.0);
    design.scale(s, s);
    design.translate(-50, -50);
    for (int i = 0; i < static_cast<int>(primitives.size()); ++i) {
        if (i == skip)
            continue;
        const RecordedPrimitive &primitive = primitives[i];
        painter.save();
        painter.setTransform(design);
        if (primitive.clipped)
            painter.setClipPath(primitive.clip);
        painter.setTransform(primitive.transform * design);
        painter.setCompositionMode(primitive.mode);
        painter.setPen(primitive.pen);
        painter.setBrush(primitive.brush);
        painter.setOpacity(primitive.opacity);
        painter.drawPath(primitive.path);
        painter.restore();
    }
    painter.end();
    return image;
}

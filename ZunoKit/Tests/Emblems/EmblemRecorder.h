#pragma once

// A paint device that records every primitive an emblem draws, with the painter's state at that
// moment, so rules can be checked on the artwork as drawn, however a routine is written. The
// device is 100 x 100 units with an identity transform: its coordinates are the design space.

#include "ZunoAppIdentity.h"
#include "ZunoEmblemTone.h"

#include <QBrush>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <functional>
#include <memory>
#include <vector>

struct RecordedPrimitive {
    enum class Kind { path, ellipse, other };
    Kind kind = Kind::other;
    QPainterPath path; // as given to the painter (an ellipse as its outline)
    QTransform transform; // the world transform it was drawn with
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    QPen pen;
    QBrush brush;
    qreal opacity = 1;
    bool clipped = false;
    QPainterPath clip; // in design units, when clipped

    bool isStroke() const { return pen.style() != Qt::NoPen; }
    bool isCutout() const { return mode == QPainter::CompositionMode_DestinationOut; }
    // The colour it paints with: the pen's for a stroke, the brush's for a fill.
    QColor color() const { return isStroke() ? pen.color() : brush.color(); }
    // The painted extent in design units: the path after the transform, grown by half the stroke
    // width (scaled with the transform), cut to the clip.
    QRectF paintedBounds() const;
};

class EmblemRecorder : public QPaintDevice {
public:
    EmblemRecorder();
    ~EmblemRecorder() override;

    QPaintEngine *paintEngine() const override;
    const std::vector<RecordedPrimitive> &primitives() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<class EmblemRecordingEngine> m_engine;
};

// Records what draw paints.
std::vector<RecordedPrimitive> recordDrawing(const std::function<void(QPainter &)> &draw);
// Records an emblem in a tone.
std::vector<RecordedPrimitive> recordEmblem(ZunoAppIdentity app, const ZunoEmblemTone &tone);

// Whether run (say, a shared shape drawn alone) appears in all as consecutive primitives.
bool containsRun(const std::vector<RecordedPrimitive> &all, const std::vector<RecordedPrimitive> &run);

// Paints the recorded primitives into a transparent N x N bitmap with the renderer's design
// transform, leaving out the one at index skip (none when negative).
QImage replay(const std::vector<RecordedPrimitive> &primitives, int pixels, int skip = -1);

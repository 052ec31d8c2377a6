// The canvas view paints its kept layer and what moves over it: the same pixels as one full frame of
// the drawing, and only the area that changed when the spotlight or the trail moves.
#include "LaserCanvasView.h"
#include "LaserCanvasDrawing.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Mode = PresentationOverlayMode;

constexpr QSize kCanvas(900, 600);

QImage backdropPicture()
{
    QImage picture(kCanvas, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    QLinearGradient ground(0, 0, kCanvas.width(), kCanvas.height());
    ground.setColorAt(0, QColor(38, 70, 120));
    ground.setColorAt(1, QColor(160, 90, 40));
    painter.fillRect(picture.rect(), ground);
    return picture;
}

// Records the area of every paint the view gets.
class PaintRecorder : public QObject {
public:
    QRegion painted;
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(event)->region();
            ++paints;
        }
        return false;
    }
};

struct Canvas {
    explicit Canvas(Mode mode)
        : view(mode, [this] { return now; })
    {
        view.resize(kCanvas);
    }
    void move(QPointF point, Qt::MouseButtons buttons = Qt::NoButton)
    {
        QMouseEvent event(QEvent::MouseMove, point, view.mapToGlobal(point), Qt::NoButton, buttons, {});
        QCoreApplication::sendEvent(&view, &event);
    }
    void press(QPointF point)
    {
        QMouseEvent event(
            QEvent::MouseButtonPress, point, view.mapToGlobal(point), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&view, &event);
    }
    void release(QPointF point)
    {
        QMouseEvent event(
            QEvent::MouseButtonRelease, point, view.mapToGlobal(point), Qt::LeftButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(&view, &event);
    }
    void key(int key) { QTest::keyClick(&view, static_cast<Qt::Key>(key)); }
    // A few drawings of each kind.
    void annotate()
    {
        const std::pair<int, QPointF> strokes[] = { { Qt::Key_P, { 120, 400 } }, { Qt::Key_A, { 500, 150 } },
            { Qt::Key_R, { 600, 380 } }, { Qt::Key_N, { 300, 250 } } };
        for (const auto &[tool, start] : strokes) {
            key(tool);
            press(start);
            for (int step = 1; step <= 8; ++step)
                move(start + QPointF(step * 12, 30 * std::sin(step / 2.0)), Qt::LeftButton);
            release(start + QPointF(110, 70));
        }
    }
    QImage viewPixels()
    {
        QImage image(kCanvas, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image;
    }
    QImage oneFrame()
    {
        QImage image(kCanvas, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        LaserCanvasDrawing::paint(view.state(), painter, QRectF(image.rect()), now,
            view.backdrop().isNull() ? nullptr : &view.backdrop());
        return image;
    }
    double now = 10;
    LaserCanvasView view;
};

} // namespace

TEST(LaserCanvasView, KeptLayerGivesTheSamePixelsAsOneFullFrame)
{
    struct Row {
        const char *name;
        int toolKey;
        bool dim;
        bool backdrop;
    };
    const Row rows[] = { { "spotlight over a backdrop", Qt::Key_S, false, true },
        { "spotlight, dimming on", Qt::Key_S, true, false },
        { "laser, dimmed backdrop", Qt::Key_L, true, true },
        { "pen, clear canvas", Qt::Key_P, false, false } };
    for (const Row &row : rows) {
        Canvas canvas(Mode::fadingLaser);
        if (row.backdrop)
            canvas.view.setBackdrop(backdropPicture());
        canvas.annotate();
        if (row.dim)
            canvas.key(Qt::Key_B);
        canvas.key(row.toolKey);
        canvas.move({ 450, 300 });
        (void)canvas.viewPixels(); // the layer is kept from here
        // Then the pointer moves, a trail is drawn, and a drawing is undone.
        canvas.move({ 520, 330 });
        canvas.key(Qt::Key_L);
        canvas.press({ 200, 200 });
        canvas.move({ 260, 220 }, Qt::LeftButton);
        canvas.release({ 260, 220 });
        canvas.key(Qt::Key_Z);
        canvas.key(row.toolKey);
        canvas.move({ 480, 310 });
        EXPECT_EQ(canvas.viewPixels(), canvas.oneFrame()) << row.name;
    }
}

TEST(LaserCanvasView, SpotlightMoveRepaintsItsOldAndNewAreaOverTheKeptLayer)
{
    Canvas canvas(Mode::cursorSpotlight);
    canvas.view.setBackdrop(backdropPicture());
    canvas.annotate();
    canvas.key(Qt::Key_S);
    canvas.view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas.view));
    canvas.move({ 300, 300 });
    QCoreApplication::processEvents();
    const int compositions = canvas.view.layerCompositions();

    PaintRecorder recorder;
    canvas.view.installEventFilter(&recorder);
    for (int step = 1; step <= 5; ++step)
        canvas.move({ 300.0 + 10 * step, 300.0 + 4 * step });
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.paints > 0; }, 5000));
    QCoreApplication::processEvents();

    QRegion expected;
    for (int step = 0; step <= 5; ++step)
        expected
            += LaserCanvasDrawing::spotlightBounds({ 300.0 + 10 * step, 300.0 + 4 * step }).toAlignedRect();
    EXPECT_TRUE((recorder.painted - expected).isEmpty()) << "painted outside the spotlight's areas";
    EXPECT_TRUE(recorder.painted.contains(QPoint(350, 320)));
    EXPECT_FALSE(recorder.painted.contains(QPoint(20, 20)));
    EXPECT_EQ(canvas.view.layerCompositions(), compositions) << "pointer moves keep the layer";

    // A new drawing composes the layer again.
    canvas.key(Qt::Key_N);
    canvas.press({ 700, 500 });
    canvas.release({ 700, 500 });
    canvas.key(Qt::Key_S);
    (void)canvas.viewPixels();
    EXPECT_GT(canvas.view.layerCompositions(), compositions);
}

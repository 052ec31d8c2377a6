#include "LaserCanvasState.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Mode = PresentationOverlayMode;

// A canvas on a virtual clock.
struct Canvas {
    explicit Canvas(Mode mode = Mode::fadingLaser)
        : state([this] { return now; }, mode)
    {
    }
    void click(QPointF p)
    {
        state.mouseDown(p);
        state.mouseUp(p);
    }
    void drag(QPointF from, QPointF to)
    {
        state.mouseDown(from);
        state.mouseDragged(to);
        state.mouseUp(to);
    }
    double now = 100;
    LaserCanvasState state;
};

template <typename T> const T *shapeOf(const LaserCanvasState &state, std::size_t index)
{
    return std::get_if<T>(&state.annotations().at(index).shape);
}

} // namespace

TEST(LaserCanvasState, MouseSequencesCommitWhatTheToolDraws)
{
    struct Case {
        const char *name;
        Mode mode;
        std::function<void(Canvas &)> input;
        std::size_t annotations;
    };
    const Case cases[] = {
        { "arrow click: zero-length arrow", Mode::arrowTool,
            [](Canvas &c) {
                c.click({ 50, 60 });
            },
            1 },
        { "box 8 x 40: nothing", Mode::highlightBox,
            [](Canvas &c) {
                c.drag({ 10, 10 }, { 18, 50 });
            },
            0 },
        { "box 40 x 8: nothing", Mode::highlightBox,
            [](Canvas &c) {
                c.drag({ 10, 10 }, { 50, 18 });
            },
            0 },
        { "box 9 x 9: a box", Mode::highlightBox,
            [](Canvas &c) {
                c.drag({ 20, 20 }, { 11, 11 });
            },
            1 },
        { "pen click: nothing", Mode::freehandPen,
            [](Canvas &c) {
                c.click({ 5, 5 });
            },
            0 },
        { "pen drag of one move: a stroke", Mode::freehandPen,
            [](Canvas &c) {
                c.drag({ 5, 5 }, { 9, 9 });
            },
            1 },
        { "laser: no annotation", Mode::fadingLaser,
            [](Canvas &c) {
                c.drag({ 5, 5 }, { 9, 9 });
            },
            0 },
        { "spotlight: no annotation", Mode::cursorSpotlight,
            [](Canvas &c) {
                c.drag({ 5, 5 }, { 9, 9 });
            },
            0 },
    };
    for (const Case &c : cases) {
        Canvas canvas(c.mode);
        c.input(canvas);
        EXPECT_EQ(canvas.state.annotations().size(), c.annotations) << c.name;
        EXPECT_FALSE(canvas.state.dragStart()) << c.name;
        EXPECT_TRUE(canvas.state.currentPenStroke().empty()) << c.name;
    }

    Canvas arrow(Mode::arrowTool);
    arrow.click({ 50, 60 });
    const auto *zero = shapeOf<AnnotationItem::Arrow>(arrow.state, 0);
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->start, zero->end);

    Canvas box(Mode::highlightBox);
    box.state.keyPressed(Qt::Key_3);
    box.drag({ 20, 30 }, { 11, 10 });
    const auto *rect = shapeOf<AnnotationItem::Box>(box.state, 0);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->rect, QRectF(11, 10, 9, 20));
    EXPECT_EQ(box.state.annotations()[0].color, LaserCanvasState::palette()[2]);

    Canvas pen(Mode::freehandPen);
    pen.drag({ 5, 5 }, { 9, 9 });
    ASSERT_TRUE(shapeOf<AnnotationItem::Pen>(pen.state, 0));
    EXPECT_EQ(
        shapeOf<AnnotationItem::Pen>(pen.state, 0)->points, (std::vector<QPointF> { { 5, 5 }, { 9, 9 } }));
}

TEST(LaserCanvasState, StampsCountOnAfterUndoAndRestartAfterClear)
{
    Canvas canvas(Mode::numberedStamp);
    for (int i = 0; i < 3; ++i)
        canvas.click({ 10.0 * i, 10 });
    EXPECT_TRUE(canvas.state.keyPressed(Qt::Key_Z));
    EXPECT_EQ(canvas.state.annotations().size(), 2u);
    canvas.click({ 50, 50 });
    EXPECT_EQ(shapeOf<AnnotationItem::Stamp>(canvas.state, 2)->number, 4);

    EXPECT_TRUE(canvas.state.keyPressed(Qt::Key_C));
    EXPECT_TRUE(canvas.state.annotations().empty());
    canvas.click({ 50, 50 });
    EXPECT_EQ(shapeOf<AnnotationItem::Stamp>(canvas.state, 0)->number, 1);
    // Undo with nothing to undo still redraws and changes nothing.
    canvas.state.keyPressed(Qt::Key_Z);
    EXPECT_TRUE(canvas.state.keyPressed(Qt::Key_Z));
    EXPECT_TRUE(canvas.state.annotations().empty());
}

TEST(LaserCanvasState, KeysChooseToolsColoursAndDimmingAndSwallowTheRest)
{
    struct Case {
        int key;
        Mode mode;
    };
    const Case tools[] = { { Qt::Key_L, Mode::fadingLaser }, { Qt::Key_P, Mode::freehandPen },
        { Qt::Key_A, Mode::arrowTool }, { Qt::Key_R, Mode::highlightBox }, { Qt::Key_N, Mode::numberedStamp },
        { Qt::Key_S, Mode::cursorSpotlight } };
    Canvas canvas(Mode::arrowTool);
    for (const Case &c : tools) {
        EXPECT_TRUE(canvas.state.keyPressed(c.key));
        EXPECT_EQ(canvas.state.mode(), c.mode) << c.key;
    }
    for (int digit = 1; digit <= 5; ++digit) {
        canvas.state.keyPressed(Qt::Key_0 + digit);
        EXPECT_EQ(canvas.state.colorIndex(), digit - 1);
        EXPECT_EQ(canvas.state.currentColor(), LaserCanvasState::palette()[digit - 1]);
    }
    EXPECT_FALSE(canvas.state.dimBackdrop());
    canvas.state.keyPressed(Qt::Key_B);
    EXPECT_TRUE(canvas.state.dimBackdrop());
    canvas.state.keyPressed(Qt::Key_B);
    EXPECT_FALSE(canvas.state.dimBackdrop());

    // Clear keeps the tool, the colour and the dimming.
    canvas.state.keyPressed(Qt::Key_B);
    canvas.state.keyPressed(Qt::Key_C);
    EXPECT_EQ(canvas.state.mode(), Mode::cursorSpotlight);
    EXPECT_EQ(canvas.state.colorIndex(), 4);
    EXPECT_TRUE(canvas.state.dimBackdrop());

    // Unmatched keys change nothing and ask for no redraw; Escape only calls onEscape.
    int escapes = 0;
    canvas.state.onEscape = [&] { ++escapes; };
    for (const int key :
        { int(Qt::Key_Q), int(Qt::Key_0), int(Qt::Key_6), int(Qt::Key_Space), int(Qt::Key_F1) })
        EXPECT_FALSE(canvas.state.keyPressed(key)) << key;
    EXPECT_EQ(canvas.state.mode(), Mode::cursorSpotlight);
    EXPECT_EQ(canvas.state.colorIndex(), 4);
    canvas.state.keyPressed(Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
    EXPECT_EQ(canvas.state.mode(), Mode::cursorSpotlight);

    const QColor first = LaserCanvasState::palette()[0];
    EXPECT_NEAR(first.redF(), 0.96, 0.005);
    EXPECT_NEAR(first.greenF(), 0.45, 0.005);
    EXPECT_NEAR(first.blueF(), 0.82, 0.005);
    EXPECT_NEAR(first.alphaF(), 0.96, 0.005);
}

TEST(LaserCanvasState, TrailFadesOnTheClock)
{
    Canvas canvas;
    EXPECT_FALSE(canvas.state.tickFade(canvas.now)); // empty: no redraw
    canvas.state.mouseDown({ 1, 1 });
    canvas.now += 0.25;
    canvas.state.mouseDragged({ 2, 2 });
    ASSERT_EQ(canvas.state.laserTrail().size(), 2u);

    canvas.now += 0.5; // first point exactly 0.75 s old: stays
    EXPECT_TRUE(canvas.state.tickFade(canvas.now));
    EXPECT_EQ(canvas.state.laserTrail().size(), 2u);
    canvas.now += 0.001;
    EXPECT_TRUE(canvas.state.tickFade(canvas.now));
    ASSERT_EQ(canvas.state.laserTrail().size(), 1u);
    EXPECT_EQ(canvas.state.laserTrail()[0].point, QPointF(2, 2));
    canvas.now += 0.25;
    EXPECT_TRUE(canvas.state.tickFade(canvas.now));
    EXPECT_TRUE(canvas.state.laserTrail().empty());
    EXPECT_FALSE(canvas.state.tickFade(canvas.now));
    EXPECT_TRUE(canvas.state.trailBounds().isEmpty());

    // Moves redraw only for the spotlight.
    EXPECT_FALSE(canvas.state.mouseMoved({ 3, 3 }));
    canvas.state.keyPressed(Qt::Key_S);
    EXPECT_TRUE(canvas.state.mouseMoved({ 4, 4 }));
    EXPECT_EQ(canvas.state.cursorLocation(), QPointF(4, 4));
}

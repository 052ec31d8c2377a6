// Measures how long the teleprompter panel takes to paint one frame while the text scrolls: the
// script area of a 560 x 205 panel showing a 5,000-word script, repainted at a new offset each frame
// as the 60 Hz scroll loop does. Prints the median and the 95th percentile over the frames.
//
//   OverlayBenchmark --notch [frames]      (offscreen unless QT_QPA_PLATFORM says otherwise)
//
// --laser: one full frame of the presentation canvas at 1920 x 1080 over a screen picture, with 50
// annotations (pen strokes, arrows, boxes and stamps) and a 45-point laser trail, as drawn while the
// trail fades.
//
//   OverlayBenchmark --laser [frames]
//
// Each runs twice, unpinned and pinned to --pinned-cores cores (default 1), and prints both. --laser
// also times the canvas view repainting after a spotlight move over the same drawing.

#include "LaserCanvasDrawing.h"
#include "LaserCanvasState.h"
#include "LaserCanvasView.h"
#include "NotchTeleprompterContentView.h"
#include "ZunoBenchmarkRuns.h"
#include "ZunoFonts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWords = 5000;
constexpr int kDefaultFrames = 1200;
constexpr double kPointsPerFrame = 135.0 / 60.0; // about 135 words a minute at size 24

QString script()
{
    static const char *const words[] = { "the", "camera", "studio", "presenter", "reads", "every", "line",
        "slowly", "while", "looking", "into", "lens", "and", "keeps", "talking", "about", "next", "slide" };
    QString text;
    for (int i = 0; i < kWords; ++i) {
        text += QLatin1String(words[(i * 7 + i / 5) % std::size(words)]);
        text += (i % 60 == 59) ? QLatin1Char('\n') : QLatin1Char(' ');
    }
    return text;
}

int notch(int frames)
{
    NotchTeleprompterContentView view;
    view.resize(560, 205);
    NotchTeleprompterContentState state;
    state.title = QStringLiteral("Keynote");
    state.body = script();
    state.isScrolling = true;
    state.isVoiceGateOpen = true;
    view.setState(state);

    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    const QRect area = view.scriptArea();
    std::vector<double> times;
    times.reserve(frames);
    // A few frames first so that the glyph cache is warm, as it is after the first second on screen.
    for (int i = -30; i < frames; ++i) {
        view.setScrollOffset((i + 30) * kPointsPerFrame);
        QElapsedTimer timer;
        timer.start();
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        view.paintContent(painter, area);
        painter.end();
        if (i >= 0)
            times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double p95 = times[times.size() * 95 / 100];
    std::printf("notch: %d frames of a %d-word script at 560 x 205, scrolled %.0f pt (budget 2 ms)\n", frames,
        kWords, frames * kPointsPerFrame);
    ZunoBenchmarkRuns::figure("notch frame", median, p95);
    return median <= 2.0 ? 0 : 1;
}

struct Stats {
    double median, p95;
};

Stats summarise(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return { times[times.size() / 2], times[times.size() * 95 / 100] };
}

// 50 annotations (pen strokes, arrows, boxes and stamps) over the canvas.
void annotate(LaserCanvasState &state)
{
    const PresentationOverlayMode tools[]
        = { PresentationOverlayMode::freehandPen, PresentationOverlayMode::arrowTool,
              PresentationOverlayMode::highlightBox, PresentationOverlayMode::numberedStamp };
    for (int i = 0; i < 50; ++i) {
        state.setMode(tools[i % 4]);
        const QPointF start(100 + (i % 10) * 170, 150 + (i / 10) * 170);
        state.mouseDown(start);
        for (int step = 1; step <= 20; ++step)
            state.mouseDragged(start + QPointF(step * 6, 40 * std::sin(step / 3.0)));
        state.mouseUp(start + QPointF(120, 90));
    }
}

QImage screenPicture(const QSize &screen)
{
    QImage backdrop(screen, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&backdrop);
    QLinearGradient ground(0, 0, screen.width(), screen.height());
    ground.setColorAt(0, QColor(38, 70, 120));
    ground.setColorAt(1, QColor(120, 60, 110));
    painter.fillRect(backdrop.rect(), ground);
    return backdrop;
}

int laser(int frames)
{
    const QSize screen(1920, 1080);
    const QImage backdrop = screenPicture(screen);
    double now = 100;
    LaserCanvasState state([&now] { return now; });
    annotate(state);
    state.setMode(PresentationOverlayMode::fadingLaser);
    state.mouseDown({ 400, 500 });
    for (int point = 1; point < 45; ++point) {
        now += 1.0 / 60;
        state.mouseDragged({ 400 + point * 20.0, 500 + 80 * std::sin(point / 6.0) });
    }

    QImage target(screen, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    times.reserve(frames);
    for (int i = -10; i < frames; ++i) {
        QElapsedTimer timer;
        timer.start();
        QPainter painter(&target);
        LaserCanvasDrawing::paint(state, painter, QRectF(target.rect()), now, &backdrop);
        painter.end();
        if (i >= 0)
            times.push_back(timer.nsecsElapsed() / 1e6);
    }
    const Stats full = summarise(times);
    std::printf("laser: %d full frames at 1920 x 1080 with a backdrop, %zu annotations, a %zu-point trail "
                "(budget 4 ms)\n",
        frames, state.annotations().size(), state.laserTrail().size());
    ZunoBenchmarkRuns::figure("laser full frame", full.median, full.p95);

    // The view under a spotlight that the pointer moves 12 px per event, as a hand does at 70 moves a
    // second: each move repaints what the view asks for over its kept layer.
    double viewNow = 100;
    LaserCanvasView view(PresentationOverlayMode::freehandPen, [&viewNow] { return viewNow; });
    view.resize(screen);
    view.setBackdrop(backdrop);
    annotate(view.state());
    view.state().setMode(PresentationOverlayMode::cursorSpotlight);
    QImage surface(screen, QImage::Format_ARGB32_Premultiplied);
    view.render(&surface);
    std::vector<double> moves;
    moves.reserve(frames);
    for (int i = -10; i < frames; ++i) {
        const QPointF before = view.state().cursorLocation();
        const QPointF after(300 + (i + 10) % 100 * 12.0, 400 + 150 * std::sin((i + 10) / 20.0));
        QElapsedTimer timer;
        timer.start();
        view.state().mouseMoved(after);
        QRegion area(LaserCanvasDrawing::spotlightBounds(before).toAlignedRect());
        area += LaserCanvasDrawing::spotlightBounds(after).toAlignedRect();
        view.render(&surface, area.boundingRect().topLeft(), area, QWidget::RenderFlags());
        if (i >= 0)
            moves.push_back(timer.nsecsElapsed() / 1e6);
    }
    const Stats move = summarise(moves);
    ZunoBenchmarkRuns::figure("laser view, spotlight move", move.median, move.p95);
    return full.median <= 4.0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZunoFonts::applyApplicationFont();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the overlay panels' painting, unpinned and "
                                                    "pinned, and prints the median and 95th percentile."));
    parser.addHelpOption();
    const QCommandLineOption notchOption(
        QStringLiteral("notch"), QStringLiteral("A scrolled teleprompter frame at 560 x 205 (budget 2 ms)."));
    const QCommandLineOption laserOption(QStringLiteral("laser"),
        QStringLiteral(
            "A full presentation-canvas frame at 1920 x 1080, and a spotlight move (budget 4 ms)."));
    const QCommandLineOption pinnedCores(QStringLiteral("pinned-cores"),
        QStringLiteral("Cores of the pinned run (default 1)."), QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({ notchOption, laserOption, pinnedCores });
    parser.addPositionalArgument(QStringLiteral("frames"), QStringLiteral("Frames to time."));
    parser.process(app);
    const bool notchRun = parser.isSet(notchOption), laserRun = parser.isSet(laserOption);
    if (notchRun == laserRun) {
        std::fprintf(stderr, "usage: OverlayBenchmark --notch|--laser [frames] (see --help)\n");
        return 2;
    }
    if (!ZunoBenchmarkRuns::isRun())
        return ZunoBenchmarkRuns::bothWays(
            app.arguments().mid(1), std::max(1, parser.value(pinnedCores).toInt()));
    const QStringList positional = parser.positionalArguments();
    const int given = positional.isEmpty() ? 0 : std::max(1, positional.first().toInt());
    if (notchRun)
        return notch(given ? given : kDefaultFrames);
    return laser(given ? given : 300);
}

// Measures how long the teleprompter panel takes to paint one frame while the text scrolls: the
// script area of a 560 x 205 panel showing a 5,000-word script, repainted at a new offset each frame
// as the 60 Hz scroll loop does. Prints the median and the 95th percentile over the frames.
//
//   OverlayBenchmark --notch [frames]      (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "NotchTeleprompterContentView.h"
#include "ZunoFonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
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
    std::printf("notch: %d frames of a %d-word script at 560 x 205, scrolled %.0f pt\n", frames, kWords,
        frames * kPointsPerFrame);
    std::printf("median %.3f ms, p95 %.3f ms (budget 2 ms)\n", median, p95);
    return median <= 2.0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZunoFonts::applyApplicationFont();
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args.at(1) == QLatin1String("--notch")) {
        const int frames = args.size() >= 3 ? std::max(1, args.at(2).toInt()) : kDefaultFrames;
        return notch(frames);
    }
    std::fprintf(stderr, "usage: OverlayBenchmark --notch [frames]\n");
    return 2;
}

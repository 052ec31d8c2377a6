#include "LaserScenes.h"

#include "LaserCanvasDrawing.h"
#include "LaserCanvasState.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QSize kScreen(1512, 982);

bool writeScene(const QString &path, const std::function<void(LaserCanvasState &, double &)> &draw)
{
    double now = 10;
    LaserCanvasState state([&now] { return now; });
    draw(state, now);
    const QImage backdrop = laserBackdrop(kScreen);
    QImage image(kScreen, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    LaserCanvasDrawing::paint(state, painter, QRectF(image.rect()), now, &backdrop);
    painter.end();
    if (!image.save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(path));
    return true;
}

void drag(LaserCanvasState &state, QPointF from, QPointF to)
{
    state.mouseDown(from);
    state.mouseDragged(to);
    state.mouseUp(to);
}

} // namespace

QImage laserBackdrop(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QLinearGradient ground(0, 0, size.width(), size.height());
    ground.setColorAt(0, QColor(38, 70, 120));
    ground.setColorAt(1, QColor(120, 60, 110));
    painter.fillRect(image.rect(), ground);
    // A slide in a window.
    const QRect window(180, 140, 1150, 700);
    painter.fillRect(window, QColor(246, 246, 248));
    painter.fillRect(QRect(window.left(), window.top(), window.width(), 36), QColor(222, 222, 228));
    painter.setPen(QColor(30, 30, 40));
    QFont font = painter.font();
    font.setPixelSize(44);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(
        QRect(window.left() + 60, window.top() + 80, 1000, 60), QStringLiteral("Quarterly results"));
    font.setPixelSize(24);
    font.setBold(false);
    painter.setFont(font);
    for (int line = 0; line < 6; ++line)
        painter.drawText(QPoint(window.left() + 80, window.top() + 220 + line * 48),
            QStringLiteral("• Point %1 of the talk, with a figure to circle").arg(line + 1));
    painter.fillRect(QRect(window.left() + 760, window.top() + 220, 300, 260), QColor(90, 160, 220));
    return image;
}

bool writeLaserScenes(const QString &folder)
{
    const QDir dir(folder);
    bool ok
        = writeScene(dir.filePath(QStringLiteral("laser-tools.png")), [](LaserCanvasState &s, double &now) {
              s.keyPressed(Qt::Key_P);
              s.mouseDown({ 300, 420 });
              for (int i = 1; i <= 40; ++i)
                  s.mouseDragged({ 300 + i * 8.0, 420 + 30 * std::sin(i / 4.0) });
              s.mouseUp({ 620, 420 });
              s.keyPressed(Qt::Key_2);
              s.keyPressed(Qt::Key_A);
              drag(s, { 700, 700 }, { 920, 560 });
              s.mouseDown({ 1000, 760 });
              s.mouseUp({ 1000, 760 }); // a zero-length arrow
              s.keyPressed(Qt::Key_4);
              s.keyPressed(Qt::Key_R);
              drag(s, { 930, 350 }, { 1250, 630 });
              s.keyPressed(Qt::Key_3);
              s.keyPressed(Qt::Key_N);
              for (int i = 0; i < 10; ++i) {
                  s.mouseDown({ 260.0 + i * 46, 780 });
                  s.mouseUp({ 260.0 + i * 46, 780 });
              }
              s.keyPressed(Qt::Key_1);
              s.keyPressed(Qt::Key_L);
              s.mouseDown({ 400, 250 });
              for (int i = 1; i <= 40; ++i) {
                  now += 1.0 / 60;
                  s.mouseDragged({ 400 + i * 12.0, 250 + 40 * std::cos(i / 5.0) });
              }
          });
    ok = writeScene(dir.filePath(QStringLiteral("laser-spotlight.png")), [](LaserCanvasState &s, double &) {
        s.keyPressed(Qt::Key_S);
        s.mouseMoved({ 1090, 500 });
    }) && ok;
    ok = writeScene(dir.filePath(QStringLiteral("laser-spotlight-dimmed.png")),
             [](LaserCanvasState &s, double &) {
                 s.keyPressed(Qt::Key_S);
                 s.keyPressed(Qt::Key_B);
                 s.keyPressed(Qt::Key_5);
                 s.mouseMoved({ 500, 470 });
             })
        && ok;
    ok = writeScene(dir.filePath(QStringLiteral("laser-dimmed.png")), [](LaserCanvasState &s, double &) {
        s.keyPressed(Qt::Key_B);
        s.keyPressed(Qt::Key_R);
        drag(s, { 930, 350 }, { 1250, 630 });
    }) && ok;
    return ok;
}

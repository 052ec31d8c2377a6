#include "OverlayScenes.h"

#include "FloatingMirrorWidgetView.h"
#include "NotchTeleprompterContentView.h"
#include "ZunoActivityIndicator.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kMargin = 24;
constexpr int kCaptionHeight = 22;

const QString kBody = QStringLiteral(
    "Good morning, everyone. Today I want to walk you through the three changes we made this quarter "
    "and why they matter for the people who use the studio every day.\n"
    "First, the camera starts faster. Second, recordings survive a full disk. Third, the teleprompter "
    "keeps pace with your voice.");

struct Scene {
    QString caption;
    std::function<void(QPainter &, const QPoint &)> paint;
    QSize size;
};

// A backdrop of a light and a dark half, so that a translucent panel shows what is behind it.
void paintBackdrop(QPainter &painter, const QRect &rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.topRight());
    gradient.setColorAt(0, QColor(236, 232, 240));
    gradient.setColorAt(0.5, QColor(236, 232, 240));
    gradient.setColorAt(0.5001, QColor(40, 44, 52));
    gradient.setColorAt(1, QColor(40, 44, 52));
    painter.fillRect(rect, gradient);
}

bool writeSheet(const QString &path, const std::vector<Scene> &scenes)
{
    int width = 0;
    int height = kMargin;
    for (const Scene &scene : scenes) {
        width = std::max(width, scene.size.width() + 2 * kMargin);
        height += kCaptionHeight + scene.size.height() + kMargin;
    }
    QImage sheet(width, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(24, 24, 28));
    QPainter painter(&sheet);
    int y = kMargin;
    for (const Scene &scene : scenes) {
        painter.setFont(ZunoFonts::system(12, QFont::DemiBold));
        painter.setPen(Qt::white);
        painter.drawText(QRect(kMargin, y, width - 2 * kMargin, kCaptionHeight), Qt::AlignLeft | Qt::AlignTop,
            scene.caption);
        y += kCaptionHeight;
        const QRect backdrop(kMargin / 2, y - 6, width - kMargin, scene.size.height() + 12);
        paintBackdrop(painter, backdrop);
        scene.paint(painter, QPoint(kMargin, y));
        y += scene.size.height() + kMargin;
    }
    painter.end();
    if (!sheet.save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(path));
    return true;
}

Scene teleprompter(const QString &caption, const NotchTeleprompterContentState &state, double offset = 0)
{
    const QSize size(560, 205);
    return { caption,
        [state, offset, size](QPainter &painter, const QPoint &at) {
            NotchTeleprompterContentView view;
            view.resize(size);
            view.setState(state);
            view.setScrollOffset(offset);
            view.render(&painter, at, QRegion(), QWidget::DrawChildren);
        },
        size };
}

QImage cameraFrame()
{
    // A 16:9 frame with coloured side bands that an aspect fill crops away.
    QImage frame(1280, 720, QImage::Format_RGB32);
    QPainter painter(&frame);
    QLinearGradient sky(0, 0, 0, 720);
    sky.setColorAt(0, QColor(70, 110, 160));
    sky.setColorAt(1, QColor(190, 150, 120));
    painter.fillRect(frame.rect(), sky);
    painter.fillRect(QRect(0, 0, 80, 720), QColor(0, 200, 0));
    painter.fillRect(QRect(1200, 0, 80, 720), QColor(0, 0, 220));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(230, 190, 160));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(640, 330), 120, 150);
    painter.setBrush(QColor(60, 60, 80));
    painter.drawRoundedRect(QRect(440, 480, 400, 300), 120, 120);
    return frame;
}

Scene mirror(const QString &caption, bool withFrame, bool autoFraming)
{
    return { caption,
        [withFrame, autoFraming](QPainter &painter, const QPoint &at) {
            FloatingMirrorWidgetView view;
            view.setAutoFaceFraming(autoFraming);
            view.setFrame(withFrame ? cameraFrame() : QImage());
            view.spinner()->setFixedPhase(0.1);
            view.render(&painter, at, QRegion(), QWidget::DrawChildren);
        },
        QSize(FloatingMirrorWidgetView::kWidth, FloatingMirrorWidgetView::kHeight) };
}

} // namespace

bool writeOverlayScenes(const QString &folder)
{
    NotchTeleprompterContentState script;
    script.title = QStringLiteral("Quarterly update");
    script.body = kBody;

    NotchTeleprompterContentState countdown = script;
    countdown.countdownRemaining = 3;
    NotchTeleprompterContentState open = script;
    open.isScrolling = true;
    open.isVoiceGateOpen = true;
    NotchTeleprompterContentState closed = open;
    closed.isVoiceGateOpen = false;
    NotchTeleprompterContentState mirrored = open;
    mirrored.mirrorTextHorizontally = true;
    NotchTeleprompterContentState clear = open;
    clear.panelOpacity = 0;
    NotchTeleprompterContentState badge = script;
    badge.showsPrivateBadge = true;
    badge.wordsPerMinute = 182.9;
    badge.fontSize = 16;
    const NotchTeleprompterContentState none;

    const bool teleprompterWritten
        = writeSheet(QDir(folder).filePath(QStringLiteral("teleprompter-panel.png")),
            { teleprompter(QStringLiteral("Countdown 3"), countdown),
                teleprompter(QStringLiteral("Playing, voice gate open"), open, 40),
                teleprompter(QStringLiteral("Playing, voice gate closed"), closed, 40),
                teleprompter(QStringLiteral("Mirrored text"), mirrored, 40),
                teleprompter(QStringLiteral("Opacity 0"), clear, 40),
                teleprompter(QStringLiteral("No script"), none),
                teleprompter(
                    QStringLiteral("Badge where a desktop supports capture exclusion; 182.9 WPM, size 16"),
                    badge) });
    const bool mirrorWritten = writeSheet(QDir(folder).filePath(QStringLiteral("camera-mirror-panel.png")),
        { mirror(QStringLiteral("16:9 frame, side bands cropped; Mirror"), true, false),
            mirror(QStringLiteral("A frame, Auto Framing"), true, true),
            mirror(QStringLiteral("No frame yet"), false, false) });
    return teleprompterWritten && mirrorWritten;
}

#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>

// The test portrait and 1280x720 camera frames made from it, with where its face is in each.
struct NeuralPortraitFrame {
    const char *name;
    QImage image; // RGB32
    QPointF faceCentre; // in pixels, origin top left
    QPointF shoulder; // a point on the suit below the face
};

inline std::vector<NeuralPortraitFrame> neuralPortraitFrames()
{
    const QImage portrait = QImage(QStringLiteral(ZUNO_TEST_DATA "/neural/astronaut.png"))
                                .convertToFormat(QImage::Format_RGB32);
    // In the 512x512 photograph: the face around (225, 120), the suit below the left shoulder around (160,
    // 300).
    const QPointF face(225, 120), shoulder(160, 300);
    auto frameWith = [&](const QRect &placed, QColor fill) {
        QImage frame(1280, 720, QImage::Format_RGB32);
        frame.fill(fill);
        QPainter(&frame).drawImage(placed, portrait);
        return frame;
    };
    auto mapped = [](const QRect &placed, QPointF p) {
        return QPointF(
            placed.x() + p.x() * placed.width() / 512.0, placed.y() + p.y() * placed.height() / 512.0);
    };
    const QRect letterbox(280, 0, 720, 720);
    const QRect shifted(-100, -120, 1000, 1000);
    return {
        { "photo", portrait, face, shoulder },
        { "letterboxed", frameWith(letterbox, Qt::black), mapped(letterbox, face),
            mapped(letterbox, shoulder) },
        { "shiftedLeft", frameWith(shifted, QColor(96, 104, 112)), mapped(shifted, face),
            mapped(shifted, shoulder) },
    };
}

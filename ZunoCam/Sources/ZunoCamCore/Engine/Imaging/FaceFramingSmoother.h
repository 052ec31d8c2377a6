#pragma once

#include <QRectF>

#include <optional>

// The smoothed framing (centre and automatic zoom) that follows a detected face. Coordinates are
// normalised 0 to 1 with the origin at the bottom left, as face boxes are reported.
struct FaceFramingSmoother {
    struct State {
        double centerX;
        double centerY;
        double zoom;
    };

    double centerX = 0.5;
    double centerY = 0.5;
    double zoom = 1.0;

    // One step towards the face (or back to the centre at half speed without one); returns the new state.
    State update(const std::optional<QRectF> &normalizedFaceRect, double smoothing);

    // The rectangle to crop for that centre and zoom; it never leaves `rect`. Works in whatever
    // orientation `rect` uses, as long as centreY is measured from rect's minimum y.
    static QRectF cropRect(const QRectF &rect, double centerX, double centerY, double zoom);
};

#pragma once

#include "NeuralImageView.h"

#include <QRectF>
#include <QString>

#include <memory>
#include <optional>

// What one detection gives the capture service: whether it ran, and the face found, if any.
struct CameraFaceDetection {
    bool succeeded = false;
    // The largest face, normalised to the frame (0 to 1) with the origin at the bottom left.
    std::optional<QRectF> face;
};

// The capture service's face detector: the short-range face model, or the OpenCV frontal-face Haar
// cascade when the model is missing or unusable. Not thread-safe (the video queue owns it).
class CameraFaceDetector {
public:
    static QString defaultCascadePath();

    explicit CameraFaceDetector(
        const QString &modelPath = defaultModelPath(), const QString &cascadePath = defaultCascadePath());
    ~CameraFaceDetector();

    // True when the neural model is in use, false for the cascade fallback.
    bool usesModel() const;
    // Why the model is not in use (empty when it is).
    QString modelError() const;

    CameraFaceDetection detect(const NeuralImageView &frame);

private:
    static QString defaultModelPath();
    bool detectInSquares(const NeuralImageView &frame, QRectF &largest);

    struct Impl;
    std::unique_ptr<Impl> d;
};

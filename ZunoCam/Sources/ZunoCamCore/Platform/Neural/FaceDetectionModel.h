#pragma once

#include "NeuralImageSampler.h"
#include "NeuralImageView.h"
#include "NeuralRuntime.h"

#include <QRectF>
#include <QString>

#include <vector>

// One face: a box normalised to the frame (0 to 1, origin top left) and the model's confidence.
struct NeuralFaceDetection {
    QRectF box;
    float score = 0;
};

// The short-range face model (128x128 input). The frame is letter-boxed into the square input keeping
// its aspect, the 896 anchor boxes are decoded, scored, merged by weighted non-maximum suppression and
// mapped back to the frame. Not thread-safe; allocation-free per frame once warm.
class FaceDetectionModel {
public:
    static const QString kFileName; // "face_detection_short_range.tflite"
    static const QString kSha256;
    static QString defaultPath();

    static constexpr float kMinScore = 0.5f;
    static constexpr float kSuppressionOverlap = 0.3f;

    // Throws NeuralModelError when the file is missing, altered or unusable.
    explicit FaceDetectionModel(const QString &path = defaultPath(),
        NeuralRuntime::Backend backend = NeuralRuntime::Backend::xnnpack, int threads = 1);

    // Faces in the frame, highest score first. False, with `error` set, for an empty frame or a failed
    // inference. The list lives until the next call.
    bool detect(
        const NeuralImageView &frame, std::vector<NeuralFaceDetection> &faces, QString *error = nullptr);

private:
    struct Anchor {
        float x, y;
    };

    NeuralRuntime m_runtime;
    NeuralImageSampler m_sampler;
    std::vector<Anchor> m_anchors;
    std::vector<NeuralFaceDetection> m_candidates;
    std::vector<bool> m_used;
    int m_size = 0;
    int m_boxesOutput = 0;
    int m_scoresOutput = 1;
};

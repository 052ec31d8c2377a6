#pragma once

#include "NeuralImageSampler.h"
#include "NeuralImageView.h"
#include "NeuralRuntime.h"

#include <QImage>
#include <QSize>
#include <QString>

// The landscape person-segmentation model (256x144 input, for 16:9 frames): a frame in, an 8-bit mask at
// the model's resolution out (255 person, 0 background). The frame is stretched to the model's input,
// so the mask stretched back over the frame lines up with it. Not thread-safe; allocation-free per frame.
class SelfieSegmentationModel {
public:
    static const QString kFileName; // "selfie_segmentation_landscape.tflite"
    static const QString kSha256;
    // The copy in the application's resources (models/), or empty when it is not installed.
    static QString defaultPath();

    // Throws NeuralModelError when the file is missing, altered or unusable.
    explicit SelfieSegmentationModel(const QString &path = defaultPath(),
        NeuralRuntime::Backend backend = NeuralRuntime::Backend::xnnpack, int threads = 1);

    QSize maskSize() const;
    // Writes the mask into `mask` (made Grayscale8 at maskSize() when it is not already). False, with
    // `error` set, for an empty frame or a failed inference; `mask` is then left as it was.
    bool segment(const NeuralImageView &frame, QImage &mask, QString *error = nullptr);

private:
    NeuralRuntime m_runtime;
    NeuralImageSampler m_sampler;
    int m_width = 0;
    int m_height = 0;
};

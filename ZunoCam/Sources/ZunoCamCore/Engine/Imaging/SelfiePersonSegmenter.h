#pragma once

#include "PersonSegmenter.h"

#include <QImage>

#include <memory>

class SelfieSegmentationModel;

// The person segmenter of the studio: the selfie-segmentation model from the application's
// resources, giving a 256 x 144 mask. When the model cannot be loaded, every frame fails with the
// reason, so the portrait engine logs it and passes frames through.
class SelfiePersonSegmenter : public PersonSegmenter {
public:
    SelfiePersonSegmenter();
    explicit SelfiePersonSegmenter(const QString &modelPath);
    ~SelfiePersonSegmenter() override;

    Outcome segment(
        const CameraPixelBuffer &frame, CameraPixelBuffer &mask, QString &errorDescription) override;

private:
    QImage &targetFor(CameraPixelBuffer &mask);

    std::unique_ptr<SelfieSegmentationModel> m_model;
    // Images borrowing the pixels of the last two mask buffers, so steady frames allocate nothing.
    QImage m_targets[2];
    int m_nextTarget = 0;
    QString m_loadError;
};

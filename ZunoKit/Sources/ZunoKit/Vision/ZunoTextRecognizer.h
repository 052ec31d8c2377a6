#pragma once

#include "ZunoOCRResult.h"

#include <QImage>
#include <QStringList>

enum class ZunoTextRecognitionLevel { accurate, fast };

// One text-recognition attempt: read `image` in the given languages (codes such as "en-US" or "tr")
// at the given level, on the default compute device or, when `cpuOnly`, on the processor alone.
// Throws ZunoVisionError on failure; an image without text gives a result without lines.
// Implementations keep no state between calls, so one instance may serve several threads at once.
class ZunoTextRecognizer {
public:
    virtual ~ZunoTextRecognizer() = default;
    virtual ZunoOCRResult recognize(const QImage &image, const QStringList &languages,
        ZunoTextRecognitionLevel level, bool cpuOnly) const = 0;
};

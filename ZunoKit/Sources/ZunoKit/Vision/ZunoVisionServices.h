#pragma once

#include "ZunoFeaturePrint.h"
#include "ZunoOCRResult.h"
#include "ZunoVector.h"

#include <QImage>
#include <QString>
#include <QStringList>

class ZunoTextRecognizer;

// Synchronous image analysis shared by the suite's applications. Stateless: every call builds its
// own engine, blocks its caller while it works, and may run on any thread, several at once.
// Failures are thrown as ZunoVisionError.
namespace ZunoVisionServices {

// The error domain of the services' own errors.
inline const QString kErrorDomain = QStringLiteral("ZunoVisionServices");

// Reads the text of `image` in the given languages ("en-US", "tr", ...; English when empty). Tries
// the requested level on the default compute device, then the same level on the processor only,
// then the fast level on the processor only, and throws the last attempt's error when all three
// fail. An image without text gives a result without lines.
ZunoOCRResult recognizeText(const QImage &image, const QStringList &languages, bool accurate);
// The same with a given recogniser for each attempt.
ZunoOCRResult recognizeText(
    const QImage &image, const QStringList &languages, bool accurate, const ZunoTextRecognizer &recognizer);

// The feature print of `image`. Throws the error (kErrorDomain, 1, "Could not compute image feature
// print.") when no print results, as for an image without pixels.
ZunoFeaturePrint featurePrint(const QImage &image);

// The translation, in pixels with x to the right and y upwards, that moves the content of `to` onto
// the content of `from` (when `to` shows the scene moved 5 pixels right and 3 down, the result is
// dx = -5, dy = 3). Images of different sizes are compared with their bottom-left corners together.
// The zero vector when the images give no registration (no structure to align); throws for an image
// without pixels.
ZunoVector translationalOffset(const QImage &from, const QImage &to);

} // namespace ZunoVisionServices

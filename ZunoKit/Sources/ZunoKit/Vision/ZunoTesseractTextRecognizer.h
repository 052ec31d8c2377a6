#pragma once

#include "ZunoTextRecognizer.h"

#include <optional>

// Text recognition with Tesseract's LSTM engine, language correction (its dictionaries) on.
// The image is prepared with OpenCV's transparent API, which uses an OpenCL device when the machine
// has one; a CPU-only attempt switches OpenCL off for the calling thread. The accurate level reads
// small images at twice their size; the fast level reads large images at most 1280 pixels long.
// Each call builds its own engine instance.
class ZunoTesseractTextRecognizer : public ZunoTextRecognizer {
public:
    ZunoOCRResult recognize(const QImage &image, const QStringList &languages, ZunoTextRecognitionLevel level,
        bool cpuOnly) const override;

    // Tesseract's data name for a recognition language code ("en", "en-US", "en_GB" and "eng" give
    // "eng"; "tr-TR" gives "tur"); nullopt for a language it has no model name for.
    static std::optional<QString> tesseractLanguage(const QString &code);

    // The "+"-joined model names for a list of codes, in order and without repeats; English when the
    // list is empty. Throws ZunoVisionError (UnsupportedLanguage) for an unknown code.
    static QString tesseractLanguages(const QStringList &codes);
};

#include "ZunoTesseractTextRecognizer.h"

#include "ZunoVisionError.h"
#include "ZunoVisionPixels.h"

#include <opencv2/core.hpp>
#include <opencv2/core/ocl.hpp>
#include <opencv2/imgproc.hpp>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

// Primary language subtags (and a few script-qualified tags) to Tesseract model names.
struct LanguageName {
    const char *code;
    const char *model;
};
constexpr LanguageName kLanguageNames[] = {
    { "en", "eng" },
    { "tr", "tur" },
    { "de", "deu" },
    { "fr", "fra" },
    { "es", "spa" },
    { "it", "ita" },
    { "pt", "por" },
    { "nl", "nld" },
    { "sv", "swe" },
    { "pl", "pol" },
    { "ru", "rus" },
    { "uk", "ukr" },
    { "ar", "ara" },
    { "th", "tha" },
    { "vi", "vie" },
    { "ja", "jpn" },
    { "ko", "kor" },
    { "zh", "chi_sim" },
    { "zh-hans", "chi_sim" },
    { "zh-cn", "chi_sim" },
    { "zh-sg", "chi_sim" },
    { "zh-hant", "chi_tra" },
    { "zh-tw", "chi_tra" },
    { "zh-hk", "chi_tra" },
    { "yue", "chi_tra" },
};

// The accurate level reads images up to this length at twice their size: Tesseract's line model
// reads glyphs best when they are some tens of pixels tall.
constexpr int kAccurateUpscaleLimit = 2048;
// The fast level reads at most this many pixels along the longer side.
constexpr int kFastMaximumLength = 1280;
// Screen-like pictures carry no resolution; this keeps Tesseract's size heuristics in range.
constexpr int kAssumedDpi = 144;

// Tesseract writes its warnings through a process-wide debug file; route them away once.
void silenceEngineDiagnostics()
{
    static std::once_flag once;
    std::call_once(once, [] {
        tesseract::TessBaseAPI api;
        api.SetVariable("debug_file", "/dev/null");
    });
}

// Switches OpenCV's OpenCL use for the calling thread and restores it afterwards.
class OpenCLScope {
public:
    explicit OpenCLScope(bool enabled)
        : m_previous(cv::ocl::useOpenCL())
    {
        cv::ocl::setUseOpenCL(enabled);
    }
    ~OpenCLScope() { cv::ocl::setUseOpenCL(m_previous); }
    OpenCLScope(const OpenCLScope &) = delete;
    OpenCLScope &operator=(const OpenCLScope &) = delete;

private:
    bool m_previous;
};

double scaleFor(const QSize &size, ZunoTextRecognitionLevel level)
{
    const int longer = std::max(size.width(), size.height());
    if (level == ZunoTextRecognitionLevel::accurate)
        return longer <= kAccurateUpscaleLimit ? 2.0 : 1.0;
    return longer > kFastMaximumLength ? double(kFastMaximumLength) / longer : 1.0;
}

// Grey pixels at the level's scale, computed on the OpenCL device when the thread allows it.
cv::Mat preparedGrey(const QImage &rgb, double scale)
{
    const cv::Mat source(
        rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar *>(rgb.constBits()), size_t(rgb.bytesPerLine()));
    cv::UMat colour;
    source.copyTo(colour);
    cv::UMat grey;
    cv::cvtColor(colour, grey, cv::COLOR_RGB2GRAY);
    cv::UMat scaled = grey;
    if (scale != 1.0) {
        const cv::Size target(std::max(1, int(std::lround(rgb.width() * scale))),
            std::max(1, int(std::lround(rgb.height() * scale))));
        cv::resize(grey, scaled, target, 0, 0, scale > 1.0 ? cv::INTER_CUBIC : cv::INTER_AREA);
    }
    cv::Mat out;
    scaled.copyTo(out);
    return out;
}

ZunoVisionError engineFailure(const QString &what)
{
    return ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::EngineFailure, what);
}

} // namespace

std::optional<QString> ZunoTesseractTextRecognizer::tesseractLanguage(const QString &code)
{
    const QString tag = code.trimmed().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (tag.isEmpty())
        return std::nullopt;
    const QString primary = tag.section(QLatin1Char('-'), 0, 0);
    const QString script = tag.section(QLatin1Char('-'), 0, 1);
    for (const QString &candidate : { tag, script, primary }) {
        for (const LanguageName &name : kLanguageNames) {
            if (candidate == QLatin1String(name.code) || candidate == QLatin1String(name.model))
                return QString::fromLatin1(name.model);
        }
    }
    return std::nullopt;
}

QString ZunoTesseractTextRecognizer::tesseractLanguages(const QStringList &codes)
{
    QStringList models;
    for (const QString &code : codes) {
        const std::optional<QString> model = tesseractLanguage(code);
        if (!model) {
            throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::UnsupportedLanguage,
                QStringLiteral("Unsupported recognition language \"%1\".").arg(code));
        }
        if (!models.contains(*model))
            models.append(*model);
    }
    if (models.isEmpty())
        models.append(QStringLiteral("eng"));
    return models.join(QLatin1Char('+'));
}

ZunoOCRResult ZunoTesseractTextRecognizer::recognize(
    const QImage &image, const QStringList &languages, ZunoTextRecognitionLevel level, bool cpuOnly) const
{
    const QString models = tesseractLanguages(languages);
    const QImage rgb = ZunoVisionPixels::flattenedRGB(image);
    if (rgb.isNull() || rgb.width() == 0 || rgb.height() == 0) {
        throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::InvalidImage,
            QStringLiteral("The image has no pixels."));
    }

    const double scale = scaleFor(rgb.size(), level);
    cv::Mat grey;
    try {
        // A default attempt leaves the thread's OpenCL choice as it is; a CPU-only one turns it off.
        std::optional<OpenCLScope> processorOnly;
        if (cpuOnly)
            processorOnly.emplace(false);
        grey = preparedGrey(rgb, scale);
    } catch (const cv::Exception &error) {
        throw engineFailure(
            QStringLiteral("Could not prepare the image: %1").arg(QString::fromStdString(error.msg)));
    }

    silenceEngineDiagnostics();
    tesseract::TessBaseAPI api;
    const std::string modelNames = models.toStdString();
    // Language correction: the word and frequent-word dictionaries, which load only at start-up.
    const std::vector<std::string> names = { "load_system_dawg", "load_freq_dawg" };
    const std::vector<std::string> values = { "1", "1" };
    if (api.Init(nullptr, modelNames.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false)
        != 0) {
        throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::UnsupportedLanguage,
            QStringLiteral("No recognition data is installed for \"%1\".").arg(models));
    }
    // A secondary language whose data is missing is dropped silently by Tesseract; refuse instead.
    std::vector<std::string> loaded;
    api.GetLoadedLanguagesAsVector(&loaded);
    for (const QString &model : models.split(QLatin1Char('+'))) {
        if (std::find(loaded.begin(), loaded.end(), model.toStdString()) == loaded.end()) {
            throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::UnsupportedLanguage,
                QStringLiteral("No recognition data is installed for \"%1\".").arg(model));
        }
    }
    api.SetPageSegMode(tesseract::PSM_AUTO);
    api.SetImage(grey.data, grey.cols, grey.rows, 1, int(grey.step));
    api.SetSourceResolution(int(std::lround(kAssumedDpi * scale)));
    if (api.Recognize(nullptr) != 0)
        throw engineFailure(QStringLiteral("Text recognition failed."));

    QList<ZunoOCRLine> lines;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (it) {
        const double width = grey.cols;
        const double height = grey.rows;
        do {
            if (it->Empty(tesseract::RIL_TEXTLINE))
                continue;
            const std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            const QString text = QString::fromUtf8(utf8.get()).trimmed();
            if (text.isEmpty())
                continue;
            int left = 0, top = 0, right = 0, bottom = 0;
            it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom);
            // Tesseract counts rows from the top; the box's origin is the bottom left.
            const QRectF box(
                left / width, (height - bottom) / height, (right - left) / width, (bottom - top) / height);
            const float confidence = std::clamp(it->Confidence(tesseract::RIL_TEXTLINE) / 100.0f, 0.0f, 1.0f);
            lines.append(ZunoOCRLine(text, box, confidence));
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    api.End();
    return ZunoOCRResult(lines);
}

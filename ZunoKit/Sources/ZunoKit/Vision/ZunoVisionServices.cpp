#include "ZunoVisionServices.h"

#include "ZunoTesseractTextRecognizer.h"
#include "ZunoVisionError.h"
#include "ZunoVisionPixels.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <exception>

namespace {

// Grey levels (0 to 1) that vary by less than this show nothing: a hundredth of an 8-bit step.
constexpr double kPlainDeviation = 0.01 / 255.0;

struct Attempt {
    ZunoTextRecognitionLevel level;
    bool cpuOnly;
};

// Grey levels of `image` as 32-bit floats, transparency over white.
cv::Mat greyFloat(const QImage &image)
{
    const QImage rgb = ZunoVisionPixels::flattenedRGB(image);
    const cv::Mat source(
        rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar *>(rgb.constBits()), size_t(rgb.bytesPerLine()));
    cv::Mat grey;
    cv::cvtColor(source, grey, cv::COLOR_RGB2GRAY);
    cv::Mat out;
    grey.convertTo(out, CV_32F, 1.0 / 255.0);
    return out;
}

// A picture without any structure has nothing to align by.
bool isPlain(const cv::Mat &grey)
{
    cv::Scalar mean, deviation;
    cv::meanStdDev(grey, mean, deviation);
    return deviation[0] < kPlainDeviation;
}

// `grey` on a canvas of `size` with its bottom-left corner at the canvas's, the rest filled with
// its mean so that the border adds no edge of its own.
cv::Mat onCanvas(const cv::Mat &grey, const cv::Size &size)
{
    if (grey.size() == size)
        return grey;
    cv::Mat out;
    cv::copyMakeBorder(grey, out, size.height - grey.rows, 0, 0, size.width - grey.cols, cv::BORDER_CONSTANT,
        cv::mean(grey));
    return out;
}

} // namespace

namespace ZunoVisionServices {

ZunoOCRResult recognizeText(const QImage &image, const QStringList &languages, bool accurate)
{
    return recognizeText(image, languages, accurate, ZunoTesseractTextRecognizer());
}

ZunoOCRResult recognizeText(
    const QImage &image, const QStringList &languages, bool accurate, const ZunoTextRecognizer &recognizer)
{
    const ZunoTextRecognitionLevel requested
        = accurate ? ZunoTextRecognitionLevel::accurate : ZunoTextRecognitionLevel::fast;
    const Attempt attempts[] = {
        { requested, false },
        { requested, true },
        { ZunoTextRecognitionLevel::fast, true },
    };
    std::exception_ptr lastError;
    for (const Attempt &attempt : attempts) {
        try {
            return recognizer.recognize(image, languages, attempt.level, attempt.cpuOnly);
        } catch (...) {
            lastError = std::current_exception();
        }
    }
    std::rethrow_exception(lastError);
}

ZunoFeaturePrint featurePrint(const QImage &image)
{
    std::optional<ZunoFeaturePrint> print = ZunoFeaturePrint::generate(image);
    if (!print)
        throw ZunoVisionError(kErrorDomain, 1, QStringLiteral("Could not compute image feature print."));
    return std::move(*print);
}

ZunoVector translationalOffset(const QImage &from, const QImage &to)
{
    if (from.isNull() || to.isNull() || from.size().isEmpty() || to.size().isEmpty()) {
        throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::InvalidImage,
            QStringLiteral("The image has no pixels."));
    }
    try {
        const cv::Mat reference = greyFloat(from);
        const cv::Mat floating = greyFloat(to);
        if (isPlain(reference) || isPlain(floating))
            return {};
        const cv::Size canvas(
            std::max(reference.cols, floating.cols), std::max(reference.rows, floating.rows));
        cv::Mat window;
        // The window fades the picture's edges, whose wrap-around would otherwise pull the peak to zero.
        if (canvas.width > 1 && canvas.height > 1)
            cv::createHanningWindow(window, canvas, CV_32F);
        double response = 0.0;
        const cv::Point2d shift
            = cv::phaseCorrelate(onCanvas(reference, canvas), onCanvas(floating, canvas), window, &response);
        if (!std::isfinite(shift.x) || !std::isfinite(shift.y) || !std::isfinite(response) || response <= 0.0)
            return {};
        // The correlation gives where the content of `to` lies relative to `from`, rows counted
        // downwards; the result moves it back, with y upwards.
        return { -shift.x, shift.y };
    } catch (const cv::Exception &error) {
        throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::EngineFailure,
            QStringLiteral("Could not register the images: %1").arg(QString::fromStdString(error.msg)));
    }
}

} // namespace ZunoVisionServices

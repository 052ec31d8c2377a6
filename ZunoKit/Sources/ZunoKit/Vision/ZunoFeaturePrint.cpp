#include "ZunoFeaturePrint.h"

#include "ZunoVisionError.h"
#include "ZunoVisionPixels.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Every picture is first reduced to this square; details finer than that do not tell scenes apart.
constexpr int kWorkingSide = 64;
// How much the colour block counts beside the two structure blocks (each of unit length).
constexpr float kColourWeight = 0.7f;
constexpr double kTiny = 1e-9;
// Brightness differences below a tenth of an 8-bit grey level count as equal.
constexpr float kLevelTolerance = 0.1f / 255.0f;

// Scales `block` to unit length in place; a block with nothing in it (rounding noise of a plain
// picture) becomes all zeros rather than amplified noise.
void normalise(std::vector<float> &block)
{
    double sum = 0.0;
    for (float v : block)
        sum += double(v) * v;
    if (sum < kTiny) {
        std::fill(block.begin(), block.end(), 0.0f);
        return;
    }
    const float inverse = float(1.0 / std::sqrt(sum));
    for (float &v : block)
        v *= inverse;
}

// The order of brightness of 16 × 16 areas: ranks do not move when exposure, contrast or a tone
// curve changes, so only what the picture shows counts.
std::vector<float> brightnessLayout(const cv::Mat &grey)
{
    cv::Mat layout;
    cv::resize(grey, layout, cv::Size(ZunoFeaturePrint::kLayoutSide, ZunoFeaturePrint::kLayoutSide), 0, 0,
        cv::INTER_AREA);
    const std::vector<float> values(layout.begin<float>(), layout.end<float>());
    std::vector<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&](int a, int b) { return values[size_t(a)] < values[size_t(b)]; });

    // Equal values (plain areas, clipped highlights) share their mean rank.
    std::vector<float> block(values.size());
    for (size_t i = 0; i < order.size();) {
        size_t j = i + 1;
        while (j < order.size() && values[size_t(order[j])] - values[size_t(order[i])] < kLevelTolerance)
            ++j;
        const float rank = float(i + j - 1) / 2.0f;
        for (size_t k = i; k < j; ++k)
            block[size_t(order[k])] = rank;
        i = j;
    }
    const float mean = float(values.size() - 1) / 2.0f;
    for (float &v : block)
        v -= mean;
    normalise(block);
    return block;
}

// Histograms of gradient direction per cell, weighted by gradient strength.
std::vector<float> edgeDirections(const cv::Mat &grey)
{
    cv::Mat gx, gy, magnitude, angle;
    cv::Sobel(grey, gx, CV_32F, 1, 0, 3, 1.0, 0.0, cv::BORDER_REPLICATE);
    cv::Sobel(grey, gy, CV_32F, 0, 1, 3, 1.0, 0.0, cv::BORDER_REPLICATE);
    cv::cartToPolar(gx, gy, magnitude, angle, false);

    constexpr int cells = ZunoFeaturePrint::kCellSide;
    constexpr int bins = ZunoFeaturePrint::kOrientationBins;
    constexpr int cellSize = kWorkingSide / cells;
    std::vector<float> block(cells * cells * bins, 0.0f);
    for (int y = 0; y < kWorkingSide; ++y) {
        for (int x = 0; x < kWorkingSide; ++x) {
            const float a = angle.at<float>(y, x);
            const int bin = std::min(bins - 1, int(a / float(2.0 * CV_PI) * bins));
            const int cell = (y / cellSize) * cells + x / cellSize;
            block[size_t(cell * bins + bin)] += magnitude.at<float>(y, x);
        }
    }
    normalise(block);
    return block;
}

// Mean opponent colours per cell (red against green, yellow against blue). Differences of channels
// do not move when the picture is lifted, and the block's own scaling removes a gain.
std::vector<float> colourLayout(const cv::Mat &rgb)
{
    constexpr int cells = ZunoFeaturePrint::kCellSide;
    cv::Mat means;
    cv::resize(rgb, means, cv::Size(cells, cells), 0, 0, cv::INTER_AREA);
    std::vector<float> block;
    block.reserve(cells * cells * 2);
    for (int y = 0; y < cells; ++y) {
        for (int x = 0; x < cells; ++x) {
            const cv::Vec3f c = means.at<cv::Vec3f>(y, x);
            block.push_back(c[0] - c[1]);
            block.push_back((c[0] + c[1]) / 2.0f - c[2]);
        }
    }
    normalise(block);
    for (float &v : block)
        v *= kColourWeight;
    return block;
}

} // namespace

ZunoFeaturePrint::ZunoFeaturePrint(std::vector<float> elements)
    : m_elements(std::move(elements))
{
}

std::optional<ZunoFeaturePrint> ZunoFeaturePrint::generate(const QImage &image)
{
    const QImage flat = ZunoVisionPixels::flattenedRGB(image);
    if (flat.isNull() || flat.width() == 0 || flat.height() == 0)
        return std::nullopt;

    try {
        const cv::Mat source(flat.height(), flat.width(), CV_8UC3, const_cast<uchar *>(flat.constBits()),
            size_t(flat.bytesPerLine()));
        cv::Mat small;
        cv::resize(source, small, cv::Size(kWorkingSide, kWorkingSide), 0, 0, cv::INTER_AREA);
        cv::Mat rgb;
        small.convertTo(rgb, CV_32FC3, 1.0 / 255.0);
        cv::Mat grey;
        cv::cvtColor(rgb, grey, cv::COLOR_RGB2GRAY);

        std::vector<float> elements = brightnessLayout(grey);
        const std::vector<float> edges = edgeDirections(grey);
        const std::vector<float> colour = colourLayout(rgb);
        elements.insert(elements.end(), edges.begin(), edges.end());
        elements.insert(elements.end(), colour.begin(), colour.end());
        normalise(elements);
        return ZunoFeaturePrint(std::move(elements));
    } catch (const cv::Exception &error) {
        throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::EngineFailure,
            QStringLiteral("Could not describe the image: %1").arg(QString::fromStdString(error.msg)));
    }
}

float ZunoFeaturePrint::computeDistance(const ZunoFeaturePrint &other) const
{
    if (m_elements.size() != other.m_elements.size()) {
        throw ZunoVisionError(ZunoVisionError::kEngineDomain, ZunoVisionError::EngineFailure,
            QStringLiteral("Feature prints of %1 and %2 elements cannot be compared.")
                .arg(m_elements.size())
                .arg(other.m_elements.size()));
    }
    double sum = 0.0;
    for (size_t i = 0; i < m_elements.size(); ++i) {
        const double d = double(m_elements[i]) - other.m_elements[i];
        sum += d * d;
    }
    return float(std::sqrt(sum));
}

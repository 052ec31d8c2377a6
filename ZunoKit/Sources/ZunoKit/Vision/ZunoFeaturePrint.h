#pragma once

#include <QImage>

#include <optional>
#include <vector>

// A compact description of what an image shows, for telling similar pictures from different ones:
// its coarse brightness layout and edge directions (both blind to overall brightness and contrast)
// and its coarse colour layout. The elements form a vector of unit length, or all zeros for an image
// without any structure or colour (a plain grey picture).
class ZunoFeaturePrint {
public:
    static constexpr int kLayoutSide = 16; // brightness layout: 16 × 16 samples
    static constexpr int kCellSide = 4; // edges and colour: 4 × 4 cells
    static constexpr int kOrientationBins = 8; // edge directions per cell
    static constexpr int kElementCount
        = kLayoutSide * kLayoutSide + kCellSide * kCellSide * kOrientationBins + kCellSide * kCellSide * 2;

    explicit ZunoFeaturePrint(std::vector<float> elements);

    // The print of an image; nullopt for an image without pixels. Throws ZunoVisionError when the
    // image cannot be processed.
    static std::optional<ZunoFeaturePrint> generate(const QImage &image);

    const std::vector<float> &data() const { return m_elements; }
    int elementCount() const { return int(m_elements.size()); }

    // Euclidean distance between the two prints: 0 for the same picture, small for the same scene
    // with other exposure, around 1 or more for unrelated pictures, at most 2. Throws ZunoVisionError
    // for prints of different lengths.
    float computeDistance(const ZunoFeaturePrint &other) const;

    friend bool operator==(const ZunoFeaturePrint &, const ZunoFeaturePrint &) = default;

private:
    std::vector<float> m_elements;
};

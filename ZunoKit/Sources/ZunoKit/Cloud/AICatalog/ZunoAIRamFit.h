#pragma once

#include <QHashFunctions>
#include <QString>

#include <optional>

// Whether a local model fits the machine's memory. `cloud`: memory does not apply.
enum class ZunoAIRamFit { comfortable, tight, exceeds, cloud };

namespace ZunoAIRamFits {

// The memory a local model is taken to need when its specs give no minimum, in GB of 2^30 bytes.
inline constexpr double kDefaultMinimumRamGB = 8.0;
// Recommended memory = this factor × the minimum, when the specs give no recommended figure.
inline constexpr double kRecommendedFactor = 1.5;

// Exact raw value only ("comfortable", "tight", "exceeds", "cloud").
std::optional<ZunoAIRamFit> fromRawValue(const QString &raw);

} // namespace ZunoAIRamFits

QString rawValue(ZunoAIRamFit fit);

inline std::size_t qHash(ZunoAIRamFit fit, std::size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(fit), seed);
}

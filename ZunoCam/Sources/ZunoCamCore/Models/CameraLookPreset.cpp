#include "CameraLookPreset.h"

namespace {

struct PresetInfo {
    CameraLookPreset preset;
    const char *raw;
    const char *en;
    const char *tr;
};

constexpr PresetInfo kPresets[] = {
    { CameraLookPreset::natural, "natural", "Natural", "Doğal" },
    { CameraLookPreset::deepSeaCinema, "deepSeaCinema", "Deep Sea Cinema", "Derin Deniz Sinema" },
    { CameraLookPreset::warmStudio, "warmStudio", "Warm Studio", "Sıcak Stüdyo" },
    { CameraLookPreset::crispDaylight, "crispDaylight", "Crisp Daylight", "Net Gün Işığı" },
    { CameraLookPreset::noirMono, "noirMono", "Noir Mono", "Siyah Beyaz" },
};

const PresetInfo &info(CameraLookPreset preset)
{
    return kPresets[static_cast<int>(preset)];
}

} // namespace

namespace CameraLookPresets {

const std::array<CameraLookPreset, 5> &allCases()
{
    static const std::array<CameraLookPreset, 5> cases
        = { CameraLookPreset::natural, CameraLookPreset::deepSeaCinema, CameraLookPreset::warmStudio,
              CameraLookPreset::crispDaylight, CameraLookPreset::noirMono };
    return cases;
}

std::optional<CameraLookPreset> fromRawValue(const QString &raw)
{
    for (const PresetInfo &entry : kPresets) {
        if (raw == QLatin1String(entry.raw))
            return entry.preset;
    }
    return std::nullopt;
}

QString id(CameraLookPreset preset)
{
    return rawValue(preset);
}

CamTextPair label(CameraLookPreset preset)
{
    return { QString::fromUtf8(info(preset).en), QString::fromUtf8(info(preset).tr) };
}

QString labelEN(CameraLookPreset preset)
{
    return label(preset).en;
}

QString labelTR(CameraLookPreset preset)
{
    return label(preset).tr;
}

} // namespace CameraLookPresets

QString rawValue(CameraLookPreset preset)
{
    return QString::fromLatin1(info(preset).raw);
}

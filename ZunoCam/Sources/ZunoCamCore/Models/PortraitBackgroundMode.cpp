#include "PortraitBackgroundMode.h"

namespace {

struct ModeInfo {
    PortraitBackgroundMode mode;
    const char *raw;
    const char *en;
    const char *tr;
    const char *shortEn;
    const char *shortTr;
    const char *symbol;
};

constexpr ModeInfo kModes[] = {
    { PortraitBackgroundMode::off, "off", "Off", "Kapalı", "Off", "Kapalı", "person.crop.rectangle" },
    { PortraitBackgroundMode::softBlur, "softBlur", "Soft Blur", "Hafif Bulanık", "Soft", "Hafif",
        "aqi.low" },
    { PortraitBackgroundMode::strongBlur, "strongBlur", "Strong Blur", "Güçlü Bulanık", "Strong", "Güçlü",
        "aqi.medium" },
    { PortraitBackgroundMode::studioDim, "studioDim", "Studio Dim", "Stüdyo Karartma", "Dim", "Karart",
        "light.recessed" },
};

const ModeInfo &info(PortraitBackgroundMode mode)
{
    return kModes[static_cast<int>(mode)];
}

} // namespace

namespace PortraitBackgroundModes {

const std::array<PortraitBackgroundMode, 4> &allCases()
{
    static const std::array<PortraitBackgroundMode, 4> cases
        = { PortraitBackgroundMode::off, PortraitBackgroundMode::softBlur, PortraitBackgroundMode::strongBlur,
              PortraitBackgroundMode::studioDim };
    return cases;
}

std::optional<PortraitBackgroundMode> fromRawValue(const QString &raw)
{
    for (const ModeInfo &entry : kModes) {
        if (raw == QLatin1String(entry.raw))
            return entry.mode;
    }
    return std::nullopt;
}

QString id(PortraitBackgroundMode mode)
{
    return rawValue(mode);
}

CamTextPair label(PortraitBackgroundMode mode)
{
    return { QString::fromUtf8(info(mode).en), QString::fromUtf8(info(mode).tr) };
}

QString labelEN(PortraitBackgroundMode mode)
{
    return label(mode).en;
}

QString labelTR(PortraitBackgroundMode mode)
{
    return label(mode).tr;
}

CamTextPair shortLabel(PortraitBackgroundMode mode)
{
    return { QString::fromUtf8(info(mode).shortEn), QString::fromUtf8(info(mode).shortTr) };
}

QString shortLabelEN(PortraitBackgroundMode mode)
{
    return shortLabel(mode).en;
}

QString shortLabelTR(PortraitBackgroundMode mode)
{
    return shortLabel(mode).tr;
}

QString symbolName(PortraitBackgroundMode mode)
{
    return QString::fromLatin1(info(mode).symbol);
}

} // namespace PortraitBackgroundModes

QString rawValue(PortraitBackgroundMode mode)
{
    return QString::fromLatin1(info(mode).raw);
}

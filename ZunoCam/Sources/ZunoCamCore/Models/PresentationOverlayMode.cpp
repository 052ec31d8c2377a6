#include "PresentationOverlayMode.h"

namespace {

struct ModeInfo {
    PresentationOverlayMode mode;
    const char *raw;
    const char *en;
    const char *tr;
    const char *symbol;
};

constexpr ModeInfo kModes[] = {
    { PresentationOverlayMode::fadingLaser, "fadingLaser", "Fading Laser", "Sönen Lazer", "wand.and.stars" },
    { PresentationOverlayMode::freehandPen, "freehandPen", "Freehand Pen", "Sunum Kalemi",
        "pencil.tip.crop.circle" },
    { PresentationOverlayMode::arrowTool, "arrowTool", "Arrow Pointer", "Ok İşareti",
        "arrow.up.right.circle.fill" },
    { PresentationOverlayMode::highlightBox, "highlightBox", "Highlight Box", "Vurgu Kutusu",
        "rectangle.dashed" },
    { PresentationOverlayMode::numberedStamp, "numberedStamp", "Step Stamp (1,2,3)", "Adım Damgası (1,2,3)",
        "1.circle.fill" },
    { PresentationOverlayMode::cursorSpotlight, "cursorSpotlight", "Cursor Spotlight", "İmleç Spot Işığı",
        "flashlight.on.fill" },
};

const ModeInfo &info(PresentationOverlayMode mode)
{
    return kModes[static_cast<int>(mode)];
}

} // namespace

namespace PresentationOverlayModes {

const std::array<PresentationOverlayMode, 6> &allCases()
{
    static const std::array<PresentationOverlayMode, 6> cases
        = { PresentationOverlayMode::fadingLaser, PresentationOverlayMode::freehandPen,
              PresentationOverlayMode::arrowTool, PresentationOverlayMode::highlightBox,
              PresentationOverlayMode::numberedStamp, PresentationOverlayMode::cursorSpotlight };
    return cases;
}

std::optional<PresentationOverlayMode> fromRawValue(const QString &raw)
{
    for (const ModeInfo &entry : kModes) {
        if (raw == QLatin1String(entry.raw))
            return entry.mode;
    }
    return std::nullopt;
}

QString id(PresentationOverlayMode mode)
{
    return rawValue(mode);
}

CamTextPair label(PresentationOverlayMode mode)
{
    return { QString::fromUtf8(info(mode).en), QString::fromUtf8(info(mode).tr) };
}

QString labelEN(PresentationOverlayMode mode)
{
    return label(mode).en;
}

QString labelTR(PresentationOverlayMode mode)
{
    return label(mode).tr;
}

QString symbolName(PresentationOverlayMode mode)
{
    return QString::fromLatin1(info(mode).symbol);
}

} // namespace PresentationOverlayModes

QString rawValue(PresentationOverlayMode mode)
{
    return QString::fromLatin1(info(mode).raw);
}

#pragma once

#include "CameraAdjustments.h"
#include "CameraImageKernels.h"
#include "PersonSegmenter.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class ZunoAppLogger;

// Separates the person from the background of each frame and replaces the background with a
// blurred or dimmed copy of the frame. `apply` runs on the video queue; `reset` on the owner's
// thread. The lock serialises the segmenter and guards the remembered mask.
class PortraitSegmentationEngine {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    PortraitSegmentationEngine(ZunoAppLogger &logger, std::unique_ptr<PersonSegmenter> segmenter,
        Clock clock = std::chrono::steady_clock::now);
    ~PortraitSegmentationEngine();

    // The frame to use from now on: the input itself when nothing is done, else the composition
    // (which lives in the engine's buffers until the next call).
    CameraPixelBuffer apply(const CameraPixelBuffer &image, PortraitBackgroundMode mode);
    // Forgets the last mask.
    void reset();

    // Buffers of one composition, kept between frames.
    struct Workspace {
        CameraPixelBuffer mask;
        CameraPixelBuffer background;
        CameraPixelBuffer output;
        CameraImageKernels::BlurScratch blur;
    };

    // Stretches and feathers `mask` to the frame, styles the background for `mode` and blends. Mode
    // off, or an empty frame or mask, returns the foreground itself.
    static CameraPixelBuffer composite(const CameraPixelBuffer &foreground, const CameraPixelBuffer &mask,
        PortraitBackgroundMode mode, Workspace &workspace);

    static constexpr double kFeatherRadius = 2;
    static constexpr double kSoftBlurRadius = 10;
    static constexpr double kStrongBlurRadius = 24;
    static constexpr double kStudioDimBlurRadius = 7.5;
    static constexpr double kStudioDimExposureEV = -1.75;
    static constexpr double kStudioDimSaturation = 0.74;
    static constexpr double kStudioDimContrast = 1.04;
    static constexpr std::chrono::seconds kErrorLogInterval { 10 };

private:
    ZunoAppLogger &m_logger;
    Clock m_clock;
    std::mutex m_lock;
    std::unique_ptr<PersonSegmenter> m_segmenter;
    CameraPixelBuffer m_lastMask;
    CameraPixelBuffer m_newMask;
    std::optional<std::chrono::steady_clock::time_point> m_lastErrorLoggedAt; // none: the distant past
    Workspace m_workspace; // used on the video queue only
};

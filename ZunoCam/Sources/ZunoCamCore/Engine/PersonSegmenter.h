#pragma once

#include "NeuralImageView.h"
#include "PortraitBackgroundMode.h"

#include <QImage>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class SelfieSegmentationModel;
class ZunoAppLogger;

// The segmentation half of the portrait engine: turns each frame into an 8-bit person mask at the
// model's resolution (white person, black background) and keeps the last good mask, so a frame whose
// segmentation fails is composed with it instead of flickering. A failure is logged at warn level,
// category "portrait", at most once per 10 seconds, the first one always.
// Thread-safe: one lock serialises inference and guards the mask memory, so `reset()` waits for a
// segmentation in flight. The logger is called after the lock is released.
class PersonSegmenter {
public:
    using Clock = std::chrono::steady_clock;
    // Fills `mask` from the frame, or returns false with a description in `error`.
    using MaskFunction = std::function<bool(const NeuralImageView &frame, QImage &mask, QString &error)>;

    static constexpr std::chrono::seconds kErrorLogInterval { 10 };

    // Backed by the selfie model in the application's resources (or at `modelPath`). When it cannot
    // be loaded every frame fails with the reason, so frames pass through uncomposed.
    explicit PersonSegmenter(std::shared_ptr<ZunoAppLogger> logger);
    PersonSegmenter(std::shared_ptr<ZunoAppLogger> logger, const QString &modelPath);
    // Backed by any mask function (tests), with an optional clock for the log throttle.
    PersonSegmenter(std::shared_ptr<ZunoAppLogger> logger, MaskFunction model,
        std::function<Clock::time_point()> now = {});
    ~PersonSegmenter();

    // One frame. Mode `off`: forgets the last mask, does no work and returns none. Otherwise segments
    // the frame and returns the new mask, or the last good one when this frame fails, or none when
    // there has been no good mask since the last reset.
    std::optional<QImage> segment(const NeuralImageView &frame, PortraitBackgroundMode mode);
    // Forgets the last mask.
    void reset();

private:
    QImage *freeMaskBuffer();

    std::mutex m_lock;
    std::unique_ptr<SelfieSegmentationModel> m_selfie;
    MaskFunction m_model;
    std::shared_ptr<ZunoAppLogger> m_logger;
    std::function<Clock::time_point()> m_now;
    // Masks are written into a small pool and handed out as implicitly shared copies; a buffer no
    // caller holds any more is written again, so steady operation allocates nothing.
    std::array<QImage, 3> m_masks;
    int m_lastMask = -1;
    std::optional<Clock::time_point> m_lastErrorLoggedAt; // none: the distant past
};

#pragma once

#include "NeuralImageView.h"

#include <QImage>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class SelfieSegmentationModel;

// The segmentation half of the portrait engine: turns each frame into an 8-bit person mask at the
// model's resolution (white person, black background) and keeps the last good mask, so a failed frame
// is composed with it instead of flickering. Failures are logged at most once per 10 seconds, the first
// one always. The portrait engine calls `segment` for every frame whose background mode is not off and
// `reset()` when the mode is off, the camera stops, or the mode is switched off.
// Thread-safe: one lock serialises inference and guards the mask memory, so `reset()` waits for a
// segmentation in flight. The sink is called outside the lock.
class PersonSegmenter {
public:
    using Clock = std::chrono::steady_clock;
    // Fills `mask` from the frame or returns false with a description in `error`.
    using MaskFunction = std::function<bool(const NeuralImageView &frame, QImage &mask, QString &error)>;
    // Receives (category, message) of the warn-level log lines; the application logger in production.
    using WarnSink = std::function<void(const QString &category, const QString &message)>;

    static constexpr std::chrono::seconds kErrorLogInterval { 10 };

    // Backed by the selfie model from the application's resources; when it cannot be loaded, every
    // frame fails with the reason (and frames pass through uncomposed).
    explicit PersonSegmenter(WarnSink warn);
    PersonSegmenter(WarnSink warn, const QString &modelPath);
    // Backed by any mask function (tests), with an optional clock for the log throttle.
    PersonSegmenter(WarnSink warn, MaskFunction model, std::function<Clock::time_point()> now = {});
    ~PersonSegmenter();

    // Segments one frame. Returns the new mask, or the last good one when this frame fails, or none
    // when there has been no good mask since the last reset.
    std::optional<QImage> segment(const NeuralImageView &frame);
    // Forgets the last mask.
    void reset();

private:
    QImage *freeMaskBuffer();

    std::mutex m_lock;
    std::unique_ptr<SelfieSegmentationModel> m_selfie;
    MaskFunction m_model;
    WarnSink m_warn;
    std::function<Clock::time_point()> m_now;
    // Masks are written into a small pool and handed out as implicitly shared copies; a buffer the
    // caller no longer holds is reused, so steady operation allocates nothing.
    std::array<QImage, 3> m_masks;
    int m_lastMask = -1;
    std::optional<Clock::time_point> m_lastErrorLoggedAt; // none: the distant past
};

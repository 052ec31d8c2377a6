#pragma once

#include "CameraRecorderError.h"
#include "CameraRecorderFrame.h"
#include "CameraRecordingResult.h"
#include "CameraRecordingSnapshot.h"

#include <QDateTime>
#include <QFuture>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QTimeZone>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class ZunoAppLogger;

// Records the processed camera frames into H.264 MP4 files (no audio), one recording at a time:
// idle -> recording -> finishing -> idle. The file's encoder is made on the first frame, so its size
// follows the frames. Logs with the category "recorder".
//
// What was recorded is never deleted: a recording stops by itself while its file can still be
// finished when the disk is nearly full or the file nears the largest size allowed, and a file whose
// writing failed anyway is left where it is. Only a file without any frame is removed.
//
// Threading: one mutex guards the state; it is never held while a callback runs, the logger writes
// or the encoder is drained. `append` runs on the capture service's video queue and never waits for
// the encoder (a busy encoder drops the frame); the first frame opens the file and the encoder.
// `startRecording`, `cancelRecording` and `currentSnapshot` run on the caller's thread;
// `stopRecording` returns at once and finishes the file on a worker thread.
class CameraVideoRecorder {
public:
    using StatusCallback = std::function<void(const CameraRecordingSnapshot &)>;
    // Free bytes on the file system holding a path; none when unknown. Called on the encoder thread.
    using FreeSpaceReader = std::function<std::optional<std::uint64_t>(const QString &path)>;

    // `logger` receives the recorder's lines (category "recorder"); the studio passes the one of "ZunoCam".
    // `freeSpace` replaces the file system's own reading (statvfs), for tests.
    explicit CameraVideoRecorder(std::shared_ptr<ZunoAppLogger> logger, FreeSpaceReader freeSpace = {});
    // Waits for a stop in progress. A recording still running is finished, so its file stays playable
    // (or removed when it holds no frame); no callback is called.
    ~CameraVideoRecorder();
    CameraVideoRecorder(const CameraVideoRecorder &) = delete;
    CameraVideoRecorder &operator=(const CameraVideoRecorder &) = delete;

    // True while recording (false while finishing).
    bool isRecording() const;

    // Progress for the owner: on the video queue at the first frame and at each new whole second of
    // elapsed time, and with the idle snapshot as soon as the recording ends by itself (the encoder
    // could not be set up, writing failed, or the room ran out: the next stop reports how it ended);
    // on the caller's thread at start, cancel and a stop without frames; on a worker thread when a stop
    // finishes a file. Set it before recording.
    void setOnStatusChange(StatusCallback callback);

    // Creates the folder (default: defaultOutputDirectory()), picks a free file name from `date` in
    // the system time zone and starts recording; returns the file's path. Throws
    // std::filesystem::filesystem_error when the folder cannot be made, CameraRecorderError
    // alreadyRecording unless idle. No file exists until the first frame.
    QString startRecording(const std::optional<QString> &directory, const QDateTime &date);

    // Writes one frame; true only when it was taken. Frames while not recording, without a usable
    // time, not after the last one, or while the encoder is busy are dropped. Each frame takes a slot
    // of 1/30 s from the first frame, the one nearest its time or else the next free one; a frame that
    // would sit 1.5 slots or more ahead of its time is dropped and counted (logged at stop). So the
    // file's times rise strictly, also at the frame rate players assume. When the encoder has stopped
    // taking frames because the room ran out, or writing failed, the recording ends here: the idle
    // snapshot, the file finished as far as it can be and kept; later frames are dropped silently.
    bool append(const CameraRecorderFrame &frame);

    // Ends the recording. The future fails with CameraRecorderError: notRecording unless recording;
    // noFramesCaptured (file removed) when append took no frame; writerSetupFailed when the encoder
    // could not be set up for this recording; writerFailed when writing failed during the recording
    // or the file could not be finished, with the errno behind it, the kept file and whether it got
    // its index. Otherwise it yields the file, its media duration (first to last frame plus one
    // frame), the frame count in the file and whether the recorder stopped early for want of room.
    // A recording that ended by itself is reported by the one stop that follows it. Chain with
    // `.then(context, ...)` to continue on the main thread.
    QFuture<CameraRecordingResult> stopRecording();

    // Abandons a running recording and deletes its file; does nothing unless recording.
    void cancelRecording();

    // Live progress: while recording, the media time of the last frame written (first to last frame),
    // the same clock as the result's duration, so the shown time never goes back at stop.
    CameraRecordingSnapshot currentSnapshot() const;

    // The XDG videos folder plus "ZunoCam".
    static QString defaultOutputDirectory();
    // "ZunoCam-yyyyMMdd-HHmmss.mp4" for `date` in `timeZone`.
    static QString makeRecordingFilename(const QDateTime &date, const QTimeZone &timeZone);
    // A path in `directory` (default: defaultOutputDirectory()) that does not exist yet: the file name,
    // else with "-2" ... "-999" before ".mp4", else with six characters of a random UUID.
    static QString makeRecordingURL(
        const std::optional<QString> &directory, const QDateTime &date, const QTimeZone &timeZone);
    // Average H.264 bit rate in bits per second for a frame size.
    static int recommendedBitrate(std::int64_t width, std::int64_t height);
    // The encodable size: each side rounded down to an even whole number; none unless both are
    // finite and at least 2.
    static std::optional<QSize> evenDimensions(const QSizeF &size);
    // "mm:ss" below an hour, "h:mm:ss" from an hour; whole seconds rounded down, negatives as 0.
    static QString formatDuration(double seconds);

private:
    enum class LifecycleState { idle, recording, finishing };
    struct ActiveSession;

    // Finishes the session's file on the calling thread and logs how it went: its result, or the
    // writer's failure thrown. Leaves the state alone.
    CameraRecordingResult finishFile(ActiveSession &session) const;
    // finishFile, then the writer goes, the state returns to idle and `callback` gets the idle snapshot,
    // however it went.
    CameraRecordingResult finishAndSettle(
        const std::shared_ptr<ActiveSession> &session, const StatusCallback &callback);
    // Under the lock: the running recording ends by itself and its file is finished on a worker; the
    // next stop returns how it went.
    void endByItselfLocked();

    mutable std::mutex m_lock;
    const std::shared_ptr<ZunoAppLogger> m_logger;
    const FreeSpaceReader m_freeSpace;
    LifecycleState m_state = LifecycleState::idle;
    std::unique_ptr<ActiveSession> m_activeSession;
    // A recording that ended by itself (no encoder, writing failed, no room left); the next stop
    // returns it.
    std::optional<QFuture<CameraRecordingResult>> m_endedByItself;
    StatusCallback m_onStatusChange;
    QFuture<CameraRecordingResult> m_finishing;
};

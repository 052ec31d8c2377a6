#include "CameraVideoRecorder.h"

#include "CameraMP4Writer.h"
#include "ZunoAppLogger.h"
#include "ZunoPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPromise>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

namespace {

const QString kCategory = QStringLiteral("recorder");
constexpr int kExpectedFrameRate = 30;
constexpr int kLastSuffix = 999;
// A frame whose time falls on a frame slot already taken moves to the next free one, unless that
// puts it this many slots or more ahead of its own time: then it is dropped.
constexpr double kMostSlotsAhead = 1.5;

QFuture<CameraRecordingResult> failedFuture(const CameraRecorderError &error)
{
    QPromise<CameraRecordingResult> promise;
    QFuture<CameraRecordingResult> future = promise.future();
    promise.start();
    promise.setException(error);
    promise.finish();
    return future;
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// The lines a locked section wants written, logged after the lock is released.
struct PendingLog {
    ZunoLogLevel level = ZunoLogLevel::info;
    QString message;
};

} // namespace

struct CameraVideoRecorder::ActiveSession {
    QString outputURL;
    std::unique_ptr<CameraMP4Writer> writer;
    std::optional<QSize> videoSize;
    std::optional<double> firstPTS;
    std::optional<double> lastPTS;
    // Frames sit on slots of 1/kExpectedFrameRate s from the first one, one frame per slot, so the
    // file's times rise strictly even at the rate a player assumes.
    std::int64_t lastSlot = -1;
    std::int64_t framesOnTakenSlots = 0; // dropped: no free slot near their time
    std::int64_t frameCount = 0;
    double elapsedSeconds = 0;
    std::int64_t lastReportedSecond = -1;

    // The media's length: first to last frame plus the last frame's own time.
    double mediaDuration() const { return frameCount > 0 ? elapsedSeconds + 1.0 / kExpectedFrameRate : 0; }

    // The slot for a frame at `time`; none when the frame must be dropped.
    std::optional<std::int64_t> slotFor(double time) const
    {
        const double exact = (time - *firstPTS) * kExpectedFrameRate;
        if (!std::isfinite(exact) || exact < -0.5)
            return std::nullopt;
        const auto nearest = std::int64_t(std::llround(exact));
        if (nearest > lastSlot)
            return nearest;
        if (double(lastSlot + 1) - exact < kMostSlotsAhead)
            return lastSlot + 1;
        return std::nullopt;
    }
};

namespace {

// Finishes the file; one that cannot be played (no index: the disk filled up, a limit was reached)
// is deleted rather than left behind. True when it was deleted.
bool finishOrRemove(CameraMP4Writer &writer, const QString &path)
{
    writer.finish();
    if (writer.indexWritten())
        return false;
    return QFile::remove(path) || !QFileInfo::exists(path);
}

} // namespace

CameraVideoRecorder::CameraVideoRecorder(std::shared_ptr<ZunoAppLogger> logger)
    : m_logger(std::move(logger))
{
}

CameraVideoRecorder::~CameraVideoRecorder()
{
    QFuture<CameraRecordingResult> finishing;
    std::unique_ptr<ActiveSession> session;
    {
        std::lock_guard lock(m_lock);
        finishing = m_finishing;
        session = std::move(m_activeSession);
        m_state = LifecycleState::idle;
    }
    try {
        finishing.waitForFinished();
    } catch (...) {
        // A failed stop was already reported to whoever asked for it.
    }
    if (!session || !session->writer)
        return;
    if (session->frameCount > 0) {
        finishOrRemove(*session->writer, session->outputURL);
        if (session->writer->status() == CameraMP4Writer::Status::completed)
            m_logger->log(ZunoLogLevel::info, kCategory,
                QStringLiteral("MP4 recording saved: %1 (%2, %3 frames)")
                    .arg(fileName(session->outputURL), formatDuration(session->mediaDuration()))
                    .arg(session->frameCount));
        return;
    }
    session->writer->cancel();
    session->writer.reset();
    QFile::remove(session->outputURL);
}

bool CameraVideoRecorder::isRecording() const
{
    std::lock_guard lock(m_lock);
    return m_state == LifecycleState::recording;
}

void CameraVideoRecorder::setOnStatusChange(StatusCallback callback)
{
    std::lock_guard lock(m_lock);
    m_onStatusChange = std::move(callback);
}

QString CameraVideoRecorder::startRecording(const std::optional<QString> &directory, const QDateTime &date)
{
    const QString folder = directory.value_or(defaultOutputDirectory());
    std::error_code error;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (error)
        throw std::filesystem::filesystem_error("Could not create the recordings folder",
            std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    const QString url = makeRecordingURL(folder, date, QTimeZone::systemTimeZone());

    StatusCallback callback;
    {
        std::lock_guard lock(m_lock);
        if (m_state != LifecycleState::idle)
            throw CameraRecorderError::alreadyRecording();
        m_state = LifecycleState::recording;
        m_activeSession = std::make_unique<ActiveSession>();
        m_activeSession->outputURL = url;
        m_keptFailure.reset();
        callback = m_onStatusChange;
    }
    m_logger->log(ZunoLogLevel::info, kCategory, QStringLiteral("MP4 recording started: ") + fileName(url));
    if (callback)
        callback(CameraRecordingSnapshot { true, 0, 0, url });
    return url;
}

bool CameraVideoRecorder::append(const CameraRecorderFrame &frame)
{
    if (!std::isfinite(frame.timestampSeconds))
        return false;
    const double time = frame.timestampSeconds;

    bool written = false;
    std::optional<PendingLog> line;
    std::optional<CameraRecordingSnapshot> report;
    StatusCallback callback;
    QString abandonedFile;
    {
        std::lock_guard lock(m_lock);
        if (m_state != LifecycleState::recording || !m_activeSession)
            return false;
        ActiveSession &session = *m_activeSession;

        if (!session.writer) {
            const std::optional<QSize> size = evenDimensions(QSizeF(frame.width, frame.height));
            if (!size) {
                // The recording waits for a frame it can use.
                line = PendingLog { ZunoLogLevel::error,
                    QStringLiteral("Invalid frame dimensions for MP4 recording: (%1, %2)")
                        .arg(frame.width)
                        .arg(frame.height) };
            } else {
                try {
                    const CameraMP4Writer::Settings settings { size->width(), size->height(),
                        recommendedBitrate(size->width(), size->height()), kExpectedFrameRate, time };
                    session.writer = std::make_unique<CameraMP4Writer>(session.outputURL, settings);
                    session.videoSize = size;
                    session.firstPTS = time;
                } catch (const CameraMP4Writer::SetupError &failure) {
                    QString reason = failure.message();
                    if (failure.stage() == CameraMP4Writer::SetupStage::input)
                        reason = QStringLiteral("MP4 writer rejected H.264 video input (%1).").arg(reason);
                    else if (failure.stage() == CameraMP4Writer::SetupStage::start && reason.isEmpty())
                        reason = QStringLiteral("Unable to start writing.");
                    const CameraRecorderError setupError = CameraRecorderError::writerSetupFailed(reason);
                    // A file that cannot be opened keeps the platform's own text.
                    const QString description = failure.stage() == CameraMP4Writer::SetupStage::file
                        ? reason
                        : setupError.localizedDescription();
                    line = PendingLog { ZunoLogLevel::error,
                        QStringLiteral("MP4 writer configuration failed: ") + description };
                    // The recording is over, but not silently: the next stop reports the failure.
                    m_keptFailure = failedFuture(setupError);
                    abandonedFile = session.outputURL;
                    m_state = LifecycleState::idle;
                    m_activeSession.reset();
                    report = CameraRecordingSnapshot::idle();
                    callback = m_onStatusChange;
                }
            }
        }

        if (m_activeSession && session.writer
            && session.writer->status() == CameraMP4Writer::Status::failed) {
            // Writing failed (a full disk, a removed drive): the recording ends now, not at stop.
            const QString reason = session.writer->errorMessage();
            const int systemError = session.writer->systemError();
            line = PendingLog { ZunoLogLevel::error, QStringLiteral("MP4 recording failed: ") + reason };
            std::shared_ptr<ActiveSession> failed = std::move(m_activeSession);
            m_state = LifecycleState::finishing;
            report = CameraRecordingSnapshot::idle();
            callback = m_onStatusChange;
            m_finishing = QtConcurrent::run([this, failed, reason, systemError]() -> CameraRecordingResult {
                // The index is still attempted, so that what was recorded stays playable where possible.
                const bool removed = finishOrRemove(*failed->writer, failed->outputURL);
                failed->writer.reset();
                if (removed)
                    m_logger->log(ZunoLogLevel::warn, kCategory,
                        QStringLiteral("Unplayable MP4 removed: ") + fileName(failed->outputURL));
                {
                    std::lock_guard lock(m_lock);
                    m_state = LifecycleState::idle;
                }
                throw CameraRecorderError::writerFailed(reason, systemError, removed);
            });
            m_keptFailure = m_finishing;
        } else if (m_activeSession && session.writer) {
            CameraMP4Writer &writer = *session.writer;
            const bool ready
                = writer.status() == CameraMP4Writer::Status::writing && writer.isReadyForMoreMediaData();
            const bool later = !session.lastPTS || time > *session.lastPTS;
            const std::optional<std::int64_t> slot = later ? session.slotFor(time) : std::nullopt;
            if (later && !slot)
                ++session.framesOnTakenSlots;
            CameraRecorderFrame placed = frame;
            if (slot)
                placed.timestampSeconds = *session.firstPTS + double(*slot) / kExpectedFrameRate;
            if (ready && slot && writer.append(placed)) {
                written = true;
                ++session.frameCount;
                session.lastPTS = time;
                session.lastSlot = *slot;
                session.elapsedSeconds = double(*slot) / kExpectedFrameRate;
                const auto whole = std::int64_t(session.elapsedSeconds);
                if (session.frameCount == 1 || whole != session.lastReportedSecond) {
                    session.lastReportedSecond = whole;
                    report = CameraRecordingSnapshot { true, session.elapsedSeconds, session.frameCount,
                        session.outputURL };
                    callback = m_onStatusChange;
                }
            }
        }
    }

    if (!abandonedFile.isEmpty())
        QFile::remove(abandonedFile);
    if (line)
        m_logger->log(line->level, kCategory, line->message);
    if (report && callback)
        callback(*report);
    return written;
}

QFuture<CameraRecordingResult> CameraVideoRecorder::stopRecording()
{
    std::shared_ptr<ActiveSession> session;
    StatusCallback callback;
    {
        std::lock_guard lock(m_lock);
        if (m_state != LifecycleState::recording || !m_activeSession) {
            if (m_keptFailure) {
                const QFuture<CameraRecordingResult> failure = *m_keptFailure;
                m_keptFailure.reset();
                return failure;
            }
            return failedFuture(CameraRecorderError::notRecording());
        }
        m_state = LifecycleState::finishing;
        session = std::move(m_activeSession);
        callback = m_onStatusChange;
    }

    if (!session->writer || session->frameCount < 1) {
        if (session->writer)
            session->writer->cancel();
        session->writer.reset();
        QFile::remove(session->outputURL);
        {
            std::lock_guard lock(m_lock);
            m_state = LifecycleState::idle;
        }
        if (callback)
            callback(CameraRecordingSnapshot::idle());
        m_logger->log(ZunoLogLevel::warn, kCategory,
            QStringLiteral("MP4 recording stopped before any video frames were captured."));
        return failedFuture(CameraRecorderError::noFramesCaptured());
    }

    // Draining the encoder and writing the index take a moment: do it off the caller's thread.
    QFuture<CameraRecordingResult> future = QtConcurrent::run([this, session, callback]() {
        const bool removed = finishOrRemove(*session->writer, session->outputURL);
        const CameraMP4Writer::Status status = session->writer->status();
        const QString writerError = session->writer->errorMessage();
        const int systemError = session->writer->systemError();
        session->writer.reset();
        {
            std::lock_guard lock(m_lock);
            m_state = LifecycleState::idle;
        }
        if (callback)
            callback(CameraRecordingSnapshot::idle());

        if (session->framesOnTakenSlots > 0)
            m_logger->log(ZunoLogLevel::info, kCategory,
                QStringLiteral("MP4 recording dropped %1 frames that came too close after the one before")
                    .arg(session->framesOnTakenSlots));
        if (status == CameraMP4Writer::Status::completed) {
            const double duration = session->mediaDuration();
            m_logger->log(ZunoLogLevel::info, kCategory,
                QStringLiteral("MP4 recording saved: %1 (%2, %3 frames)")
                    .arg(fileName(session->outputURL), formatDuration(duration))
                    .arg(session->frameCount));
            return CameraRecordingResult { session->outputURL, duration, session->frameCount };
        }
        const QString message = writerError.isEmpty()
            ? QStringLiteral("Unknown MP4 writer error (status=%1)").arg(int(status))
            : writerError;
        m_logger->log(
            ZunoLogLevel::error, kCategory, QStringLiteral("MP4 recording failed to finalize: ") + message);
        if (removed)
            m_logger->log(ZunoLogLevel::warn, kCategory,
                QStringLiteral("Unplayable MP4 removed: ") + fileName(session->outputURL));
        throw CameraRecorderError::writerFailed(message, systemError, removed);
    });
    {
        std::lock_guard lock(m_lock);
        m_finishing = future;
    }
    return future;
}

void CameraVideoRecorder::cancelRecording()
{
    std::unique_ptr<ActiveSession> session;
    StatusCallback callback;
    {
        std::lock_guard lock(m_lock);
        if (m_state != LifecycleState::recording)
            return;
        session = std::move(m_activeSession);
        m_state = LifecycleState::idle;
        callback = m_onStatusChange;
    }
    if (!session)
        return;
    if (session->writer)
        session->writer->cancel();
    session->writer.reset();
    QFile::remove(session->outputURL);
    m_logger->log(ZunoLogLevel::warn, kCategory,
        QStringLiteral("MP4 recording cancelled: ") + fileName(session->outputURL));
    if (callback)
        callback(CameraRecordingSnapshot::idle());
}

CameraRecordingSnapshot CameraVideoRecorder::currentSnapshot() const
{
    std::lock_guard lock(m_lock);
    if (m_state != LifecycleState::recording || !m_activeSession)
        return CameraRecordingSnapshot::idle();
    const ActiveSession &session = *m_activeSession;
    return CameraRecordingSnapshot { true, session.elapsedSeconds, session.frameCount, session.outputURL };
}

QString CameraVideoRecorder::defaultOutputDirectory()
{
    return QDir(ZunoPaths::movies()).filePath(QStringLiteral("ZunoCam"));
}

QString CameraVideoRecorder::makeRecordingFilename(const QDateTime &date, const QTimeZone &timeZone)
{
    return QStringLiteral("ZunoCam-")
        + QLocale::c().toString(date.toTimeZone(timeZone), QStringLiteral("yyyyMMdd-HHmmss"))
        + QStringLiteral(".mp4");
}

QString CameraVideoRecorder::makeRecordingURL(
    const std::optional<QString> &directory, const QDateTime &date, const QTimeZone &timeZone)
{
    const QDir folder(directory.value_or(defaultOutputDirectory()));
    const QString name = makeRecordingFilename(date, timeZone);
    const QString first = folder.filePath(name);
    if (!QFileInfo::exists(first))
        return first;
    const QString base = QFileInfo(name).completeBaseName();
    for (int n = 2; n <= kLastSuffix; ++n) {
        const QString candidate = folder.filePath(QStringLiteral("%1-%2.mp4").arg(base).arg(n));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
    const QString random = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(6);
    return folder.filePath(QStringLiteral("%1-%2.mp4").arg(base, random));
}

int CameraVideoRecorder::recommendedBitrate(std::int64_t width, std::int64_t height)
{
    const std::int64_t pixels = width * height;
    if (pixels < 921'600)
        return 4'500'000;
    if (pixels < 2'073'600)
        return 8'000'000;
    return 12'000'000;
}

std::optional<QSize> CameraVideoRecorder::evenDimensions(const QSizeF &size)
{
    const double width = size.width();
    const double height = size.height();
    if (!std::isfinite(width) || !std::isfinite(height) || width < 2 || height < 2)
        return std::nullopt;
    // Beyond int the frame cannot be encoded anyway.
    if (width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max())
        return std::nullopt;
    const auto evenWidth = std::int64_t(std::floor(width)) & ~std::int64_t(1);
    const auto evenHeight = std::int64_t(std::floor(height)) & ~std::int64_t(1);
    return QSize(int(evenWidth), int(evenHeight));
}

QString CameraVideoRecorder::formatDuration(double seconds)
{
    std::int64_t total = 0;
    if (std::isfinite(seconds) && seconds > 0)
        total = seconds >= 9.0e18 ? std::numeric_limits<std::int64_t>::max()
                                  : std::int64_t(std::floor(seconds));
    const std::int64_t hours = total / 3600;
    const std::int64_t minutes = (total % 3600) / 60;
    const std::int64_t secs = total % 60;
    if (total < 3600)
        return QString::asprintf(
            "%02lld:%02lld", static_cast<long long>(minutes), static_cast<long long>(secs));
    return QString::asprintf("%lld:%02lld:%02lld", static_cast<long long>(hours),
        static_cast<long long>(minutes), static_cast<long long>(secs));
}

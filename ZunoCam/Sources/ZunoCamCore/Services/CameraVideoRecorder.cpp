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

#include <cerrno>
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

CameraVideoRecorder::CameraVideoRecorder(std::shared_ptr<ZunoAppLogger> logger, FreeSpaceReader freeSpace)
    : m_logger(std::move(logger))
    , m_freeSpace(std::move(freeSpace))
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
        try {
            finishFile(*session);
        } catch (const CameraRecorderError &) {
            // Logged; the file stays for the user.
        }
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
        m_endedByItself.reset();
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
                        recommendedBitrate(size->width(), size->height()), kExpectedFrameRate, time,
                        m_freeSpace };
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
                    m_endedByItself = failedFuture(setupError);
                    abandonedFile = session.outputURL;
                    m_state = LifecycleState::idle;
                    m_activeSession.reset();
                    report = CameraRecordingSnapshot::idle();
                    callback = m_onStatusChange;
                }
            }
        }

        if (m_activeSession && session.writer
            && (session.writer->status() == CameraMP4Writer::Status::failed
                || session.writer->limitReached() != CameraMP4Writer::Limit::none)) {
            // Writing failed (a removed drive, a disk filled by someone else) or the room ran out: the
            // recording ends now, not at stop.
            endByItselfLocked();
            report = CameraRecordingSnapshot::idle();
            callback = m_onStatusChange;
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
            if (m_endedByItself) {
                const QFuture<CameraRecordingResult> ended = *m_endedByItself;
                m_endedByItself.reset();
                return ended;
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
    QFuture<CameraRecordingResult> future
        = QtConcurrent::run([this, session, callback] { return finishAndSettle(session, callback); });
    {
        std::lock_guard lock(m_lock);
        m_finishing = future;
    }
    return future;
}

void CameraVideoRecorder::endByItselfLocked()
{
    std::shared_ptr<ActiveSession> session = std::move(m_activeSession);
    m_state = LifecycleState::finishing;
    // The idle snapshot was reported when it ended.
    m_finishing = QtConcurrent::run([this, session] { return finishAndSettle(session, {}); });
    m_endedByItself = m_finishing;
}

CameraRecordingResult CameraVideoRecorder::finishAndSettle(
    const std::shared_ptr<ActiveSession> &session, const StatusCallback &callback)
{
    const auto settle = [&] {
        session->writer.reset();
        {
            std::lock_guard lock(m_lock);
            m_state = LifecycleState::idle;
        }
        if (callback)
            callback(CameraRecordingSnapshot::idle());
    };
    try {
        const CameraRecordingResult result = finishFile(*session);
        settle();
        return result;
    } catch (...) {
        settle();
        throw;
    }
}

CameraRecordingResult CameraVideoRecorder::finishFile(ActiveSession &session) const
{
    CameraMP4Writer &writer = *session.writer;
    const bool failedWhileRecording = writer.status() == CameraMP4Writer::Status::failed;
    // After a failure the index is still attempted, so that what was recorded stays playable.
    const CameraMP4Writer::Status status = writer.finish();
    const CameraMP4Writer::Limit limit = writer.limitReached();
    const std::int64_t frames = writer.framesWritten();
    const double duration = writer.writtenSeconds();
    const QString name = fileName(session.outputURL);
    const auto log
        = [this](ZunoLogLevel level, const QString &message) { m_logger->log(level, kCategory, message); };

    if (session.framesOnTakenSlots > 0)
        log(ZunoLogLevel::info,
            QStringLiteral("MP4 recording dropped %1 frames that came too close after the one before")
                .arg(session.framesOnTakenSlots));
    if (limit == CameraMP4Writer::Limit::diskSpace)
        log(ZunoLogLevel::warn,
            QStringLiteral("MP4 recording stopped early: the disk is nearly full, the rest is kept for the "
                           "file's index"));
    else if (limit == CameraMP4Writer::Limit::fileSize)
        log(ZunoLogLevel::warn,
            QStringLiteral("MP4 recording stopped early: the file is near the largest size allowed"));

    if (status == CameraMP4Writer::Status::completed && frames > 0) {
        log(ZunoLogLevel::info,
            QStringLiteral("MP4 recording saved: %1 (%2, %3 frames)")
                .arg(name, formatDuration(duration))
                .arg(frames));
        using Ending = CameraRecordingResult::Ending;
        const Ending ending = limit == CameraMP4Writer::Limit::diskSpace ? Ending::diskNearlyFull
            : limit == CameraMP4Writer::Limit::fileSize                  ? Ending::fileSizeLimit
                                                                         : Ending::requested;
        return CameraRecordingResult { session.outputURL, duration, frames, ending };
    }

    QString message;
    int systemError = writer.systemError();
    if (status == CameraMP4Writer::Status::completed) {
        message = QStringLiteral("No room left for a single frame");
        systemError = limit == CameraMP4Writer::Limit::fileSize ? EFBIG : ENOSPC;
    } else {
        message = writer.errorMessage().isEmpty()
            ? QStringLiteral("Unknown MP4 writer error (status=%1)").arg(int(status))
            : writer.errorMessage();
    }
    log(ZunoLogLevel::error,
        (failedWhileRecording || status == CameraMP4Writer::Status::completed
                ? QStringLiteral("MP4 recording failed: ")
                : QStringLiteral("MP4 recording failed to finalize: "))
            + message);
    if (frames == 0) {
        // Not one frame reached the file: there is nothing to keep.
        QFile::remove(session.outputURL);
        throw CameraRecorderError::writerFailed(message, systemError);
    }
    const bool playable = writer.playable();
    log(ZunoLogLevel::warn,
        playable ? QStringLiteral("MP4 recording kept up to the failure: %1 (%2, %3 frames)")
                       .arg(name, formatDuration(duration))
                       .arg(frames)
                 : QStringLiteral("MP4 recording kept without its index, it may not play: ") + name);
    throw CameraRecorderError::writerFailed(message, systemError, session.outputURL, playable);
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

#pragma once

#include "CameraRecorderFrame.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

// Writes H.264 (High profile) video without audio into an MP4 file. Frames arrive in real time from
// the video queue: `append` copies a frame into one of a few pool buffers and returns at once; the
// writer's own thread converts it to YUV 4:2:0 (BT.709, limited range), encodes and muxes it. When
// every buffer is taken the frame is refused (dropped), so the caller is never blocked by the encoder.
//
// Presentation times come from the capture clock (variable frame rate) and must strictly increase;
// each packet lasts until the next frame, the last one for one frame at the expected rate.
//
// The file is written as fragments of about a second, each with its own small index, so what is on
// disk plays at every moment up to the last whole fragment: a crash, a kill or a power cut loses
// only the last second or two. `finish` adds an ordinary index (one movie box, the frame count in its
// header) and turns the file into an ordinary MP4 in place.
//
// Before each packet goes to the file the writer makes sure the file can still be finished after it:
// room for the frames not yet written and the index of every frame is held on the disk (allocated
// to the file, so another program filling the disk cannot take it) and must stay below the largest
// file size allowed. When it would not, the writer stops taking frames, drops what it has not
// encoded yet and keeps the rest for `finish`: a full disk or a size limit ends the file early but
// playable. When the index cannot be written after all, the file stays fragmented and plays.
//
// Threading: `append`, `status` and `isReadyForMoreMediaData` may be called from any thread;
// `finish` and `cancel` block until the writer's thread has ended, so call them off the video queue.
class CameraMP4Writer {
public:
    // The numbers appear in the recorder's "status=" text.
    enum class Status { unknown = 0, writing = 1, completed = 2, failed = 3, cancelled = 4 };

    // Free bytes on the file system that holds `path`; none when unknown. Called on the writer's thread.
    using FreeSpaceReader = std::function<std::optional<std::uint64_t>(const QString &path)>;

    struct Settings {
        int width = 0; // even, at least 2
        int height = 0; // even, at least 2
        std::int64_t averageBitRate = 0; // bits per second
        int expectedFrameRate = 30;
        double startTimeSeconds = 0; // capture-clock time at which the file's timeline starts
        FreeSpaceReader freeSpace = {}; // empty: CameraStorageRoom::freeBytes
    };

    // Why the writer stopped taking frames while the file could still be finished.
    enum class Limit { none, diskSpace, fileSize };

    // Where set-up failed: the file could not be created, the encoder refused the video settings, or
    // the file header could not be written.
    enum class SetupStage { file, input, start };

    class SetupError : public std::runtime_error {
    public:
        SetupError(SetupStage stage, const QString &message);
        SetupStage stage() const { return m_stage; }
        QString message() const { return QString::fromUtf8(what()); }

    private:
        SetupStage m_stage;
    };

    // Frame buffers between the video queue and the encoder thread.
    static constexpr int kPoolSize = 4;

    // Creates the file, opens the encoder, writes the header and starts the encoder thread. Throws
    // SetupError; a file it created is closed but left for the caller to remove.
    CameraMP4Writer(const QString &path, const Settings &settings);
    // Cancels a writer that was neither finished nor cancelled, and joins its thread.
    ~CameraMP4Writer();
    CameraMP4Writer(const CameraMP4Writer &) = delete;
    CameraMP4Writer &operator=(const CameraMP4Writer &) = delete;

    QString path() const;
    Settings settings() const;
    Status status() const;
    // The first failure's text; empty unless the status is failed.
    QString errorMessage() const;
    // The errno behind the first failure (ENOSPC for a full disk, EFBIG past a file-size limit); 0
    // when it was not a system error.
    int systemError() const;
    // After finish(): the ordinary index was written and the file closed, even when writing had
    // failed earlier.
    bool indexWritten() const;
    // After finish(): the file holds frames a player can open, through the ordinary index or the
    // fragments' own.
    bool playable() const;
    // What ended the file early, if anything; the status stays writing until `finish`.
    Limit limitReached() const;
    // Writing, within the room, and a pool buffer is free.
    bool isReadyForMoreMediaData() const;

    // Queues a copy of the frame's top-left settings-size region (the rest, if the frame is smaller,
    // is black) at the frame's timestamp. False when the frame is refused: not writing, out of room,
    // no free buffer, no pixels, a time that is not finite, before the start or not after the last one.
    bool append(const CameraRecorderFrame &frame);

    // Encodes what is queued, drains the encoder, writes the index and closes the file; blocks until
    // done. Returns completed, or failed with `errorMessage()`. After a failure the index is still
    // attempted so that what was written stays playable where possible.
    Status finish();
    // Drops what is queued, stops the encoder and closes the file unfinished; blocks until done.
    void cancel();

    // Frames written so far, and the media time they cover (from the start to the end of the last);
    // after finish(), those the file holds.
    std::int64_t framesWritten() const;
    double writtenSeconds() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

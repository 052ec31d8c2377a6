#pragma once

#include "CameraMP4FragmentScanner.h"

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <deque>

struct AVIOContext;

// The file a writer's muxer writes a fragmented MP4 into, so that what is on disk plays at every
// moment up to the last whole fragment, whatever ends the process. The muxer writes through `io()`, a
// stream that cannot seek; the sink puts its own file type box and the space for a media data header
// first (CameraMP4IndexBuilder), follows the fragments as they pass, and syncs them to the disk now
// and then. `finish` then adds an ordinary index and makes the file an ordinary MP4 in place.
//
// Room: `hold` allocates the bytes the file still needs beyond its end, so a program that fills the
// disk meanwhile cannot take the room kept for finishing it.
//
// Used from the writer's thread only.
class CameraMP4FileSink {
public:
    enum class Room { held, full, unknown };

    CameraMP4FileSink() = default;
    // Closes the file as it is.
    ~CameraMP4FileSink();
    CameraMP4FileSink(const CameraMP4FileSink &) = delete;
    CameraMP4FileSink &operator=(const CameraMP4FileSink &) = delete;

    // Creates the file, replacing one of that name; 0 or the errno.
    int open(const QByteArray &fileName);
    AVIOContext *io() const { return m_io; }

    // The errno of the first write or sync that failed (the muxer got an error too); 0 if none.
    int error() const { return m_error; }
    // Bytes in the file.
    std::uint64_t size() const { return m_size; }
    const CameraMP4FragmentScanner &fragments() const { return m_fragments; }

    // Keeps at least `bytes` beyond the file's end allocated to it, taking `ahead` bytes when it has
    // to ask the file system (where there are). `full` when the disk has no room for `bytes`;
    // `unknown` when the file system cannot allocate ahead (room is then only checked, not held).
    Room hold(std::uint64_t bytes, std::uint64_t ahead);
    // Bytes allocated beyond the file's end.
    std::uint64_t heldAhead() const { return m_heldEnd > m_size ? m_heldEnd - m_size : 0; }

    // Makes the file an ordinary MP4: its index after the last fragment, then the header that hides
    // the fragments inside one media data box, each synced to the disk. Part of a fragment left by a
    // failed write is cut off first. When the index cannot be written, the file is left fragmented
    // at its last whole fragment. `firstDecodeTime` is the first frame's time on the track's clock
    // (the fragments count from zero). 0 or the errno; `indexed()` tells whether the index was written.
    int finish(std::uint64_t firstDecodeTime);
    bool indexed() const { return m_indexed; }
    // Gives back what is held beyond the end and closes the file; 0 or the errno.
    int close();

private:
    static int writePacket(void *opaque, std::uint8_t *data, int size);
    int take(const std::uint8_t *data, std::size_t size);
    int writeAll(const std::uint8_t *data, std::size_t size, std::uint64_t offset);
    int cutTo(std::uint64_t size);
    void releaseHold();

    int m_fd = -1;
    AVIOContext *m_io = nullptr;
    int m_error = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_heldEnd = 0;
    bool m_cannotHold = false;
    // The muxer's own file type box, until it is whole; then it is replaced.
    std::vector<std::uint8_t> m_muxerFileType;
    bool m_headerWritten = false;
    CameraMP4FragmentScanner m_fragments;
    // Type fields of fragment boxes written as `free`, until their fragment is whole.
    std::deque<std::uint64_t> m_hiddenTypes;
    std::uint64_t m_syncedEnd = 0;
    std::uint64_t m_writebackEnd = 0;
    std::chrono::steady_clock::time_point m_syncedAt;
    bool m_indexed = false;
};

#include "CameraMP4FileSink.h"

#include "CameraMP4BoxReader.h"
#include "CameraMP4IndexBuilder.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int kBufferBytes = 64 * 1024;
constexpr std::uint8_t kHiddenType[4] = { 'f', 'r', 'e', 'e' };
constexpr std::uint8_t kFragmentType[4] = { 'm', 'o', 'o', 'f' };
// Whole fragments reach the disk at least this often; a kill needs no sync (the page cache stays),
// a power cut does.
constexpr auto kSyncInterval = std::chrono::seconds(5);

} // namespace

CameraMP4FileSink::~CameraMP4FileSink()
{
    close();
}

int CameraMP4FileSink::open(const QByteArray &fileName)
{
    m_fd = ::open(fileName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return errno;
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferBytes));
    m_io = buffer ? avio_alloc_context(buffer, kBufferBytes, 1, this, nullptr, &writePacket, nullptr)
                  : nullptr;
    if (!m_io) {
        av_free(buffer);
        return ENOMEM;
    }
    m_syncedAt = std::chrono::steady_clock::now();
    return 0;
}

int CameraMP4FileSink::writePacket(void *opaque, std::uint8_t *data, int size)
{
    const int error = static_cast<CameraMP4FileSink *>(opaque)->take(data, std::size_t(size));
    return error ? AVERROR(error) : size;
}

int CameraMP4FileSink::take(const std::uint8_t *data, std::size_t size)
{
    if (m_error)
        return m_error;
    if (!m_headerWritten) {
        // The muxer starts with its file type box: ours, and the space for the media data header,
        // take its place. Offsets in the fragments count from each fragment, so nothing else moves.
        std::size_t wanted = 8;
        while (size > 0) {
            if (m_muxerFileType.size() >= 8)
                wanted = CameraMP4BoxReader(m_muxerFileType).u32(0).value_or(0);
            if (m_muxerFileType.size() >= wanted)
                break;
            const std::size_t n = std::min(wanted - m_muxerFileType.size(), size);
            m_muxerFileType.insert(m_muxerFileType.end(), data, data + n);
            data += n;
            size -= n;
        }
        const CameraMP4BoxReader muxerFileType(m_muxerFileType);
        if (m_muxerFileType.size() >= 8
            && (muxerFileType.u32(4) != CameraMP4BoxReader::code("ftyp") || *muxerFileType.u32(0) < 8))
            return m_error = EPROTO;
        if (m_muxerFileType.size() < 8 || m_muxerFileType.size() < *muxerFileType.u32(0))
            return 0;
        const std::vector<std::uint8_t> header = CameraMP4IndexBuilder::headerWhileWriting();
        if (const int error = writeAll(header.data(), header.size(), 0))
            return m_error = error;
        m_size = header.size();
        m_headerWritten = true;
    }
    if (size == 0)
        return 0;

    // A fragment's box goes to the file as a `free` box until all its media data is there: a file
    // cut in the middle of a fragment then ends in boxes players skip, not in one that promises
    // frames it does not hold.
    const std::uint64_t at = m_size;
    m_fragments.feed(data, size, at);
    std::vector<std::uint8_t> copy;
    for (const std::uint64_t start : m_fragments.takeFragmentStarts()) {
        const std::uint64_t type = start + 4;
        m_hiddenTypes.push_back(type);
        for (std::uint64_t i = 0; i < 4; ++i) {
            if (type + i < at) {
                if (const int error = writeAll(kHiddenType + i, 1, type + i))
                    return m_error = error;
            } else if (type + i < at + size) {
                if (copy.empty())
                    copy.assign(data, data + size);
                copy[type + i - at] = kHiddenType[i];
            }
        }
    }
    if (const int error = writeAll(copy.empty() ? data : copy.data(), size, at))
        return m_error = error;
    m_size += size;
    while (!m_hiddenTypes.empty() && m_fragments.wholeEnd() > m_hiddenTypes.front()) {
        if (const int error = writeAll(kFragmentType, 4, m_hiddenTypes.front()))
            return m_error = error;
        m_hiddenTypes.pop_front();
    }

    const std::uint64_t whole = m_fragments.wholeEnd();
    if (whole <= m_syncedEnd)
        return 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_syncedAt >= kSyncInterval) {
        if (::fdatasync(m_fd) != 0)
            return m_error = errno;
        m_syncedEnd = whole;
        m_syncedAt = now;
    } else if (whole > m_writebackEnd) {
        // Each whole fragment starts on its way to the disk at once, so the sync has little to wait
        // for; only a hint, its failure changes nothing.
        ::sync_file_range(m_fd, off_t(m_writebackEnd), off_t(whole - m_writebackEnd), SYNC_FILE_RANGE_WRITE);
        m_writebackEnd = whole;
    }
    return 0;
}

int CameraMP4FileSink::writeAll(const std::uint8_t *data, std::size_t size, std::uint64_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, data, size, off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    return 0;
}

CameraMP4FileSink::Room CameraMP4FileSink::hold(std::uint64_t bytes, std::uint64_t ahead)
{
    if (m_fd < 0 || m_cannotHold)
        return Room::unknown;
    if (m_size + bytes <= m_heldEnd)
        return Room::held;
    for (const std::uint64_t wanted : { std::max(ahead, bytes), bytes }) {
        int result;
        do
            result = ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, off_t(m_size), off_t(wanted));
        while (result != 0 && errno == EINTR);
        if (result == 0) {
            m_heldEnd = m_size + wanted;
            return Room::held;
        }
        if (errno != ENOSPC && errno != EDQUOT) {
            // Not every file system allocates ahead (EOPNOTSUPP); the room is then only checked.
            m_cannotHold = true;
            return Room::unknown;
        }
    }
    return Room::full;
}

int CameraMP4FileSink::cutTo(std::uint64_t size)
{
    if (::ftruncate(m_fd, off_t(size)) != 0)
        return errno;
    m_size = size;
    return 0;
}

int CameraMP4FileSink::finish(std::uint64_t firstDecodeTime)
{
    if (m_fd < 0)
        return EBADF;
    // What a failed write left of a fragment would only confuse a player.
    if (m_fragments.wholeEnd() < m_size && m_headerWritten) {
        if (const int error
            = cutTo(std::max<std::uint64_t>(m_fragments.wholeEnd(), CameraMP4IndexBuilder::kHeaderBytes)))
            return error;
    }
    if (m_fragments.failed())
        return EPROTO;
    const std::vector<CameraMP4Sample> &samples = m_fragments.samples();
    if (samples.empty())
        return 0; // nothing to index
    const auto movie = CameraMP4IndexBuilder::movie(m_fragments.movie(), samples, firstDecodeTime);
    if (!movie)
        return EPROTO;

    const std::uint64_t movieOffset = m_size;
    int error = writeAll(movie->data(), movie->size(), movieOffset);
    if (!error && ::fdatasync(m_fd) != 0)
        error = errno;
    if (error) {
        cutTo(movieOffset);
        return error;
    }
    m_size += movie->size();

    const std::vector<std::uint8_t> header = CameraMP4IndexBuilder::headerWhenFinished(movieOffset);
    error = writeAll(header.data(), header.size(), 0);
    if (!error && ::fdatasync(m_fd) != 0)
        error = errno;
    if (error) {
        // Back to a fragmented file that plays, if the disk lets us.
        const std::vector<std::uint8_t> before = CameraMP4IndexBuilder::headerWhileWriting();
        writeAll(before.data(), before.size(), 0);
        cutTo(movieOffset);
        return error;
    }
    m_indexed = true;
    releaseHold();
    return 0;
}

void CameraMP4FileSink::releaseHold()
{
    if (m_fd >= 0 && m_heldEnd > m_size) {
        // Cutting the file at its own size gives back what lies beyond on ext4 and tmpfs; other file
        // systems take a hole punched there. Errors change nothing: the blocks are then kept until
        // the file is cut or removed.
        ::fallocate(
            m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(m_size), off_t(m_heldEnd - m_size));
        ::ftruncate(m_fd, off_t(m_size));
    }
    m_heldEnd = m_size;
}

int CameraMP4FileSink::close()
{
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    if (m_fd < 0)
        return 0;
    releaseHold();
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 ? 0 : errno;
}

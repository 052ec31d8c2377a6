#pragma once

#include "CameraMP4Sample.h"

#include <cstdint>
#include <vector>

// Follows the bytes of a fragmented MP4 as they are written (the movie box with no samples, then
// fragments: a `moof` that describes its samples and the `mdat` that holds them) and keeps what
// an ordinary index needs: the movie box, and every sample whose bytes are all in the file.
// Only the fragment boxes are held in memory; media data is counted, not kept. Not thread-safe.
class CameraMP4FragmentScanner {
public:
    // The bytes that follow those fed before; they start at `fileOffset` in the file. False, from then
    // on, when they are not a fragmented MP4 this scanner can read.
    bool feed(const std::uint8_t *data, std::size_t size, std::uint64_t fileOffset);

    bool failed() const { return m_failed; }
    // The first `moov`, as written.
    const std::vector<std::uint8_t> &movie() const { return m_movie; }
    // Samples of whole fragments, in decoding order.
    const std::vector<CameraMP4Sample> &samples() const { return m_samples; }
    // File offset just past the last whole box: cutting the file there leaves it playable.
    std::uint64_t wholeEnd() const { return m_wholeEnd; }
    // Media data bytes fed so far, whole fragments or not.
    std::uint64_t mediaBytes() const { return m_mediaBytes; }
    // File offsets of the `moof` boxes whose headers were fed since the last call. A fragment is
    // whole once `wholeEnd()` has passed its start.
    std::vector<std::uint64_t> takeFragmentStarts();

private:
    struct Defaults {
        std::uint32_t duration = 0;
        std::uint32_t size = 0;
        std::uint32_t flags = 0;
    };

    bool boxDone();
    bool readFragment();
    bool readMovieDefaults();
    bool commitFragment(std::uint64_t payloadStart, std::uint64_t payloadEnd);

    bool m_failed = false;
    // The box being read: its header so far, its size and type once known, and its bytes when kept.
    std::vector<std::uint8_t> m_header;
    std::uint64_t m_boxStart = 0;
    std::uint64_t m_boxSize = 0;
    std::uint32_t m_boxType = 0;
    std::uint64_t m_boxSeen = 0;
    std::size_t m_boxHeader = 0;
    std::vector<std::uint8_t> m_box;

    std::vector<std::uint8_t> m_movie;
    Defaults m_trackDefaults;
    bool m_haveMovie = false;
    std::uint64_t m_fragmentStart = 0;
    bool m_pendingFragment = false;
    std::vector<CameraMP4Sample> m_fragmentSamples; // offsets relative to the fragment's `moof`
    std::vector<CameraMP4Sample> m_samples;
    std::uint64_t m_wholeEnd = 0;
    std::uint64_t m_mediaBytes = 0;
    std::vector<std::uint64_t> m_fragmentStarts;
};

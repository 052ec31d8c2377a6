#pragma once

#include "CameraMP4Sample.h"

#include <cstdint>
#include <optional>
#include <vector>

// The boxes that turn a fragmented MP4 into an ordinary one in place. While recording, the file starts
// with a file type box and a 16-byte `free` box, then the movie box with no samples and the fragments.
// To finish it, an ordinary movie box (every sample's size, time, key-frame flag and offset) goes after
// the last fragment, and the start is rewritten so that a 64-bit `mdat` header takes the `free` box's
// place and spans everything up to that movie box: the fragments' own boxes end up inside one media
// data box, so players see a file type, one media data box and one index.
class CameraMP4IndexBuilder {
public:
    // Bytes before the muxer's output, the same number before and after finishing.
    static constexpr std::size_t kHeaderBytes = 56;
    // Where the media data box starts once finished.
    static constexpr std::uint64_t kMediaDataStart = 40;

    // File type (ISO base media with fragments, AVC, MP4) and the space kept for the media data header.
    static std::vector<std::uint8_t> headerWhileWriting();
    // File type (ISO base media, AVC, MP4), padding, and a media data box that ends at `movieOffset`.
    static std::vector<std::uint8_t> headerWhenFinished(std::uint64_t movieOffset);

    // The ordinary movie box for the samples, built from the movie box the muxer wrote for fragments
    // (its track, sample description and user data are kept; durations and bit rates filled in, the
    // fragment defaults dropped). `firstDecodeTime` is the first sample's time on the track's clock.
    // None when that movie box is not one this builder can read.
    static std::optional<std::vector<std::uint8_t>> movie(const std::vector<std::uint8_t> &fragmentedMovie,
        const std::vector<CameraMP4Sample> &samples, std::uint64_t firstDecodeTime);
};

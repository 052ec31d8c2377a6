#include "CameraMP4FragmentScanner.h"

#include "CameraMP4BoxReader.h"

#include <algorithm>
#include <utility>

namespace {

using Reader = CameraMP4BoxReader;

constexpr std::uint32_t kMovie = Reader::code("moov");
constexpr std::uint32_t kFragment = Reader::code("moof");
constexpr std::uint32_t kMediaData = Reader::code("mdat");
constexpr std::uint32_t kTrackFragment = Reader::code("traf");
constexpr std::uint32_t kTrackRun = Reader::code("trun");
// The movie box and a fragment's box take kilobytes; anything far larger is not what the muxer writes.
constexpr std::uint64_t kLargestKeptBox = 16 * 1024 * 1024;

// Track fragment header flags.
constexpr std::uint32_t kBaseDataOffset = 0x1;
constexpr std::uint32_t kDescriptionIndex = 0x2;
constexpr std::uint32_t kDefaultDuration = 0x8;
constexpr std::uint32_t kDefaultSize = 0x10;
constexpr std::uint32_t kDefaultFlags = 0x20;
// Track run flags.
constexpr std::uint32_t kRunDataOffset = 0x1;
constexpr std::uint32_t kRunFirstFlags = 0x4;
constexpr std::uint32_t kRunDuration = 0x100;
constexpr std::uint32_t kRunSize = 0x200;
constexpr std::uint32_t kRunFlags = 0x400;
constexpr std::uint32_t kRunCompositionOffset = 0x800;
// Sample flags: the sample is not a sync sample.
constexpr std::uint32_t kNonSync = 0x10000;

} // namespace

bool CameraMP4FragmentScanner::feed(const std::uint8_t *data, std::size_t size, std::uint64_t fileOffset)
{
    if (m_failed)
        return false;
    std::size_t at = 0;
    while (at < size) {
        if (m_boxSize == 0) {
            // A box header: 8 bytes, or 16 when the size is 64-bit.
            if (m_header.empty())
                m_boxStart = fileOffset + at;
            const bool large = m_header.size() >= 4 && Reader(m_header).u32(0) == 1u;
            const std::size_t need = (large ? 16 : 8) - m_header.size();
            const std::size_t n = std::min(need, size - at);
            m_header.insert(m_header.end(), data + at, data + at + n);
            at += n;
            if (n < need || (m_header.size() == 8 && Reader(m_header).u32(0) == 1u))
                continue;
            const Reader header(m_header);
            const std::uint64_t boxSize = m_header.size() == 16 ? *header.u64(8) : *header.u32(0);
            // The muxer never writes a box that runs to the end of the file while fragmenting.
            if (boxSize < m_header.size()) {
                m_failed = true;
                return false;
            }
            m_boxType = *header.u32(4);
            m_boxSize = boxSize;
            m_boxSeen = m_header.size();
            m_box.clear();
            if (m_boxType == kFragment)
                m_fragmentStarts.push_back(m_boxStart);
            if (m_boxType == kMovie || m_boxType == kFragment) {
                if (boxSize > kLargestKeptBox) {
                    m_failed = true;
                    return false;
                }
                m_box = m_header;
            }
            m_boxHeader = m_header.size();
            m_header.clear();
        } else {
            const std::size_t n = std::size_t(std::min<std::uint64_t>(m_boxSize - m_boxSeen, size - at));
            if (m_boxType == kMovie || m_boxType == kFragment)
                m_box.insert(m_box.end(), data + at, data + at + n);
            if (m_boxType == kMediaData)
                m_mediaBytes += n;
            m_boxSeen += n;
            at += n;
        }
        if (m_boxSize != 0 && m_boxSeen == m_boxSize) {
            const bool read = boxDone();
            m_boxSize = 0;
            m_box.clear();
            if (!read) {
                m_failed = true;
                return false;
            }
        }
    }
    return true;
}

bool CameraMP4FragmentScanner::boxDone()
{
    const std::uint64_t end = m_boxStart + m_boxSize;
    if (m_boxType == kMovie) {
        if (!m_haveMovie) {
            m_movie = m_box;
            m_haveMovie = true;
            if (!readMovieDefaults())
                return false;
        }
    } else if (m_boxType == kFragment) {
        // A fragment box describes the media data box that follows it.
        if (!m_haveMovie || m_pendingFragment)
            return false;
        m_fragmentStart = m_boxStart;
        return readFragment();
    } else if (m_boxType == kMediaData) {
        if (m_pendingFragment && !commitFragment(m_boxStart + m_boxHeader, end))
            return false;
    } else if (m_pendingFragment) {
        return false;
    }
    m_wholeEnd = end;
    return true;
}

bool CameraMP4FragmentScanner::readMovieDefaults()
{
    const Reader reader(m_movie);
    const auto movie = reader.boxAt(0, m_movie.size());
    const auto extends = movie ? reader.child(*movie, "mvex") : std::nullopt;
    const auto trackExtends = extends ? reader.child(*extends, "trex") : std::nullopt;
    if (!trackExtends)
        return true; // the fragments carry their own defaults
    // version and flags, track, description index, then the defaults
    const std::size_t at = trackExtends->body() + 12;
    const auto duration = reader.u32(at);
    const auto size = reader.u32(at + 4);
    const auto flags = reader.u32(at + 8);
    if (!duration || !size || !flags)
        return false;
    m_trackDefaults = Defaults { *duration, *size, *flags };
    return true;
}

bool CameraMP4FragmentScanner::readFragment()
{
    const Reader reader(m_box);
    const auto fragment = reader.boxAt(0, m_box.size());
    const auto boxes = fragment ? reader.children(fragment->body(), fragment->end()) : std::nullopt;
    if (!boxes)
        return false;
    const auto trackFragments = std::count_if(
        boxes->begin(), boxes->end(), [](const Reader::Box &box) { return box.type == kTrackFragment; });
    const auto trackFragment = reader.child(*fragment, "traf");
    if (trackFragments != 1 || !trackFragment)
        return false; // one video track, as the writer makes

    const auto header = reader.child(*trackFragment, "tfhd");
    if (!header)
        return false;
    const std::uint32_t headerFlags = reader.u32(header->body()).value_or(0) & 0xFFFFFF;
    // Offsets count from the fragment box: a base offset would count from the muxer's own start.
    if (headerFlags & kBaseDataOffset)
        return false;
    Defaults defaults = m_trackDefaults;
    std::size_t at = header->body() + 8;
    const auto optionalField = [&](std::uint32_t flag, std::uint32_t &field) {
        if (!(headerFlags & flag))
            return true;
        const auto value = reader.u32(at);
        at += 4;
        if (value)
            field = *value;
        return value.has_value();
    };
    std::uint32_t descriptionIndex = 0;
    if (!optionalField(kDescriptionIndex, descriptionIndex)
        || !optionalField(kDefaultDuration, defaults.duration) || !optionalField(kDefaultSize, defaults.size)
        || !optionalField(kDefaultFlags, defaults.flags))
        return false;

    const auto parts = reader.children(trackFragment->body(), trackFragment->end());
    std::int64_t dataOffset = 0; // from the fragment box's start
    m_fragmentSamples.clear();
    for (const Reader::Box &run : *parts) {
        if (run.type != kTrackRun)
            continue;
        const auto versionAndFlags = reader.u32(run.body());
        const auto count = reader.u32(run.body() + 4);
        if (!versionAndFlags || !count)
            return false;
        const std::uint32_t flags = *versionAndFlags & 0xFFFFFF;
        const bool signedOffsets = (*versionAndFlags >> 24) >= 1;
        at = run.body() + 8;
        if (flags & kRunDataOffset) {
            const auto offset = reader.u32(at);
            if (!offset)
                return false;
            dataOffset = std::int32_t(*offset);
            at += 4;
        }
        std::optional<std::uint32_t> firstFlags;
        if (flags & kRunFirstFlags) {
            firstFlags = reader.u32(at);
            if (!firstFlags)
                return false;
            at += 4;
        }
        const std::size_t perSample = 4
            * (!!(flags & kRunDuration) + !!(flags & kRunSize) + !!(flags & kRunFlags)
                + !!(flags & kRunCompositionOffset));
        if (perSample != 0 && *count > (run.end() - std::min(at, run.end())) / perSample)
            return false;
        for (std::uint32_t i = 0; i < *count; ++i) {
            CameraMP4Sample sample;
            std::uint32_t sampleFlags = i == 0 && firstFlags ? *firstFlags : defaults.flags;
            sample.duration = defaults.duration;
            sample.size = defaults.size;
            if (flags & kRunDuration)
                sample.duration = *reader.u32(at), at += 4;
            if (flags & kRunSize)
                sample.size = *reader.u32(at), at += 4;
            if (flags & kRunFlags)
                sampleFlags = *reader.u32(at), at += 4;
            if (flags & kRunCompositionOffset) {
                const std::uint32_t offset = *reader.u32(at);
                at += 4;
                if (!signedOffsets && offset > std::uint32_t(INT32_MAX))
                    return false;
                sample.compositionOffset = std::int32_t(offset);
            }
            if (dataOffset < 0)
                return false;
            sample.offset = std::uint64_t(dataOffset);
            sample.sync = !(sampleFlags & kNonSync);
            dataOffset += sample.size;
            m_fragmentSamples.push_back(sample);
        }
    }
    m_pendingFragment = true;
    return true;
}

bool CameraMP4FragmentScanner::commitFragment(std::uint64_t payloadStart, std::uint64_t payloadEnd)
{
    for (CameraMP4Sample &sample : m_fragmentSamples) {
        sample.offset += m_fragmentStart;
        if (sample.offset < payloadStart || sample.offset > payloadEnd
            || sample.size > payloadEnd - sample.offset)
            return false;
    }
    m_samples.insert(m_samples.end(), m_fragmentSamples.begin(), m_fragmentSamples.end());
    m_fragmentSamples.clear();
    m_pendingFragment = false;
    return true;
}

std::vector<std::uint64_t> CameraMP4FragmentScanner::takeFragmentStarts()
{
    return std::exchange(m_fragmentStarts, {});
}

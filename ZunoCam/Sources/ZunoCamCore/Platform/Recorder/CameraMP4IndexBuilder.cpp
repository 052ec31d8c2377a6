#include "CameraMP4IndexBuilder.h"

#include "CameraMP4BoxReader.h"
#include "CameraMP4BoxWriter.h"

#include <limits>

namespace {

using Reader = CameraMP4BoxReader;
using Box = CameraMP4BoxReader::Box;

constexpr std::uint32_t kUnity = 0x00010000; // rate 1.0 in an edit
// A visual sample entry's own fields, before its child boxes.
constexpr std::size_t kVisualEntryFields = 78;

void copyBox(CameraMP4BoxWriter &out, const Reader &in, const Box &box)
{
    out.bytes(in.data() + box.offset, box.size);
}

std::uint64_t rescaleUp(std::uint64_t value, std::uint64_t to, std::uint64_t from)
{
    return std::uint64_t((static_cast<unsigned __int128>(value) * to + from - 1) / from);
}

std::uint64_t rescaleDown(std::uint64_t value, std::uint64_t to, std::uint64_t from)
{
    return std::uint64_t(static_cast<unsigned __int128>(value) * to / from);
}

// The movie, track and media headers share a shape: version and flags, creation and modification
// times, 4 or 8 bytes of their own (time scale; track and reserved), the duration, then fields kept
// as they are. The duration is replaced; version 1 only where 32 bits do not hold a value.
bool writeTimedHeader(
    CameraMP4BoxWriter &out, const Reader &in, const Box &box, std::size_t ownBytes, std::uint64_t duration)
{
    const auto version = in.u8(box.body());
    const auto flags = in.u32(box.body());
    if (!version || !flags || *version > 1)
        return false;
    const std::size_t timeBytes = *version == 1 ? 8 : 4;
    std::size_t at = box.body() + 4;
    const auto readTime = [&]() -> std::optional<std::uint64_t> {
        const auto value = timeBytes == 8 ? in.u64(at) : std::optional<std::uint64_t>(in.u32(at));
        at += timeBytes;
        return value;
    };
    const auto created = readTime();
    const auto modified = readTime();
    const std::size_t own = at;
    at += ownBytes;
    const auto oldDuration = readTime();
    if (!created || !modified || !oldDuration || at > box.end())
        return false;
    const bool wide = *created > std::numeric_limits<std::uint32_t>::max()
        || *modified > std::numeric_limits<std::uint32_t>::max()
        || duration > std::numeric_limits<std::uint32_t>::max();
    out.beginFull(std::string_view(reinterpret_cast<const char *>(in.data() + box.offset + 4), 4),
        wide ? 1 : 0, *flags & 0xFFFFFF);
    const auto writeTime = [&](std::uint64_t value) {
        if (wide)
            out.u64(value);
        else
            out.u32(std::uint32_t(value));
    };
    writeTime(*created);
    writeTime(*modified);
    out.bytes(in.data() + own, ownBytes);
    writeTime(duration);
    out.bytes(in.data() + at, box.end() - at);
    out.end();
    return true;
}

struct Totals {
    std::uint64_t trackDuration = 0; // track clock
    std::uint64_t bytes = 0;
    std::uint32_t trackScale = 0;
    std::uint32_t movieScale = 0;
    std::uint64_t movieDuration = 0; // movie clock, the delay before the first frame included
    std::uint64_t delay = 0; // movie clock
};

// The sample description as written, with the bit rate box telling the whole file's average.
bool writeSampleDescription(CameraMP4BoxWriter &out, const Reader &in, const Box &box, const Totals &totals)
{
    std::vector<std::uint8_t> copy(in.data() + box.offset, in.data() + box.end());
    const Reader description(copy);
    const auto self = description.boxAt(0, copy.size());
    const auto entry = self ? description.boxAt(self->body() + 8, self->end()) : std::nullopt;
    if (!entry)
        return false;
    if (const auto bitRate = description.child(*entry, "btrt", kVisualEntryFields)) {
        const std::uint64_t average = totals.trackDuration
            ? (static_cast<unsigned __int128>(totals.bytes) * 8 * totals.trackScale
                  + totals.trackDuration / 2)
                / totals.trackDuration
            : 0;
        const auto largest = description.u32(bitRate->body() + 4);
        if (!largest || average > std::numeric_limits<std::uint32_t>::max())
            return false;
        const auto put = [&](std::size_t at, std::uint32_t value) {
            copy[at] = std::uint8_t(value >> 24), copy[at + 1] = std::uint8_t(value >> 16);
            copy[at + 2] = std::uint8_t(value >> 8), copy[at + 3] = std::uint8_t(value);
        };
        put(bitRate->body() + 4, std::max<std::uint32_t>(*largest, std::uint32_t(average)));
        put(bitRate->body() + 8, std::uint32_t(average));
    }
    out.bytes(copy);
    return true;
}

// The samples' values of one field as runs of equal values: (count, value), in order.
template <typename Field> auto runsOf(const std::vector<CameraMP4Sample> &samples, Field field)
{
    std::vector<std::pair<std::uint32_t, decltype(field(samples.front()))>> runs;
    for (const CameraMP4Sample &sample : samples) {
        if (!runs.empty() && runs.back().second == field(sample))
            ++runs.back().first;
        else
            runs.push_back({ 1, field(sample) });
    }
    return runs;
}

void writeSampleTables(CameraMP4BoxWriter &out, const std::vector<CameraMP4Sample> &samples)
{
    // Decoding times: runs of equal durations.
    const auto durations = runsOf(samples, [](const CameraMP4Sample &sample) { return sample.duration; });
    out.beginFull("stts", 0, 0);
    out.u32(std::uint32_t(durations.size()));
    for (const auto &[count, duration] : durations)
        out.u32(count), out.u32(duration);
    out.end();

    std::vector<std::uint32_t> sync;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].sync)
            sync.push_back(std::uint32_t(i + 1));
    }
    if (sync.size() < samples.size()) {
        out.beginFull("stss", 0, 0);
        out.u32(std::uint32_t(sync.size()));
        for (std::uint32_t index : sync)
            out.u32(index);
        out.end();
    }

    bool reordered = false;
    bool negative = false;
    for (const CameraMP4Sample &sample : samples) {
        reordered = reordered || sample.compositionOffset != 0;
        negative = negative || sample.compositionOffset < 0;
    }
    if (reordered) {
        const auto offsets
            = runsOf(samples, [](const CameraMP4Sample &sample) { return sample.compositionOffset; });
        out.beginFull("ctts", negative ? 1 : 0, 0);
        out.u32(std::uint32_t(offsets.size()));
        for (const auto &[count, offset] : offsets)
            out.u32(count), out.u32(std::uint32_t(offset));
        out.end();
    }

    // A chunk is a run of samples that lie back to back: the media of one fragment.
    std::vector<std::uint64_t> chunks;
    std::vector<std::uint32_t> chunkSamples;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i == 0 || samples[i].offset != samples[i - 1].offset + samples[i - 1].size) {
            chunks.push_back(samples[i].offset);
            chunkSamples.push_back(0);
        }
        ++chunkSamples.back();
    }
    out.beginFull("stsc", 0, 0);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> chunkRuns; // first chunk (from 1), samples
    for (std::size_t i = 0; i < chunkSamples.size(); ++i) {
        if (chunkRuns.empty() || chunkRuns.back().second != chunkSamples[i])
            chunkRuns.push_back({ std::uint32_t(i + 1), chunkSamples[i] });
    }
    out.u32(std::uint32_t(chunkRuns.size()));
    for (const auto &[first, count] : chunkRuns)
        out.u32(first), out.u32(count), out.u32(1);
    out.end();

    out.beginFull("stsz", 0, 0);
    out.u32(0);
    out.u32(std::uint32_t(samples.size()));
    for (const CameraMP4Sample &sample : samples)
        out.u32(sample.size);
    out.end();

    const bool wide = !chunks.empty() && chunks.back() > std::numeric_limits<std::uint32_t>::max();
    out.beginFull(wide ? "co64" : "stco", 0, 0);
    out.u32(std::uint32_t(chunks.size()));
    for (std::uint64_t offset : chunks) {
        if (wide)
            out.u64(offset);
        else
            out.u32(std::uint32_t(offset));
    }
    out.end();
}

// The presentation starts after the delay, if any (an empty edit), then plays the media from its
// first presented sample.
void writeEdits(CameraMP4BoxWriter &out, const Totals &totals, std::int32_t firstOffset)
{
    const std::uint64_t shown = rescaleUp(totals.trackDuration, totals.movieScale, totals.trackScale);
    const bool wide = shown > std::uint64_t(std::numeric_limits<std::int32_t>::max())
        || totals.delay > std::uint64_t(std::numeric_limits<std::int32_t>::max());
    const auto field = [&](std::int64_t value) {
        if (wide)
            out.u64(std::uint64_t(value));
        else
            out.u32(std::uint32_t(value));
    };
    out.begin("edts");
    out.beginFull("elst", wide ? 1 : 0, 0);
    out.u32(totals.delay > 0 ? 2 : 1);
    if (totals.delay > 0) {
        field(std::int64_t(totals.delay));
        field(-1);
        out.u32(kUnity);
    }
    field(std::int64_t(shown));
    field(std::max(0, firstOffset));
    out.u32(kUnity);
    out.end();
    out.end();
}

} // namespace

std::vector<std::uint8_t> CameraMP4IndexBuilder::headerWhileWriting()
{
    CameraMP4BoxWriter out;
    out.begin("ftyp");
    out.fourcc("isom");
    out.u32(0x200);
    for (const char *brand : { "isom", "iso2", "avc1", "mp41", "iso5", "iso6" })
        out.fourcc(brand);
    out.end();
    out.begin("free");
    out.u64(0);
    out.end();
    return out.take();
}

std::vector<std::uint8_t> CameraMP4IndexBuilder::headerWhenFinished(std::uint64_t movieOffset)
{
    CameraMP4BoxWriter out;
    out.begin("ftyp");
    out.fourcc("isom");
    out.u32(0x200);
    for (const char *brand : { "isom", "iso2", "avc1", "mp41" })
        out.fourcc(brand);
    out.end();
    out.begin("free");
    out.end();
    out.u32(1);
    out.fourcc("mdat");
    out.u64(movieOffset - kMediaDataStart);
    return out.take();
}

std::optional<std::vector<std::uint8_t>> CameraMP4IndexBuilder::movie(
    const std::vector<std::uint8_t> &fragmentedMovie, const std::vector<CameraMP4Sample> &samples,
    std::uint64_t firstDecodeTime)
{
    const Reader in(fragmentedMovie);
    const auto movie = in.boxAt(0, fragmentedMovie.size());
    const auto movieHeader = movie ? in.child(*movie, "mvhd") : std::nullopt;
    const auto track = movie ? in.child(*movie, "trak") : std::nullopt;
    const auto media = track ? in.child(*track, "mdia") : std::nullopt;
    const auto mediaHeader = media ? in.child(*media, "mdhd") : std::nullopt;
    const auto mediaInfo = media ? in.child(*media, "minf") : std::nullopt;
    const auto sampleTable = mediaInfo ? in.child(*mediaInfo, "stbl") : std::nullopt;
    const auto description = sampleTable ? in.child(*sampleTable, "stsd") : std::nullopt;
    if (!description || !movieHeader || !mediaHeader)
        return std::nullopt;
    const auto scaleAt
        = [&](const Box &header) { return in.u32(header.body() + (in.u8(header.body()) == 1 ? 20 : 12)); };
    const auto movieScale = scaleAt(*movieHeader);
    const auto trackScale = scaleAt(*mediaHeader);
    if (!movieScale || !trackScale || *movieScale == 0 || *trackScale == 0)
        return std::nullopt;

    Totals totals;
    totals.movieScale = *movieScale;
    totals.trackScale = *trackScale;
    for (const CameraMP4Sample &sample : samples) {
        totals.trackDuration += sample.duration;
        totals.bytes += sample.size;
    }
    const std::int32_t firstOffset = samples.empty() ? 0 : samples.front().compositionOffset;
    totals.delay = rescaleDown(
        firstDecodeTime + std::uint64_t(std::max(0, firstOffset)), totals.movieScale, totals.trackScale);
    totals.movieDuration
        = totals.delay + rescaleUp(totals.trackDuration, totals.movieScale, totals.trackScale);

    CameraMP4BoxWriter out;
    const auto children = [&](const Box &box) { return in.children(box.body(), box.end()); };
    const auto movieBoxes = children(*movie);
    const auto trackBoxes = children(*track);
    const auto mediaBoxes = children(*media);
    const auto infoBoxes = children(*mediaInfo);
    if (!movieBoxes || !trackBoxes || !mediaBoxes || !infoBoxes)
        return std::nullopt;
    constexpr auto is = [](const Box &box, std::string_view type) { return box.type == Reader::code(type); };

    out.begin("moov");
    for (const Box &box : *movieBoxes) {
        if (is(box, "mvhd")) {
            if (!writeTimedHeader(out, in, box, 4, totals.movieDuration))
                return std::nullopt;
        } else if (is(box, "trak") && box.offset == track->offset) {
            out.begin("trak");
            for (const Box &part : *trackBoxes) {
                if (is(part, "tkhd")) {
                    if (!writeTimedHeader(out, in, part, 8, totals.movieDuration))
                        return std::nullopt;
                    writeEdits(out, totals, firstOffset);
                } else if (is(part, "mdia")) {
                    out.begin("mdia");
                    for (const Box &mediaPart : *mediaBoxes) {
                        if (is(mediaPart, "mdhd")) {
                            if (!writeTimedHeader(out, in, mediaPart, 4, totals.trackDuration))
                                return std::nullopt;
                        } else if (is(mediaPart, "minf")) {
                            out.begin("minf");
                            for (const Box &info : *infoBoxes) {
                                if (!is(info, "stbl")) {
                                    copyBox(out, in, info);
                                    continue;
                                }
                                out.begin("stbl");
                                if (!writeSampleDescription(out, in, *description, totals))
                                    return std::nullopt;
                                writeSampleTables(out, samples);
                                out.end();
                            }
                            out.end();
                        } else {
                            copyBox(out, in, mediaPart);
                        }
                    }
                    out.end();
                } else if (!is(part, "edts")) {
                    copyBox(out, in, part);
                }
            }
            out.end();
        } else if (!is(box, "mvex") && !is(box, "trak")) {
            copyBox(out, in, box);
        }
    }
    out.end();
    return out.take();
}

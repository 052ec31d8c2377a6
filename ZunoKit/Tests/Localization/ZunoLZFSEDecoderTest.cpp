#include "ZunoLZFSEDecoder.h"

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readTestFile(const QString &name)
{
    QFile file(QStringLiteral(ZUNO_TEST_DATA "/lzfse/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

Bytes decode(const Bytes &input, std::size_t limit = ZunoLZFSEDecoder::kDefaultMaxOutputBytes)
{
    return ZunoLZFSEDecoder::decompress(input, limit);
}

// Little builders for hand-made streams.
void put32(Bytes &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}
void put64(Bytes &out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}
void putText(Bytes &out, const std::string &text)
{
    out.insert(out.end(), text.begin(), text.end());
}

// One LZVN block and the end-of-stream block.
Bytes lzvnBlock(std::uint32_t rawBytes, const Bytes &payload)
{
    Bytes out;
    putText(out, "bvxn");
    put32(out, rawBytes);
    put32(out, std::uint32_t(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    putText(out, "bvx$");
    return out;
}

const Bytes kLZVNEnd = { 0x06, 0, 0, 0, 0, 0, 0, 0 };

Bytes withEnd(Bytes payload)
{
    payload.insert(payload.end(), kLZVNEnd.begin(), kLZVNEnd.end());
    return payload;
}

// An FSE block header: fields packed as the format lays them out, no frequency table.
Bytes fseHeader(std::uint32_t rawBytes, std::uint32_t literals, std::uint32_t matches,
    std::uint32_t headerBytes, std::uint32_t lState = 0)
{
    Bytes out;
    putText(out, "bvx2");
    put32(out, rawBytes);
    put64(out, std::uint64_t(literals) | std::uint64_t(matches) << 40 | std::uint64_t(7) << 60);
    put64(out, std::uint64_t(7) << 60);
    put64(out, std::uint64_t(headerBytes) | std::uint64_t(lState) << 32);
    return out;
}

} // namespace

TEST(ZunoLZFSEDecoder, EveryTestFileDecodesToTheJsonBesideIt)
{
    // stored, LZVN and FSE blocks; big holds several FSE blocks.
    for (const char *name : { "tiny", "fr", "de", "ja", "ar", "big" }) {
        SCOPED_TRACE(name);
        const Bytes compressed = readTestFile(QString::fromLatin1(name) + ".json.lzfse");
        const Bytes expected = readTestFile(QString::fromLatin1(name) + ".json");
        ASSERT_FALSE(compressed.empty());
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(decode(compressed), expected);
    }
}

TEST(ZunoLZFSEDecoder, DamagedTestFilesAreRejected)
{
    for (const char *name : { "ar-truncated", "bad-magic", "de-no-end" }) {
        SCOPED_TRACE(name);
        const Bytes damaged = readTestFile(QString::fromLatin1(name) + ".json.lzfse");
        ASSERT_FALSE(damaged.empty());
        EXPECT_THROW(decode(damaged), ZunoLZFSEError);
    }
    // Flipped payload bits may still decode, but never to the text that was compressed nor to valid JSON.
    const Bytes flipped = readTestFile("ar-bitflip.json.lzfse");
    ASSERT_FALSE(flipped.empty());
    try {
        const Bytes out = decode(flipped);
        EXPECT_NE(out, readTestFile("ar.json"));
        EXPECT_FALSE(nlohmann::json::accept(out.begin(), out.end()));
    } catch (const ZunoLZFSEError &) {
    }
}

TEST(ZunoLZFSEDecoder, EveryTruncationIsRejected)
{
    for (const char *name : { "tiny", "fr", "de", "ja" }) {
        SCOPED_TRACE(name);
        const Bytes whole = readTestFile(QString::fromLatin1(name) + ".json.lzfse");
        for (std::size_t length = 0; length < whole.size(); ++length)
            EXPECT_THROW(decode(Bytes(whole.begin(), whole.begin() + length)), ZunoLZFSEError) << length;
    }
}

// Whatever a damaged byte does, the decoder returns or throws; it never reads or writes out of bounds
// (run under a sanitizer or the fuzzer in Tools/ to see that part).
TEST(ZunoLZFSEDecoder, CorruptedBytesNeverEscapeTheLimit)
{
    constexpr std::size_t kLimit = 4u << 20;
    for (const char *name : { "de", "ja", "ar" }) {
        SCOPED_TRACE(name);
        const Bytes whole = readTestFile(QString::fromLatin1(name) + ".json.lzfse");
        const std::size_t step = std::max<std::size_t>(1, whole.size() / 400);
        for (std::size_t at = 0; at < whole.size(); at += step) {
            for (const std::uint8_t mask : { 0x01, 0x80, 0xff }) {
                Bytes damaged = whole;
                damaged[at] ^= mask;
                try {
                    EXPECT_LE(decode(damaged, kLimit).size(), kLimit);
                } catch (const ZunoLZFSEError &) {
                }
            }
        }
    }
}

TEST(ZunoLZFSEDecoder, HandMadeStreams)
{
    struct Case {
        const char *name;
        Bytes input;
        bool valid;
        std::string output;
    };
    Bytes storedShort;
    putText(storedShort, "bvx-");
    put32(storedShort, 5);
    putText(storedShort, "abcbvx$");
    Bytes storedHuge;
    putText(storedHuge, "bvx-");
    put32(storedHuge, 0xffffffffu);
    putText(storedHuge, "bvx$");
    // A stored "abc", then an LZVN match at distance 1 that reaches back into it.
    Bytes twoBlocks;
    putText(twoBlocks, "bvx-");
    put32(twoBlocks, 3);
    putText(twoBlocks, "abc");
    const Bytes second = lzvnBlock(4, withEnd({ 0x08, 0x01 }));
    twoBlocks.insert(twoBlocks.end(), second.begin(), second.end());
    // 'x' with a match at distance 1 (xxxx), then a match that repeats that distance (xx).
    const Bytes withPrevious = lzvnBlock(6, withEnd({ 0x40, 0x01, 'x', 0xf2 }));

    Bytes fseBigHeader = fseHeader(0, 0, 0, 1000);
    fseBigHeader.resize(200, 0);
    Bytes fseManyLiterals = fseHeader(10, 40001, 0, 32);
    put64(fseManyLiterals, 0);
    Bytes fseBadState = fseHeader(10, 0, 0, 32, 64);
    put64(fseBadState, 0);
    Bytes fseVersion1;
    putText(fseVersion1, "bvx1");
    fseVersion1.resize(800, 0);

    const std::vector<Case> cases = {
        { "empty input", {}, false, "" },
        { "end marker only", { 'b', 'v', 'x', '$' }, true, "" },
        { "stored block",
            [] {
                Bytes b;
                putText(b, "bvx-");
                put32(b, 3);
                putText(b, "abcbvx$");
                return b;
            }(),
            true, "abc" },
        { "stored block longer than the input", storedShort, false, "" },
        { "stored block of 4 GiB", storedHuge, false, "" },
        { "LZVN literals", lzvnBlock(3, withEnd({ 0xe3, 'a', 'b', 'c' })), true, "abc" },
        { "LZVN overlapping match", lzvnBlock(4, withEnd({ 0x40, 0x01, 'a' })), true, "aaaa" },
        { "LZVN repeated distance", withPrevious, true, "xxxxxx" },
        { "LZVN match into an earlier block", twoBlocks, true, "abccccc" },
        { "LZVN match before the output", lzvnBlock(4, withEnd({ 0x40, 0x02, 'a' })), false, "" },
        { "LZVN zero distance", lzvnBlock(4, withEnd({ 0x40, 0x00, 'a' })), false, "" },
        { "LZVN previous distance before any", lzvnBlock(4, withEnd({ 0x46, 'a' })), false, "" },
        { "LZVN undefined opcode", lzvnBlock(3, withEnd({ 0x70 })), false, "" },
        { "LZVN more output than declared", lzvnBlock(2, withEnd({ 0xe3, 'a', 'b', 'c' })), false, "" },
        { "LZVN less output than declared", lzvnBlock(5, withEnd({ 0xe3, 'a', 'b', 'c' })), false, "" },
        { "LZVN literals past the payload", lzvnBlock(15, { 0xef, 'a' }), false, "" },
        { "LZVN without its end instruction", lzvnBlock(3, { 0xe3, 'a', 'b', 'c' }), false, "" },
        { "LZVN bytes after its end instruction",
            lzvnBlock(3,
                [] {
                    Bytes p = withEnd({ 0xe3, 'a', 'b', 'c' });
                    p.push_back(0);
                    return p;
                }()),
            false, "" },
        { "LZVN block claiming 4 GiB", lzvnBlock(0xffffffffu, withEnd({ 0xe3, 'a', 'b', 'c' })), false, "" },
        { "FSE header cut short",
            [] {
                Bytes b;
                putText(b, "bvx2");
                b.resize(20, 0);
                return b;
            }(),
            false, "" },
        { "FSE header size past the block", fseBigHeader, false, "" },
        { "FSE header size below its fixed part", fseHeader(0, 0, 0, 8), false, "" },
        { "FSE too many literals", fseManyLiterals, false, "" },
        { "FSE start state out of range", fseBadState, false, "" },
        { "FSE version 1 block", fseVersion1, false, "" },
        { "unknown block", { 'b', 'v', 'x', 'Z', 'b', 'v', 'x', '$' }, false, "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.valid) {
            const Bytes out = decode(c.input);
            EXPECT_EQ(std::string(out.begin(), out.end()), c.output);
        } else {
            EXPECT_THROW(decode(c.input), ZunoLZFSEError);
        }
    }
}

TEST(ZunoLZFSEDecoder, OutputNeverExceedsTheLimit)
{
    const Bytes big = readTestFile("big.json.lzfse");
    const Bytes expected = readTestFile("big.json");
    EXPECT_THROW(decode(big, expected.size() - 1), ZunoLZFSEError);
    EXPECT_THROW(decode(big, 1000), ZunoLZFSEError);
    EXPECT_EQ(decode(big, expected.size()).size(), expected.size());
}

#include "ZunoLZFSEDecoder.h"

#include <array>
#include <bit>
#include <optional>

namespace {

// Block magics, read as little-endian words.
constexpr std::uint32_t kEndOfStreamMagic = 0x24787662;  // "bvx$"
constexpr std::uint32_t kStoredMagic = 0x2d787662;       // "bvx-"
constexpr std::uint32_t kFSEv1Magic = 0x31787662;        // "bvx1"
constexpr std::uint32_t kFSEv2Magic = 0x32787662;        // "bvx2"
constexpr std::uint32_t kLZVNMagic = 0x6e787662;         // "bvxn"

// FSE block limits and alphabet sizes.
constexpr std::uint32_t kMaxLiteralsPerBlock = 40000;
constexpr std::uint32_t kMaxMatchesPerBlock = 10000;
constexpr int kLSymbols = 20;
constexpr int kMSymbols = 20;
constexpr int kDSymbols = 64;
constexpr int kLiteralSymbols = 256;
constexpr std::uint32_t kLStates = 64;
constexpr std::uint32_t kMStates = 64;
constexpr std::uint32_t kDStates = 256;
constexpr std::uint32_t kLiteralStates = 1024;
constexpr std::size_t kFSEv2FixedHeaderBytes = 32;

constexpr std::array<std::uint8_t, kLSymbols> kLExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 0, 0, 0, 2, 3, 5, 8};
constexpr std::array<std::int32_t, kLSymbols> kLBaseValue = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                             10, 11, 12, 13, 14, 15, 16, 20, 28, 60};
constexpr std::array<std::uint8_t, kMSymbols> kMExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 0, 0, 0, 3, 5, 8, 11};
constexpr std::array<std::int32_t, kMSymbols> kMBaseValue = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                             10, 11, 12, 13, 14, 15, 16, 24, 56, 312};

// Distances come in groups of four symbols sharing an extra-bit count (0, 0, 0, 0, 1, 1, 1, 1, ...
// 15); each symbol's base follows the previous one's range.
constexpr std::array<std::uint8_t, kDSymbols> makeDExtraBits()
{
    std::array<std::uint8_t, kDSymbols> bits{};
    for (int i = 0; i < kDSymbols; ++i)
        bits[i] = static_cast<std::uint8_t>(i / 4);
    return bits;
}
constexpr std::array<std::uint8_t, kDSymbols> kDExtraBits = makeDExtraBits();

constexpr std::array<std::int32_t, kDSymbols> makeDBaseValue()
{
    std::array<std::int32_t, kDSymbols> base{};
    std::int32_t next = 0;
    for (int i = 0; i < kDSymbols; ++i) {
        base[i] = next;
        next += std::int32_t(1) << kDExtraBits[i];
    }
    return base;
}
constexpr std::array<std::int32_t, kDSymbols> kDBaseValue = makeDBaseValue();
static_assert(kDBaseValue[4] == 4 && kDBaseValue[8] == 12 && kDBaseValue[63] == 229372);

[[noreturn]] void fail(const char *reason)
{
    throw ZunoLZFSEError(reason);
}

std::uint32_t loadLE32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16
           | std::uint32_t(bytes[at + 3]) << 24;
}

std::uint64_t loadLE64(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count = 8)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value |= std::uint64_t(bytes[at + i]) << (8 * i);
    return value;
}

// Forward reader over the whole input; every read checks what is left.
class InputCursor {
public:
    explicit InputCursor(std::span<const std::uint8_t> input) : m_input(input) {}

    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_input.size() - m_pos; }

    std::uint32_t readU32(const char *whatIfShort)
    {
        if (remaining() < 4)
            fail(whatIfShort);
        const std::uint32_t value = loadLE32(m_input, m_pos);
        m_pos += 4;
        return value;
    }

    std::span<const std::uint8_t> take(std::size_t count, const char *whatIfShort)
    {
        if (count > remaining())
            fail(whatIfShort);
        const auto bytes = m_input.subspan(m_pos, count);
        m_pos += count;
        return bytes;
    }

private:
    std::span<const std::uint8_t> m_input;
    std::size_t m_pos = 0;
};

// The output of the whole stream. Matches may reach back into earlier blocks; a block may not write
// past its declared size, and no block past the caller's limit.
class Output {
public:
    Output(std::vector<std::uint8_t> &bytes, std::size_t limit) : m_bytes(bytes), m_limit(limit) {}

    void beginBlock(std::uint32_t rawBytes)
    {
        if (rawBytes > m_limit - m_bytes.size())
            fail("LZFSE output exceeds the allowed size");
        m_blockEnd = m_bytes.size() + rawBytes;
    }

    std::size_t roomInBlock() const { return m_blockEnd - m_bytes.size(); }

    void appendLiterals(std::span<const std::uint8_t> literals)
    {
        if (literals.size() > roomInBlock())
            fail("LZFSE block writes past its declared size");
        m_bytes.insert(m_bytes.end(), literals.begin(), literals.end());
    }

    // Copies `length` bytes from `distance` bytes back; overlapping copies repeat the pattern.
    void appendMatch(std::size_t distance, std::size_t length)
    {
        if (length > roomInBlock())
            fail("LZFSE block writes past its declared size");
        if (distance == 0 || distance > m_bytes.size())
            fail("LZFSE match distance reaches before the start of the output");
        std::size_t from = m_bytes.size() - distance;
        for (std::size_t i = 0; i < length; ++i)
            m_bytes.push_back(m_bytes[from + i]);
    }

    void endBlock() const
    {
        if (m_bytes.size() != m_blockEnd)
            fail("LZFSE block decodes to a size other than the declared one");
    }

private:
    std::vector<std::uint8_t> &m_bytes;
    std::size_t m_limit;
    std::size_t m_blockEnd = 0;
};

// ---- LZVN ----------------------------------------------------------------------------------------

void decodeLZVN(std::span<const std::uint8_t> payload, Output &out)
{
    std::size_t pos = 0;
    std::size_t previousDistance = 0;  // 0: none yet in this block
    const auto need = [&](std::size_t count) {
        if (count > payload.size() - pos)
            fail("LZVN payload ends inside an instruction");
    };

    while (true) {
        need(1);
        const std::uint8_t op = payload[pos];
        std::size_t length = 1;
        std::size_t literals = 0;
        std::size_t match = 0;
        std::optional<std::size_t> distance;  // none: the previous distance

        if (op == 0x06) {  // end of stream: the opcode and seven padding bytes
            need(8);
            pos += 8;
            break;
        }
        if (op == 0x0e || op == 0x16) {  // no operation
            pos += 1;
            continue;
        }
        if ((op >= 0x70 && op <= 0x7f) || ((op & 0x07) == 0x06 && op >= 0x1e && op <= 0x3e))
            fail("LZVN payload holds an undefined opcode");

        if (op >= 0xa0 && op <= 0xbf) {  // medium distance: 101LLMMM DDDDDDMM DDDDDDDD
            length = 3;
            need(length);
            const std::uint32_t next = payload[pos + 1] | std::uint32_t(payload[pos + 2]) << 8;
            literals = (op >> 3) & 0x3;
            match = ((std::size_t(op & 0x7) << 2) | (next & 0x3)) + 3;
            distance = next >> 2;
        } else if (op == 0xe0) {  // large literal run
            length = 2;
            need(length);
            literals = std::size_t(payload[pos + 1]) + 16;
        } else if (op > 0xe0 && op <= 0xef) {  // small literal run
            literals = op & 0x0f;
        } else if (op == 0xf0) {  // large match, previous distance
            length = 2;
            need(length);
            match = std::size_t(payload[pos + 1]) + 16;
        } else if (op > 0xf0) {  // small match, previous distance
            match = op & 0x0f;
        } else {  // LLMMMDDD: small, large (DDD = 111) or previous (DDD = 110) distance
            literals = op >> 6;
            match = ((op >> 3) & 0x7) + 3;
            if ((op & 0x07) == 0x07) {
                length = 3;
                need(length);
                distance = payload[pos + 1] | std::size_t(payload[pos + 2]) << 8;
            } else if ((op & 0x07) != 0x06) {
                length = 2;
                need(length);
                distance = std::size_t(op & 0x07) << 8 | payload[pos + 1];
            }
        }

        need(length + literals);
        out.appendLiterals(payload.subspan(pos + length, literals));
        pos += length + literals;
        if (match > 0) {
            const std::size_t d = distance.value_or(previousDistance);
            out.appendMatch(d, match);
            previousDistance = d;
        }
    }
    if (pos != payload.size())
        fail("LZVN payload continues after its end-of-stream instruction");
}

// ---- FSE -----------------------------------------------------------------------------------------

// Reads an FSE bit stream from its end towards its start, most significant bits first.
class BackwardBitReader {
public:
    // `initialBits` (-8...0) says how many bits of the last full word are unused.
    BackwardBitReader(std::span<const std::uint8_t> stream, int initialBits) : m_stream(stream)
    {
        if (initialBits < -8 || initialBits > 0)
            fail("FSE stream has an invalid bit count");
        const std::size_t firstLoad = initialBits == 0 ? 7 : 8;
        if (stream.size() < firstLoad)
            fail("FSE stream is too short");
        m_pos = stream.size() - firstLoad;
        m_accum = loadLE64(stream, m_pos, firstLoad);
        m_bits = initialBits == 0 ? 56 : 64 + initialBits;
        if (m_bits < 64 && (m_accum >> m_bits) != 0)
            fail("FSE stream has stray bits at its end");
    }

    // Brings the accumulator to at least 56 bits while input is left.
    void refill()
    {
        while (m_bits <= 55 && m_pos > 0) {
            m_accum = (m_accum << 8) | m_stream[--m_pos];
            m_bits += 8;
        }
    }

    std::uint32_t pull(int count)
    {
        if (count < 0 || count > m_bits)
            fail("FSE stream is exhausted");
        m_bits -= count;
        const std::uint64_t result = m_accum >> m_bits;
        m_accum &= m_bits == 0 ? 0 : (std::uint64_t(1) << m_bits) - 1;
        return static_cast<std::uint32_t>(result);
    }

private:
    std::span<const std::uint8_t> m_stream;
    std::size_t m_pos = 0;
    std::uint64_t m_accum = 0;
    int m_bits = 0;
};

struct LiteralDecoderEntry {
    std::uint8_t bits = 0;
    std::uint8_t symbol = 0;
    std::uint16_t delta = 0;
};

struct ValueDecoderEntry {
    std::uint8_t totalBits = 0;
    std::uint8_t valueBits = 0;
    std::uint16_t delta = 0;
    std::int32_t base = 0;
};

// The states a symbol of frequency `f` owns: for each, how many bits to read and what to add to them
// to reach the next state. States beyond the sum of frequencies stay zero, which decodes harmlessly.
template <typename Visit>
void spreadStates(std::uint32_t states, std::span<const std::uint16_t> freq, Visit visit)
{
    std::uint32_t total = 0;
    std::uint32_t index = 0;
    for (std::size_t symbol = 0; symbol < freq.size(); ++symbol) {
        const std::uint32_t f = freq[symbol];
        if (f == 0)
            continue;
        total += f;
        if (total > states)
            fail("FSE frequencies exceed the state count");
        const int k = std::countl_zero(f) - std::countl_zero(states);
        const std::uint32_t j0 = ((2 * states) >> k) - f;
        for (std::uint32_t j = 0; j < f; ++j, ++index) {
            if (j < j0)
                visit(index, symbol, k, ((f + j) << k) - states);
            else
                visit(index, symbol, k - 1, (j - j0) << (k - 1));
        }
    }
}

std::vector<LiteralDecoderEntry> makeLiteralTable(std::span<const std::uint16_t> freq)
{
    std::vector<LiteralDecoderEntry> table(kLiteralStates);
    spreadStates(kLiteralStates, freq, [&](std::uint32_t i, std::size_t symbol, int k, std::uint32_t delta) {
        table.at(i) = {std::uint8_t(k), std::uint8_t(symbol), std::uint16_t(delta)};
    });
    return table;
}

std::vector<ValueDecoderEntry> makeValueTable(std::uint32_t states, std::span<const std::uint16_t> freq,
                                              std::span<const std::uint8_t> extraBits,
                                              std::span<const std::int32_t> base)
{
    std::vector<ValueDecoderEntry> table(states);
    spreadStates(states, freq, [&](std::uint32_t i, std::size_t symbol, int k, std::uint32_t delta) {
        table.at(i) = {std::uint8_t(k + extraBits[symbol]), extraBits[symbol], std::uint16_t(delta),
                       base[symbol]};
    });
    return table;
}

std::uint8_t decodeLiteral(std::uint32_t &state, const std::vector<LiteralDecoderEntry> &table,
                           BackwardBitReader &in)
{
    if (state >= table.size())
        fail("FSE state out of range");
    const LiteralDecoderEntry e = table[state];
    state = e.delta + in.pull(e.bits);
    return e.symbol;
}

std::int32_t decodeValue(std::uint32_t &state, const std::vector<ValueDecoderEntry> &table,
                         BackwardBitReader &in)
{
    if (state >= table.size())
        fail("FSE state out of range");
    const ValueDecoderEntry e = table[state];
    const std::uint32_t bits = in.pull(e.totalBits);
    state = e.delta + (bits >> e.valueBits);
    return e.base + std::int32_t(bits & ((std::uint32_t(1) << e.valueBits) - 1));
}

struct FSEBlockHeader {
    std::uint32_t rawBytes = 0;
    std::uint32_t literalCount = 0;
    std::uint32_t literalPayloadBytes = 0;
    std::uint32_t matchCount = 0;
    int literalBits = 0;
    std::array<std::uint32_t, 4> literalStates{};
    std::uint32_t lmdPayloadBytes = 0;
    int lmdBits = 0;
    std::uint32_t headerBytes = 0;
    std::uint32_t lState = 0;
    std::uint32_t mState = 0;
    std::uint32_t dState = 0;
    // L, M, D and literal frequencies, one after the other.
    std::array<std::uint16_t, kLSymbols + kMSymbols + kDSymbols + kLiteralSymbols> freq{};
};

// One frequency from the header's little variable-length code, read from the low bits.
std::uint16_t decodeFrequency(std::uint32_t bits, int &length)
{
    static constexpr std::array<std::int8_t, 32> kLength = {2, 3, 2, 5, 2, 3, 2, 8, 2, 3, 2, 5, 2, 3, 2, 14,
                                                            2, 3, 2, 5, 2, 3, 2, 8, 2, 3, 2, 5, 2, 3, 2, 14};
    static constexpr std::array<std::int8_t, 32> kValue = {0, 2, 1, 4, 0, 3, 1, -1, 0, 2, 1, 5, 0, 3, 1, -1,
                                                           0, 2, 1, 6, 0, 3, 1, -1, 0, 2, 1, 7, 0, 3, 1, -1};
    const std::uint32_t low = bits & 31;
    length = kLength[low];
    if (length == 8)
        return std::uint16_t(8 + ((bits >> 4) & 0xf));
    if (length == 14)
        return std::uint16_t(24 + ((bits >> 4) & 0x3ff));
    return std::uint16_t(kValue[low]);
}

// `block` starts at the magic; the header's variable part must lie inside it.
FSEBlockHeader readFSEv2Header(std::span<const std::uint8_t> block)
{
    if (block.size() < kFSEv2FixedHeaderBytes)
        fail("FSE block header is truncated");
    FSEBlockHeader h;
    h.rawBytes = loadLE32(block, 4);
    const std::uint64_t f0 = loadLE64(block, 8);
    const std::uint64_t f1 = loadLE64(block, 16);
    const std::uint64_t f2 = loadLE64(block, 24);
    h.literalCount = std::uint32_t(f0 & 0xfffff);
    h.literalPayloadBytes = std::uint32_t((f0 >> 20) & 0xfffff);
    h.matchCount = std::uint32_t((f0 >> 40) & 0xfffff);
    h.literalBits = int((f0 >> 60) & 0x7) - 7;
    for (int i = 0; i < 4; ++i)
        h.literalStates[i] = std::uint32_t((f1 >> (10 * i)) & 0x3ff);
    h.lmdPayloadBytes = std::uint32_t((f1 >> 40) & 0xfffff);
    h.lmdBits = int((f1 >> 60) & 0x7) - 7;
    h.headerBytes = std::uint32_t(f2 & 0xffffffff);
    h.lState = std::uint32_t((f2 >> 32) & 0x3ff);
    h.mState = std::uint32_t((f2 >> 42) & 0x3ff);
    h.dState = std::uint32_t((f2 >> 52) & 0x3ff);

    if (h.headerBytes < kFSEv2FixedHeaderBytes || h.headerBytes > block.size())
        fail("FSE block header size is out of range");
    if (h.literalCount > kMaxLiteralsPerBlock || h.matchCount > kMaxMatchesPerBlock)
        fail("FSE block holds too many literals or matches");
    if (h.lState >= kLStates || h.mState >= kMStates || h.dState >= kDStates)
        fail("FSE block starts in an invalid state");

    // Frequencies: all zero when the header has no variable part.
    const auto table = block.subspan(kFSEv2FixedHeaderBytes, h.headerBytes - kFSEv2FixedHeaderBytes);
    if (!table.empty()) {
        std::size_t pos = 0;
        std::uint32_t accum = 0;
        int accumBits = 0;
        for (auto &value : h.freq) {
            while (pos < table.size() && accumBits + 8 <= 32) {
                accum |= std::uint32_t(table[pos++]) << accumBits;
                accumBits += 8;
            }
            int length = 0;
            value = decodeFrequency(accum, length);
            if (length > accumBits)
                fail("FSE frequency table is truncated");
            accum >>= length;
            accumBits -= length;
        }
        if (accumBits >= 8 || pos != table.size())
            fail("FSE frequency table has trailing bytes");
    }
    return h;
}

void decodeFSEBlock(const FSEBlockHeader &h, std::span<const std::uint8_t> literalPayload,
                    std::span<const std::uint8_t> lmdPayload, Output &out)
{
    const std::span<const std::uint16_t> freq(h.freq);
    const auto lFreq = freq.subspan(0, kLSymbols);
    const auto mFreq = freq.subspan(kLSymbols, kMSymbols);
    const auto dFreq = freq.subspan(kLSymbols + kMSymbols, kDSymbols);
    const auto literalFreq = freq.subspan(kLSymbols + kMSymbols + kDSymbols, kLiteralSymbols);

    const auto literalTable = makeLiteralTable(literalFreq);
    const auto lTable = makeValueTable(kLStates, lFreq, kLExtraBits, kLBaseValue);
    const auto mTable = makeValueTable(kMStates, mFreq, kMExtraBits, kMBaseValue);
    const auto dTable = makeValueTable(kDStates, dFreq, kDExtraBits, kDBaseValue);

    // Literals come in groups of four, one interleaved state each.
    const std::size_t decodedLiterals = (std::size_t(h.literalCount) + 3) / 4 * 4;
    std::vector<std::uint8_t> literals(decodedLiterals);
    {
        BackwardBitReader in(literalPayload, h.literalBits);
        std::array<std::uint32_t, 4> states = h.literalStates;
        for (std::size_t i = 0; i < decodedLiterals; i += 4) {
            in.refill();
            for (std::size_t lane = 0; lane < 4; ++lane)
                literals[i + lane] = decodeLiteral(states[lane], literalTable, in);
        }
    }

    BackwardBitReader in(lmdPayload, h.lmdBits);
    std::uint32_t lState = h.lState;
    std::uint32_t mState = h.mState;
    std::uint32_t dState = h.dState;
    std::optional<std::int32_t> distance;  // none until the block names one
    std::size_t literalPos = 0;
    for (std::uint32_t n = 0; n < h.matchCount; ++n) {
        in.refill();
        const std::int32_t l = decodeValue(lState, lTable, in);
        const std::int32_t m = decodeValue(mState, mTable, in);
        const std::int32_t d = decodeValue(dState, dTable, in);
        if (d != 0)
            distance = d;  // zero repeats the previous distance
        if (std::size_t(l) > decodedLiterals - literalPos)
            fail("FSE block uses more literals than it holds");
        out.appendLiterals(std::span(literals).subspan(literalPos, std::size_t(l)));
        literalPos += std::size_t(l);
        if (!distance)
            fail("FSE match repeats a distance the block never named");
        out.appendMatch(std::size_t(*distance), std::size_t(m));
    }
}

}  // namespace

std::vector<std::uint8_t> ZunoLZFSEDecoder::decompress(std::span<const std::uint8_t> input,
                                                       std::size_t maxOutputBytes)
{
    std::vector<std::uint8_t> bytes;
    Output out(bytes, maxOutputBytes);
    InputCursor cursor(input);
    const char *const kTruncated = "LZFSE stream is truncated";

    while (true) {
        const std::uint32_t magic = cursor.readU32("LZFSE stream ends without an end-of-stream block");
        switch (magic) {
            case kEndOfStreamMagic:
                return bytes;
            case kStoredMagic: {
                const std::uint32_t rawBytes = cursor.readU32(kTruncated);
                out.beginBlock(rawBytes);
                out.appendLiterals(cursor.take(rawBytes, kTruncated));
                out.endBlock();
                break;
            }
            case kLZVNMagic: {
                const std::uint32_t rawBytes = cursor.readU32(kTruncated);
                const std::uint32_t payloadBytes = cursor.readU32(kTruncated);
                const auto payload = cursor.take(payloadBytes, kTruncated);
                out.beginBlock(rawBytes);
                decodeLZVN(payload, out);
                out.endBlock();
                break;
            }
            case kFSEv2Magic: {
                // The header holds its own size, so it is read from the block's start (the magic).
                const FSEBlockHeader h = readFSEv2Header(input.subspan(cursor.position() - 4));
                cursor.take(h.headerBytes - 4, kTruncated);
                const auto literalPayload = cursor.take(h.literalPayloadBytes, kTruncated);
                const auto lmdPayload = cursor.take(h.lmdPayloadBytes, kTruncated);
                out.beginBlock(h.rawBytes);
                decodeFSEBlock(h, literalPayload, lmdPayload, out);
                out.endBlock();
                break;
            }
            case kFSEv1Magic:
                fail("LZFSE version 1 blocks are not supported");
            default:
                fail("LZFSE stream holds an unknown block");
        }
    }
}

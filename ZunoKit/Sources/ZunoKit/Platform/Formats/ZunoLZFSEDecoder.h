#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

// Any input that is not a complete, well-formed LZFSE stream: truncated, damaged, an unknown block,
// or more output than the caller allows.
class ZunoLZFSEError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decoder of the LZFSE stream format (the compressed language packs): stored ("bvx-"), LZVN ("bvxn")
// and FSE ("bvx2") blocks, any number of them, up to the end-of-stream block ("bvx$").
//
// Nothing in the stream is trusted: every read is checked against the input, every table index
// against its table, every match distance against what was written, and the output never grows beyond
// `maxOutputBytes`. Hostile input throws `ZunoLZFSEError`; it never reads or writes out of bounds.
// Free of Qt so that a fuzzer can build it alone. Stateless and thread-safe.
class ZunoLZFSEDecoder {
public:
    static constexpr std::size_t kDefaultMaxOutputBytes = 64u * 1024u * 1024u;

    static std::vector<std::uint8_t> decompress(std::span<const std::uint8_t> input,
                                                std::size_t maxOutputBytes = kDefaultMaxOutputBytes);
};

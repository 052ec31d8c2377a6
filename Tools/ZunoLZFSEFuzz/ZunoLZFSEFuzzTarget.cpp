// libFuzzer entry point for the LZFSE decoder: any input must decode or throw ZunoLZFSEError, within
// the output limit, without touching memory it does not own (the sanitizers watch that part).
#include "ZunoLZFSEDecoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr std::size_t kLimit = 8u << 20;
    try {
        const auto out = ZunoLZFSEDecoder::decompress(std::span(data, size), kLimit);
        if (out.size() > kLimit)
            std::abort();
    } catch (const ZunoLZFSEError &) {
    }
    return 0;
}

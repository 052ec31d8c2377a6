// Runs the fuzz target over files or folders (a corpus, crash files), for builds without libFuzzer.
#include "ZunoToolCommandLine.h"
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

void run(const std::filesystem::path &file, std::size_t &count)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    ++count;
}

} // namespace

int main(int argc, char **argv)
{
    const char *usage
        = "usage: ZunoLZFSEFuzzReplay FILE|FOLDER...   decodes every input as the fuzzer does\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, {}))
        return *exitCode;
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file())
                    run(entry.path(), count);
            }
        } else {
            run(path, count);
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return 0;
}

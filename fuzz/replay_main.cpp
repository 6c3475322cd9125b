// Replays inputs through a fuzz target without libFuzzer: each argument is a file to feed, or a
// folder whose files are fed in name order (as libFuzzer takes its corpus folders).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {
namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path &argument)
{
    if (!fs::is_directory(argument))
        return {argument};
    std::vector<fs::path> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(argument))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// False when the file cannot be read: a missing seed must fail the run, not pass it empty.
bool Replay(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    std::printf("replayed %s (%zu bytes)\n", file.c_str(), bytes.size());
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i)
        for (const fs::path &file : InputsOf(argv[i])) {
            if (!Replay(file))
                return 1;
            ++replayed;
        }
    // An empty folder would let a broken seed generator pass unnoticed.
    if (argc > 1 && replayed == 0) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    return 0;
}

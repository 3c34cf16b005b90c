// Runs a fuzz target over saved inputs without libFuzzer: every file named, and every file under every folder
// named, goes through the target once. ctest runs it on the seed corpora and the damaged files of tests/data,
// so a fault a fuzz run found, once its input is kept, is caught on every change by the ordinary build.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

bool replayFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // The same message before each input, so that a crash names the file that caused it.
    std::fprintf(stderr, "replay %s (%zu bytes)\n", path.c_str(), bytes.size());
    // A copy of exactly the input's size: the sanitizer then sees any read past its end.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(arg, error)) {
            std::vector<std::filesystem::path> files;
            for (const auto &entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto &file : files)
                count += replayFile(file) ? 1 : 0;
        } else if (std::filesystem::is_regular_file(arg, error)) {
            if (!replayFile(arg))
                return 1;
            ++count;
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            return 1;
        }
    }
    // A replay that fed nothing checks nothing: that is a fault of the test's set-up.
    if (count == 0) {
        std::fprintf(stderr, "no input found\n");
        return 1;
    }
    std::printf("%zu inputs replayed\n", count);
    return 0;
}

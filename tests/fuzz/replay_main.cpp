// Runs a fuzz target once on every file of a corpus directory, for builds without libFuzzer:
// the ordinary test run replays the committed corpora this way. A broken property aborts,
// naming the input.
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    if (argc == 2 && fs::is_directory(argv[1]))
        for (const fs::directory_entry &entry : fs::directory_iterator(argv[1]))
            files.push_back(entry.path());
    if (files.empty())
    {
        fprintf(stderr, "usage: %s CORPUS_DIRECTORY (with inputs in it)\n", argv[0]);
        return 2;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path &file : files)
    {
        const std::string note = "replay failed on " + file.string();
        FuzzFailureNote = note.c_str();
        std::ifstream stream(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(stream)),
                                      std::istreambuf_iterator<char>());
        static const uint8_t nothing = 0; // libFuzzer never passes a null pointer
        LLVMFuzzerTestOneInput(bytes.empty() ? &nothing
                                             : reinterpret_cast<const uint8_t *>(bytes.data()),
                               bytes.size());
    }
    printf("replayed %zu inputs from %s\n", files.size(), argv[1]);
    return 0;
}

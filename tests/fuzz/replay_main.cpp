// Runs a fuzz target once on every file of a corpus directory, for builds without libFuzzer:
// the ordinary test run replays the committed corpora this way. A broken property aborts.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace
{

// Plain data, so that a dying process can still name the input that killed it.
char CurrentInput[1024];

void Name_Current_Input()
{
    if (CurrentInput[0] != '\0')
        fprintf(stderr, "replay failed on %s\n", CurrentInput);
}

void On_Fatal_Signal(int signal_number)
{
    Name_Current_Input();
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __sanitizer_set_death_callback(void (*callback)(void));
#endif

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::path> files;
    for (fs::directory_iterator entry(argv[1], error), end; !error && entry != end;
         entry.increment(error))
        if (entry->is_regular_file())
            files.push_back(entry->path());
    if (error)
    {
        fprintf(stderr, "cannot read %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    if (files.empty())
    {
        fprintf(stderr, "no inputs in %s\n", argv[1]);
        return 1;
    }
    std::sort(files.begin(), files.end());

    for (int signal_number : {SIGABRT, SIGSEGV, SIGILL, SIGFPE})
        signal(signal_number, On_Fatal_Signal);
    atexit(Name_Current_Input); // a target that calls exit() mid-input
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(Name_Current_Input);
#endif

    for (const fs::path &file : files)
    {
        snprintf(CurrentInput, sizeof(CurrentInput), "%s", file.string().c_str());
        std::ifstream stream(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(stream)),
                                      std::istreambuf_iterator<char>());
        if (!stream.good() && !stream.eof())
        {
            fprintf(stderr, "cannot read %s\n", CurrentInput);
            return 1;
        }
        // libFuzzer never passes a null pointer, even for an empty input.
        static const uint8_t nothing = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &nothing
                                             : reinterpret_cast<const uint8_t *>(bytes.data()),
                               bytes.size());
    }
    CurrentInput[0] = '\0';
    printf("replayed %llu inputs from %s\n", (unsigned long long)files.size(), argv[1]);
    return 0;
}

// Speed of reading the POSIX settings file's text (SettingsText::Parse_Store), in memory, on
// texts of 1 and 4 MiB:
//   many_keys     a key line and one value for each of many keys (about 16,600 a MiB)
//   many_values   one key with many values (about 33,000 a MiB)
// Reading should take time in proportion to the text, whatever its shape: 4 MiB about four
// times as long as 1 MiB.
#include "platform/settings_text.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace
{

// A text of at least size bytes: the head, then lines of the format with i twice, i = 0, 1, ...
std::string Repeated(size_t size, const char *head, const char *line_format)
{
    std::string text = head;
    char line[128];
    for (int i = 0; text.size() < size; ++i)
    {
        snprintf(line, sizeof(line), line_format, i, i);
        text += line;
    }
    return text;
}

void Parse(benchmark::State &state, const std::string &text)
{
    SettingsText::CStore store;
    for (auto _ : state)
    {
        if (SettingsText::Parse_Store(text, &store) != 0)
        {
            state.SkipWithError("the text does not read");
            break;
        }
        benchmark::DoNotOptimize(store.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    size_t values = 0;
    for (const SettingsText::CStoredKey &key : store)
        values += key.Values.size();
    state.counters["keys"] = double(store.size());
    state.counters["values"] = double(values);
}

void Parse_Many_Keys(benchmark::State &state)
{
    Parse(state, Repeated(size_t(state.range(0)), "Quillomar settings 1\n",
                          "[Software\\Tarnwick\\Quillomar\\Key%07d]\n\"Value\"=dword:%08x\n"));
}

void Parse_Many_Values(benchmark::State &state)
{
    Parse(state, Repeated(size_t(state.range(0)),
                          "Quillomar settings 1\n[Software\\Tarnwick\\Quillomar]\n",
                          "\"Value%07d\"=dword:%08x\n"));
}

} // namespace

BENCHMARK(Parse_Many_Keys)
    ->Name("many_keys")
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Parse_Many_Values)
    ->Name("many_values")
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

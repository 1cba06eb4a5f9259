// The values the settings writer writes, in its order, shared with the crash test that checks
// what a killed writer left behind.
#ifndef QUILLOMAR_SETTINGS_CRASH_VALUES_H
#define QUILLOMAR_SETTINGS_CRASH_VALUES_H

#include <cstdio>
#include <string>

namespace CrashValues
{

const char Location[] = "Software\\Tarnwick\\Quillomar\\Crash";
const int Count = 8;               // text and number pairs
const size_t TextLength = 400;     // characters: the file is several kilobytes
const char InitialText[] = "none"; // before a run's first write

// Generation generation (from 1) of the run run for pair index: a text that names all three,
// padded, and a number that names the run and the generation.
inline std::string Text(int run, int generation, int index)
{
    char head[64];
    snprintf(head, sizeof(head), "run %d generation %d pair %d ", run, generation, index);
    std::string text = head;
    text.resize(TextLength, char('a' + (run + generation + index) % 26));
    return text;
}

inline int Number(int run, int generation)
{
    return run * 1000000 + generation;
}

inline std::string Text_Name(int index)
{
    return "Text" + std::to_string(index);
}

inline std::string Number_Name(int index)
{
    return "Number" + std::to_string(index);
}

} // namespace CrashValues

#endif

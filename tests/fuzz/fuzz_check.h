// The fuzz targets' property checks. A broken one aborts: libFuzzer keeps the input as a crash,
// and the corpus replay of the ordinary test run fails on it.
#ifndef QUILLOMAR_FUZZ_CHECK_H
#define QUILLOMAR_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? (void)0 : Fuzz_Check_Failed(#condition, __FILE__, __LINE__))

// Said after a broken property, when a target has more to tell (where its files are).
inline const char *FuzzFailureNote = nullptr;

[[noreturn]] inline void Fuzz_Check_Failed(const char *condition, const char *file, int line)
{
    fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    if (FuzzFailureNote != nullptr)
        fprintf(stderr, "%s\n", FuzzFailureNote);
    fflush(stderr);
    abort();
}

#endif

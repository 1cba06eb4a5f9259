// The settings file's text on any bytes, in memory alone: it reads without a crash, a hang or
// memory out of proportion, and what reads writes back to a text that reads as the same store
// and writes again unchanged.
#include "fuzz_check.h"
#include "platform/settings_text.h"

#include <cstdint>
#include <cstdio>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define HEAP_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HEAP_HOOKS 1
#endif
#endif

namespace
{

#ifdef HEAP_HOOKS
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void *, size_t),
                                                         void (*)(const volatile void *));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void *);

// The heap's growth at most while this thread reads and writes, through AddressSanitizer's
// allocation hooks; a build without it counts nothing.
thread_local bool Counting = false;
thread_local int64_t HeapBytes = 0;
thread_local int64_t HeapPeak = 0;

void Allocated(const volatile void *, size_t size)
{
    if (Counting && (HeapBytes += int64_t(size)) > HeapPeak)
        HeapPeak = HeapBytes;
}

void Freed(const volatile void *pointer)
{
    if (Counting && pointer != nullptr)
        HeapBytes -= int64_t(__sanitizer_get_allocated_size(pointer));
}

const int Hooked = __sanitizer_install_malloc_and_free_hooks(Allocated, Freed);

// Every line read or written costs its bytes in a few strings, an entry in a vector that may be
// doubling and one in an index at most half full: about 24 times the bytes read and written
// for the costliest lines, short keys ("[ab]"), in both stores at once.
const int64_t HeapPerByte = 64;
const int64_t HeapAllowance = 16 << 10; // the indexes' first tables and the header
#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
#ifdef HEAP_HOOKS
    HeapBytes = HeapPeak = 0;
    Counting = Hooked != 0;
#endif
    std::string written;
    {
        SettingsText::CStore store;
        const bool readable = SettingsText::Parse_Store(text, &store) == 0;
        // What a damaged text holds before its fault is written too: the size memory is held to.
        written = SettingsText::Serialize(store);
        if (readable)
        {
            SettingsText::CStore again;
            FUZZ_CHECK(SettingsText::Parse_Store(written, &again) == 0);
            FUZZ_CHECK(SettingsText::Serialize(again) == written);
        }
    }
#ifdef HEAP_HOOKS
    Counting = false;
    // The text written holds at most MaxFileSize of key lines besides the values' lines, at most
    // a third longer than read: memory stays in proportion to a large text (4 MiB) read too.
    FUZZ_CHECK(HeapPeak <= HeapPerByte * int64_t(size + written.size()) + HeapAllowance);
    if (size >= 1 << 20) // scripts/fuzz's large texts, never a mutation
        printf("%zu bytes read, %zu written: heap peak %lld bytes, %.1f times the text read\n",
               size, written.size(), static_cast<long long>(HeapPeak), double(HeapPeak) / size);
#endif
    return 0;
}

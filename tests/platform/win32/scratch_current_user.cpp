// Linked into Win32 test programs that use the real registry: the process's current-user key is
// a scratch key below the real one from before static initialisation (which builds the options)
// to exit, so no test touches the saver's own settings, nor another test program's.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace
{

char ProcessScratch[64]; // plain data: set before ordinary static initialisation
HKEY ScratchKey;

void Delete_Process_Scratch()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(ScratchKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, ProcessScratch);
    RegDeleteKeyA(HKEY_CURRENT_USER, ProcessScratch);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillomarTests"); // once no other process uses it
}

// Priority 101 runs before every ordinary static constructor, the options' among them.
__attribute__((constructor(101))) void Make_Process_Scratch()
{
    snprintf(ProcessScratch, sizeof(ProcessScratch), "Software\\QuillomarTests\\%lu-%lu",
             GetCurrentProcessId(), GetTickCount());
    if (RegCreateKeyExA(HKEY_CURRENT_USER, ProcessScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &ScratchKey, nullptr) != ERROR_SUCCESS)
        abort();
    RegOverridePredefKey(HKEY_CURRENT_USER, ScratchKey);
    atexit(Delete_Process_Scratch);
}

} // namespace

#include "scratch_current_user.h"

#include <cstdio>
#include <cstdlib>

namespace
{

const char ScratchRoot[] = "Software\\QuillomarTests";

// Plain data: set before ordinary static initialisation and never re-initialised by it.
char ProcessScratch[128];
HKEY RedirectedKey;

HKEY Open_Below_Real_Current_User(const char *path, DWORD options)
{
    RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
    HKEY key = NULL;
    char no_class[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, no_class, options, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS)
    {
        fprintf(stderr, "cannot create scratch key %s\n", path);
        abort();
    }
    return key;
}

void Redirect_To(HKEY key)
{
    if (RedirectedKey != NULL)
        RegCloseKey(RedirectedKey);
    RedirectedKey = key;
    RegOverridePredefKey(HKEY_CURRENT_USER, key);
}

void Delete_Process_Scratch()
{
    Redirect_To(NULL);
    Delete_Below_Real_Current_User(ProcessScratch);
    RegDeleteKeyA(HKEY_CURRENT_USER, ScratchRoot); // only once no other process uses it
}

// Priority 101 runs before every ordinary static constructor, the options' among them. A test
// that starts a program chooses its key in the environment and deletes it itself.
__attribute__((constructor(101))) void Make_Process_Scratch()
{
    const DWORD chosen = GetEnvironmentVariableA(CHOSEN_CURRENT_USER_VARIABLE, ProcessScratch,
                                                 sizeof(ProcessScratch));
    if (chosen > 0 && chosen < sizeof(ProcessScratch))
    {
        Redirect_To(Open_Below_Real_Current_User(ProcessScratch, REG_OPTION_NON_VOLATILE));
        return;
    }
    snprintf(ProcessScratch, sizeof(ProcessScratch), "%s\\%lu-%lu", ScratchRoot,
             GetCurrentProcessId(), GetTickCount());
    Redirect_To(Open_Below_Real_Current_User(ProcessScratch, REG_OPTION_NON_VOLATILE));
    atexit(Delete_Process_Scratch);
}

} // namespace

const std::string &Process_Scratch_Path()
{
    static const std::string path = ProcessScratch;
    return path;
}

void Redirect_Current_User(const std::string &path)
{
    const std::string target = path.empty() ? std::string(ProcessScratch) : path;
    Redirect_To(Open_Below_Real_Current_User(target.c_str(), REG_OPTION_NON_VOLATILE));
}

// Inside the process's key, so that whatever a test leaves (a death test's child ends without
// its tear-down) goes with it at exit.
std::string New_Scratch_Path(const char *purpose)
{
    static int count = 0;
    return std::string(ProcessScratch) + "\\" + purpose + std::to_string(++count);
}

void Delete_Below_Real_Current_User(const std::string &path)
{
    HKEY previous = RedirectedKey;
    RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    if (previous != NULL)
        RegOverridePredefKey(HKEY_CURRENT_USER, previous);
}

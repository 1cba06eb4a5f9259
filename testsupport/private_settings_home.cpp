// Linked into native test programs and tools that use the real file store: before static
// initialisation builds the options, XDG_CONFIG_HOME is pointed at a private directory, so
// neither a test run, test discovery nor a tool touches the user's own settings. The directory
// goes at exit.
#include "private_settings_home.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace
{

// Plain data, so that no dynamic initialisation can run after the constructor below.
char PrivateHome[64];
pid_t CreatorPid;

void Remove_Private_Home()
{
    // A death test's forked child exits too; only the creator cleans up.
    if (getpid() == CreatorPid)
        Remove_Tree(PrivateHome);
}

// Priority 101 runs before every ordinary static constructor, the options' among them.
__attribute__((constructor(101))) void Make_Private_Home()
{
    snprintf(PrivateHome, sizeof(PrivateHome), "/tmp/quillomar-settings-XXXXXX");
    if (mkdtemp(PrivateHome) == nullptr)
        abort();
    CreatorPid = getpid();
    setenv("XDG_CONFIG_HOME", PrivateHome, 1);
    atexit(Remove_Private_Home);
}

} // namespace

const char *Private_Settings_Home()
{
    return PrivateHome;
}

bool Remove_Tree(const char *path)
{
    std::error_code error; // a symbolic link goes, not what it names
    std::filesystem::remove_all(path, error);
    return !error;
}

std::string Read_File(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

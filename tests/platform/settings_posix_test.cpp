// The settings store as a file: where it lives, its exact text, a file a person wrote, that
// changes replace it whole and are never lost between processes, and that a change that fails
// changes nothing.
#include "platform/platform.h"
#include "platform/settings_text.h"
#include "private_settings_home.h"
#include "twutility/registryint.h"
#include "twutility/registrystring.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

const char Location[] = "Software\\Tarnwick\\Quillomar";

// What answers (an errno value or 0), in a child process in which system call `call` (none:
// -1) always fails with `error`, as a store given up stays so for the process; -1 when the
// child could not make it fail or did not end normally.
int In_Child(const std::function<long()> &what, long call = -1, int error = 0)
{
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, unsigned(call), 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (unsigned(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog filter = {sizeof(program) / sizeof(program[0]), program};
    const pid_t child = fork();
    if (child == 0)
        _exit(prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                      prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0
                  ? int(what())
                  : 255);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

long Write(const std::string &name, uint32_t type, const std::string &bytes,
           const char *path = Location)
{
    Platform::CSettingsKey *key = nullptr;
    long result = Platform::Create_Settings_Key(Platform::User_Settings_Root(), path, &key);
    if (result == 0)
        result =
            Platform::Write_Setting(key, name.c_str(), type, bytes.data(), uint32_t(bytes.size()));
    if (key != nullptr)
        Platform::Close_Settings_Key(key);
    return result;
}

class SettingsFileTest : public testing::Test
{
protected:
    std::string Home; // XDG_CONFIG_HOME of the test
    std::string File; // Home/quillomar/settings

    void SetUp() override
    {
        std::string pattern = std::string(Private_Settings_Home()) + "/test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
        Home = pattern;
        File = Home + "/quillomar/settings";
        setenv("XDG_CONFIG_HOME", Home.c_str(), 1);
    }

    void TearDown() override
    {
        setenv("XDG_CONFIG_HOME", Private_Settings_Home(), 1);
        Remove_Tree(Home.c_str());
    }

    // The names in the store's directory: just "settings" when no damaged file was set aside
    // and no temporary file was left.
    std::set<std::string> Directory() const
    {
        std::set<std::string> names;
        std::error_code error; // none listed when there is no directory
        for (const auto &entry : std::filesystem::directory_iterator(Home + "/quillomar", error))
            names.insert(entry.path().filename());
        return names;
    }

    ino_t Inode() const
    {
        struct stat status = {};
        stat(File.c_str(), &status);
        return status.st_ino;
    }
};

const std::set<std::string> JustTheFile = {"settings"};

// A relative XDG_CONFIG_HOME, as an empty or missing one, means ~/.config.
TEST_F(SettingsFileTest, TheFileFollowsTheXdgRulesAndIsTheUsersAlone)
{
    setenv("HOME", Home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative", 1);
    ASSERT_EQ(0, Write("A", Platform::SETTING_NUMBER, "1234"));
    struct stat status = {};
    ASSERT_EQ(0, stat((Home + "/.config/quillomar/settings").c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 0777);
    ASSERT_EQ(0, stat((Home + "/.config/quillomar").c_str(), &status));
    EXPECT_EQ(0700u, status.st_mode & 0777);
}

// Names match without regard to ASCII case, within their own key, wherever in the file they are.
TEST_F(SettingsFileTest, AFileAPersonWroteIsRead)
{
    mkdir((Home + "/quillomar").c_str(), 0700);
    std::ofstream(File) << "Quillomar settings 1\r\n; edited by hand\r\n\r\n"
                           "[SOFTWARE\\tarnwick\\QUILLOMAR]\r\n"
                           "\"VersionMajor\"=dword:FFFFFFFF\n"
                           "\"VersionMajor\"=dword:0000000A\n"
                           "\"VersionMinor\"=hex:02,01,00,00\n"
                           "[Software\\Other]\n"
                           "\"Caption\"=\"tab\\x09\"\n"
                           "\"Title\"=\"first\"\n"
                           "[Software\\Third]\n"
                           "\"Caption\"=\"third\"\n"
                           "[software\\OTHER]\n"
                           "\"title\"=\"later\"\n"
                           "\"\\xc4\"=\"upper\"\n"
                           "\"\\xe4\"=\"lower\"";
    CRegistryInt major(Location, "versionmajor", 1);
    EXPECT_EQ(10, major.Get_Value()) << "a later line wins";
    EXPECT_EQ(0x102, CRegistryInt(Location, "VersionMinor", 1).Get_Value());
    EXPECT_STREQ("tab\t", CRegistryString("Software\\Other", "Caption", "").Get_Value());
    EXPECT_STREQ("third", CRegistryString("Software\\Third", "CAPTION", "").Get_Value());
    EXPECT_STREQ("later", CRegistryString("Software\\Other", "TITLE", "").Get_Value());
    EXPECT_STREQ("upper", CRegistryString("Software\\Other", "\xc4", "").Get_Value());
    EXPECT_STREQ("lower", CRegistryString("Software\\Other", "\xe4", "").Get_Value());
    EXPECT_EQ(JustTheFile, Directory());
}

// Only what is no settings file is set aside: a text that does not parse (the fuzzer's), one
// too large, one whose key lines imply more keys than a file may hold, and no regular file.
TEST_F(SettingsFileTest, WhatIsNoSettingsFileIsSetAsideAndANewOneBegun)
{
    std::string deep = "a";
    while (deep.size() < 16000)
        deep += "\\a";
    const std::string too_large(SettingsText::MaxFileSize + 1, ';');
    for (const std::string &text : {"Quillomar settings 1\n" + too_large,
                                    "Quillomar settings 1\n[" + deep + "]\n", std::string()})
    {
        mkdir((Home + "/quillomar").c_str(), 0700);
        if (text.empty())
            mkdir(File.c_str(), 0700);
        else
            std::ofstream(File) << text;
        uint32_t type = 0;
        uint32_t size = 0;
        EXPECT_EQ(SettingsText::DAMAGED, Platform::Read_Setting(Platform::User_Settings_Root(), "A",
                                                                &type, nullptr, &size))
            << text.substr(0, 30);
        EXPECT_EQ(0, Write("A", Platform::SETTING_NUMBER, "1234")) << text.substr(0, 30);
        EXPECT_EQ((std::set<std::string>{"settings", "settings.damaged"}), Directory());
        Remove_Tree((Home + "/quillomar").c_str());
    }
}

TEST_F(SettingsFileTest, AChangeReplacesTheFileWholeAndNoChangeLeavesItAlone)
{
    CRegistryInt major(Location, "VersionMajor", 1);
    const ino_t first = Inode();
    major.Set_Value(1);
    EXPECT_EQ(first, Inode());
    major.Set_Value(2);
    EXPECT_NE(first, Inode()) << "renamed over, never rewritten in place";
}

TEST_F(SettingsFileTest, BadKeyPathsAreRefused)
{
    const std::string long_part(256, 'k');
    for (const char *bad : {"\\Leading", "Trailing\\", "Two\\\\Parts", "Tab\t", long_part.c_str()})
        EXPECT_NE(0, Write("A", Platform::SETTING_NUMBER, "1234", bad)) << bad;
    EXPECT_NE(0, Platform::Write_Setting(Platform::User_Settings_Root(), "AtTheRoot",
                                         Platform::SETTING_TEXT, "", 1));
}

// Texts of bytes outside printable ASCII take four characters a byte: four of the largest
// values make a file larger than a reader takes. The fourth is kept in memory only.
TEST_F(SettingsFileTest, NoChangeMakesAFileTooLargeToRead)
{
    const std::string largest = std::string(SettingsText::MaxValueSize - 1, '\x01') + '\0';
    for (const char *name : {"T1", "T2", "T3"})
        ASSERT_EQ(0, Write(name, Platform::SETTING_TEXT, largest)) << name;
    const ino_t before = Inode();
    EXPECT_EQ(0, In_Child([&] { return Write("T4", Platform::SETTING_TEXT, largest); }));
    EXPECT_EQ(before, Inode()) << "the file was replaced";
    EXPECT_EQ(JustTheFile, Directory());
    const std::string text = Read_File(File); // what was written reads back
    SettingsText::CStore store;
    EXPECT_TRUE(text.size() <= SettingsText::MaxFileSize &&
                SettingsText::Parse_Store(text, &store) == 0);
}

// A failing lock, a passing shortage or a faulty disk: the process runs on in memory, where the
// change is made and a value that cannot be read is missing; the file stays as it was, nothing
// is set aside and no temporary file is left.
TEST_F(SettingsFileTest, AFileThatFailsIsLeftAsItWasForSettingsInMemory)
{
    ASSERT_EQ(0, Write("Kept", Platform::SETTING_NUMBER, "1234"));
    const struct
    {
        const char *What;
        long Call;
        int Error;
    } failures[] = {
        {"lock", SYS_flock, ENOLCK},
        {"read", SYS_read, EIO},
        {"write", SYS_write, ENOSPC},
    };
    for (const auto &failure : failures)
    {
        const std::string before = Read_File(File);
        const std::string name = std::string("New") + failure.What + std::to_string(failure.Error);
        EXPECT_EQ(0, In_Child([&] { return Write(name, Platform::SETTING_NUMBER, "5678"); },
                              failure.Call, failure.Error))
            << failure.What << " failing with " << strerror(failure.Error);
        EXPECT_EQ(before, Read_File(File)) << failure.What;
        EXPECT_EQ(JustTheFile, Directory()) << failure.What;
    }
    Platform::CSettingsKey *key = nullptr;
    ASSERT_EQ(0, Platform::Create_Settings_Key(Platform::User_Settings_Root(), Location, &key));
    uint32_t type = 0;
    uint32_t size = 4;
    char bytes[4];
    EXPECT_EQ(ENOENT,
              In_Child([&] { return Platform::Read_Setting(key, "Kept", &type, bytes, &size); },
                       SYS_read, EIO));
    Platform::Close_Settings_Key(key);
}

// One start of the program, as it touches the store: every option read (and written straight
// back), then a value of its own.
bool Start(const char *own, const std::string &stamp)
{
    for (const char *option : {"ReleaseLogging", "ShowFramerate", "CurrentConfigureSheet",
                               "VersionMajor", "VersionMinor"})
        CRegistryInt(Location, option, 1);
    return Write(own, Platform::SETTING_BINARY, stamp) == 0;
}

// Two processes that make a start whenever the test sends them a stamp over their socket, and
// answer whether it succeeded. Forking two for each round would take longer than the starts
// themselves, and the first would be done before the second was made.
struct CStarters
{
    pid_t Pids[2] = {-1, -1};
    int Sockets[2] = {-1, -1};

    CStarters(const char *const (&own)[2])
    {
        for (int i = 0; i < 2; ++i)
        {
            int pair[2];
            if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0 || (Pids[i] = fork()) < 0)
                return;
            if (Pids[i] == 0)
            {
                for (char stamp[4]; read(pair[1], stamp, 4) == 4;)
                {
                    const char started = Start(own[i], std::string(stamp, 4)) ? 1 : 0;
                    if (write(pair[1], &started, 1) != 1)
                        break;
                }
                _exit(0);
            }
            close(pair[1]);
            Sockets[i] = pair[0];
        }
    }

    ~CStarters()
    {
        for (int i = 0; i < 2; ++i)
        {
            close(Sockets[i]);
            if (Pids[i] > 0 && kill(Pids[i], SIGKILL) == 0)
                waitpid(Pids[i], nullptr, 0);
        }
    }

    bool Start_Both(const std::string &stamp)
    {
        char started[2] = {0, 0};
        for (const int socket : Sockets)
            if (write(socket, stamp.data(), 4) != 4)
                return false;
        return read(Sockets[0], &started[0], 1) == 1 && read(Sockets[1], &started[1], 1) == 1 &&
               started[0] == 1 && started[1] == 1;
    }
};

// As the screen-saver daemon starts the program on two screens at once. Every fourth round
// begins without a file, so that the two also race to make the directory and the file.
TEST_F(SettingsFileTest, TwoProgramsStartingAtOnceLoseNothing)
{
    const char *const own[] = {"FirstScreen", "SecondScreen"};
    CStarters starters(own);
    for (int round = 0; round < 1000; ++round)
    {
        if (round % 4 == 0)
            Remove_Tree((Home + "/quillomar").c_str());
        const std::string stamp = std::to_string(1000 + round);
        ASSERT_TRUE(starters.Start_Both(stamp)) << "round " << round;
        ASSERT_EQ(JustTheFile, Directory()) << "round " << round;
        SettingsText::CStore store;
        ASSERT_EQ(0, SettingsText::Parse_Store(Read_File(File), &store)) << "round " << round;
        SettingsText::CStoredKey *key = SettingsText::Find_Key(store, Location);
        ASSERT_NE(nullptr, key) << "round " << round;
        for (const char *name : own)
        {
            const SettingsText::CStoredValue *value = SettingsText::Find_Value(*key, name);
            ASSERT_TRUE(value != nullptr && value->Bytes == stamp) << name << " round " << round;
        }
        ASSERT_EQ(7u, key->Values.size()) << "every option kept, round " << round;
    }
}

} // namespace

// The native settings store as a file: where it lives, its exact text, how it reads a file a
// person wrote, how it survives a damaged file, and that changes replace it atomically and are
// never lost between processes.
#include "platform/platform.h"
#include "private_settings_home.h"
#include "twutility/registrybool.h"
#include "twutility/registryint.h"
#include "twutility/registrystring.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

const char Location[] = "Software\\Tarnwick\\Quillomar";

std::string Read_File(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void Write_File(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

bool Exists(const std::string &path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

class SettingsFileTest : public ::testing::Test
{
protected:
    std::string Home;      // XDG_CONFIG_HOME of the test
    std::string Directory; // Home/quillomar
    std::string File;      // Directory/settings

    void SetUp() override
    {
        std::string pattern = std::string(Private_Settings_Home()) + "/test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&pattern[0]));
        Use_Home(pattern);
    }

    void TearDown() override
    {
        setenv("XDG_CONFIG_HOME", Private_Settings_Home(), 1);
        Remove_Tree(Home.c_str());
    }

    void Use_Home(const std::string &home)
    {
        Home = home;
        Directory = Home + "/quillomar";
        File = Directory + "/settings";
        setenv("XDG_CONFIG_HOME", Home.c_str(), 1);
    }

    void Write_Settings(const std::string &text)
    {
        mkdir(Directory.c_str(), 0700);
        Write_File(File, text);
    }

    static std::vector<uint8_t> Read_Raw(const char *name, uint32_t *type,
                                         const char *key_path = Location)
    {
        Platform::CSettingsKey *key = nullptr;
        EXPECT_EQ(0, Platform::Create_Settings_Key(Platform::User_Settings_Root(), key_path, &key));
        std::vector<uint8_t> bytes(70000);
        uint32_t size = uint32_t(bytes.size());
        EXPECT_EQ(0, Platform::Read_Setting(key, name, type, bytes.data(), &size)) << name;
        Platform::Close_Settings_Key(key);
        bytes.resize(size);
        return bytes;
    }

    static void Write_Raw(const char *name, uint32_t type, const std::string &bytes)
    {
        Platform::CSettingsKey *key = nullptr;
        ASSERT_EQ(0, Platform::Create_Settings_Key(Platform::User_Settings_Root(), Location, &key));
        EXPECT_EQ(0,
                  Platform::Write_Setting(key, name, type, bytes.data(), uint32_t(bytes.size())));
        Platform::Close_Settings_Key(key);
    }
};

const char FirstRunText[] = "Quillomar settings 1\n"
                            "[Software]\n"
                            "[Software\\Tarnwick]\n"
                            "[Software\\Tarnwick\\Quillomar]\n"
                            "\"ReleaseLogging\"=dword:00000000\n"
                            "\"VersionMajor\"=dword:00000001\n";

} // namespace

TEST_F(SettingsFileTest, FileLivesInTheConfigurationDirectoryOfTheXdgRules)
{
    struct
    {
        const char *What;
        const char *XdgConfigHome; // NULL: unset
        const char *Expected;      // below the test's directory
    } cases[] = {
        {"XDG_CONFIG_HOME set", "/xdg", "/xdg/quillomar/settings"},
        {"unset", nullptr, "/home/.config/quillomar/settings"},
        {"empty", "", "/home/.config/quillomar/settings"},
        {"relative, which the rules ignore", "relative/xdg", "/home/.config/quillomar/settings"},
    };
    const std::string base = Home;
    const char *home = getenv("HOME");
    const std::string saved_home = home != nullptr ? home : "";
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.What);
        const std::string run = base + "/" + std::to_string(&c - cases);
        mkdir(run.c_str(), 0700);
        setenv("HOME", (run + "/home").c_str(), 1);
        if (c.XdgConfigHome == nullptr)
            unsetenv("XDG_CONFIG_HOME");
        else if (c.XdgConfigHome[0] == '/')
            setenv("XDG_CONFIG_HOME", (run + c.XdgConfigHome).c_str(), 1);
        else
            setenv("XDG_CONFIG_HOME", c.XdgConfigHome, 1);
        {
            CRegistryInt value(Location, "VersionMajor", 1);
        }
        const std::string expected = run + c.Expected;
        ASSERT_TRUE(Exists(expected));
        struct stat status;
        ASSERT_EQ(0, stat(expected.c_str(), &status));
        EXPECT_EQ(0600u, status.st_mode & 0777);
        ASSERT_EQ(0, stat(expected.substr(0, expected.rfind('/')).c_str(), &status));
        EXPECT_EQ(0700u, status.st_mode & 0777);
    }
    setenv("HOME", saved_home.c_str(), 1);
    EXPECT_FALSE(Exists("relative/xdg"));
}

TEST_F(SettingsFileTest, FirstRunWritesKeysAndValuesInTheRegistrysShape)
{
    CRegistryBool logging(Location, "ReleaseLogging", false);
    CRegistryInt major(Location, "VersionMajor", 1);
    EXPECT_EQ(FirstRunText, Read_File(File));

    CRegistryString caption(Location, "Caption", "Bananas \"in\" C:\\space");
    CRegistryInt negative(Location, "Negative", -2);
    Write_Raw("Picture", Platform::SETTING_BINARY, std::string("\x01\xab\0", 3));
    Write_Raw("Empty", Platform::SETTING_BINARY, "");
    Write_Raw("List", 7, std::string("a\0b\0\0", 5));
    Write_Raw("Unterminated", Platform::SETTING_TEXT, "abc");
    Write_Raw("Short number", Platform::SETTING_NUMBER, std::string("\x05\x00", 2));
    Write_Raw("Odd\tname\xe9", 0xFFFFFFFF, "");
    EXPECT_EQ(std::string(FirstRunText) + "\"Caption\"=\"Bananas \\\"in\\\" C:\\\\space\"\n"
                                          "\"Negative\"=dword:fffffffe\n"
                                          "\"Picture\"=hex:01,ab,00\n"
                                          "\"Empty\"=hex:\n"
                                          "\"List\"=hex(7):61,00,62,00,00\n"
                                          "\"Unterminated\"=hex(1):61,62,63\n"
                                          "\"Short number\"=hex(4):05,00\n"
                                          "\"Odd\\x09name\\xe9\"=hex(4294967295):\n",
              Read_File(File));
}

TEST_F(SettingsFileTest, EveryByteOfNamesTextsAndBinariesComesBackAsStored)
{
    std::string all_bytes;
    for (int byte = 1; byte < 256; ++byte)
        all_bytes.push_back(char(byte));
    Write_Raw("Text", Platform::SETTING_TEXT, all_bytes + '\0');
    Write_Raw(all_bytes.c_str(), Platform::SETTING_BINARY, '\0' + all_bytes);
    const std::string text = Read_File(File);
    for (const char c : text)
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7e)) << "byte " << int(uint8_t(c));

    uint32_t type = 0;
    const std::string with_terminator = all_bytes + '\0';
    EXPECT_EQ(std::vector<uint8_t>(with_terminator.begin(), with_terminator.end()),
              Read_Raw("Text", &type));
    EXPECT_EQ(Platform::SETTING_TEXT, type);
    const std::string binary = '\0' + all_bytes;
    EXPECT_EQ(std::vector<uint8_t>(binary.begin(), binary.end()),
              Read_Raw(all_bytes.c_str(), &type));
    EXPECT_EQ(Platform::SETTING_BINARY, type);
}

TEST_F(SettingsFileTest, AFileAPersonWroteIsRead)
{
    Write_Settings("Quillomar settings 1\r\n"
                   "; edited by hand\r\n"
                   "\r\n"
                   "[SOFTWARE\\tarnwick\\QUILLOMAR]\r\n"
                   "\"showframerate\"=dword:00000001\n"
                   "\"VersionMajor\"=dword:FFFFFFFF\n"
                   "\"VersionMajor\"=dword:0000000A\n"
                   "\"Caption\"=\"tab\\x09, quote \\\", backslash \\\\\"\n"
                   "\"Binary\"=hex:01,00,00,00\n"
                   "[Software\\Other]\n"
                   "\"Caption\"=\"elsewhere\"");
    CRegistryBool framerate(Location, "ShowFramerate", false);
    CRegistryInt major(Location, "VersionMajor", 1);
    CRegistryString caption(Location, "Caption", "");
    CRegistryInt binary(Location, "Binary", 7);
    EXPECT_EQ(1u, framerate.Get_Value());
    EXPECT_EQ(10, major.Get_Value()); // a later line wins
    EXPECT_STREQ("tab\t, quote \", backslash \\", caption.Get_Value());
    EXPECT_EQ(1, binary.Get_Value());
    EXPECT_FALSE(Exists(File + ".damaged"));
    uint32_t type = 0;
    const std::vector<uint8_t> elsewhere = Read_Raw("Caption", &type, "Software\\Other");
    EXPECT_EQ(std::string("elsewhere", 10), std::string(elsewhere.begin(), elsewhere.end()));
}

TEST_F(SettingsFileTest, ADamagedFileIsKeptAsideAndTheInitialValuesAreWrittenBack)
{
    const std::string good_start = "Quillomar settings 1\n[Software\\Tarnwick\\Quillomar]\n";
    struct
    {
        const char *What;
        std::string Text;
    } cases[] = {
        {"not a settings file", "ShowFramerate=1\n"},
        {"a later format", "Quillomar settings 2\n"},
        {"empty", ""},
        {"zeros", std::string(100, '\0')},
        {"a cut number", good_start + "\"VersionMajor\"=dword:0000"},
        {"a cut text", good_start + "\"Caption\"=\"Banan"},
        {"an unknown escape", good_start + "\"Caption\"=\"\\q\"\n"},
        {"a raw control character", good_start + "\"Caption\"=\"a\tb\"\n"},
        {"an odd hex digit", good_start + "\"Picture\"=hex:01,2\n"},
        {"a type that is no number", good_start + "\"Picture\"=hex(x):01\n"},
        {"a type beyond 32 bits", good_start + "\"Picture\"=hex(4294967296):01\n"},
        {"a value before any key", "Quillomar settings 1\n\"VersionMajor\"=dword:00000003\n"},
        {"an empty key part", "Quillomar settings 1\n[Software\\\\Tarnwick]\n"},
        {"an unclosed key", "Quillomar settings 1\n[Software\n"},
        {"a value without a name", good_start + "\"\"=dword:00000003\n"},
        {"trailing text", good_start + "\"VersionMajor\"=dword:00000003 x\n"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.What);
        Remove_Tree(Directory.c_str());
        Write_Settings(c.Text + "\n" + "\"VersionMajor\"=dword:00000003\n");
        const std::string damaged = Read_File(File);
        {
            CRegistryBool logging(Location, "ReleaseLogging", false);
            CRegistryInt major(Location, "VersionMajor", 1);
            EXPECT_EQ(1, major.Get_Value());
        }
        EXPECT_EQ(FirstRunText, Read_File(File));
        EXPECT_EQ(damaged, Read_File(File + ".damaged"));
        EXPECT_FALSE(Exists(Directory + "/settings.tmp"));
    }
}

TEST_F(SettingsFileTest, WhatCannotBeReadAsAFileIsKeptAsideToo)
{
    struct
    {
        const char *What;
        void (*Make)(const std::string &file);
        mode_t Kind;
    } cases[] = {
        {"a directory", [](const std::string &file) { mkdir(file.c_str(), 0700); }, S_IFDIR},
        // Opened without care, a FIFO would block the program for good.
        {"a FIFO", [](const std::string &file) { mkfifo(file.c_str(), 0600); }, S_IFIFO},
        {"a symbolic link to itself",
         [](const std::string &file) { ASSERT_EQ(0, symlink(file.c_str(), file.c_str())); },
         S_IFLNK},
        {"a file over 16 MB",
         [](const std::string &file)
         { Write_File(file, "Quillomar settings 1\n" + std::string(17 << 20, ';')); },
         S_IFREG},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.What);
        Remove_Tree(Directory.c_str());
        mkdir(Directory.c_str(), 0700);
        c.Make(File);
        {
            CRegistryBool logging(Location, "ReleaseLogging", false);
            CRegistryInt major(Location, "VersionMajor", 1);
        }
        struct stat status;
        ASSERT_EQ(0, lstat((File + ".damaged").c_str(), &status));
        EXPECT_EQ(c.Kind, status.st_mode & S_IFMT);
        EXPECT_EQ(FirstRunText, Read_File(File));
    }
}

TEST_F(SettingsFileTest, EachDamagedFileIsKeptUnderItsOwnName)
{
    for (const char *text : {"first\n", "second\n", "third\n"})
    {
        Write_Settings(text);
        CRegistryInt major(Location, "VersionMajor", 1);
    }
    EXPECT_EQ("first\n", Read_File(File + ".damaged"));
    EXPECT_EQ("second\n", Read_File(File + ".damaged.2"));
    EXPECT_EQ("third\n", Read_File(File + ".damaged.3"));
}

TEST_F(SettingsFileTest, ReadingADamagedFileChangesNothing)
{
    // The key is opened before the file is damaged, as a running program would have it.
    Platform::CSettingsKey *key = nullptr;
    ASSERT_EQ(0, Platform::Create_Settings_Key(Platform::User_Settings_Root(), Location, &key));
    Write_Settings("damaged\n");
    uint8_t bytes[4];
    uint32_t type = 0, size = 4;
    EXPECT_NE(0, Platform::Read_Setting(key, "VersionMajor", &type, bytes, &size));
    Platform::Close_Settings_Key(key);
    EXPECT_EQ("damaged\n", Read_File(File));
    EXPECT_FALSE(Exists(File + ".damaged"));
}

TEST_F(SettingsFileTest, AChangeReplacesTheFileAndNoChangeLeavesItAlone)
{
    auto inode = [this]()
    {
        struct stat status;
        EXPECT_EQ(0, stat(File.c_str(), &status));
        return status.st_ino;
    };
    CRegistryInt major(Location, "VersionMajor", 1);
    const ino_t first = inode();
    major.Set_Value(1);
    CRegistryInt again(Location, "VersionMajor", 5);
    EXPECT_EQ(first, inode()); // same values: not rewritten
    major.Set_Value(2);
    // Replaced by a rename, never rewritten in place, so no reader sees half of it.
    EXPECT_NE(first, inode());
    EXPECT_FALSE(Exists(Directory + "/settings.tmp"));
}

TEST_F(SettingsFileTest, TheStoreAnswersLikeTheRegistry)
{
    Write_Raw("Text", Platform::SETTING_TEXT, std::string("hello\0", 6));
    Platform::CSettingsKey *key = nullptr;
    Platform::CSettingsKey *root = Platform::User_Settings_Root();
    ASSERT_EQ(0, Platform::Create_Settings_Key(root, Location, &key));
    char small[4];
    uint32_t type = 0, size = sizeof(small);
    EXPECT_NE(0, Platform::Read_Setting(key, "Text", &type, small, &size));
    EXPECT_EQ(6u, size); // the size it needs
    size = sizeof(small);
    EXPECT_NE(0, Platform::Read_Setting(key, "Missing", &type, small, &size));
    Platform::Close_Settings_Key(key);

    // Subkeys below an open key.
    Platform::CSettingsKey *parent = nullptr, *child = nullptr;
    ASSERT_EQ(0, Platform::Create_Settings_Key(root, "Software", &parent));
    ASSERT_EQ(0, Platform::Create_Settings_Key(parent, "Tarnwick\\Quillomar", &child));
    size = 6;
    char text[6];
    EXPECT_EQ(0, Platform::Read_Setting(child, "Text", &type, text, &size));
    EXPECT_STREQ("hello", text);
    Platform::Close_Settings_Key(child);
    Platform::Close_Settings_Key(parent);

    const std::string long_part(256, 'k');
    for (const char *bad :
         {"\\Leading", "Trailing\\", "Two\\\\Slashes", "Tab\there", long_part.c_str()})
    {
        SCOPED_TRACE(bad);
        EXPECT_NE(0, Platform::Create_Settings_Key(root, bad, &key));
        EXPECT_EQ(nullptr, key);
    }
    EXPECT_NE(0, Platform::Write_Setting(root, "AtTheRoot", Platform::SETTING_TEXT, "", 1));
}

TEST_F(SettingsFileTest, AStoreThatCannotBeCreatedReportsIt)
{
    Write_File(Home + "/not-a-directory", "x");
    setenv("XDG_CONFIG_HOME", (Home + "/not-a-directory").c_str(), 1);
    Platform::CSettingsKey *key = nullptr;
    EXPECT_EQ(ENOTDIR,
              Platform::Create_Settings_Key(Platform::User_Settings_Root(), Location, &key));
    EXPECT_EQ(nullptr, key);
}

TEST_F(SettingsFileTest, TwoProcessesWritingAtOnceLoseNothing)
{
    const int writes = 40;
    pid_t children[2];
    for (int child = 0; child < 2; ++child)
    {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0)
        {
            for (int i = 0; i < writes; ++i)
            {
                const std::string name = std::string(1, char('A' + child)) + std::to_string(i);
                Platform::CSettingsKey *key = nullptr;
                if (Platform::Create_Settings_Key(Platform::User_Settings_Root(), Location, &key) !=
                        0 ||
                    Platform::Write_Setting(key, name.c_str(), Platform::SETTING_TEXT, "x", 2) != 0)
                    _exit(2);
                Platform::Close_Settings_Key(key);
            }
            _exit(0);
        }
    }
    for (const pid_t child : children)
    {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string text = Read_File(File);
    for (int child = 0; child < 2; ++child)
        for (int i = 0; i < writes; ++i)
        {
            const std::string line =
                "\"" + std::string(1, char('A' + child)) + std::to_string(i) + "\"=\"x\"\n";
            EXPECT_NE(std::string::npos, text.find(line)) << line;
        }
}

// The options as a real start finds and leaves them in the registry: a program built like the
// saver (options_probe.cpp) starts with its current-user key in a scratch key of this test and
// prints the five values.
#include "win32/scratch_current_user.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

const char Options[] = "\\Software\\Tarnwick\\Quillomar";

std::string Probe_Path()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + "options_probe.exe";
}

// Runs the probe with its current-user key at scratch; its output, and its exit code.
std::string Start_Program(const std::string &scratch, DWORD *exit_code)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE read_end = NULL, write_end = NULL;
    EXPECT_TRUE(CreatePipe(&read_end, &write_end, &inherit, 0));
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    SetEnvironmentVariableA(CHOSEN_CURRENT_USER_VARIABLE, scratch.c_str());
    std::string command = "\"" + Probe_Path() + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process);
    SetEnvironmentVariableA(CHOSEN_CURRENT_USER_VARIABLE, NULL);
    CloseHandle(write_end);
    EXPECT_TRUE(started) << GetLastError();
    std::string output;
    char buffer[256];
    DWORD got = 0;
    while (started && ReadFile(read_end, buffer, sizeof(buffer), &got, NULL) && got > 0)
        output.append(buffer, got);
    CloseHandle(read_end);
    *exit_code = 99;
    if (started)
    {
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, exit_code);
        else
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // The C runtime writes line ends as CR LF to a pipe.
    for (size_t cr; (cr = output.find('\r')) != std::string::npos;)
        output.erase(cr, 1);
    return output;
}

void Put_Dword(const std::string &key_path, const char *name, DWORD value)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key_path.c_str(), 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), 4);
    RegCloseKey(key);
}

void Put_Text(const std::string &key_path, const char *name, const char *text)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key_path.c_str(), 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                   DWORD(strlen(text) + 1));
    RegCloseKey(key);
}

// The values of a key, sorted: name, type and number (texts as -1).
std::vector<std::string> Values(const std::string &key_path)
{
    std::vector<std::string> found;
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return found;
    for (DWORD index = 0;; ++index)
    {
        char name[256];
        DWORD name_size = sizeof(name), type = 0, size = 4;
        BYTE data[4] = {};
        const LONG result = RegEnumValueA(key, index, name, &name_size, NULL, &type, data, &size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        DWORD number = 0;
        memcpy(&number, data, 4);
        found.push_back(std::string(name) + " " + std::to_string(type) + " " +
                        (type == REG_DWORD ? std::to_string(number) : "-1"));
    }
    RegCloseKey(key);
    std::sort(found.begin(), found.end());
    return found;
}

class OptionsStartWin32 : public ::testing::Test
{
protected:
    std::string Scratch; // the probe's current-user key, below the real HKEY_CURRENT_USER

    void SetUp() override
    {
        Scratch = New_Scratch_Path("start");
        Redirect_Current_User(""); // this program's own scratch key
    }
    void TearDown() override { Delete_Below_Real_Current_User(Scratch); }

    // Raw access to the probe's key from this program: through the real current-user key.
    std::string Below_Scratch(const char *path) const { return Scratch + path; }
};

// Reading the real HKEY_CURRENT_USER from here means lifting this program's own redirection.
class CRealCurrentUser
{
public:
    CRealCurrentUser() { RegOverridePredefKey(HKEY_CURRENT_USER, NULL); }
    ~CRealCurrentUser() { Redirect_Current_User(""); }
};

} // namespace

TEST_F(OptionsStartWin32, AFirstStartCreatesTheKeyWithAllFiveInitialNumbers)
{
    DWORD exit_code = 0;
    EXPECT_EQ("ReleaseLogging=0 ShowFramerate=0 CurrentConfigureSheet=0 VersionMajor=1 "
              "VersionMinor=1\n",
              Start_Program(Scratch, &exit_code));
    EXPECT_EQ(0u, exit_code);
    CRealCurrentUser real;
    const std::vector<std::string> expected = {
        "CurrentConfigureSheet 4 0", "ReleaseLogging 4 0", "ShowFramerate 4 0",
        "VersionMajor 4 1",          "VersionMinor 4 1",
    };
    EXPECT_EQ(expected, Values(Below_Scratch(Options)));
}

TEST_F(OptionsStartWin32, StoredValuesAreKeptAndOtherTypesReplaced)
{
    {
        CRealCurrentUser real;
        Put_Dword(Below_Scratch(Options), "ShowFramerate", 2);
        Put_Dword(Below_Scratch(Options), "VersionMajor", 3);
        Put_Dword(Below_Scratch(Options), "ReleaseLogging", 1);
        Put_Text(Below_Scratch(Options), "VersionMinor", "5");
    }
    DWORD exit_code = 0;
    EXPECT_EQ("ReleaseLogging=1 ShowFramerate=2 CurrentConfigureSheet=0 VersionMajor=3 "
              "VersionMinor=1\n",
              Start_Program(Scratch, &exit_code));
    CRealCurrentUser real;
    const std::vector<std::string> expected = {
        "CurrentConfigureSheet 4 0", "ReleaseLogging 4 1", "ShowFramerate 4 2",
        "VersionMajor 4 3",          "VersionMinor 4 1",
    };
    EXPECT_EQ(expected, Values(Below_Scratch(Options)));
}

TEST_F(OptionsStartWin32, ARegistryThatCannotBeWrittenStopsTheProgramAtStart)
{
    {
        // A volatile key takes no lasting subkeys.
        CRealCurrentUser real;
        HKEY key = NULL;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, Scratch.c_str(), 0, NULL, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, NULL, &key, NULL));
        RegCloseKey(key);
    }
    DWORD exit_code = 0;
    EXPECT_EQ("", Start_Program(Scratch, &exit_code));
    EXPECT_EQ(1u, exit_code);
}

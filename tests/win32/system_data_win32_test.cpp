// The Win32 side of the log header's system data and of the URL launch, against the real
// system under Wine. The accepted launch goes to a URL scheme this test registers, whose
// program (url_handler_probe.cpp) records what it was given.
#include "platform/platform.h"
#include "twutility/twutility.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace
{

std::string Own_Directory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1);
}

std::string Read_File(const std::string &path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[1024];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// Windows of this process that the shell may show while it refuses a launch.
BOOL CALLBACK Close_Own_Windows(HWND window, LPARAM parameter)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window))
    {
        ++*reinterpret_cast<int *>(parameter);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

} // namespace

TEST(SystemDataWin32, VersionRecordIsWhatGetVersionExSays)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    Platform::COsVersion version = {};
    ASSERT_TRUE(Platform::Read_Os_Version(&version));
    EXPECT_EQ(info.dwMajorVersion, version.MajorVersion);
    EXPECT_EQ(info.dwMinorVersion, version.MinorVersion);
    EXPECT_EQ(info.dwBuildNumber, version.BuildNumber);
    EXPECT_EQ(info.dwPlatformId, version.PlatformId);
    EXPECT_STREQ(info.szCSDVersion, version.ServicePack);
    EXPECT_EQ(Platform::OS_PLATFORM_WIN32_NT, version.PlatformId);
}

TEST(SystemDataWin32, MemoryAndProcessors)
{
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof(memory);
    GlobalMemoryStatus(&memory);
    Platform::CMemoryStatus status = {};
    ASSERT_TRUE(Platform::Read_Memory_Status(&status));
    EXPECT_EQ(uint64_t(memory.dwTotalPhys), status.TotalPhysical);
    EXPECT_LE(status.AvailablePhysical, status.TotalPhysical);
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(int(info.dwNumberOfProcessors), Platform::Processor_Count());
}

TEST(SystemDataWin32, ModuleFileIsThisProgramWithItsSize)
{
    char expected[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, expected, sizeof(expected));
    ASSERT_GT(length, 0u);
    char path[260];
    ASSERT_TRUE(Platform::Module_File_Name(path, sizeof(path)));
    EXPECT_STREQ(expected, path);
    char cut[MAX_PATH];
    EXPECT_TRUE(Platform::Module_File_Name(cut, length + 1));
    EXPECT_FALSE(Platform::Module_File_Name(cut, length));
    EXPECT_STREQ("", cut);

    WIN32_FILE_ATTRIBUTE_DATA attributes;
    ASSERT_TRUE(GetFileAttributesExA(expected, GetFileExInfoStandard, &attributes));
    uint64_t size = 0;
    ASSERT_TRUE(Platform::Read_File_Size(expected, &size));
    EXPECT_EQ((uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow, size);
    EXPECT_FALSE(Platform::Read_File_Size("C:\\nonexistent\\Quillomar.scr", &size));
    Write_Log_Header(); // the real system answers everything the header asks
}

TEST(LaunchUrlWin32, TheShellStartsTheSchemesProgramWithTheUrl)
{
    const std::string scheme = "quillomar-test-" + std::to_string(GetCurrentProcessId());
    const std::string command = "\"" + Own_Directory() + "url_handler_probe.exe\" \"%1\"";
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, scheme.c_str(), 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 1);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CLASSES_ROOT, (scheme + "\\shell\\open\\command").c_str(), 0,
                              NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, NULL, 0, REG_SZ, reinterpret_cast<const BYTE *>(command.c_str()),
                   DWORD(command.size() + 1));
    RegCloseKey(key);

    char temporary[MAX_PATH];
    GetTempPathA(sizeof(temporary), temporary);
    const std::string output = std::string(temporary) + scheme + ".txt";
    DeleteFileA(output.c_str());
    SetEnvironmentVariableA("QUILLOMAR_URL_HANDLER_OUTPUT", output.c_str());

    const std::string url = scheme + ":bananas/in/space?size=large&count=25";
    EXPECT_NE(0, CUtility::Launch_Url(url.c_str()));
    std::string received;
    for (int i = 0; i < 400 && received.empty(); ++i) // 20 s at most
    {
        Sleep(50);
        received = Read_File(output);
    }
    EXPECT_NE(std::string::npos, received.find("\"" + url + "\"")) << received;

    DeleteFileA(output.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, scheme.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, scheme.c_str());
}

TEST(LaunchUrlWin32, AUrlTheShellRefusesReturnsZeroAndTheProgramGoesOn)
{
    // The shell may tell the user in a box of its own before it returns; a user closes it.
    std::atomic<int> result(-1);
    long error_code = 0;
    std::thread launch(
        [&result, &error_code]()
        {
            const int launched = CUtility::Launch_Url("quillomar-no-such-scheme:refused");
            Platform::Open_Url("quillomar-no-such-scheme:refused", &error_code);
            result = launched;
        });
    int boxes = 0;
    for (int i = 0; i < 1200 && result == -1; ++i) // 60 s at most
    {
        Sleep(50);
        EnumWindows(Close_Own_Windows, reinterpret_cast<LPARAM>(&boxes));
    }
    launch.join();
    EXPECT_EQ(0, result);
    EXPECT_NE(0, error_code);
    printf("the shell showed %d window(s) while refusing; error code %ld\n", boxes, error_code);
}

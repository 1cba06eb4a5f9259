// The fatal set-up report end to end: a real process shows a real message box, which this test
// finds, reads and dismisses like a user, then reads the exit status.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string Probe_Path()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + "exit_if_failed_probe.exe";
}

PROCESS_INFORMATION Start_Probe(const char *value)
{
    std::string command = "\"" + Probe_Path() + "\" " + value;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(
        CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        << GetLastError();
    return process;
}

struct CBoxSearch
{
    DWORD ProcessId;
    HWND Box;
};

BOOL CALLBACK Find_Box(HWND window, LPARAM parameter)
{
    CBoxSearch *search = reinterpret_cast<CBoxSearch *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof(caption));
    if (owner == search->ProcessId && IsWindowVisible(window) && strcmp(caption, "Quillomar") == 0)
    {
        search->Box = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK Collect_Text(HWND child, LPARAM parameter)
{
    char text[256] = "";
    GetWindowTextA(child, text, sizeof(text));
    *reinterpret_cast<std::string *>(parameter) += std::string(text) + "|";
    return TRUE;
}

HWND Wait_For_Box(DWORD process_id, HANDLE process)
{
    for (int i = 0; i < 300; ++i) // 15 s at most
    {
        CBoxSearch search = {process_id, NULL};
        EnumWindows(Find_Box, reinterpret_cast<LPARAM>(&search));
        if (search.Box != NULL)
            return search.Box;
        if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0)
            return NULL;
    }
    return NULL;
}

DWORD Wait_For_Exit(HANDLE process)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, 15000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 99);
    return code;
}

} // namespace

TEST(ExitIfFailedEndToEnd, FailureShowsTheBoxAndExitsWithOneOnceDismissed)
{
    PROCESS_INFORMATION probe = Start_Probe("0");
    HWND box = Wait_For_Box(probe.dwProcessId, probe.hProcess);
    ASSERT_NE(HWND(NULL), box) << "no box captioned Quillomar appeared";

    std::string texts;
    EnumChildWindows(box, Collect_Text, reinterpret_cast<LPARAM>(&texts));
    EXPECT_NE(std::string::npos, texts.find("|CreateWindow failed.|"))
        << "controls read: " << texts;
    EXPECT_NE(std::string::npos, texts.find("OK|")) << "controls read: " << texts;

    // The program waits for the user.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(probe.hProcess, 300));

    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(1u, Wait_For_Exit(probe.hProcess));
    CloseHandle(probe.hThread);
    CloseHandle(probe.hProcess);
}

TEST(ExitIfFailedEndToEnd, SuccessReturnsAndTheProgramGoesOn)
{
    PROCESS_INFORMATION probe = Start_Probe("5");
    EXPECT_EQ(42u, Wait_For_Exit(probe.hProcess));
    CBoxSearch search = {probe.dwProcessId, NULL};
    EnumWindows(Find_Box, reinterpret_cast<LPARAM>(&search));
    EXPECT_EQ(HWND(NULL), search.Box);
    CloseHandle(probe.hThread);
    CloseHandle(probe.hProcess);
}

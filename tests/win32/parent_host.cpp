// Plays a program that starts the saver over one of its own windows, as the display control
// panel does for the password change. Usage:
//   parent_host <program> <switch format, e.g. "/a %u">
// It shows two windows, the parent and, in the foreground, another one; starts <program> with
// the switch (%u: the parent's handle in decimal), pumps messages until the program ends (at
// most 30 s) and prints "parent <window>", "foreground <window>" (the foreground window when the
// program started) and "exit <code>".
#include <windows.h>

#include <cstdio>
#include <string>

static LRESULT CALLBACK Host_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

int main(int argc, char **argv)
{
    if (argc != 3)
    {
        printf("usage: parent_host <program> <switch format>\n");
        return 2;
    }
    WNDCLASSA host_class = {};
    host_class.lpfnWndProc = Host_Proc;
    host_class.hInstance = GetModuleHandleA(NULL);
    host_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    host_class.lpszClassName = "QuillomarParentHost";
    RegisterClassA(&host_class);
    HWND host = CreateWindowExA(0, "QuillomarParentHost", "Quillomar Parent Host",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300, 200, NULL, NULL,
                                host_class.hInstance, NULL);
    // So that a program that takes the foreground window instead of its parent is caught.
    HWND other = CreateWindowExA(0, "QuillomarParentHost", "Quillomar Foreground Window",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 60, 300, 200, NULL, NULL,
                                 host_class.hInstance, NULL);
    if (host == NULL || other == NULL)
        return 1;
    SetForegroundWindow(other);

    char switch_text[64];
    snprintf(switch_text, sizeof(switch_text), argv[2], unsigned(uintptr_t(host)));
    std::string command = std::string("\"") + argv[1] + "\" " + switch_text;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION program = {};
    const HWND foreground = GetForegroundWindow();
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &program))
        return 1;
    printf("parent %lu\n", static_cast<unsigned long>(uintptr_t(host)));
    printf("foreground %lu\n", static_cast<unsigned long>(uintptr_t(foreground)));

    // A provider's dialog over this window sends it messages: keep pumping while waiting.
    const DWORD start = GetTickCount();
    DWORD code = STILL_ACTIVE;
    while (GetTickCount() - start < 30000)
    {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (MsgWaitForMultipleObjects(1, &program.hProcess, FALSE, 50, QS_ALLINPUT) ==
            WAIT_OBJECT_0)
        {
            GetExitCodeProcess(program.hProcess, &code);
            break;
        }
    }
    if (code == STILL_ACTIVE)
        TerminateProcess(program.hProcess, 99);
    printf("exit %ld\n", long(code));
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    DestroyWindow(other);
    DestroyWindow(host);
    return code == STILL_ACTIVE ? 1 : 0;
}

// Plays the display control panel: hosts the saver's preview in a window of its own, then
// checks what a control panel relies on. Usage:
//   preview_host <saver> <switch format, e.g. "/p %u"> <go-file>
// It starts the saver on its window, waits for the preview child, prints "preview <w> <h>",
// and keeps pumping messages until <go-file> exists (the calling script looks at the pixels
// meanwhile). Then it sends keys and clicks to the preview, checks that the saver keeps running,
// asks the preview for help and a context menu, checks that they come to its own window as a
// control panel's, destroys its own window and checks that the saver exits. Exit status 0 when
// all held.
#include <windows.h>

#include <cstdio>
#include <string>

// What came to the host's window from the preview.
static WPARAM HelpWParam = 0;
static int HelpControlId = 0;
static WPARAM ContextMenuWParam = 0;
static LPARAM ContextMenuPoint = 0;

static LRESULT CALLBACK Host_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
        case WM_HELP:
            HelpWParam = wparam;
            HelpControlId = reinterpret_cast<const HELPINFO *>(lparam)->iCtrlId;
            return TRUE;
        case WM_CONTEXTMENU: // no system menu: it would wait for the user
            ContextMenuWParam = wparam;
            ContextMenuPoint = lparam;
            return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Pumps messages for a while: the saver's child sends messages to this window during its
// creation, so waiting without pumping would deadlock both.
static bool Pump_Until(HANDLE process, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return false;
        if (MsgWaitForMultipleObjects(1, &process, FALSE, milliseconds - elapsed, QS_ALLINPUT) ==
            WAIT_OBJECT_0)
            return true; // the process ended
    }
}

static int Fail(const char *what)
{
    printf("FAILED: %s\n", what);
    fflush(stdout);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 4)
        return Fail("usage: preview_host <saver> <switch format> <go-file>");

    WNDCLASSA host_class = {};
    host_class.lpfnWndProc = Host_Proc;
    host_class.hInstance = GetModuleHandleA(NULL);
    host_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    host_class.lpszClassName = "QuillomarPreviewHost";
    RegisterClassA(&host_class);
    // A client area of the control panel's preview size.
    RECT frame = {0, 0, 152, 112};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND host = CreateWindowExA(0, "QuillomarPreviewHost", "Quillomar Preview Host",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, frame.right - frame.left,
                                frame.bottom - frame.top, NULL, NULL, host_class.hInstance, NULL);
    if (host == NULL)
        return Fail("host window");

    char switch_text[64];
    snprintf(switch_text, sizeof(switch_text), argv[2], unsigned(uintptr_t(host)));
    std::string command = std::string("\"") + argv[1] + "\" " + switch_text;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION saver = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &saver))
        return Fail("starting the saver");

    HWND preview = NULL;
    for (int i = 0; i < 200 && preview == NULL; ++i)
    {
        if (Pump_Until(saver.hProcess, 50))
            return Fail("the saver ended before showing its preview");
        preview = FindWindowExA(host, NULL, "WindowsScreenSaverClass", "Preview");
    }
    if (preview == NULL)
        return Fail("no preview child appeared");

    RECT client, child;
    GetClientRect(host, &client);
    GetClientRect(preview, &child);
    printf("preview %ld %ld\n", child.right, child.bottom);
    fflush(stdout);
    if (child.right != client.right || child.bottom != client.bottom)
        return Fail("the preview does not fill its parent");

    // Wait for the script's go-ahead, pumping all the while.
    for (int i = 0; i < 600 && GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i)
    {
        if (Pump_Until(saver.hProcess, 50))
            return Fail("the saver ended while being looked at");
    }

    // Input to a preview does not end it, in the saver window nor in its drawing child.
    HWND drawing = GetWindow(preview, GW_CHILD);
    for (HWND target : {preview, drawing})
    {
        if (target == NULL)
            continue;
        PostMessageA(target, WM_KEYDOWN, 'A', 0);
        PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
    }
    if (Pump_Until(saver.hProcess, 1000))
        return Fail("input ended the preview");
    printf("input ignored\n");

    // Help and context menus over the preview are the control panel's.
    HELPINFO help = {};
    help.cbSize = sizeof(help);
    help.iContextType = HELPINFO_WINDOW;
    help.iCtrlId = 4321;
    help.hItemHandle = preview;
    SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    PostMessageA(preview, WM_CONTEXTMENU, WPARAM(preview), MAKELPARAM(70, 60));
    Pump_Until(saver.hProcess, 500);
    if (HelpWParam != WPARAM(host) || HelpControlId != 4321)
        return Fail("help over the preview did not come to its parent");
    if (ContextMenuWParam != WPARAM(host) || ContextMenuPoint != MAKELPARAM(70, 60))
        return Fail("a context menu over the preview did not come to its parent");
    printf("help and context menu passed to the parent\n");

    DestroyWindow(host);
    if (!Pump_Until(saver.hProcess, 10000))
    {
        TerminateProcess(saver.hProcess, 99);
        return Fail("the saver kept running after its parent went away");
    }
    DWORD code = 0;
    GetExitCodeProcess(saver.hProcess, &code);
    printf("saver exited %lu\n", code);
    fflush(stdout);
    return 0;
}

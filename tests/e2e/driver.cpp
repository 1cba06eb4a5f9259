// The end-to-end tests' hands inside the Wine session, for what a script cannot do with xdotool
// and `wine reg`:
//   parent [<end-file> [<width> <height>]]  a program that starts the saver over a window of its
//                        own, of that client size (152 x 112 unless given): Run_Parent
//   dismiss <caption> <seconds>  prints "text: <text>" for each text of that message box and
//                        presses OK; status 1 when none came
//   volatile <subkey>    makes a key below HKEY_CURRENT_USER volatile (emptied first), so that
//                        no lasting key can be created below it
//   sheet                prints the configuration sheet as Print_Sheet reads it
//   url <url>            stands in for a browser: adds its command line to the file named in
//                        QUILLOMAR_URL_HANDLER_OUTPUT
//   power <event>        posts WM_POWERBROADCAST with that event to the full-screen saver
//   session <event>      posts WM_WTSSESSION_CHANGE with that event to the full-screen saver
//   foreground [<title>] brings the window of that title forward; prints the foreground's title
//   desktop <name> <scr> starts that saver full screen on that desktop (made if need be), as a
//                        secure saver runs, posts it F1; its exit status
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Shows the parent, a client area of the control panel's preview size, and another window in
// the foreground (a saver that takes the foreground window instead of its parent is caught),
// prints "window <parent>" and "foreground <other>", then pumps messages. When a preview child
// appears it prints "preview <width> <height>"; once <end-file> exists it destroys its windows.
static int Run_Parent(const char *end_file, int width, int height)
{
    WNDCLASSA parent_class = {};
    parent_class.lpfnWndProc = DefWindowProcA;
    parent_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    parent_class.lpszClassName = "QuillomarParent";
    RegisterClassA(&parent_class);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND parent = CreateWindowA("QuillomarParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                40, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, nullptr, nullptr);
    HWND other = CreateWindowA("QuillomarParent", "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400,
                               40, 300, 200, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    printf("window %u\nforeground %u\n", unsigned(UINT_PTR(parent)), unsigned(UINT_PTR(other)));
    HWND preview = nullptr;
    // Pumping all the while: the preview sends its parent messages while it is made.
    while (end_file == nullptr || GetFileAttributesA(end_file) == INVALID_FILE_ATTRIBUTES)
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        if (preview == nullptr &&
            (preview = FindWindowExA(parent, nullptr, nullptr, "Preview")) != nullptr)
        {
            RECT client;
            GetClientRect(preview, &client);
            printf("preview %ld %ld\n", client.right, client.bottom);
        }
    }
    DestroyWindow(other);
    DestroyWindow(parent);
    return 0;
}

static BOOL CALLBACK Print_Text(HWND child, LPARAM)
{
    char text[512] = "";
    if (GetWindowTextA(child, text, sizeof(text)) > 0)
        printf("text: %s\n", text);
    return TRUE;
}

static int Dismiss(const char *caption, int seconds)
{
    HWND box = nullptr;
    for (int i = 0; i < seconds * 20 && (box = FindWindowA(nullptr, caption)) == nullptr; ++i)
        Sleep(50);
    if (box == nullptr)
        return 1;
    EnumChildWindows(box, Print_Text, 0);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

static int Make_Volatile(const char *subkey)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey);
    RegDeleteKeyA(HKEY_CURRENT_USER, subkey);
    HKEY key = nullptr;
    const LONG made = RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, REG_OPTION_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return made == ERROR_SUCCESS ? 0 : 1;
}

// The font the pages are drawn in: the dialogs' "MS Sans Serif" 8 at the screen's dots per inch.
static HFONT PageFont = nullptr;

// "<what> <visible> <enabled> <x> <y> <w> <h> <needed w> <needed h> "<text>"": the window's
// client area, and the room its text needs in the pages' font, wrapped at words as a static's.
static void Print_Window(const char *what, HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    RECT r = {};
    GetClientRect(window, &r);
    RECT needed = {0, 0, 0, 0};
    if (text[0] != '\0')
    {
        HDC dc = GetDC(nullptr);
        const HGDIOBJ old_font = SelectObject(dc, PageFont);
        needed.right = r.right;
        DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK);
        SelectObject(dc, old_font);
        ReleaseDC(nullptr, dc);
    }
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT *>(&r), 2);
    printf("%s %d %d %ld %ld %ld %ld %ld %ld \"%s\"\n", what, IsWindowVisible(window) != FALSE,
           IsWindowEnabled(window) != FALSE, r.left, r.top, r.right - r.left, r.bottom - r.top,
           needed.right, needed.bottom, text);
}

static BOOL CALLBACK Print_Control(HWND control, LPARAM count)
{
    char what[32];
    snprintf(what, sizeof(what), "control %d", ++*reinterpret_cast<int *>(count));
    Print_Window(what, control);
    return TRUE;
}

// The configuration sheet read from outside, as another program on the desktop can: the
// cursor and where it is, the sheet's host, buttons, page and the page's controls (status 1
// when there is no sheet). Positions are screen pixels.
static int Print_Sheet()
{
    SetProcessDPIAware(); // measured in the screen's own pixels, as the sheet is drawn
    HDC screen = GetDC(nullptr);
    PageFont = CreateFontA(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                           FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
    ReleaseDC(nullptr, screen);
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    GetCursorInfo(&cursor);
    printf("cursor %p %ld %ld\n", static_cast<void *>(cursor.hCursor), cursor.ptScreenPos.x,
           cursor.ptScreenPos.y);
    HWND sheet = FindWindowA(nullptr, "Quillomar by Tarnwick");
    if (sheet == nullptr)
        return 1;
    Print_Window("sheet", sheet);
    // The host dialog, hidden, owns the sheet; the window the host chose owns the dialog.
    HWND host = GetWindow(sheet, GW_OWNER);
    printf("host %d %d %u\n", host != nullptr, host != nullptr && IsWindowVisible(host),
           unsigned(UINT_PTR(GetWindow(host, GW_OWNER))));
    Print_Window("ok", GetDlgItem(sheet, IDOK));
    Print_Window("cancel", GetDlgItem(sheet, IDCANCEL));
    Print_Window("apply", GetDlgItem(sheet, 0x3021));
    Print_Window("tabs", reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)));
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    Print_Window("page", page);
    int count = 0;
    if (page != nullptr)
        EnumChildWindows(page, Print_Control, reinterpret_cast<LPARAM>(&count));
    return 0;
}

static int Record_Url()
{
    const char *output = getenv("QUILLOMAR_URL_HANDLER_OUTPUT");
    FILE *file = output != nullptr ? fopen(output, "ab") : nullptr; // each one opened, in turn
    if (file == nullptr)
        return 2;
    fputs(GetCommandLineA(), file);
    return fclose(file);
}

static int Post_To_Saver(UINT message, int event)
{
    HWND saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    return saver != nullptr && PostMessageA(saver, message, WPARAM(event), 0) ? 0 : 1;
}

static int Foreground(const char *title)
{
    HWND window = title != nullptr ? FindWindowA(nullptr, title) : nullptr;
    if (window != nullptr)
        SetForegroundWindow(window);
    char text[512] = "";
    GetWindowTextA(GetForegroundWindow(), text, sizeof(text));
    printf("%s\n", text);
    return title != nullptr && window == nullptr ? 1 : 0;
}

static int F1_On_Desktop(const char *name, const char *saver)
{
    char command[600];
    snprintf(command, sizeof(command), "\"%s\" /s", saver);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.lpDesktop = const_cast<char *>(name);
    PROCESS_INFORMATION process = {};
    // This thread has no window: it may move to that desktop, where it finds the saver.
    HDESK desktop = CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desktop == nullptr || !SetThreadDesktop(desktop) ||
        !CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 2;
    HWND saver_window = nullptr;
    for (int i = 0; i < 300 && saver_window == nullptr; ++i, Sleep(50))
        saver_window = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    PostMessageA(saver_window, WM_KEYDOWN, VK_F1, 0);
    DWORD status = 3;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &status);
    return int(status);
}

int main(int argc, char **argv)
{
    const char *command = argc > 1 ? argv[1] : "";
    setvbuf(stdout, nullptr, _IONBF, 0); // the scripts read as it goes
    if (strcmp(command, "parent") == 0)
        return Run_Parent(argc > 2 ? argv[2] : nullptr, argc > 4 ? atoi(argv[3]) : 152,
                          argc > 4 ? atoi(argv[4]) : 112);
    if (strcmp(command, "dismiss") == 0 && argc == 4)
        return Dismiss(argv[2], atoi(argv[3]));
    if (strcmp(command, "volatile") == 0 && argc == 3)
        return Make_Volatile(argv[2]);
    if (strcmp(command, "sheet") == 0)
        return Print_Sheet();
    if (strcmp(command, "url") == 0)
        return Record_Url();
    if (strcmp(command, "power") == 0 && argc == 3)
        return Post_To_Saver(WM_POWERBROADCAST, atoi(argv[2]));
    if (strcmp(command, "session") == 0 && argc == 3)
        return Post_To_Saver(WM_WTSSESSION_CHANGE, atoi(argv[2]));
    if (strcmp(command, "foreground") == 0)
        return Foreground(argc > 2 ? argv[2] : nullptr);
    if (strcmp(command, "desktop") == 0 && argc == 4)
        return F1_On_Desktop(argv[2], argv[3]);
    fprintf(stderr, "usage: e2e_driver "
                    "parent|dismiss|volatile|sheet|url|power|session|foreground|desktop ...\n");
    return 2;
}

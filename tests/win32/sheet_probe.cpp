// Reads the saver's configuration sheet from outside, as another program on the desktop can,
// for the end-to-end tests: the cursor and where it is, the sheet's host, buttons, page and the
// page's controls (status 1 when there is no sheet). Positions are screen pixels.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

// "<what> <visible> <enabled> <x> <y> <w> <h> "<text>"", the window's client area.
static void Print_Window(const char *what, HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    RECT r = {};
    GetClientRect(window, &r);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT *>(&r), 2);
    printf("%s %d %d %ld %ld %ld %ld \"%s\"\n", what, IsWindowVisible(window) != FALSE,
           IsWindowEnabled(window) != FALSE, r.left, r.top, r.right - r.left, r.bottom - r.top,
           text);
}

static BOOL CALLBACK Print_Control(HWND control, LPARAM count)
{
    char what[32];
    snprintf(what, sizeof(what), "control %d", ++*reinterpret_cast<int *>(count));
    Print_Window(what, control);
    return TRUE;
}

int main()
{
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    GetCursorInfo(&cursor);
    printf("cursor %p %ld %ld\n", static_cast<void *>(cursor.hCursor), cursor.ptScreenPos.x,
           cursor.ptScreenPos.y);
    HWND sheet = FindWindowA(NULL, "Quillomar by Tarnwick");
    if (sheet == NULL)
        return 1;
    Print_Window("sheet", sheet);
    // The host dialog, hidden, owns the sheet; the window the host chose owns the dialog.
    HWND host = GetWindow(sheet, GW_OWNER);
    printf("host %d %d %u\n", host != NULL, host != NULL && IsWindowVisible(host),
           unsigned(UINT_PTR(GetWindow(host, GW_OWNER))));
    Print_Window("ok", GetDlgItem(sheet, IDOK));
    Print_Window("cancel", GetDlgItem(sheet, IDCANCEL));
    Print_Window("apply", GetDlgItem(sheet, 0x3021));
    Print_Window("tabs", reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)));
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    Print_Window("page", page);
    int count = 0;
    if (page != NULL)
        EnumChildWindows(page, Print_Control, reinterpret_cast<LPARAM>(&count));
    return 0;
}

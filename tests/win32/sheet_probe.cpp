// Reads the saver's configuration sheet from outside, as another program on the desktop can,
// for the end-to-end tests: the cursor shown now and where, and the sheet, its owner, its
// buttons and the active page's controls (status 1 when there is no sheet). Positions are
// screen pixels.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

namespace
{

void Print_Button(HWND sheet, const char *name, int id)
{
    HWND button = GetDlgItem(sheet, id);
    RECT r = {};
    GetWindowRect(button, &r);
    printf("button %s %d %d %ld %ld %ld %ld\n", name, button != NULL && IsWindowVisible(button),
           button != NULL && IsWindowEnabled(button), r.left, r.top, r.right - r.left,
           r.bottom - r.top);
}

// "control <n> <id> <x> <y> <w> <h> "<text>"": the n-th control of the page, its client area.
BOOL CALLBACK Print_Control(HWND control, LPARAM count)
{
    char text[512] = "";
    GetWindowTextA(control, text, sizeof(text));
    RECT client;
    GetClientRect(control, &client);
    MapWindowPoints(control, HWND_DESKTOP, reinterpret_cast<POINT *>(&client), 2);
    printf("control %d %d %ld %ld %ld %ld \"%s\"\n", ++*reinterpret_cast<int *>(count),
           GetDlgCtrlID(control), client.left, client.top, client.right - client.left,
           client.bottom - client.top, text);
    return TRUE;
}

int Dump()
{
    HWND sheet = FindWindowA(NULL, "Quillomar by Tarnwick");
    if (sheet == NULL)
        return 1;
    RECT client;
    GetClientRect(sheet, &client);
    MapWindowPoints(sheet, HWND_DESKTOP, reinterpret_cast<POINT *>(&client), 2);
    printf("sheet %ld %ld %ld\n", client.left, client.top, client.right - client.left);
    // The host dialog, hidden, owns the sheet; the window the host chose owns the dialog.
    HWND host = GetWindow(sheet, GW_OWNER);
    printf("host %d %d %u\n", host != NULL, host != NULL && IsWindowVisible(host),
           unsigned(UINT_PTR(GetWindow(host, GW_OWNER))));
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    char title[256] = "";
    GetWindowTextA(page, title, sizeof(title));
    printf("page \"%s\"\n", title);
    RECT tabs = {};
    GetWindowRect(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)), &tabs);
    printf("tabs %ld %ld\n", tabs.left, tabs.top);
    Print_Button(sheet, "ok", IDOK);
    Print_Button(sheet, "cancel", IDCANCEL);
    Print_Button(sheet, "apply", 0x3021);
    int count = 0;
    if (page != NULL)
        EnumChildWindows(page, Print_Control, reinterpret_cast<LPARAM>(&count));
    return 0;
}

} // namespace

int main()
{
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    GetCursorInfo(&cursor);
    printf("cursor %p %ld %ld\n", static_cast<void *>(cursor.hCursor), cursor.ptScreenPos.x,
           cursor.ptScreenPos.y);
    const int status = Dump();
    fflush(stdout);
    return status;
}

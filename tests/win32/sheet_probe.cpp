// Looks at the saver's configuration sheet from outside, as another program on the desktop
// can, for the end-to-end tests. Usage:
//   sheet_probe count                 number of visible sheets now
//   sheet_probe wait <seconds>        waits for one; status 1 when none came
//   sheet_probe dump                  the sheet, its buttons and the active page's controls
//   sheet_probe cursor                the cursor the foreground window shows now
//   sheet_probe close                 what the caption's close box does: SC_CLOSE
//   sheet_probe hand                  the system's hand cursor: size and hot spot
//   sheet_probe strings <saver>       the saver's link and caption strings (1015 ... 1017)
//   sheet_probe reference <saver>     where a sheet of the saver's own pages, without the
//                                     saver's callback, puts its OK button
//   sheet_probe parent <saver> <form> starts the saver with a configuration command line over
//                                     windows of its own and names the sheet's owner
// Positions are pixels: the sheet's and its client origin's on the screen, buttons in the
// sheet's client area, controls in the page's and their client areas on the screen.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

const char SheetCaption[] = "Quillomar by Tarnwick";
const int ApplyButtonId = 0x3021;

struct CSheets
{
    int Count;
    HWND First;
};

BOOL CALLBACK Find_Sheet(HWND window, LPARAM parameter)
{
    CSheets *sheets = reinterpret_cast<CSheets *>(parameter);
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof(caption));
    if (IsWindowVisible(window) && strcmp(caption, SheetCaption) == 0)
    {
        if (sheets->Count++ == 0)
            sheets->First = window;
    }
    return TRUE;
}

CSheets Find_Sheets()
{
    CSheets sheets = {0, NULL};
    EnumWindows(Find_Sheet, reinterpret_cast<LPARAM>(&sheets));
    return sheets;
}

// Pumps this thread's messages while waiting: a saver owned by one of its windows sends it
// messages and would otherwise wait for it.
void Pump(DWORD milliseconds)
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
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

HWND Wait_For_Sheet(int seconds)
{
    for (int i = 0; i < seconds * 20; ++i)
    {
        const CSheets sheets = Find_Sheets();
        if (sheets.First != NULL)
            return sheets.First;
        Pump(50);
    }
    return NULL;
}

RECT Client_Rect_Of(HWND window, HWND parent)
{
    RECT rectangle;
    GetWindowRect(window, &rectangle);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&rectangle), 2);
    return rectangle;
}

void Print_Button(HWND sheet, const char *name, int id)
{
    HWND button = GetDlgItem(sheet, id);
    if (button == NULL)
    {
        printf("button %s none\n", name);
        return;
    }
    const RECT r = Client_Rect_Of(button, sheet);
    printf("button %s visible=%d enabled=%d %ld %ld %ld %ld\n", name,
           IsWindowVisible(button) ? 1 : 0, IsWindowEnabled(button) ? 1 : 0, r.left, r.top,
           r.right - r.left, r.bottom - r.top);
}

BOOL CALLBACK Print_Control(HWND control, LPARAM parameter)
{
    HWND page = reinterpret_cast<HWND>(parameter);
    if (GetParent(control) != page)
        return TRUE;
    char class_name[64] = "";
    GetClassNameA(control, class_name, sizeof(class_name));
    char text[512] = "";
    GetWindowTextA(control, text, sizeof(text));
    for (char *c = text; *c != '\0'; ++c)
    {
        if (*c == '\n' || *c == '\r')
            *c = '|';
    }
    const RECT r = Client_Rect_Of(control, page);
    RECT client;
    GetClientRect(control, &client);
    POINT client_origin = {0, 0};
    ClientToScreen(control, &client_origin);
    printf("control %d %s %08lx visible=%d %ld %ld %ld %ld client %ld %ld %ld %ld \"%s\"\n",
           int(GetDlgCtrlID(control)), class_name,
           static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)),
           IsWindowVisible(control) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
           client_origin.x, client_origin.y, client.right, client.bottom, text);
    return TRUE;
}

int Dump(HWND sheet)
{
    RECT frame;
    GetWindowRect(sheet, &frame);
    printf("sheet %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
           frame.bottom - frame.top);
    POINT origin = {0, 0};
    ClientToScreen(sheet, &origin);
    printf("origin %ld %ld\n", origin.x, origin.y);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    char title[256] = "";
    if (page != NULL)
        GetWindowTextA(page, title, sizeof(title));
    printf("page \"%s\"\n", title);
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    RECT tab_frame = {};
    GetWindowRect(tabs, &tab_frame);
    printf("tabs %ld %ld %ld %ld\n", tab_frame.left, tab_frame.top,
           tab_frame.right - tab_frame.left, tab_frame.bottom - tab_frame.top);
    Print_Button(sheet, "ok", IDOK);
    Print_Button(sheet, "cancel", IDCANCEL);
    Print_Button(sheet, "apply", ApplyButtonId);
    if (page != NULL)
    {
        RECT r = Client_Rect_Of(page, sheet);
        RECT client;
        GetClientRect(page, &client);
        printf("pagebox %ld %ld %ld %ld\n", r.left, r.top, client.right, client.bottom);
        EnumChildWindows(page, Print_Control, reinterpret_cast<LPARAM>(page));
    }
    return 0;
}

int Print_Cursor()
{
    CURSORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetCursorInfo(&info))
        return 1;
    printf("cursor %llx at %ld %ld\n",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(info.hCursor)),
           info.ptScreenPos.x, info.ptScreenPos.y);
    return 0;
}

int Print_Strings(const char *saver)
{
    HMODULE module = LoadLibraryExA(saver, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module == NULL)
        return 1;
    for (int id : {1015, 1016, 1017})
    {
        char text[1000] = "";
        LoadStringA(module, id, text, sizeof(text));
        printf("string %d %s\n", id, text);
    }
    FreeLibrary(module);
    return 0;
}

// The system's hand cursor: its size and hot spot.
int Print_Hand()
{
    ICONINFO info = {};
    if (!GetIconInfo(LoadCursorA(NULL, MAKEINTRESOURCEA(32649)), &info))
        return 1;
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof(mask), &mask);
    const LONG height = info.hbmColor != NULL ? mask.bmHeight : mask.bmHeight / 2;
    printf("hand %ld %ld %lu %lu\n", mask.bmWidth, height, info.xHotspot, info.yHotspot);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != NULL)
        DeleteObject(info.hbmColor);
    return 0;
}

// A sheet like the saver's (its own templates, the same flags) but without its callback.

INT_PTR CALLBACK Reference_Page(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

int Reference(const char *saver)
{
    HMODULE module = LoadLibraryExA(saver, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module == NULL)
    {
        printf("cannot load %s: %lu\n", saver, GetLastError());
        return 1;
    }
    InitCommonControls();
    PROPSHEETPAGEA pages[2] = {};
    const int templates[2] = {119, 132};
    for (int i = 0; i < 2; ++i)
    {
        pages[i].dwSize = sizeof(pages[i]);
        pages[i].dwFlags = PSP_DEFAULT;
        pages[i].hInstance = module;
        pages[i].pszTemplate = MAKEINTRESOURCEA(templates[i]);
        pages[i].pfnDlgProc = Reference_Page;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_MODELESS;
    header.hInstance = module;
    header.pszCaption = "Reference";
    header.nPages = 2;
    header.ppsp = pages;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    if (sheet == NULL)
    {
        printf("no reference sheet\n");
        return 1;
    }
    HWND ok = GetDlgItem(sheet, IDOK);
    if (ok == NULL)
        return 1;
    const RECT r = Client_Rect_Of(ok, sheet);
    printf("reference ok %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    DestroyWindow(sheet);
    FreeLibrary(module);
    return 0;
}

// The configuration command line's parent: window A is in front, window B is not.
LRESULT CALLBACK Owner_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND Make_Window(const char *title, int x)
{
    return CreateWindowExA(0, "QuillomarSheetOwner", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 10,
                           200, 100, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

const char *Name_Of(HWND window, HWND a, HWND b)
{
    if (window == NULL)
        return "none";
    if (window == a)
        return "A";
    if (window == b)
        return "B";
    return "other";
}

int Parent(const char *saver, const char *form)
{
    WNDCLASSA owner_class = {};
    owner_class.lpfnWndProc = Owner_Proc;
    owner_class.hInstance = GetModuleHandleA(NULL);
    owner_class.lpszClassName = "QuillomarSheetOwner";
    RegisterClassA(&owner_class);
    HWND b = Make_Window("Sheet owner B", 10);
    HWND a = Make_Window("Sheet owner A", 300);
    SetForegroundWindow(a);
    Pump(200);
    printf("foreground %s\n", Name_Of(GetForegroundWindow(), a, b));

    // The form names window B as "%B".
    std::string arguments = form;
    const size_t mark = arguments.find("%B");
    if (mark != std::string::npos)
        arguments.replace(mark, 2, std::to_string(unsigned(uintptr_t(b))));
    std::string command =
        std::string("\"") + saver + "\"" + (arguments.empty() ? "" : " ") + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
    {
        printf("cannot start %s\n", command.c_str());
        return 1;
    }
    HWND sheet = Wait_For_Sheet(20);
    if (sheet == NULL)
    {
        printf("no sheet\n");
        TerminateProcess(process.hProcess, 99);
        return 1;
    }
    HWND host = GetWindow(sheet, GW_OWNER);
    printf("host %s\n", host == NULL ? "none" : (IsWindowVisible(host) ? "visible" : "hidden"));
    printf("owner %s\n", Name_Of(host != NULL ? GetWindow(host, GW_OWNER) : NULL, a, b));
    fflush(stdout);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < 400 && code == STILL_ACTIVE; ++i)
    {
        Pump(50);
        GetExitCodeProcess(process.hProcess, &code);
    }
    printf("exit %lu\n", code);
    return 0; // the windows go with the process, sooner than DestroyWindow takes under Wine
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    int status = 2;
    if (command == "count" && argc == 2)
    {
        printf("sheets %d\n", Find_Sheets().Count);
        status = 0;
    }
    else if (command == "wait" && argc == 3)
    {
        status = Wait_For_Sheet(atoi(argv[2])) != NULL ? 0 : 1;
    }
    else if (command == "dump" && argc == 2)
    {
        HWND sheet = Find_Sheets().First;
        status = sheet != NULL ? Dump(sheet) : 1;
    }
    else if (command == "cursor" && argc == 2)
    {
        status = Print_Cursor();
    }
    else if (command == "close" && argc == 2)
    {
        HWND sheet = Find_Sheets().First;
        status = sheet != NULL && PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    }
    else if (command == "strings" && argc == 3)
    {
        status = Print_Strings(argv[2]);
    }
    else if (command == "hand" && argc == 2)
    {
        status = Print_Hand();
    }
    else if (command == "reference" && argc == 3)
    {
        status = Reference(argv[2]);
    }
    else if (command == "parent" && argc == 4)
    {
        status = Parent(argv[2], argv[3]);
    }
    else
    {
        printf("usage: sheet_probe count | wait <seconds> | dump | cursor | close | hand |"
               " strings <saver> | reference <saver> | parent <saver> <form>\n");
    }
    fflush(stdout);
    return status;
}

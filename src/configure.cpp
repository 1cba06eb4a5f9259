#include "configure.h"

#include "configurecredits.h"
#include "configureintro.h"
#include "host/saverhost.h"
#include "options.h"
#include "resolution.h"
#include "resource.h"
#include "twutility/twutility.h"

#include <commctrl.h>

#include <cstdio>

HWND ConfigureHWnd = nullptr;
HANDLE ConfigureMutex = INVALID_HANDLE_VALUE;

typedef INT_PTR(WINAPI *CPropertySheetFunction)(const PROPSHEETHEADERA *);

// The common controls are loaded the first time a sheet is wanted, not at start: a running
// saver never shows one, and they bring in much of the system with them. The manifest's
// activation context makes this version 6. Returns the sheet's entry point, or nullptr.
static CPropertySheetFunction Load_Common_Controls()
{
    typedef void(WINAPI * CInitFunction)();
    static CPropertySheetFunction property_sheet = nullptr;
    if (property_sheet != nullptr)
        return property_sheet;
    // Kept loaded for the life of the process: its window classes stay registered.
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (library == nullptr)
    {
        Log_Printf("::LoadLibrary(comctl32.dll) failed with error code %lu.\n", GetLastError());
        return nullptr;
    }
    // Through a function type that takes nothing, so the compiler accepts the casts.
    const FARPROC init = GetProcAddress(library, "InitCommonControls");
    const FARPROC sheet = GetProcAddress(library, "PropertySheetA");
    if (init == nullptr || sheet == nullptr)
    {
        Log_Printf("comctl32.dll lacks InitCommonControls or PropertySheetA.\n");
        return nullptr;
    }
    reinterpret_cast<CInitFunction>(reinterpret_cast<void (*)()>(init))();
    property_sheet = reinterpret_cast<CPropertySheetFunction>(reinterpret_cast<void (*)()>(sheet));
    return property_sheet;
}

int CConfigure::Start_Page(int stored_index)
{
    return stored_index >= 0 && stored_index < NumPages ? stored_index : 0;
}

void CConfigure::Create_Property_Sheet()
{
    Log_Printf("CConfigure::Create_Property_Sheet\n");
    const CPropertySheetFunction property_sheet = Load_Common_Controls();
    if (property_sheet == nullptr)
        return;
    char caption[500] = "";
    LoadStringA(MainInstance, IDS_SHEET_CAPTION, caption, sizeof(caption));

    PROPSHEETPAGEA pages[NumPages] = {};
    const int templates[NumPages] = {IDD_INTRODUCTION, IDD_CREDITS};
    const DLGPROC procedures[NumPages] = {CConfigureIntro::Intro_Dialog_Proc,
                                          CConfigureCredits::Dialog_Proc};
    for (int i = 0; i < NumPages; ++i)
    {
        pages[i].dwSize = sizeof(pages[i]);
        pages[i].dwFlags = PSP_DEFAULT; // the tab shows the template's caption
        pages[i].hInstance = MainInstance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(templates[i]);
        pages[i].pfnDlgProc = procedures[i];
        pages[i].lParam = 0;
    }

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    header.hwndParent = ConfigureHWnd;
    header.hInstance = MainInstance;
    header.pszCaption = caption;
    header.nPages = NumPages;
    header.nStartPage = UINT(Start_Page(COptions::CurrentConfigureSheet.Get_Value()));
    header.ppsp = pages;
    header.pfnCallback = Prop_Sheet_Init_Callback;
    // Modal; nothing is applied or undone when it closes, so its result does not matter.
    property_sheet(&header);
}

int CALLBACK CConfigure::Prop_Sheet_Init_Callback(HWND hwnd, UINT message, LPARAM)
{
    Log_Printf("CConfigure::Prop_Sheet_Init_Callback\n");
    // Only once the sheet exists: a later call (a pressed button, in newer common controls)
    // must not move OK again.
    if (hwnd == nullptr || message != PSCB_INITIALIZED)
        return 0;
    // Hidden, not disabled: a dialog ignores Escape, its close box and Alt+F4 while its Cancel
    // is disabled, and nothing on the sheet is undone by cancelling.
    HWND cancel = GetDlgItem(hwnd, IDCANCEL);
    if (cancel != nullptr)
        ShowWindow(cancel, SW_HIDE);
    HWND ok = GetDlgItem(hwnd, IDOK);
    if (ok == nullptr)
        return 0;
    // Centred under the pages, measured from the sheet itself: a fixed shift in pixels would
    // land it off centre once the sheet grows with the screen's dots per inch.
    RECT rectangle;
    GetWindowRect(ok, &rectangle);
    POINT corner = {rectangle.left, rectangle.top};
    ScreenToClient(hwnd, &corner);
    RECT sheet;
    GetClientRect(hwnd, &sheet);
    const int x = (sheet.right - (rectangle.right - rectangle.left)) / 2;
    SetWindowPos(ok, nullptr, x, corner.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    return 0;
}

// The sheet of another start, found by its caption, comes to the front.
static void Bring_Open_Sheet_Forward()
{
    char caption[500] = "";
    LoadStringA(MainInstance, IDS_SHEET_CAPTION, caption, sizeof(caption));
    HWND sheet = FindWindowA(nullptr, caption);
    if (sheet == nullptr)
        return;
    if (IsIconic(sheet))
        ShowWindow(sheet, SW_RESTORE);
    SetForegroundWindow(sheet);
}

static INT_PTR On_Init_Dialog(HWND hwnd)
{
    Log_Printf("ScreenSaverConfigureDialog:WM_INITDIALOG\n");
    Set_Release_Logging(COptions::ReleaseLogging.Get_Value() == 1);
    Write_Log_Header();

    char mutex_name[1000];
    snprintf(mutex_name, sizeof(mutex_name), "Tarnwick %s Mutex", ProductName);
    // A handle to a mutex that already exists counts as failure, so the test is on the error.
    SetLastError(0);
    ConfigureMutex = CreateMutexA(nullptr, FALSE, mutex_name);
    const DWORD error = GetLastError();
    if (ConfigureMutex == nullptr)
        ConfigureMutex = INVALID_HANDLE_VALUE;
    if (error != 0)
    {
        // Another sheet is open (or no mutex could be made): the user asked to see it.
        Bring_Open_Sheet_Forward();
        EndDialog(hwnd, 1);
        return TRUE;
    }

    CResolution::Init_Screen_Dimensions();
    CResolution::Set_Window_Dimensions(CResolution::Get_Screen_Width(),
                                       CResolution::Get_Screen_Height());
    Load_Common_Controls();
    // The dialog ends only after this message returns: until then it owns the sheet, unseen.
    EndDialog(hwnd, 1);
    CConfigure::Create_Property_Sheet();
    return TRUE;
}

static void On_Destroy()
{
    Log_Printf("ScreenSaverConfigureDialog:WM_DESTROY\n");
    // From here on another configuration sheet may open.
    if (ConfigureMutex != INVALID_HANDLE_VALUE)
    {
        CloseHandle(ConfigureMutex);
        ConfigureMutex = INVALID_HANDLE_VALUE;
    }
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND hwnd, UINT message, WPARAM, LPARAM)
{
    ConfigureHWnd = hwnd;
    switch (message)
    {
        case WM_INITDIALOG:
            return On_Init_Dialog(hwnd);
        case WM_DESTROY:
            On_Destroy();
            return FALSE;
    }
    return FALSE;
}

// The configuration sheet: the invisible host dialog's procedure (ScreenSaverConfigureDialog,
// declared with the host) keeps it to one sheet at a time and runs the two-page property sheet.
// Windows only.
#ifndef QUILLOMAR_CONFIGURE_H
#define QUILLOMAR_CONFIGURE_H

#ifndef _WIN32
#error "configure.h is Windows-only"
#endif

#include <windows.h>

// The host dialog, remembered on every message; owner of the sheet.
extern HWND ConfigureHWnd;
// Held while a sheet is open; INVALID_HANDLE_VALUE when there is none.
extern HANDLE ConfigureMutex;

class CConfigure
{
public:
    static const int NumPages = 2;

    // Runs the modal sheet on the page CurrentConfigureSheet names; returns when it closes.
    static void Create_Property_Sheet();
    // Once the sheet exists: Cancel hidden and disabled, OK moved left. Always 0.
    static int CALLBACK Prop_Sheet_Init_Callback(HWND hwnd, UINT message, LPARAM lparam);
    // The stored page index where it names a page, else the first page.
    static int Start_Page(int stored_index);
};

#endif

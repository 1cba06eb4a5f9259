// The Credits page of the configuration sheet: acknowledgements only. Windows only.
#ifndef QUILLOMAR_CONFIGURECREDITS_H
#define QUILLOMAR_CONFIGURECREDITS_H

#ifndef _WIN32
#error "configurecredits.h is Windows-only"
#endif

#include <windows.h>

class CConfigureCredits
{
public:
    static const int PageIndex = 1; // its place in the sheet

    // Writes its index to CurrentConfigureSheet whenever the page becomes active.
    static INT_PTR CALLBACK Dialog_Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

#endif

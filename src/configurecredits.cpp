#include "configurecredits.h"

#include "options.h"
#include "twutility/twutility.h"

#include <commctrl.h>

static const char SourceName[] = "configurecredits";

INT_PTR CALLBACK CConfigureCredits::Dialog_Proc(HWND, UINT message, WPARAM, LPARAM lparam)
{
    switch (message)
    {
        case WM_INITDIALOG:
        case WM_COMMAND:
            return TRUE;
        case WM_NOTIFY:
        {
            const NMHDR *p_nmhdr = reinterpret_cast<const NMHDR *>(lparam);
            TW_ASSERT(p_nmhdr != nullptr);
            if (p_nmhdr->code != UINT(PSN_SETACTIVE))
                return TRUE;
            COptions::CurrentConfigureSheet.Set_Value(PageIndex);
            return FALSE; // result 0: the page may become active
        }
    }
    return FALSE;
}

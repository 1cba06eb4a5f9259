// The configuration dialog. Windows only.
#include "host/saverhost.h"

#include "twutility/twutility.h"

// Until the property sheet exists the invisible host dialog simply closes.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
    {
        Log_Printf("ScreenSaverConfigureDialog WM_INITDIALOG\n");
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

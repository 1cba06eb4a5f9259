// The host's saver window: full screen or inside a preview, its message loop, ending on input
// and the password verifier of the Windows 95 family. Only the host uses this state.
#ifndef QUILLOMAR_SAVERWINDOW_H
#define QUILLOMAR_SAVERWINDOW_H

#ifndef _WIN32
#error "host/saverwindow.h is Windows-only"
#endif

#include "saverhost.h"

// Sent by the host to its own window to run the password verifier inside its procedure.
#define SAVER_MSG_VERIFY_PASSWORD WM_APP

extern HWND MainWindow;
extern bool CloseAccepted;
extern bool InPasswordDialog;
extern HMODULE PasswordModule;
extern UINT AutoPlayMessage;
extern POINT LastCursorPos;      // screen pixels, reference of the mouse-move threshold
extern DWORD MouseMoveThreshold; // pixels; input ends the saver when |dx| + |dy| exceeds it
extern DWORD LastVerifyTick;     // milliseconds; all bits set until the first verification

int RunSaverWindow(HWND parent);
LRESULT CALLBACK ScreenSaverHostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL VerifySaverPassword(HWND window);
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(UINT on);

#endif

// The Windows screen-saver host: process entry, run modes, the saver window and ending on input.
// Windows only.
#ifndef QUILLOMAR_SAVERHOST_H
#define QUILLOMAR_SAVERHOST_H

#include "hoststate.h"

#include <windows.h>

// Sent by the host to its own window to run the password verifier inside its procedure.
#define SAVER_MSG_VERIFY_PASSWORD WM_APP

extern HINSTANCE MainInstance;
extern HWND MainWindow;
extern bool CloseAccepted;
extern bool InPasswordDialog;
extern HMODULE PasswordModule;
extern UINT AutoPlayMessage;
extern POINT LastCursorPos;      // screen pixels, reference of the mouse-move threshold
extern DWORD MouseMoveThreshold; // pixels; input ends the saver when |dx| + |dy| exceeds it
extern DWORD LastVerifyTick;     // milliseconds; all bits set until the first verification

// Process entry and run modes.
[[noreturn]] void SaverEntry();
int SaverMain(HINSTANCE instance, const char *arguments);
int RunPreview(const char *text);
int RunConfigureDialog(HWND parent);
int RunChangePassword(const char *text);
void ChangeSaverPassword(HWND parent);
BOOL PrepareConfigureDialog(HINSTANCE instance);

// Saver window.
int RunSaverWindow(HWND parent);
LRESULT CALLBACK ScreenSaverHostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL VerifySaverPassword(HWND window);
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(UINT on);

// Provided by the saver itself: everything the host does not consume goes here.
LRESULT ScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// The configuration dialog's procedure (template 2003).
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wparam,
                                            LPARAM lparam);

#endif

// The contract between the Windows screen-saver host and the saver it runs: what the saver's own
// procedures (main.cpp, the configuration sheet) call and must provide.
#ifndef QUILLOMAR_SAVERHOST_H
#define QUILLOMAR_SAVERHOST_H

#ifndef _WIN32
#error "host/saverhost.h is Windows-only"
#endif

#include "hoststate.h"

#include <windows.h>

extern HINSTANCE MainInstance;

// The process entry: reads the command line, runs the selected mode and exits with its result.
[[noreturn]] void SaverEntry();

// Everything the saver does not consume goes here: it ends the saver on input.
LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Provided by the saver itself: the host passes it what it does not consume.
LRESULT ScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// The configuration dialog's procedure (template IDD_CONFIGURE_HOST).
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wparam,
                                            LPARAM lparam);

#endif

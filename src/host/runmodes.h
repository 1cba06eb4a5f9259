// The host's run modes, one per command-line switch; each returns the process's exit code.
#ifndef QUILLOMAR_RUNMODES_H
#define QUILLOMAR_RUNMODES_H

#ifndef _WIN32
#error "host/runmodes.h is Windows-only"
#endif

#include <windows.h>

int SaverMain(HINSTANCE instance, const char *arguments);
int RunPreview(const char *text);
int RunConfigureDialog(HWND parent);
int RunChangePassword(const char *text);
void ChangeSaverPassword(HWND parent);
BOOL PrepareConfigureDialog(HINSTANCE instance);

#endif

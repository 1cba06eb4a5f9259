// Process entry: the command line selects one run mode, whose result is the exit code.
#include "runmodes.h"

#include "commandline.h"
#include "resource.h"
#include "saverwindow.h"

#include <cstdint>

static HWND To_Window(uint32_t value)
{
    return reinterpret_cast<HWND>(uintptr_t(value));
}

static const char *Next_Character(const char *text)
{
    return CharNextA(text);
}

// A failure escaping the selected mode must not leave the system believing that a saver with a
// password runs: the system's own filter decides, then the state is switched off.
static LPTOP_LEVEL_EXCEPTION_FILTER PreviousExceptionFilter = nullptr;

static LONG WINAPI Saver_Exception_Filter(EXCEPTION_POINTERS *exception)
{
    SetUnhandledExceptionFilter(PreviousExceptionFilter);
    const LONG verdict = UnhandledExceptionFilter(exception);
    if (verdict == EXCEPTION_EXECUTE_HANDLER)
    {
        SetSaverRunning(0);
        ExitProcess(1);
    }
    return verdict;
}

void SaverEntry()
{
    const char *arguments = Skip_Program_Name(GetCommandLineA(), Next_Character);
    ExitProcess(UINT(SaverMain(GetModuleHandleA(nullptr), arguments)));
}

int SaverMain(HINSTANCE instance, const char *arguments)
{
    MainInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    Windows9xPlatform =
        GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

    const CSaverCommand command = Scan_Saver_Switch(arguments, Windows9xPlatform);
    PreviousExceptionFilter = SetUnhandledExceptionFilter(Saver_Exception_Filter);
    int result = -1;
    switch (command.Mode)
    {
        case SAVER_MODE_CONFIGURE:
            result = RunConfigureDialog(nullptr);
            break;
        case SAVER_MODE_CONFIGURE_OVER:
        {
            HWND parent = command.Argument != nullptr
                              ? To_Window(ParseWindowHandle(command.Argument))
                              : nullptr;
            if (parent == nullptr || !IsWindow(parent))
                parent = GetForegroundWindow();
            result = RunConfigureDialog(parent);
            break;
        }
        case SAVER_MODE_FULL_SCREEN:
            result = RunSaverWindow(nullptr);
            break;
        case SAVER_MODE_PREVIEW:
            result = RunPreview(command.Argument);
            break;
        case SAVER_MODE_CHANGE_PASSWORD:
            RunChangePassword(command.Argument);
            result = 0;
            break;
        case SAVER_MODE_BAD_SWITCH:
            result = -1;
            break;
    }
    SetUnhandledExceptionFilter(PreviousExceptionFilter);
    return result;
}

int RunPreview(const char *text)
{
    HWND parent = To_Window(ParseWindowHandle(text));
    if (parent == nullptr || !IsWindow(parent))
        return -1;
    return RunSaverWindow(parent);
}

BOOL PrepareConfigureDialog(HINSTANCE)
{
    return TRUE;
}

int RunConfigureDialog(HWND parent)
{
    if (!PrepareConfigureDialog(MainInstance))
        return 0;
    INT_PTR result = DialogBoxParamA(MainInstance, MAKEINTRESOURCEA(IDD_CONFIGURE_HOST), parent,
                                     ScreenSaverConfigureDialog, 0);
    // The chosen parent may be going away (a window of a process that is just exiting): the
    // sheet then opens on its own rather than not at all.
    if (result == -1 && parent != nullptr)
        result = DialogBoxParamA(MainInstance, MAKEINTRESOURCEA(IDD_CONFIGURE_HOST), nullptr,
                                 ScreenSaverConfigureDialog, 0);
    return int(result);
}

int RunChangePassword(const char *text)
{
    HWND parent = To_Window(ParseWindowHandle(text));
    if (parent == nullptr || !IsWindow(parent))
        parent = GetForegroundWindow();
    ChangeSaverPassword(parent);
    return 0;
}

void ChangeSaverPassword(HWND parent)
{
    typedef DWORD(WINAPI * CChangePassword)(LPCSTR, HWND, DWORD, LPVOID);
    HMODULE provider = LoadLibraryA("MPR.DLL");
    if (provider == nullptr)
        return;
    CChangePassword change = reinterpret_cast<CChangePassword>(
        reinterpret_cast<void *>(GetProcAddress(provider, "PwdChangePasswordA")));
    if (change != nullptr)
        change("SCRSAVE", parent, 0, nullptr);
    FreeLibrary(provider);
}

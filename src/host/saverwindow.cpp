// The saver window: full screen or inside a preview, its message loop, and ending on input
// (after the password verifier on the Windows 95 family).
#include "saverwindow.h"

#include "framestate.h"

#include <cstdlib>

HINSTANCE MainInstance = nullptr;
HWND MainWindow = nullptr;
bool CloseAccepted = false;
bool InPasswordDialog = false;
HMODULE PasswordModule = nullptr;
UINT AutoPlayMessage = 0;
POINT LastCursorPos = {0, 0};
DWORD MouseMoveThreshold = 4;
DWORD LastVerifyTick = 0xFFFFFFFF;

typedef BOOL(WINAPI *CVerifyPassword)(HWND);
typedef HIMC(WINAPI *CImmAssociateContext)(HWND, HIMC);

static CVerifyPassword Verifier = nullptr;
static HMODULE ImmModule = nullptr;
static CImmAssociateContext ImmAssociate = nullptr;
static HIMC PreviousImmContext = nullptr;

static const char SaverClassName[] = "WindowsScreenSaverClass";
static const UINT HelpWaitLimit = 1000; // milliseconds the parent has to take help

static void Hide_Cursor()
{
    SetCursor(nullptr);
}

void SetSaverRunning(UINT on)
{
    if (!Windows9xPlatform)
        return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on, &previous, 0);
}

void UnloadPasswordVerifier()
{
    if (!Windows9xPlatform)
        return;
    if (PasswordModule != nullptr)
    {
        FreeLibrary(PasswordModule);
        PasswordModule = nullptr;
    }
    if (Verifier != nullptr)
    {
        Verifier = nullptr;
        SetSaverRunning(0);
    }
}

void LoadPasswordVerifier()
{
    if (!Windows9xPlatform)
        return;
    if (PasswordModule != nullptr)
        UnloadPasswordVerifier();
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return;
    // Whatever its stored type: only whether the first four bytes are nonzero matters.
    DWORD use_password = 0;
    DWORD size = sizeof(use_password);
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                         reinterpret_cast<BYTE *>(&use_password), &size) == ERROR_SUCCESS &&
        use_password != 0)
    {
        PasswordModule = LoadLibraryA("PASSWORD.CPL");
        if (PasswordModule != nullptr)
        {
            Verifier = reinterpret_cast<CVerifyPassword>(
                reinterpret_cast<void *>(GetProcAddress(PasswordModule, "VerifyScreenSavePwd")));
            if (Verifier != nullptr)
                SetSaverRunning(1);
            else
                UnloadPasswordVerifier();
        }
    }
    RegCloseKey(key);
}

BOOL VerifySaverPassword(HWND window)
{
    if (InPasswordDialog || CloseAccepted)
        return FALSE;
    if (Verifier == nullptr)
    {
        CloseAccepted = true;
        return TRUE;
    }
    // A close request right after a verification (the dialog's own keys, say) is refused.
    if (LastVerifyTick != 0xFFFFFFFF && GetTickCount() - LastVerifyTick < 200)
        return FALSE;
    InPasswordDialog = true;
    MSG pending;
    for (int i = 0; i < 2; ++i)
        PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    CloseAccepted = SendMessageA(window, SAVER_MSG_VERIFY_PASSWORD, 0, 0) != 0;
    InPasswordDialog = false;
    if (!CloseAccepted)
        Hide_Cursor();
    LastVerifyTick = GetTickCount();
    return CloseAccepted;
}

// Every press of a key, a mouse button, a side button or the wheel (either way).
static bool Is_Key_Or_Button(UINT message)
{
    switch (message)
    {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            return true;
    }
    return false;
}

// The cursor cannot be read while another desktop has the input (a UAC prompt): then the
// reference point stays as it was, and nothing has moved.
static void Reset_Cursor_Reference()
{
    POINT now;
    if (GetCursorPos(&now))
        LastCursorPos = now;
}

static bool Mouse_Moved_Beyond_Threshold()
{
    POINT now;
    if (!GetCursorPos(&now))
        return false;
    const DWORD distance = DWORD(abs(now.x - LastCursorPos.x) + abs(now.y - LastCursorPos.y));
    if (distance <= MouseMoveThreshold)
        return false;
    LastCursorPos = now;
    return true;
}

LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!PreviewMode && !CloseAccepted)
    {
        if (message == WM_CLOSE)
        {
            if (Windows9xPlatform && !VerifySaverPassword(window))
            {
                Reset_Cursor_Reference();
                return 0;
            }
        }
        else if (message == SAVER_MSG_VERIFY_PASSWORD)
        {
            if (Windows9xPlatform)
                return Verifier == nullptr ? 1 : Verifier(window);
        }
        else if (!InPasswordDialog)
        {
            bool close = false;
            switch (message)
            {
                case WM_SHOWWINDOW:
                    if (wparam != 0)
                        Hide_Cursor();
                    break;
                case WM_ACTIVATEAPP:
                    close = wparam == 0;
                    break;
                case WM_SETCURSOR:
                    Hide_Cursor();
                    return 1;
                case WM_POWER:
                    close = wparam == PWR_CRITICALRESUME;
                    break;
                case WM_POWERBROADCAST:
                    // Only a user's waking it ends it: a laptop on battery reports its power
                    // state again and again, and every wake, a maintenance one or the network's
                    // too, resumes automatically, with nobody there.
                    close = wparam == PBT_APMRESUMESUSPEND || wparam == PBT_APMRESUMECRITICAL;
                    break;
                case WM_MOUSEMOVE:
                    // The message's own position is ignored: the cursor's is what the user moved.
                    close = Mouse_Moved_Beyond_Threshold();
                    break;
                default:
                    close = Is_Key_Or_Button(message);
                    break;
            }
            if (close)
                PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }
    if (AutoPlayMessage != 0 && message == AutoPlayMessage)
    {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return Verifier != nullptr ? 1 : 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

static void Detach_Input_Context(HWND window)
{
    // Only if the input-method module is already there; it is never loaded for this.
    ImmModule = GetModuleHandleA("IMM32.DLL");
    if (ImmModule == nullptr)
        return;
    ImmAssociate = reinterpret_cast<CImmAssociateContext>(
        reinterpret_cast<void *>(GetProcAddress(ImmModule, "ImmAssociateContext")));
    if (ImmAssociate != nullptr)
        PreviousImmContext = ImmAssociate(window, nullptr);
}

static void Restore_Input_Context(HWND window)
{
    if (ImmModule != nullptr && ImmAssociate != nullptr && PreviousImmContext != nullptr)
        ImmAssociate(window, PreviousImmContext);
}

LRESULT CALLBACK ScreenSaverHostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
        case WM_CREATE:
            CFrameState::Register(window);
            Detach_Input_Context(window);
            Reset_Cursor_Reference();
            if (!PreviewMode)
                Hide_Cursor();
            break;
        case WM_DESTROY:
            CFrameState::Unregister(window);
            Restore_Input_Context(window);
            PostQuitMessage(0);
            break;
        case WM_SETTEXT:
            return 0;
        case WM_POWERBROADCAST:
        case WM_WTSSESSION_CHANGE:
            // At the end of a rest the GL child is asked to paint again.
            if (CFrameState::Take_Notification(message, wparam, lparam) && !CFrameState::Resting())
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            break;
        case WM_PAINT:
            if (CloseAccepted)
                return DefWindowProcA(window, message, wparam, lparam);
            if (!PreviewMode)
                Hide_Cursor();
            break;
        case WM_HELP:
        case WM_CONTEXTMENU:
            if (PreviewMode)
            {
                // The control panel owns help and context menus over its preview. Help carries a
                // pointer, and the system refuses to post such a message: it is sent, as the
                // system's own default handling passes help to a parent, but never waited for
                // without end, or a hung control panel would freeze the preview with it.
                HWND parent = GetParent(window);
                if (parent != nullptr && IsWindow(parent))
                {
                    if (message == WM_HELP)
                        SendMessageTimeoutA(parent, message, WPARAM(parent), lparam,
                                            SMTO_ABORTIFHUNG, HelpWaitLimit, nullptr);
                    else
                        PostMessageA(parent, message, WPARAM(parent), lparam);
                }
                return 1;
            }
            break;
        case WM_SYSCOMMAND:
            if (!PreviewMode &&
                (wparam == SC_NEXTWINDOW || wparam == SC_PREVWINDOW || wparam == SC_SCREENSAVE))
                return 0;
            break;
        case WM_TIMER:
            if (CloseAccepted)
                return 0;
            Sleep(0);
            break;
    }
    if (CloseAccepted && (message == WM_MOUSEMOVE || Is_Key_Or_Button(message)))
        return DefWindowProcA(window, message, wparam, lparam);
    return ScreenSaverProc(window, message, wparam, lparam);
}

// A preview whose parent's program ends without destroying its windows (killed, or crashed)
// is not always told: its window can vanish with no message at all, which would leave the
// process waiting for ever. So its loop also waits for the end of the parent's process, and
// looks for the parent window at every wake; once a second where the process cannot be waited
// for. No timer: its message would wait behind the paints and keep the queue's wait awake.
static const DWORD ParentWatchInterval = 1000; // milliseconds

static HANDLE Open_Parent_Process(HWND parent)
{
    DWORD process_id = 0;
    GetWindowThreadProcessId(parent, &process_id);
    if (process_id == 0 || process_id == GetCurrentProcessId())
        return nullptr;
    return OpenProcess(SYNCHRONIZE, FALSE, process_id);
}

// The next message for any window of the thread; false at WM_QUIT, or, in a preview, once the
// parent has gone (with a quit code of 0).
static bool Next_Message(MSG *message, HWND parent, HANDLE parent_process)
{
    if (parent == nullptr)
        return GetMessageA(message, nullptr, 0, 0) > 0;
    const DWORD handles = parent_process != nullptr ? 1 : 0;
    while (IsWindow(parent))
    {
        if (PeekMessageA(message, nullptr, 0, 0, PM_REMOVE))
            return message->message != WM_QUIT;
        const DWORD woke = MsgWaitForMultipleObjectsEx(
            handles, &parent_process, handles != 0 ? INFINITE : ParentWatchInterval, QS_ALLINPUT,
            MWMO_INPUTAVAILABLE);
        if (handles != 0 && woke == WAIT_OBJECT_0) // the parent's process has ended
            break;
    }
    message->wParam = 0;
    return false;
}

int RunSaverWindow(HWND parent)
{
    WNDCLASSA window_class = {};
    window_class.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = ScreenSaverHostProc;
    window_class.hInstance = MainInstance;
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = SaverClassName;

    int x, y, width, height;
    DWORD style, extended_style;
    const char *title;
    if (parent != nullptr)
    {
        RECT client;
        GetClientRect(parent, &client);
        x = 0;
        y = 0;
        width = client.right;
        height = client.bottom;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        extended_style = 0;
        title = "Preview";
        PreviewMode = true;
    }
    else
    {
        HDC screen = GetDC(nullptr);
        RECT desktop;
        GetClipBox(screen, &desktop);
        ReleaseDC(nullptr, screen);
        x = desktop.left;
        y = desktop.top;
        width = desktop.right - desktop.left;
        height = desktop.bottom - desktop.top;
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extended_style = WS_EX_TOPMOST;
        title = "Screen Saver";

        HWND running = FindWindowA(SaverClassName, "Screen Saver");
        if (running != nullptr && IsWindow(running))
        {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordVerifier();
    }

    if (Windows9xPlatform)
        AutoPlayMessage = RegisterWindowMessageA("QueryCancelAutoPlay");

    int exit_code = 1; // the window could not be made
    if (RegisterClassA(&window_class))
        MainWindow = CreateWindowExA(extended_style, SaverClassName, title, style, x, y, width,
                                     height, parent, nullptr, MainInstance, nullptr);
    if (MainWindow != nullptr)
    {
        if (!PreviewMode)
            SetForegroundWindow(MainWindow);
        HANDLE parent_process = PreviewMode ? Open_Parent_Process(parent) : nullptr;
        MSG message;
        while (Next_Message(&message, parent, parent_process))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        exit_code = int(message.wParam);
        if (parent_process != nullptr)
            CloseHandle(parent_process);
    }
    UnloadPasswordVerifier();
    return exit_code;
}

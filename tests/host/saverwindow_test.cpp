// The host's window procedures and password verifier against a saver procedure of the test's
// own that records what reaches it. Input, the preview and the verifier's answers are the
// end-to-end tests'; here is what those cannot send or see: system messages, the input context,
// the verifier's loading. The verifier is the tests' PASSWORD.CPL.
#include "host/framestate.h"
#include "host/saverwindow.h"

#include <gtest/gtest.h>

#include <imm.h>
#include <wtsapi32.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <ostream>
#include <thread>
#include <vector>

static std::vector<MSG> Received;
static std::function<void(HWND)> OnCreate; // what a test does once the saver window exists

LRESULT ScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Received.push_back({window, message, wparam, lparam, 0, {0, 0}});
    if (message == WM_CREATE && OnCreate)
        OnCreate(window);
    return DefScreenSaverProc(window, message, wparam, lparam);
}

// While another desktop has the input (a UAC prompt) GetCursorPos fails, leaving the point as
// a failed call may. The linker points this program's import of it (__imp_GetCursorPos) here.
static bool CursorUnreadable = false;

static BOOL WINAPI Get_Cursor_Pos(POINT *point)
{
    static const auto real = reinterpret_cast<BOOL(WINAPI *)(POINT *)>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32"), "GetCursorPos")));
    *point = {0, 0};
    return !CursorUnreadable && real(point);
}
extern "C" BOOL(WINAPI *const Cursor_Pos_Import)(POINT *) = Get_Cursor_Pos;

namespace
{

const HCURSOR Arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW

int Reached(UINT message)
{
    return int(std::count_if(Received.begin(), Received.end(),
                             [message](const MSG &m) { return m.message == message; }));
}

int Posted(HWND window, UINT message) // and takes them from the queue
{
    int count = 0;
    MSG pending;
    while (PeekMessageA(&pending, window, message, message, PM_REMOVE | PM_NOYIELD))
        ++count;
    return count;
}

template <typename T> // cases print as their names
auto operator<<(std::ostream &os, const T &c) -> decltype(os << c.Name)
{
    return os << c.Name;
}

enum EState
{
    SAVING,
    PREVIEW,
    PASSWORD_DIALOG,
    CLOSE_ACCEPTED
};

void Set_State(EState state)
{
    PreviewMode = state == PREVIEW;
    InPasswordDialog = state == PASSWORD_DIALOG;
    CloseAccepted = state == CLOSE_ACCEPTED;
}

// As the control panel writes it; REG_NONE: none at all.
void Set_Password_Option(DWORD type, const char *data, DWORD size)
{
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword");
    if (type != REG_NONE)
        RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword", type,
                        data, size);
}

void Load_Verifier()
{
    Set_Password_Option(REG_DWORD, "\1\0\0\0", 4);
    Windows9xPlatform = true;
    LoadPasswordVerifier();
    ASSERT_NE(HMODULE(nullptr), PasswordModule);
}

// A window of the host's class, visible and painted, whose creation is not in Received; a
// window of class "QuillomarRecorded" has the recording saver procedure alone.
class CHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA window_class = {};
        window_class.lpfnWndProc = ScreenSaverHostProc;
        window_class.hInstance = MainInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "QuillomarHosted";
        RegisterClassA(&window_class);
        window_class.lpfnWndProc = ScreenSaverProc;
        window_class.lpszClassName = "QuillomarRecorded";
        RegisterClassA(&window_class);
        Set_State(SAVING);
        Window = Create("QuillomarHosted");
        ShowWindow(Window, SW_SHOWNOACTIVATE);
        ValidateRect(Window, nullptr);
        Drain();
        SetCursor(Arrow);
        UINT previous = 0;
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, 0, &previous, 0); // as no saver runs
        SetDllDirectoryA(PASSWORD_CPL_DIRECTORY);
    }

    void TearDown() override
    {
        OnCreate = nullptr;
        for (HWND window : Created)
            DestroyWindow(window);
        Drain();                  // the host's WM_DESTROY posts a quit message
        Windows9xPlatform = true; // the unloader acts on the Windows 95 family only
        UnloadPasswordVerifier();
        Windows9xPlatform = false;
        LastVerifyTick = 0xFFFFFFFF;
    }

    HWND Create(const char *window_class, HWND parent = nullptr)
    {
        Created.push_back(CreateWindowExA(0, window_class, "Hosted", parent ? WS_CHILD : WS_POPUP,
                                          0, 0, 152, 112, parent, nullptr, MainInstance, nullptr));
        return Created.back();
    }

    static void Drain()
    {
        Posted(nullptr, 0); // every message
        Received.clear();
    }

    HWND Window = nullptr;
    std::vector<HWND> Created;
};

// A table of cases, one test each.
template <typename T>
class CCases : public CHostTest, public ::testing::WithParamInterface<T>
{
};

// The saver window's procedure, with the recording saver behind it: what the host consumes, what
// it hands to the saver, and what the saver's default procedure makes of it: a close request, a
// hidden cursor. While saving each decision once; in the other states nothing ends the saver or
// hides the cursor, shown with one of each kind. (Keys, clicks, the mouse, waking from sleep and a
// change of power source are the end-to-end tests'.)
struct CProcedureCase
{
    const char *Name;
    UINT Message;
    WPARAM WParam;
    EState State;
    bool Reaches, Closes, Hides;
};

using CProcedure = CCases<CProcedureCase>;

TEST_P(CProcedure, ConsumesPassesOnEndsOrHidesTheCursor)
{
    const CProcedureCase &c = GetParam();
    Set_State(c.State);
    InvalidateRect(Window, nullptr, FALSE);
    LPARAM lparam = c.Message == WM_SETTEXT ? LPARAM("Changed") : 0;
    lparam = c.Message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : lparam;
    const LRESULT result = ScreenSaverHostProc(Window, c.Message, c.WParam, lparam);
    EXPECT_EQ(c.Reaches ? 1 : 0, Reached(c.Message));
    EXPECT_TRUE(c.Reaches || result == 0);
    EXPECT_EQ(c.Closes ? 1 : 0, Posted(Window, WM_CLOSE));
    EXPECT_EQ(c.Hides ? HCURSOR(nullptr) : Arrow, GetCursor());
    EXPECT_TRUE(c.Message != WM_PAINT || !GetUpdateRect(Window, nullptr, FALSE))
        << "left unpainted";
    EXPECT_TRUE(c.Message != WM_SETCURSOR || !c.Hides || result == 1) << "left to the system";
}

const CProcedureCase ProcedureCases[] = {
    {"WM_SETTEXT", WM_SETTEXT, 0, SAVING, false, false, false},
    {"SC_SCREENSAVE", WM_SYSCOMMAND, SC_SCREENSAVE, SAVING, false, false, false},
    {"SC_NEXTWINDOW", WM_SYSCOMMAND, SC_NEXTWINDOW, SAVING, false, false, false},
    {"SC_SCREENSAVE, preview", WM_SYSCOMMAND, SC_SCREENSAVE, PREVIEW, true, false, false},
    {"WM_TIMER, accepted", WM_TIMER, 7, CLOSE_ACCEPTED, false, false, false},
    {"WM_PAINT", WM_PAINT, 0, SAVING, true, false, true},
    {"WM_PAINT, preview", WM_PAINT, 0, PREVIEW, true, false, false},
    {"WM_PAINT, accepted", WM_PAINT, 0, CLOSE_ACCEPTED, false, false, false},
    {"WM_KEYDOWN, accepted", WM_KEYDOWN, 'A', CLOSE_ACCEPTED, false, false, false},
    {"WM_KEYUP, accepted", WM_KEYUP, 'A', CLOSE_ACCEPTED, true, false, false},
    {"another program activated", WM_ACTIVATEAPP, 0, SAVING, true, true, false},
    {"this program activated", WM_ACTIVATEAPP, 1, SAVING, true, false, false},
    {"PWR_CRITICALRESUME", WM_POWER, PWR_CRITICALRESUME, SAVING, true, true, false},
    {"PWR_SUSPENDREQUEST", WM_POWER, PWR_SUSPENDREQUEST, SAVING, true, false, false},
    {"PBT_APMRESUMECRITICAL", WM_POWERBROADCAST, PBT_APMRESUMECRITICAL, SAVING, true, true, false},
    {"WM_SYSKEYDOWN", WM_SYSKEYDOWN, 'A', SAVING, true, true, false},
    {"WM_MBUTTONDOWN", WM_MBUTTONDOWN, MK_MBUTTON, SAVING, true, true, false},
    {"WM_KEYUP", WM_KEYUP, 'A', SAVING, true, false, false},
    {"WM_SETCURSOR", WM_SETCURSOR, 0, SAVING, true, false, true},
    {"shown", WM_SHOWWINDOW, 1, SAVING, true, false, true},
    {"hidden", WM_SHOWWINDOW, 0, SAVING, true, false, false},
    {"activated, preview", WM_ACTIVATEAPP, 0, PREVIEW, true, false, false},
    {"activated, asking", WM_ACTIVATEAPP, 0, PASSWORD_DIALOG, true, false, false},
    {"activated, accepted", WM_ACTIVATEAPP, 0, CLOSE_ACCEPTED, true, false, false},
    {"WM_SETCURSOR, preview", WM_SETCURSOR, 0, PREVIEW, true, false, false},
    {"WM_SETCURSOR, asking", WM_SETCURSOR, 0, PASSWORD_DIALOG, true, false, false},
    {"WM_SETCURSOR, accepted", WM_SETCURSOR, 0, CLOSE_ACCEPTED, true, false, false}};

INSTANTIATE_TEST_SUITE_P(Messages, CProcedure, ::testing::ValuesIn(ProcedureCases));

TEST_F(CHostTest, InputContextIsDetachedWhileTheWindowLivesAndGivenBackAtItsEnd)
{
    EXPECT_EQ(HIMC(nullptr), ImmGetContext(Window)) << "detached at creation";
    ScreenSaverHostProc(Window, WM_DESTROY, 0, 0);
    EXPECT_EQ(1, Reached(WM_DESTROY));
    const HIMC context = ImmGetContext(Window);
    EXPECT_NE(HIMC(nullptr), context) << "given back at destruction";
    ImmReleaseContext(Window, context);
    EXPECT_EQ(1, Posted(nullptr, WM_QUIT));
}

// The display's state and the session's, one notification after another as the system sends
// them: the saver rests while any of them hides it, and its end asks the GL child to paint. Input
// during a rest ends the saver as ever.
struct CRestStep
{
    UINT Message;
    WPARAM Event;
    int Setting; // of a power-setting change: 0 the console's display, 1 the monitor's power
    DWORD Value;
    bool Resting, Repaints;
};

TEST_F(CHostTest, RestsWhileNobodyCanSeeItAndPaintsAgainAfter)
{
    static const GUID settings[] = {
        {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}},
        {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}}};
    const UINT power = WM_POWERBROADCAST, session = WM_WTSSESSION_CHANGE;
    const WPARAM change = PBT_POWERSETTINGCHANGE;
    const CRestStep steps[] = {{power, change, 0, 2, false, false}, // dimmed: still seen
                               {power, change, 0, 0, true, false},
                               {session, WTS_SESSION_LOCK, 0, 0, true, false},
                               {power, change, 0, 1, true, false}, // still locked
                               {session, WTS_SESSION_UNLOCK, 0, 0, false, true},
                               {session, WTS_REMOTE_DISCONNECT, 0, 0, true, false},
                               {session, WTS_CONSOLE_CONNECT, 0, 0, false, true},
                               {power, change, 1, 0, true, false}, // Windows 7
                               {power, change, 1, 1, false, true}};
    SetWindowLongPtrA(Window, GWL_STYLE, GetWindowLongPtrA(Window, GWL_STYLE) | WS_CLIPCHILDREN);
    HWND child = Create("QuillomarRecorded", Window); // the GL child, as the saver makes it
    ShowWindow(child, SW_SHOWNA);
    for (const CRestStep &step : steps)
    {
        ValidateRect(Window, nullptr);
        ValidateRect(child, nullptr);
        POWERBROADCAST_SETTING setting[2] = {{settings[step.Setting], 4, {0}}}; // room for 4
        CopyMemory(setting[0].Data, &step.Value, 4);
        SendMessageA(Window, step.Message, step.Event, LPARAM(setting));
        ScreenSaverHostProc(Window, WM_KEYDOWN, 'A', 0);
        const int index = int(&step - steps);
        EXPECT_EQ(step.Resting, CFrameState::Resting()) << "step " << index;
        EXPECT_EQ(step.Repaints, GetUpdateRect(child, nullptr, FALSE) != FALSE) << "step " << index;
        EXPECT_EQ(1, Posted(Window, WM_CLOSE)) << "by the key alone, step " << index;
    }
}

// The Windows 95 family's password option, as the first four bytes of whatever is stored.
struct COptionCase
{
    const char *Name;
    DWORD Type;
    const char *Data;
    DWORD Size;
    bool Loaded;
};

using CVerifierLoading = CCases<COptionCase>;

TEST_P(CVerifierLoading, FollowsThePasswordOption)
{
    const COptionCase &c = GetParam();
    Windows9xPlatform = true;
    Set_Password_Option(c.Type, c.Data, c.Size);
    LoadPasswordVerifier();
    EXPECT_EQ(c.Loaded, PasswordModule != nullptr);
    BOOL told = FALSE; // that a saver runs
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &told, 0);
    EXPECT_EQ(c.Loaded, told != FALSE);
    UnloadPasswordVerifier();
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &told, 0);
    EXPECT_FALSE(told) << "told when unloaded";
}

INSTANTIATE_TEST_SUITE_P(
    Options, CVerifierLoading,
    ::testing::Values(COptionCase{"DWORD 0x100", REG_DWORD, "\0\1\0\0", 4, true},
                      COptionCase{"binary 01 00 00 00", REG_BINARY, "\1\0\0\0", 4, true},
                      COptionCase{"DWORD 0", REG_DWORD, "\0\0\0\0", 4, false},
                      COptionCase{"no value", REG_NONE, "", 0, false},
                      COptionCase{"eight bytes", REG_BINARY, "\1\0\0\0\0\0\0\0", 8, false}));

// The verifier pumps messages, so a close request may come while it asks: it is not asked again
// then (the end-to-end tests'), nor once a close is accepted. Asked, it drops two pending timer
// messages; a refusal hides the cursor that it showed. (Its answers, and how soon it is asked
// again, are the end-to-end tests'.)
struct CVerifyCase
{
    const char *Name;
    EState State;
    const char *Answer;
    int Asked, TimersLeft;
    bool Hides;
};

using CVerification = CCases<CVerifyCase>;

TEST_P(CVerification, AsksOnceAtATime)
{
    const CVerifyCase &c = GetParam();
    Load_Verifier();
    SetEnvironmentVariableA("QUILLOMAR_TEST_VERIFIER_ANSWER", c.Answer);
    Set_State(c.State);
    for (UINT_PTR id = 1; id <= 3; ++id)
        PostMessageA(Window, WM_TIMER, id, 0);
    EXPECT_FALSE(VerifySaverPassword(Window));
    EXPECT_EQ(c.Asked, Reached(SAVER_MSG_VERIFY_PASSWORD));
    EXPECT_EQ(c.TimersLeft, Posted(Window, WM_TIMER));
    EXPECT_EQ(c.State == CLOSE_ACCEPTED, CloseAccepted);
    EXPECT_FALSE(InPasswordDialog);
    EXPECT_EQ(c.Hides ? HCURSOR(nullptr) : Arrow, GetCursor());
}

INSTANTIATE_TEST_SUITE_P(States, CVerification,
                         ::testing::Values(CVerifyCase{"once accepted", CLOSE_ACCEPTED, "accept", 0,
                                                       3, false},
                                           CVerifyCase{"refused", SAVING, "refuse", 1, 1, true}));

// A cursor that cannot be read neither moves the reference point nor ends the saver, on a
// mouse message or after a refused password.
TEST_F(CHostTest, AnUnreadableCursorMovesNothingAndEndsNothing)
{
    Load_Verifier();
    SetEnvironmentVariableA("QUILLOMAR_TEST_VERIFIER_ANSWER", "refuse");
    LastCursorPos = {-7000, -7000};
    CursorUnreadable = true;
    ScreenSaverHostProc(Window, WM_MOUSEMOVE, 0, 0);
    ScreenSaverHostProc(Window, WM_CLOSE, 0, 0);
    CursorUnreadable = false;
    EXPECT_EQ(0, Posted(Window, WM_CLOSE));
    EXPECT_EQ(-7000, LastCursorPos.x);
    EXPECT_EQ(-7000, LastCursorPos.y);
}

// The verification message and AutoPlay's query, as they come during a verification.
struct CProtocolCase
{
    const char *Name;
    bool Windows9x, Loaded, AutoPlay;
    LRESULT Result;
    bool Closes;
};

using CProtocol = CCases<CProtocolCase>;

TEST_P(CProtocol, AnswersAndEndsTheSaverAsTheSystemExpects)
{
    const CProtocolCase &c = GetParam();
    if (c.Loaded)
        Load_Verifier();
    Windows9xPlatform = c.Windows9x;
    Set_State(PASSWORD_DIALOG);
    const UINT auto_play = RegisterWindowMessageA("QueryCancelAutoPlay");
    AutoPlayMessage = c.Windows9x ? auto_play : 0;
    const UINT message = c.AutoPlay ? auto_play : SAVER_MSG_VERIFY_PASSWORD;
    EXPECT_EQ(c.Result, DefScreenSaverProc(Window, message, 0, 0));
    EXPECT_EQ(c.Closes ? 1 : 0, Posted(Window, WM_CLOSE));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, CProtocol,
    ::testing::Values(CProtocolCase{"verify without a verifier", true, false, false, 1, false},
                      CProtocolCase{"verify, NT family", false, true, false, 0, false},
                      CProtocolCase{"AutoPlay with a verifier", true, true, true, 1, true},
                      CProtocolCase{"AutoPlay without one", true, false, true, 0, true},
                      CProtocolCase{"AutoPlay, NT family", false, false, true, 0, false}));

// The control panel owns help and context menus over its preview. Help carries a pointer, so
// it is sent; the context menu is posted.
TEST_F(CHostTest, PreviewHandsHelpAndContextMenusToItsParent)
{
    HWND parent = Create("QuillomarRecorded");
    HWND preview = Create("QuillomarHosted", parent);
    Set_State(PREVIEW);
    Drain();
    HELPINFO help = {sizeof(help), HELPINFO_WINDOW, 4321, preview, 0, {0, 0}};
    EXPECT_EQ(1, ScreenSaverHostProc(preview, WM_HELP, 0, LPARAM(&help)));
    EXPECT_EQ(1, ScreenSaverHostProc(preview, WM_CONTEXTMENU, WPARAM(preview), 0x00400030));
    ASSERT_EQ(1u, Received.size()) << "the help, sent to the parent alone";
    EXPECT_EQ(parent, Received[0].hwnd);
    EXPECT_EQ(WM_HELP, Received[0].message);
    EXPECT_EQ(WPARAM(parent), Received[0].wParam) << "the parent's own handle";
    EXPECT_EQ(LPARAM(&help), Received[0].lParam);
    MSG menu = {};
    ASSERT_TRUE(PeekMessageA(&menu, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
    EXPECT_EQ(WPARAM(parent), menu.wParam);
    EXPECT_EQ(0x00400030, menu.lParam) << "where it was asked for";
}

// A control panel that hangs while it has help sent to it must not take the preview with it. The
// preview is made without parent notification, so that the hung parent's thread is never asked.
TEST_F(CHostTest, PreviewDoesNotWaitForAHungParent)
{
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> parent(nullptr);
    std::atomic<bool> woke(false);
    std::thread panel(
        [&]
        {
            parent = CreateWindowExA(0, "STATIC", "Panel", WS_POPUP, 0, 0, 200, 200, nullptr,
                                     nullptr, MainInstance, nullptr);
            WaitForSingleObject(release, 20000); // hung: takes no messages
            woke = true;
            DestroyWindow(parent);
        });
    while (parent == nullptr)
        Sleep(1);
    HWND preview = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "QuillomarHosted", "Preview", WS_CHILD, 0,
                                   0, 152, 112, parent, nullptr, MainInstance, nullptr);
    Set_State(PREVIEW);
    HELPINFO help = {sizeof(help), HELPINFO_WINDOW, 4321, preview, 0, {0, 0}};
    EXPECT_EQ(1, ScreenSaverHostProc(preview, WM_HELP, 0, LPARAM(&help)));
    EXPECT_FALSE(woke) << "waited for the parent";
    DestroyWindow(preview);
    SetEvent(release);
    panel.join();
    CloseHandle(release);
}

// A preview whose parent goes without a word, as when its program is killed, ends by its own
// watch. On the Windows 95 family it listens for AutoPlay but takes no verifier.
TEST_F(CHostTest, PreviewEndsWhenItsParentVanishesWithoutTellingIt)
{
    Windows9xPlatform = true;
    HWND parent = Create("STATIC");
    OnCreate = [parent](HWND window)
    {
        EXPECT_EQ(HMODULE(nullptr), PasswordModule);
        EXPECT_NE(0u, AutoPlayMessage);
        SetParent(window, nullptr); // left alone, never destroyed
        DestroyWindow(parent);
    };
    EXPECT_EQ(0, RunSaverWindow(parent));
    EXPECT_TRUE(IsWindow(MainWindow));
    DestroyWindow(MainWindow);
    UnregisterClassA("WindowsScreenSaverClass", MainInstance);
}

} // namespace

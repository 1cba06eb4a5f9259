// The host's window procedures and password verifier, message by message, against a saver
// procedure of the test's own that records what reaches it. A user's input, the preview and the
// verifier's answers are the end-to-end tests' (tests/e2e); here is what those cannot send or
// see: system and power messages, the input context, the verifier's loading and timing. The
// verifier is the tests' PASSWORD.CPL; the password option lives in a scratch current-user key.
#include "host/saverwindow.h"

#include <gtest/gtest.h>

#include <imm.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

static std::vector<UINT> Received;
static std::function<void(HWND)> OnCreate; // what a test does once the saver window exists

LRESULT ScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Received.push_back(message);
    if (message == WM_CREATE && OnCreate)
        OnCreate(window);
    return DefScreenSaverProc(window, message, wparam, lparam);
}

namespace
{

const HCURSOR Arrow = LoadCursorA(NULL, MAKEINTRESOURCEA(32512)); // IDC_ARROW

int Reached(UINT message)
{
    return int(std::count(Received.begin(), Received.end(), message));
}

int Posted(HWND window, UINT message)
{
    int count = 0;
    MSG pending;
    while (PeekMessageA(&pending, window, message, message, PM_REMOVE | PM_NOYIELD))
        ++count;
    return count;
}

bool System_Told_Saver_Runs()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != FALSE;
}

// Cases print as their names.
template <typename T>
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

class CHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA hosted = {};
        hosted.lpfnWndProc = ScreenSaverHostProc;
        hosted.hInstance = MainInstance = GetModuleHandleA(NULL);
        hosted.lpszClassName = "QuillomarHosted";
        RegisterClassA(&hosted);
        Set_State(SAVING);
        Window = Create("QuillomarHosted");
        GetCursorPos(&LastCursorPos);
        Drain();
        SetCursor(Arrow);
        // The Windows 95 family's verifier, which accepts unless told otherwise.
        UINT previous = 0;
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, 0, &previous, 0); // as no saver runs
        SetDllDirectoryA(PASSWORD_CPL_DIRECTORY);
        SetEnvironmentVariableA("QUILLOMAR_TEST_VERIFIER_ANSWER", "accept");
        Set_Password_Option(REG_DWORD, "\1\0\0\0", 4);
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
        AutoPlayMessage = 0;
        LastVerifyTick = 0xFFFFFFFF;
        UnregisterClassA("WindowsScreenSaverClass", GetModuleHandleA(NULL)); // RunSaverWindow's
    }

    static void Set_State(EState state)
    {
        PreviewMode = state == PREVIEW;
        InPasswordDialog = state == PASSWORD_DIALOG;
        CloseAccepted = state == CLOSE_ACCEPTED;
    }

    HWND Create(const char *window_class)
    {
        Created.push_back(CreateWindowExA(0, window_class, "Hosted", WS_POPUP, 0, 0, 152, 112, NULL,
                                          NULL, MainInstance, NULL));
        return Created.back();
    }

    static void Drain()
    {
        Posted(NULL, 0); // every message
        Received.clear();
    }

    // As the control panel writes it; REG_NONE: none at all.
    static void Set_Password_Option(DWORD type, const char *data, DWORD size)
    {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword");
        if (type != REG_NONE)
            RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword",
                            type, data, size);
    }

    static void Load_Verifier()
    {
        Windows9xPlatform = true;
        LoadPasswordVerifier();
        ASSERT_NE(HMODULE(NULL), PasswordModule);
    }

    HWND Window = NULL;
    std::vector<HWND> Created;
};

// A table of cases, one test each.
template <typename T>
class CCases : public CHostTest, public ::testing::WithParamInterface<T>
{
};

// ScreenSaverHostProc: what it consumes, what it hands to the saver, when it hides the cursor.
struct CHostCase
{
    const char *Name;
    UINT Message;
    WPARAM WParam;
    EState State;
    bool Reaches, Hides;
};

using CHostProcedure = CCases<CHostCase>;

TEST_P(CHostProcedure, ConsumesOrPassesOn)
{
    const CHostCase &c = GetParam();
    ShowWindow(Window, SW_SHOWNOACTIVATE); // something to paint
    ValidateRect(Window, NULL);
    Drain();
    SetCursor(Arrow);
    Set_State(c.State);
    InvalidateRect(Window, NULL, FALSE);
    const LPARAM lparam = c.Message == WM_SETTEXT ? LPARAM("Changed") : 0;
    const LRESULT result = ScreenSaverHostProc(Window, c.Message, c.WParam, lparam);
    EXPECT_EQ(c.Reaches ? 1 : 0, Reached(c.Message));
    EXPECT_TRUE(c.Reaches || result == 0);
    EXPECT_EQ(0, Posted(Window, WM_CLOSE));
    EXPECT_EQ(c.Hides ? HCURSOR(NULL) : Arrow, GetCursor());
    EXPECT_TRUE(c.Message != WM_PAINT || !GetUpdateRect(Window, NULL, FALSE)) << "left unpainted";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, CHostProcedure,
    ::testing::Values(
        CHostCase{"WM_SETTEXT", WM_SETTEXT, 0, SAVING, false, false},
        CHostCase{"SC_SCREENSAVE", WM_SYSCOMMAND, SC_SCREENSAVE, SAVING, false, false},
        CHostCase{"SC_NEXTWINDOW", WM_SYSCOMMAND, SC_NEXTWINDOW, SAVING, false, false},
        CHostCase{"SC_SCREENSAVE, preview", WM_SYSCOMMAND, SC_SCREENSAVE, PREVIEW, true, false},
        CHostCase{"WM_TIMER, accepted", WM_TIMER, 7, CLOSE_ACCEPTED, false, false},
        CHostCase{"WM_PAINT", WM_PAINT, 0, SAVING, true, true},
        CHostCase{"WM_PAINT, preview", WM_PAINT, 0, PREVIEW, true, false},
        CHostCase{"WM_PAINT, accepted", WM_PAINT, 0, CLOSE_ACCEPTED, false, false},
        CHostCase{"WM_KEYDOWN, accepted", WM_KEYDOWN, 'A', CLOSE_ACCEPTED, false, false},
        CHostCase{"WM_MOUSEMOVE, accepted", WM_MOUSEMOVE, 0, CLOSE_ACCEPTED, false, false},
        CHostCase{"WM_LBUTTONDOWN, accepted", WM_LBUTTONDOWN, 1, CLOSE_ACCEPTED, false, false},
        CHostCase{"WM_KEYUP, accepted", WM_KEYUP, 'A', CLOSE_ACCEPTED, true, false}));

// DefScreenSaverProc: what ends the saver or hides the cursor, while saving only.
struct CDefaultCase
{
    const char *Name;
    UINT Message;
    WPARAM WParam;
    bool Closes, Hides;
};

using CDefaultProcedure = CCases<std::tuple<CDefaultCase, EState>>;

TEST_P(CDefaultProcedure, EndsOrHidesTheCursorWhileSaving)
{
    const CDefaultCase &c = std::get<0>(GetParam());
    Set_State(std::get<1>(GetParam()));
    const bool saving = std::get<1>(GetParam()) == SAVING;
    const LPARAM lparam = c.Message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : 0;
    const LRESULT result = DefScreenSaverProc(Window, c.Message, c.WParam, lparam);
    EXPECT_EQ(c.Closes && saving ? 1 : 0, Posted(Window, WM_CLOSE));
    EXPECT_EQ(c.Hides && saving ? HCURSOR(NULL) : Arrow, GetCursor());
    EXPECT_TRUE(c.Message != WM_SETCURSOR || !saving || result == 1) << "left to the system";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, CDefaultProcedure,
    ::testing::Combine(
        ::testing::Values(CDefaultCase{"another program activated", WM_ACTIVATEAPP, 0, true, false},
                          CDefaultCase{"this program activated", WM_ACTIVATEAPP, 1, false, false},
                          CDefaultCase{"PWR_CRITICALRESUME", WM_POWER, 3, true, false},
                          CDefaultCase{"PWR_SUSPENDREQUEST", WM_POWER, 1, false, false},
                          CDefaultCase{"WM_POWERBROADCAST", WM_POWERBROADCAST, 0x12, true, false},
                          CDefaultCase{"WM_SYSKEYDOWN", WM_SYSKEYDOWN, 'A', true, false},
                          CDefaultCase{"WM_RBUTTONDOWN", WM_RBUTTONDOWN, MK_RBUTTON, true, false},
                          CDefaultCase{"WM_MBUTTONDOWN", WM_MBUTTONDOWN, MK_MBUTTON, true, false},
                          CDefaultCase{"WM_KEYUP", WM_KEYUP, 'A', false, false},
                          CDefaultCase{"WM_LBUTTONUP", WM_LBUTTONUP, 0, false, false},
                          CDefaultCase{"WM_MOUSEMOVE, cursor still", WM_MOUSEMOVE, 0, false, false},
                          CDefaultCase{"WM_SETCURSOR", WM_SETCURSOR, 0, false, true},
                          CDefaultCase{"shown", WM_SHOWWINDOW, 1, false, true},
                          CDefaultCase{"hidden", WM_SHOWWINDOW, 0, false, false}),
        ::testing::Values(SAVING, PREVIEW, PASSWORD_DIALOG, CLOSE_ACCEPTED)));

TEST_F(CHostTest, InputContextIsDetachedWhileTheWindowLivesAndGivenBackAtItsEnd)
{
    EXPECT_EQ(HIMC(NULL), ImmGetContext(Window)) << "detached at creation";
    ScreenSaverHostProc(Window, WM_DESTROY, 0, 0);
    EXPECT_EQ(1, Reached(WM_DESTROY));
    const HIMC context = ImmGetContext(Window);
    EXPECT_NE(HIMC(NULL), context) << "given back at destruction";
    ImmReleaseContext(Window, context);
    EXPECT_EQ(1, Posted(NULL, WM_QUIT));
}

// The Windows 95 family's password option, as the first four bytes of whatever is stored.
struct COptionCase
{
    const char *Name;
    bool Windows9x;
    DWORD Type;
    const char *Data;
    DWORD Size;
    bool Loaded;
};

using CVerifierLoading = CCases<COptionCase>;

TEST_P(CVerifierLoading, FollowsThePasswordOption)
{
    const COptionCase &c = GetParam();
    Windows9xPlatform = c.Windows9x;
    Set_Password_Option(c.Type, c.Data, c.Size);
    LoadPasswordVerifier();
    EXPECT_EQ(c.Loaded, PasswordModule != NULL);
    EXPECT_EQ(c.Loaded, System_Told_Saver_Runs());
    Windows9xPlatform = true;
    UnloadPasswordVerifier();
    EXPECT_FALSE(System_Told_Saver_Runs()) << "told when unloaded";
}

INSTANTIATE_TEST_SUITE_P(
    Options, CVerifierLoading,
    ::testing::Values(COptionCase{"DWORD 0x100", true, REG_DWORD, "\0\1\0\0", 4, true},
                      COptionCase{"binary 01 00 00 00", true, REG_BINARY, "\1\0\0\0", 4, true},
                      COptionCase{"DWORD 0", true, REG_DWORD, "\0\0\0\0", 4, false},
                      COptionCase{"no value", true, REG_NONE, "", 0, false},
                      COptionCase{"eight bytes", true, REG_BINARY, "\1\0\0\0\0\0\0\0", 8, false},
                      COptionCase{"NT family", false, REG_DWORD, "\1\0\0\0", 4, false}));

// The verifier pumps messages, so a close request may come while it asks: it is not asked again
// then, nor once a close is accepted. (How soon after a refusal it is asked again is the
// end-to-end tests'.)
using CVerification = CCases<EState>;

TEST_P(CVerification, IsNotAskedAgainWhileItAsksOrOnceAccepted)
{
    Load_Verifier();
    Set_State(GetParam());
    EXPECT_FALSE(VerifySaverPassword(Window));
    EXPECT_EQ(0, Reached(SAVER_MSG_VERIFY_PASSWORD));
    EXPECT_EQ(GetParam() == CLOSE_ACCEPTED, CloseAccepted);
    EXPECT_EQ(GetParam() == PASSWORD_DIALOG, InPasswordDialog);
}

INSTANTIATE_TEST_SUITE_P(States, CVerification, ::testing::Values(PASSWORD_DIALOG, CLOSE_ACCEPTED));

TEST_F(CHostTest, ARefusalDropsTwoPendingTimerMessagesAndHidesTheCursor)
{
    Load_Verifier();
    SetEnvironmentVariableA("QUILLOMAR_TEST_VERIFIER_ANSWER", "refuse");
    for (UINT_PTR id = 1; id <= 3; ++id)
        PostMessageA(Window, WM_TIMER, id, 0);
    EXPECT_FALSE(VerifySaverPassword(Window));
    EXPECT_EQ(1, Posted(Window, WM_TIMER));
    EXPECT_EQ(HCURSOR(NULL), GetCursor()) << "the verifier's shown, hidden again by the refusal";
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
    static WPARAM help_wparam;
    WNDCLASSA parent_class = {};
    parent_class.lpfnWndProc = [](HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message != WM_HELP)
            return DefWindowProcA(window, message, wparam, lparam);
        help_wparam = reinterpret_cast<const HELPINFO *>(lparam)->iCtrlId == 4321 ? wparam : 0;
        return LRESULT(TRUE);
    };
    parent_class.lpszClassName = "QuillomarParent";
    RegisterClassA(&parent_class);
    HWND parent = Create("QuillomarParent");
    HWND preview = CreateWindowExA(0, "QuillomarHosted", "Preview", WS_CHILD, 0, 0, 152, 112,
                                   parent, NULL, MainInstance, NULL);
    Set_State(PREVIEW);
    HELPINFO help = {sizeof(help), HELPINFO_WINDOW, 4321, preview, 0, {0, 0}};
    EXPECT_EQ(1, ScreenSaverHostProc(preview, WM_HELP, 0, LPARAM(&help)));
    EXPECT_EQ(1, ScreenSaverHostProc(preview, WM_CONTEXTMENU, WPARAM(preview), 0x00400030));
    EXPECT_EQ(0, Reached(WM_HELP) + Reached(WM_CONTEXTMENU));
    EXPECT_EQ(WPARAM(parent), help_wparam) << "the parent's own handle, with the help";
    MSG menu = {};
    ASSERT_TRUE(PeekMessageA(&menu, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
    EXPECT_EQ(WPARAM(parent), menu.wParam);
    EXPECT_EQ(0x00400030, menu.lParam) << "where it was asked for";
}

// A preview whose parent goes without a word, as when its program is killed, ends by its own
// watch. On the Windows 95 family it listens for AutoPlay but takes no verifier.
TEST_F(CHostTest, PreviewEndsWhenItsParentVanishesWithoutTellingIt)
{
    Windows9xPlatform = true;
    HWND parent = Create("STATIC");
    OnCreate = [parent](HWND window)
    {
        EXPECT_EQ(HMODULE(NULL), PasswordModule);
        EXPECT_NE(0u, AutoPlayMessage);
        SetParent(window, NULL); // left alone, never destroyed
        DestroyWindow(parent);
    };
    EXPECT_EQ(0, RunSaverWindow(parent));
    EXPECT_TRUE(IsWindow(MainWindow));
    DestroyWindow(MainWindow);
}

} // namespace

// The saver host's window procedures, message by message, against a saver procedure of the
// test's own that records what reaches it and passes it on as the real one does. The windows
// are real windows of this process; what the host posts is read back from the queue, the cursor
// with GetCursor and GetCursorPos. The password verifier is the tests' PASSWORD.CPL, loaded
// through the host's own loader; the password option is read from the scratch current-user key
// that the program is linked with.
#include "host/saverhost.h"

#include <gtest/gtest.h>

#include <imm.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace
{

struct CReceived
{
    HWND Window;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    bool DuringVerification; // InPasswordDialog when it arrived
};

std::vector<CReceived> Received;
// A test's own reaction to a message, before it is passed on.
std::function<void(HWND, UINT, WPARAM, LPARAM)> OnMessage;

} // namespace

LRESULT ScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Received.push_back({window, message, wparam, lparam, InPasswordDialog});
    if (OnMessage)
        OnMessage(window, message, wparam, lparam);
    return DefScreenSaverProc(window, message, wparam, lparam);
}

namespace
{

const char SaverClass[] = "WindowsScreenSaverClass";
const char HostedClass[] = "QuillomarHostedWindow"; // the host's procedure, for direct tests
const char PlainClass[] = "QuillomarPlainWindow";   // parents and stand-ins

HCURSOR Arrow()
{
    return LoadCursorA(NULL, MAKEINTRESOURCEA(32512)); // IDC_ARROW
}

int Reached(UINT message)
{
    int count = 0;
    for (const CReceived &received : Received)
        count += received.Message == message;
    return count;
}

int Posted(HWND window, UINT message)
{
    int count = 0;
    MSG pending;
    while (PeekMessageA(&pending, window, message, message, PM_REMOVE | PM_NOYIELD))
        ++count;
    return count;
}

int Posted_Closes(HWND window)
{
    return Posted(window, WM_CLOSE);
}

void Drain_Queue()
{
    MSG pending;
    while (PeekMessageA(&pending, NULL, 0, 0, PM_REMOVE | PM_NOYIELD))
    {
    }
}

void Reset_Host_State()
{
    Windows9xPlatform = true; // the unloader acts on the Windows 95 family only
    UnloadPasswordVerifier();
    Windows9xPlatform = false;
    MainInstance = GetModuleHandleA(NULL);
    MainWindow = NULL;
    PreviewMode = false;
    CloseAccepted = false;
    InPasswordDialog = false;
    AutoPlayMessage = 0;
    LastCursorPos = POINT{0, 0};
    MouseMoveThreshold = 4;
    LastVerifyTick = 0xFFFFFFFF;
}

BOOL System_Told_Saver_Runs()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

void Tell_System_No_Saver_Runs()
{
    UINT previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, 0, &previous, 0);
}

// What the plain windows were sent: help requests, with the help information they carried.
struct CSentHelp
{
    HWND Window;
    WPARAM WParam;
    HELPINFO Info;
};
std::vector<CSentHelp> SentHelp;

LRESULT CALLBACK Plain_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_HELP)
    {
        SentHelp.push_back({window, wparam, *reinterpret_cast<const HELPINFO *>(lparam)});
        return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void Register_Test_Classes()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA hosted = {};
    hosted.lpfnWndProc = ScreenSaverHostProc;
    hosted.hInstance = GetModuleHandleA(NULL);
    hosted.lpszClassName = HostedClass;
    RegisterClassA(&hosted);
    WNDCLASSA plain = {};
    plain.lpfnWndProc = Plain_Proc;
    plain.hInstance = GetModuleHandleA(NULL);
    plain.lpszClassName = PlainClass;
    RegisterClassA(&plain);
    registered = true;
}

class CHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Register_Test_Classes();
        UnregisterClassA(SaverClass, GetModuleHandleA(NULL));
        Reset_Host_State();
        Window = Create(HostedClass, "Hosted", NULL);
        ASSERT_NE(HWND(NULL), Window);
        Drain_Queue();
        Received.clear();
        OnMessage = nullptr;
        SetCursor(Arrow());
    }

    void TearDown() override
    {
        OnMessage = nullptr;
        for (HWND window : Created)
            if (IsWindow(window))
                DestroyWindow(window);
        Created.clear();
        Drain_Queue(); // the host's WM_DESTROY posts a quit message
        Reset_Host_State();
        UnregisterClassA(SaverClass, GetModuleHandleA(NULL));
    }

    HWND Create(const char *window_class, const char *title, HWND parent, DWORD style = WS_POPUP,
                int width = 200, int height = 100)
    {
        HWND window = CreateWindowExA(0, window_class, title, style | (parent ? WS_CHILD : 0), 0, 0,
                                      width, height, parent, NULL, GetModuleHandleA(NULL), NULL);
        Created.push_back(window);
        return window;
    }

    // A window of the host's procedure inside a parent, as in a preview.
    HWND Create_Preview_Child(HWND *parent)
    {
        *parent = Create(PlainClass, "Parent", NULL);
        return Create(HostedClass, "Preview", *parent, 0);
    }

    HWND Window = NULL;
    std::vector<HWND> Created;
};

// ---------------------------------------------------------------------------------------------
// ScreenSaverHostProc: what it consumes and what it hands to the saver.

TEST_F(CHostTest, HostProcedureConsumesOrPassesOnEachMessageByMode)
{
    enum EMode
    {
        FULL_SCREEN,
        PREVIEW,
        CLOSE_ACCEPTED,
        PREVIEW_CLOSE_ACCEPTED
    };
    struct Case
    {
        const char *Name;
        UINT Message;
        WPARAM WParam;
        EMode Mode;
        bool ReachesSaver;
    };
    const Case cases[] = {
        {"WM_SETTEXT", WM_SETTEXT, 0, FULL_SCREEN, false},
        {"WM_SETTEXT", WM_SETTEXT, 0, PREVIEW, false},
        {"WM_SYSCOMMAND SC_SCREENSAVE", WM_SYSCOMMAND, SC_SCREENSAVE, FULL_SCREEN, false},
        {"WM_SYSCOMMAND SC_NEXTWINDOW", WM_SYSCOMMAND, SC_NEXTWINDOW, FULL_SCREEN, false},
        {"WM_SYSCOMMAND SC_PREVWINDOW", WM_SYSCOMMAND, SC_PREVWINDOW, FULL_SCREEN, false},
        {"WM_SYSCOMMAND SC_SCREENSAVE", WM_SYSCOMMAND, SC_SCREENSAVE, PREVIEW, true},
        {"WM_SYSCOMMAND SC_NEXTWINDOW", WM_SYSCOMMAND, SC_NEXTWINDOW, PREVIEW, true},
        {"WM_SYSCOMMAND SC_PREVWINDOW", WM_SYSCOMMAND, SC_PREVWINDOW, PREVIEW, true},
        {"WM_HELP", WM_HELP, 0, FULL_SCREEN, true},
        {"WM_CONTEXTMENU", WM_CONTEXTMENU, 0, FULL_SCREEN, true},
        {"WM_TIMER", WM_TIMER, 7, FULL_SCREEN, true},
        {"WM_TIMER", WM_TIMER, 7, PREVIEW, true},
        {"WM_TIMER", WM_TIMER, 7, CLOSE_ACCEPTED, false},
        {"WM_PAINT", WM_PAINT, 0, FULL_SCREEN, true},
        {"WM_PAINT", WM_PAINT, 0, PREVIEW, true},
        {"WM_PAINT", WM_PAINT, 0, CLOSE_ACCEPTED, false},
        {"WM_PAINT", WM_PAINT, 0, PREVIEW_CLOSE_ACCEPTED, false},
        {"WM_KEYDOWN", WM_KEYDOWN, 'A', CLOSE_ACCEPTED, false},
        {"WM_SYSKEYDOWN", WM_SYSKEYDOWN, 'A', CLOSE_ACCEPTED, false},
        {"WM_MOUSEMOVE", WM_MOUSEMOVE, 0, CLOSE_ACCEPTED, false},
        {"WM_LBUTTONDOWN", WM_LBUTTONDOWN, MK_LBUTTON, CLOSE_ACCEPTED, false},
        {"WM_RBUTTONDOWN", WM_RBUTTONDOWN, MK_RBUTTON, CLOSE_ACCEPTED, false},
        {"WM_MBUTTONDOWN", WM_MBUTTONDOWN, MK_MBUTTON, CLOSE_ACCEPTED, false},
        {"WM_KEYDOWN", WM_KEYDOWN, 'A', PREVIEW, true},
        {"WM_LBUTTONDOWN", WM_LBUTTONDOWN, MK_LBUTTON, PREVIEW, true},
        {"WM_KEYUP", WM_KEYUP, 'A', CLOSE_ACCEPTED, true},
        {"WM_ERASEBKGND", WM_ERASEBKGND, 0, CLOSE_ACCEPTED, true},
    };
    const char *const mode_names[] = {"full screen", "preview", "close accepted",
                                      "preview, close accepted"};
    // Visible, so that it has something to paint.
    ShowWindow(Window, SW_SHOWNOACTIVATE);
    for (const Case &c : cases)
    {
        Received.clear();
        PreviewMode = c.Mode == PREVIEW || c.Mode == PREVIEW_CLOSE_ACCEPTED;
        CloseAccepted = c.Mode == CLOSE_ACCEPTED || c.Mode == PREVIEW_CLOSE_ACCEPTED;
        InvalidateRect(Window, NULL, FALSE);
        if (c.Message == WM_PAINT)
        {
            ASSERT_TRUE(GetUpdateRect(Window, NULL, FALSE));
        }
        LPARAM lparam = c.Message == WM_SETTEXT ? LPARAM("Changed") : 0;
        const LRESULT result = ScreenSaverHostProc(Window, c.Message, c.WParam, lparam);
        const std::string where = std::string(c.Name) + ", " + mode_names[c.Mode];
        EXPECT_EQ(c.ReachesSaver ? 1 : 0, Reached(c.Message)) << where;
        EXPECT_EQ(0, Posted_Closes(Window)) << where;
        if (!c.ReachesSaver)
        {
            EXPECT_EQ(0, result) << where;
        }
        if (c.Message == WM_SETTEXT)
        {
            char title[32] = "";
            GetWindowTextA(Window, title, sizeof(title));
            EXPECT_STREQ("Hosted", title) << where << ": the system saw the text";
        }
        if (c.Message == WM_PAINT)
        {
            EXPECT_FALSE(GetUpdateRect(Window, NULL, FALSE)) << where << ": painted anyway";
        }
    }
}

TEST_F(CHostTest, HelpAndContextMenuInThePreviewGoToTheParent)
{
    HWND parent = NULL;
    HWND preview = Create_Preview_Child(&parent);
    Drain_Queue();
    Received.clear();
    PreviewMode = true;
    SentHelp.clear();

    // The context menu is posted, at the point where it was asked for.
    EXPECT_EQ(1, ScreenSaverHostProc(preview, WM_CONTEXTMENU, WPARAM(preview), 0x00120034));
    EXPECT_EQ(0, Reached(WM_CONTEXTMENU));
    MSG forwarded = {};
    ASSERT_TRUE(PeekMessageA(&forwarded, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
    EXPECT_EQ(WPARAM(parent), forwarded.wParam) << "the parent's own handle";
    EXPECT_EQ(0x00120034, forwarded.lParam);
    EXPECT_EQ(0, Posted(preview, WM_CONTEXTMENU));

    // Help carries a pointer, which cannot be posted: the parent is sent it.
    HELPINFO info = {};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = 1234;
    info.hItemHandle = preview;
    info.MousePos = POINT{12, 34};
    EXPECT_EQ(1, ScreenSaverHostProc(preview, WM_HELP, 0, LPARAM(&info)));
    EXPECT_EQ(0, Reached(WM_HELP));
    ASSERT_EQ(1u, SentHelp.size());
    EXPECT_EQ(parent, SentHelp[0].Window);
    EXPECT_EQ(WPARAM(parent), SentHelp[0].WParam) << "the parent's own handle";
    EXPECT_EQ(1234, SentHelp[0].Info.iCtrlId);
    EXPECT_EQ(preview, SentHelp[0].Info.hItemHandle);
    EXPECT_EQ(34, SentHelp[0].Info.MousePos.y);
    EXPECT_EQ(0, Posted(parent, WM_HELP));

    // A preview window without a parent window: consumed all the same.
    EXPECT_EQ(1, ScreenSaverHostProc(Window, WM_HELP, 0, LPARAM(&info)));
    EXPECT_EQ(1, ScreenSaverHostProc(Window, WM_CONTEXTMENU, 0, 0));
    EXPECT_EQ(0, Reached(WM_HELP) + Reached(WM_CONTEXTMENU));
    EXPECT_EQ(1u, SentHelp.size());
}

TEST_F(CHostTest, CreationKeepsTheCursorAsReferenceAndHidesItInFullScreenOnly)
{
    for (bool preview : {false, true})
    {
        PreviewMode = preview;
        ASSERT_TRUE(SetCursorPos(321, 234));
        SetCursor(Arrow());
        Received.clear();
        HWND window = Create(HostedClass, "Created", NULL);
        ASSERT_NE(HWND(NULL), window);
        EXPECT_EQ(1, Reached(WM_CREATE)) << "preview " << preview;
        EXPECT_EQ(321, LastCursorPos.x);
        EXPECT_EQ(234, LastCursorPos.y);
        EXPECT_EQ(preview ? Arrow() : HCURSOR(NULL), GetCursor()) << "preview " << preview;
        DestroyWindow(window);
    }
}

TEST_F(CHostTest, InputContextIsDetachedWhileTheWindowLivesAndGivenBackAtItsEnd)
{
    HWND plain = Create(PlainClass, "Plain", NULL);
    HIMC plain_context = ImmGetContext(plain);
    ASSERT_NE(HIMC(NULL), plain_context) << "windows of this system have an input context";
    ImmReleaseContext(plain, plain_context);

    HWND window = Create(HostedClass, "Created", NULL);
    HIMC context = ImmGetContext(window);
    EXPECT_EQ(HIMC(NULL), context) << "detached at creation";
    if (context != NULL)
        ImmReleaseContext(window, context);

    Received.clear();
    ScreenSaverHostProc(window, WM_DESTROY, 0, 0);
    EXPECT_EQ(1, Reached(WM_DESTROY));
    context = ImmGetContext(window);
    EXPECT_NE(HIMC(NULL), context) << "given back at destruction";
    if (context != NULL)
        ImmReleaseContext(window, context);
    MSG quit = {};
    EXPECT_TRUE(PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, quit.wParam);
}

TEST_F(CHostTest, PaintHidesTheCursorInFullScreenOnly)
{
    for (bool preview : {false, true})
    {
        PreviewMode = preview;
        SetCursor(Arrow());
        ScreenSaverHostProc(Window, WM_PAINT, 0, 0);
        EXPECT_EQ(preview ? Arrow() : HCURSOR(NULL), GetCursor()) << "preview " << preview;
    }
}

// ---------------------------------------------------------------------------------------------
// DefScreenSaverProc: which messages end the saver, and when nothing does.

TEST_F(CHostTest, DefaultProcedurePostsCloseOnInputPowerAndDeactivation)
{
    struct Case
    {
        const char *Name;
        UINT Message;
        WPARAM WParam;
        bool Closes;
        LPARAM LParam = 0;
    };
    const Case cases[] = {
        {"WM_ACTIVATEAPP 0 (another program)", WM_ACTIVATEAPP, 0, true},
        {"WM_ACTIVATEAPP 1", WM_ACTIVATEAPP, 1, false},
        {"WM_POWER PWR_CRITICALRESUME", WM_POWER, 3, true},
        {"WM_POWER PWR_SUSPENDREQUEST", WM_POWER, 1, false},
        {"WM_POWER PWR_SUSPENDRESUME", WM_POWER, 2, false},
        {"WM_POWERBROADCAST", WM_POWERBROADCAST, 0x12, true},
        {"WM_POWERBROADCAST", WM_POWERBROADCAST, 0, true},
        {"WM_KEYDOWN", WM_KEYDOWN, 'A', true},
        {"WM_SYSKEYDOWN", WM_SYSKEYDOWN, 'A', true},
        {"WM_LBUTTONDOWN", WM_LBUTTONDOWN, MK_LBUTTON, true},
        {"WM_RBUTTONDOWN", WM_RBUTTONDOWN, MK_RBUTTON, true},
        {"WM_MBUTTONDOWN", WM_MBUTTONDOWN, MK_MBUTTON, true},
        {"WM_KEYUP", WM_KEYUP, 'A', false},
        {"WM_CHAR", WM_CHAR, 'a', false},
        {"WM_LBUTTONUP", WM_LBUTTONUP, 0, false},
        {"WM_SHOWWINDOW", WM_SHOWWINDOW, 1, false},
        {"WM_SETCURSOR", WM_SETCURSOR, 0, false, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)},
        {"WM_MOUSEMOVE without moving the cursor", WM_MOUSEMOVE, 0, false},
    };
    POINT cursor;
    GetCursorPos(&cursor);
    for (const Case &c : cases)
    {
        struct State
        {
            const char *Name;
            bool Preview, InDialog, Accepted;
        };
        for (const State &state :
             {State{"saving", false, false, false}, State{"preview", true, false, false},
              State{"password dialog", false, true, false},
              State{"close accepted", false, false, true}})
        {
            PreviewMode = state.Preview;
            InPasswordDialog = state.InDialog;
            CloseAccepted = state.Accepted;
            LastCursorPos = cursor;
            DefScreenSaverProc(Window, c.Message, c.WParam, c.LParam);
            const bool saving = !state.Preview && !state.InDialog && !state.Accepted;
            EXPECT_EQ(saving && c.Closes ? 1 : 0, Posted_Closes(Window))
                << c.Name << ", " << state.Name;
        }
    }
}

TEST_F(CHostTest, DefaultProcedureHidesTheCursorWhileSaving)
{
    struct Case
    {
        const char *Name;
        UINT Message;
        WPARAM WParam;
        LPARAM LParam;
        bool Hides;
    };
    const Case cases[] = {
        {"WM_SETCURSOR", WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), true},
        {"WM_SHOWWINDOW being shown", WM_SHOWWINDOW, 1, 0, true},
        {"WM_SHOWWINDOW being hidden", WM_SHOWWINDOW, 0, 0, false},
        {"WM_KEYUP", WM_KEYUP, 'A', 0, false},
    };
    for (const Case &c : cases)
    {
        for (bool in_dialog : {false, true})
        {
            InPasswordDialog = in_dialog;
            SetCursor(Arrow());
            const LRESULT result = DefScreenSaverProc(Window, c.Message, c.WParam, c.LParam);
            const bool hides = c.Hides && !in_dialog;
            EXPECT_EQ(hides ? HCURSOR(NULL) : Arrow(), GetCursor())
                << c.Name << (in_dialog ? ", password dialog" : "");
            if (c.Message == WM_SETCURSOR && hides)
            {
                EXPECT_EQ(1, result) << "handled, not left to the system";
            }
        }
    }
}

TEST_F(CHostTest, MouseEndsTheSaverOnlyBeyondFourPixelsFromTheReference)
{
    // Each step puts the cursor at (x, y), then the window sees a mouse move.
    struct Step
    {
        int X, Y;
        bool Closes;
        int ReferenceX, ReferenceY; // afterwards
    };
    const Step steps[] = {
        {403, 301, false, 400, 300}, // 3 right, 1 down: 4 in total
        {404, 300, false, 400, 300}, // 4 right
        {400, 296, false, 400, 300}, // 4 up
        {398, 302, false, 400, 300}, // small moves add up against the same reference
        {396, 300, false, 400, 300},
        {404, 301, true, 404, 301}, // 5 in total: ends it, and the reference follows
        {407, 302, false, 404, 301},
        {399, 301, true, 399, 301}, // 5 left
        {399, 306, true, 399, 306}, // 5 down
        {402, 304, true, 402, 304}, // 3 right, 2 up
    };
    ASSERT_TRUE(SetCursorPos(400, 300));
    LastCursorPos = POINT{400, 300};
    for (const Step &step : steps)
    {
        ASSERT_TRUE(SetCursorPos(step.X, step.Y));
        POINT now;
        GetCursorPos(&now);
        ASSERT_EQ(step.X, now.x) << "the cursor did not go where it was put";
        ASSERT_EQ(step.Y, now.y);
        // The message's own position is a decoy: the cursor is what counts.
        DefScreenSaverProc(Window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(step.Closes ? 1 : 0, Posted_Closes(Window)) << step.X << "," << step.Y;
        EXPECT_EQ(step.ReferenceX, LastCursorPos.x) << step.X << "," << step.Y;
        EXPECT_EQ(step.ReferenceY, LastCursorPos.y) << step.X << "," << step.Y;
    }
    // Far away, but not while a password is asked for or in the preview.
    for (int state = 0; state < 2; ++state)
    {
        InPasswordDialog = state == 0;
        PreviewMode = state == 1;
        ASSERT_TRUE(SetCursorPos(200, 200));
        DefScreenSaverProc(Window, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(0, Posted_Closes(Window)) << state;
        EXPECT_EQ(402, LastCursorPos.x) << state;
    }
}

TEST_F(CHostTest, AutoPlayQueryEndsTheSaverInEveryMode)
{
    const UINT auto_play = RegisterWindowMessageA("QueryCancelAutoPlay");
    ASSERT_NE(0u, auto_play);
    // Not known to the host (the NT family): an ordinary message.
    EXPECT_EQ(0, DefScreenSaverProc(Window, auto_play, 0, 0));
    EXPECT_EQ(0, Posted_Closes(Window));

    AutoPlayMessage = auto_play;
    for (int state = 0; state < 4; ++state)
    {
        PreviewMode = state == 1;
        InPasswordDialog = state == 2;
        CloseAccepted = state == 3;
        EXPECT_EQ(0, DefScreenSaverProc(Window, auto_play, 0, 0))
            << "no verifier: AutoPlay is not cancelled; state " << state;
        EXPECT_EQ(1, Posted_Closes(Window)) << "state " << state;
    }
}

// ---------------------------------------------------------------------------------------------
// The password verifier of the Windows 95 family.

class CPasswordTest : public CHostTest
{
protected:
    void SetUp() override
    {
        CHostTest::SetUp();
        Windows9xPlatform = true;
        Tell_System_No_Saver_Runs();
        SetDllDirectoryA(PASSWORD_CPL_DIRECTORY);
        char temporary[MAX_PATH];
        GetTempPathA(sizeof(temporary), temporary);
        char directory[MAX_PATH];
        snprintf(directory, sizeof(directory), "%squillomar-verifier-%lu", temporary,
                 GetCurrentProcessId());
        Directory = directory;
        CreateDirectoryA(Directory.c_str(), NULL);
        SetEnvironmentVariableA("QUILLOMAR_TEST_VERIFIER", Directory.c_str());
        DeleteFileA(File("calls").c_str());
        Answer("refuse");
        Set_Password_Option(REG_DWORD, "\x01\x00\x00\x00", 4);
    }

    void TearDown() override
    {
        CHostTest::TearDown();
        Tell_System_No_Saver_Runs();
        SetDllDirectoryA(NULL);
        DeleteFileA(File("calls").c_str());
        DeleteFileA(File("answer").c_str());
        RemoveDirectoryA(Directory.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Control Panel");
    }

    std::string File(const char *name) const { return Directory + "\\" + name; }

    void Answer(const char *words) const
    {
        FILE *answer = fopen(File("answer").c_str(), "w");
        ASSERT_NE(nullptr, answer);
        fputs(words, answer);
        fclose(answer);
    }

    int Verifier_Calls() const
    {
        FILE *calls = fopen(File("calls").c_str(), "r");
        if (calls == NULL)
            return 0;
        int count = 0;
        char line[256];
        while (fgets(line, sizeof(line), calls) != NULL)
            ++count;
        fclose(calls);
        return count;
    }

    // Written as the control panel writes it; a null type removes the value.
    static void Set_Password_Option(DWORD type, const char *data, DWORD size)
    {
        HKEY desktop = NULL;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop));
        if (type == REG_NONE)
            RegDeleteValueA(desktop, "ScreenSaveUsePassword");
        else
            RegSetValueExA(desktop, "ScreenSaveUsePassword", 0, type,
                           reinterpret_cast<const BYTE *>(data), size);
        RegCloseKey(desktop);
    }

    std::string Directory;
};

TEST_F(CPasswordTest, VerifierIsLoadedOnlyWithThePasswordOptionOnTheWindows95Family)
{
    struct Case
    {
        const char *Name;
        bool Windows9x;
        DWORD Type;
        const char *Data;
        DWORD Size;
        bool Loaded;
    };
    const Case cases[] = {
        {"DWORD 1", true, REG_DWORD, "\x01\x00\x00\x00", 4, true},
        {"binary 01 00 00 00", true, REG_BINARY, "\x01\x00\x00\x00", 4, true},
        {"DWORD 0x100", true, REG_DWORD, "\x00\x01\x00\x00", 4, true},
        {"DWORD 0", true, REG_DWORD, "\x00\x00\x00\x00", 4, false},
        {"no value", true, REG_NONE, "", 0, false},
        {"eight bytes: unreadable in four", true, REG_BINARY, "\x01\x00\x00\x00\x00\x00\x00\x00", 8,
         false},
        {"NT family, DWORD 1", false, REG_DWORD, "\x01\x00\x00\x00", 4, false},
    };
    for (const Case &c : cases)
    {
        Windows9xPlatform = c.Windows9x;
        Set_Password_Option(c.Type, c.Data, c.Size);
        LoadPasswordVerifier();
        EXPECT_EQ(c.Loaded, PasswordModule != NULL) << c.Name;
        EXPECT_EQ(c.Loaded, System_Told_Saver_Runs() != FALSE) << c.Name;
        Windows9xPlatform = true;
        UnloadPasswordVerifier();
        EXPECT_EQ(HMODULE(NULL), PasswordModule) << c.Name;
        EXPECT_FALSE(System_Told_Saver_Runs()) << c.Name << ": told when unloaded";
    }
}

TEST_F(CPasswordTest, ModuleWithoutTheVerifierIsLetGo)
{
    // The tests' network provider under the verifier's name: it has no VerifyScreenSavePwd.
    const std::string impostor_directory = Directory + "\\impostor";
    CreateDirectoryA(impostor_directory.c_str(), NULL);
    const std::string impostor = impostor_directory + "\\PASSWORD.CPL";
    ASSERT_TRUE(CopyFileA(PASSWORD_CPL_DIRECTORY "\\MPR.DLL", impostor.c_str(), FALSE));
    SetDllDirectoryA(impostor_directory.c_str());
    LoadPasswordVerifier();
    EXPECT_EQ(HMODULE(NULL), PasswordModule);
    EXPECT_FALSE(System_Told_Saver_Runs());
    Received.clear();
    EXPECT_TRUE(VerifySaverPassword(Window)) << "no verifier: the first close is accepted";
    EXPECT_TRUE(CloseAccepted);
    EXPECT_EQ(0, Reached(SAVER_MSG_VERIFY_PASSWORD));
    DeleteFileA(impostor.c_str());
    RemoveDirectoryA(impostor_directory.c_str());
}

TEST_F(CPasswordTest, VerificationAsksTheVerifierUnlessTooSoonOrAlreadyDecided)
{
    struct Case
    {
        const char *Name;
        const char *Answer;
        bool InDialog, Accepted;
        DWORD SinceLastVerification; // milliseconds; all bits set: none yet
        bool Asks;
        BOOL Result;
    };
    const Case cases[] = {
        {"accepted", "accept", false, false, 0xFFFFFFFF, true, TRUE},
        {"refused", "refuse", false, false, 0xFFFFFFFF, true, FALSE},
        {"just after a verification", "accept", false, false, 0, false, FALSE},
        {"200 ms after one", "accept", false, false, 200, true, TRUE},
        {"long after one", "accept", false, false, 0x80000000, true, TRUE},
        {"during a verification", "accept", true, false, 0xFFFFFFFF, false, FALSE},
        {"once accepted", "accept", false, true, 0xFFFFFFFF, false, FALSE},
    };
    LoadPasswordVerifier();
    ASSERT_NE(HMODULE(NULL), PasswordModule);
    for (const Case &c : cases)
    {
        Answer(c.Answer);
        DeleteFileA(File("calls").c_str());
        Received.clear();
        InPasswordDialog = c.InDialog;
        CloseAccepted = c.Accepted;
        const DWORD before = GetTickCount();
        LastVerifyTick =
            c.SinceLastVerification == 0xFFFFFFFF ? 0xFFFFFFFF : before - c.SinceLastVerification;
        SetCursor(Arrow());
        EXPECT_EQ(c.Result, VerifySaverPassword(Window)) << c.Name;
        EXPECT_EQ(c.Asks ? 1 : 0, Verifier_Calls()) << c.Name;
        EXPECT_EQ(c.Accepted || c.Result, CloseAccepted) << c.Name;
        EXPECT_FALSE(InPasswordDialog && !c.InDialog) << c.Name << ": left set";
        if (!c.Asks)
            continue;
        ASSERT_EQ(1, Reached(SAVER_MSG_VERIFY_PASSWORD)) << c.Name;
        EXPECT_TRUE(Received[0].DuringVerification) << c.Name << ": asked outside the dialog";
        EXPECT_LE(DWORD(LastVerifyTick - before), GetTickCount() - before)
            << c.Name << ": the time of this verification is kept";
        // The verifier shows its cursor; a refusal hides it again.
        EXPECT_EQ(c.Result ? Arrow() : HCURSOR(NULL), GetCursor()) << c.Name;
        CloseAccepted = false;
    }
}

TEST_F(CPasswordTest, VerificationDropsTwoPendingTimerMessages)
{
    LoadPasswordVerifier();
    for (UINT_PTR id = 1; id <= 3; ++id)
        PostMessageA(Window, WM_TIMER, id, 0);
    EXPECT_FALSE(VerifySaverPassword(Window));
    EXPECT_EQ(1, Posted(Window, WM_TIMER));
}

TEST_F(CPasswordTest, CloseRequestIsVerifiedOnTheWindows95FamilyOnly)
{
    struct Case
    {
        const char *Name;
        bool Windows9x, Preview;
        const char *Answer;
        bool Asks, Closes;
    };
    const Case cases[] = {
        {"refused", true, false, "refuse", true, false},
        {"accepted", true, false, "accept", true, true},
        {"NT family", false, false, "refuse", false, true},
        {"preview", true, true, "refuse", false, true},
    };
    LoadPasswordVerifier();
    ASSERT_NE(HMODULE(NULL), PasswordModule);
    for (const Case &c : cases)
    {
        HWND window = Create(HostedClass, "Closing", NULL);
        Drain_Queue();
        Windows9xPlatform = c.Windows9x;
        PreviewMode = c.Preview;
        CloseAccepted = false;
        LastVerifyTick = 0xFFFFFFFF;
        LastCursorPos = POINT{0, 0};
        ASSERT_TRUE(SetCursorPos(345, 123));
        Answer(c.Answer);
        DeleteFileA(File("calls").c_str());
        const LRESULT result = DefScreenSaverProc(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(c.Asks ? 1 : 0, Verifier_Calls()) << c.Name;
        EXPECT_EQ(!c.Closes, IsWindow(window) != FALSE) << c.Name;
        if (!c.Closes)
        {
            EXPECT_EQ(0, result) << c.Name;
            EXPECT_EQ(345, LastCursorPos.x) << c.Name << ": the reference is the cursor now";
            EXPECT_EQ(123, LastCursorPos.y) << c.Name;
        }
        Drain_Queue();
    }
    Windows9xPlatform = true;
}

TEST_F(CPasswordTest, VerificationMessageAnswersWithTheVerifiersResult)
{
    struct Case
    {
        const char *Name;
        bool Windows9x, Loaded;
        const char *Answer;
        LRESULT Result;
        bool Asks;
    };
    const Case cases[] = {
        {"accepting verifier", true, true, "accept", 1, true},
        {"refusing verifier", true, true, "refuse", 0, true},
        {"no verifier", true, false, "refuse", 1, false},
        {"NT family: an ordinary message", false, true, "accept", 0, false},
    };
    for (const Case &c : cases)
    {
        Windows9xPlatform = true;
        if (c.Loaded)
            LoadPasswordVerifier();
        else
            UnloadPasswordVerifier();
        Windows9xPlatform = c.Windows9x;
        Answer(c.Answer);
        DeleteFileA(File("calls").c_str());
        EXPECT_EQ(c.Result, DefScreenSaverProc(Window, SAVER_MSG_VERIFY_PASSWORD, 0, 0)) << c.Name;
        EXPECT_EQ(c.Asks ? 1 : 0, Verifier_Calls()) << c.Name;
    }
    Windows9xPlatform = true;
}

TEST_F(CPasswordTest, AutoPlayIsCancelledWhileAVerifierIsLoaded)
{
    LoadPasswordVerifier();
    ASSERT_NE(HMODULE(NULL), PasswordModule);
    AutoPlayMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
    EXPECT_EQ(1, DefScreenSaverProc(Window, AutoPlayMessage, 0, 0));
    EXPECT_EQ(1, Posted_Closes(Window));
    EXPECT_EQ(0, Verifier_Calls());
}

// ---------------------------------------------------------------------------------------------
// RunSaverWindow: the two shapes and the message loop.

struct CCreation
{
    CREATESTRUCTA Parameters;
    std::string Title;
    bool VerifierLoaded;
    bool SystemToldSaverRuns;
    UINT AutoPlay;
};

// Posted by a test to a preview: its handler destroys the preview's parent, as the control
// panel does when it closes.
const UINT ParentGoes = WM_APP + 1;

class CRunTest : public CPasswordTest
{
protected:
    // Records the saver window's creation; the test's reaction ends the run.
    void Record_Creation(std::function<void(HWND)> then)
    {
        OnMessage = [this, then](HWND window, UINT message, WPARAM, LPARAM lparam)
        {
            if (message == ParentGoes)
                DestroyWindow(GetParent(window));
            if (message != WM_CREATE)
                return;
            const CREATESTRUCTA *parameters = reinterpret_cast<CREATESTRUCTA *>(lparam);
            Creation.Parameters = *parameters;
            Creation.Title = parameters->lpszName != NULL ? parameters->lpszName : "";
            Creation.VerifierLoaded = PasswordModule != NULL;
            Creation.SystemToldSaverRuns = System_Told_Saver_Runs() != FALSE;
            Creation.AutoPlay = AutoPlayMessage;
            ++Creations;
            then(window);
        };
    }

    CCreation Creation = {};
    int Creations = 0;
};

TEST_F(CRunTest, FullScreenIsATopmostPopupOverTheScreenThatAKeyEnds)
{
    Windows9xPlatform = false;
    HWND foreground_at_key = NULL;
    Record_Creation([](HWND window) { PostMessageA(window, WM_KEYDOWN, 'A', 0); });
    auto record_creation = OnMessage;
    OnMessage = [&](HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_KEYDOWN)
            foreground_at_key = GetForegroundWindow();
        record_creation(window, message, wparam, lparam);
    };
    EXPECT_EQ(0, RunSaverWindow(NULL));
    ASSERT_EQ(1, Creations);
    const CREATESTRUCTA &created = Creation.Parameters;
    EXPECT_EQ(DWORD(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              DWORD(created.style));
    EXPECT_EQ(DWORD(WS_EX_TOPMOST), created.dwExStyle);
    EXPECT_EQ(0, created.x);
    EXPECT_EQ(0, created.y);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), created.cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), created.cy);
    EXPECT_EQ(HWND(NULL), created.hwndParent);
    EXPECT_EQ("Screen Saver", Creation.Title);
    EXPECT_EQ(MainWindow, foreground_at_key) << "brought to the foreground";
    EXPECT_FALSE(IsWindow(MainWindow)) << "destroyed by the close";
    EXPECT_EQ(0u, Creation.AutoPlay) << "registered on the Windows 95 family only";
}

TEST_F(CRunTest, SaverWindowClassIsTheSystemsOwn)
{
    Windows9xPlatform = false;
    WNDCLASSA registered = {};
    Record_Creation(
        [&registered](HWND window)
        {
            GetClassInfoA(GetModuleHandleA(NULL), SaverClass, &registered);
            PostMessageA(window, WM_KEYDOWN, 'A', 0);
        });
    EXPECT_EQ(0, RunSaverWindow(NULL));
    EXPECT_EQ(UINT(CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW), registered.style);
    EXPECT_EQ(0x2Bu, registered.style);
    EXPECT_EQ(WNDPROC(ScreenSaverHostProc), registered.lpfnWndProc);
    EXPECT_EQ(0, registered.cbClsExtra);
    EXPECT_EQ(0, registered.cbWndExtra);
    EXPECT_EQ(HICON(NULL), registered.hIcon);
    EXPECT_EQ(HCURSOR(NULL), registered.hCursor);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), registered.hbrBackground);
    EXPECT_EQ(nullptr, registered.lpszMenuName);
}

TEST_F(CRunTest, PreviewFillsItsParentIgnoresInputAndEndsWithIt)
{
    HWND parent = Create(PlainClass, "Control panel", NULL, WS_POPUP, 152, 112);
    Record_Creation(
        [](HWND window)
        {
            PostMessageA(window, WM_KEYDOWN, 'A', 0);
            PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            PostMessageA(window, ParentGoes, 0, 0);
        });
    EXPECT_EQ(0, RunSaverWindow(parent));
    ASSERT_EQ(1, Creations);
    EXPECT_TRUE(PreviewMode);
    EXPECT_EQ(1, Reached(WM_KEYDOWN));
    EXPECT_EQ(1, Reached(ParentGoes)) << "the input did not end it before its parent did";
    EXPECT_FALSE(IsWindow(parent));
    const CREATESTRUCTA &created = Creation.Parameters;
    EXPECT_EQ(DWORD(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN), DWORD(created.style));
    EXPECT_EQ(0u, created.dwExStyle);
    EXPECT_EQ(0, created.x);
    EXPECT_EQ(0, created.y);
    EXPECT_EQ(152, created.cx);
    EXPECT_EQ(112, created.cy);
    EXPECT_EQ(parent, created.hwndParent);
    EXPECT_EQ("Preview", Creation.Title);
}

TEST_F(CRunTest, SecondFullScreenSaverLeavesTheFirstOne)
{
    WNDCLASSA running_class = {};
    running_class.lpfnWndProc = DefWindowProcA;
    running_class.hInstance = GetModuleHandleA(NULL);
    running_class.lpszClassName = SaverClass;
    ASSERT_TRUE(RegisterClassA(&running_class));
    HWND running = Create(SaverClass, "Screen Saver", NULL);
    ASSERT_NE(HWND(NULL), running);
    Record_Creation([](HWND) {});
    EXPECT_EQ(0, RunSaverWindow(NULL));
    EXPECT_EQ(0, Creations);
    EXPECT_EQ(HWND(NULL), MainWindow);
    EXPECT_EQ(0, Verifier_Calls());

    // A preview is no running saver; with the class taken, no window can be made.
    SetWindowTextA(running, "Preview");
    EXPECT_NE(0, RunSaverWindow(NULL));
    EXPECT_EQ(0, Creations);
    EXPECT_EQ(HMODULE(NULL), PasswordModule) << "unloaded when no window could be made";
}

TEST_F(CRunTest, Windows95FamilyLoadsTheVerifierForFullScreenAndListensForAutoPlay)
{
    const UINT auto_play = RegisterWindowMessageA("QueryCancelAutoPlay");
    struct Case
    {
        const char *Name;
        bool Windows9x, Preview;
        bool Loaded;
        UINT AutoPlay;
    };
    const Case cases[] = {
        {"Windows 95 family, full screen", true, false, true, auto_play},
        {"Windows 95 family, preview", true, true, false, auto_play},
        {"NT family, full screen", false, false, false, 0},
    };
    for (const Case &c : cases)
    {
        DeleteFileA(File("calls").c_str());
        UnregisterClassA(SaverClass, GetModuleHandleA(NULL));
        Windows9xPlatform = c.Windows9x;
        PreviewMode = false;
        CloseAccepted = false;
        AutoPlayMessage = 0;
        Creations = 0;
        HWND parent = NULL;
        if (c.Preview)
            parent = Create(PlainClass, "Control panel", NULL, WS_POPUP, 152, 112);
        // The saver ends on a key (accepted: no verifier is asked for, or it accepts) or with
        // its parent.
        Answer("accept");
        Record_Creation(
            [parent](HWND window)
            { PostMessageA(window, parent != NULL ? ParentGoes : WM_KEYDOWN, 'A', 0); });
        EXPECT_EQ(0, RunSaverWindow(parent)) << c.Name;
        ASSERT_EQ(1, Creations) << c.Name;
        EXPECT_EQ(c.Loaded, Creation.VerifierLoaded) << c.Name;
        EXPECT_EQ(c.Loaded, Creation.SystemToldSaverRuns) << c.Name;
        EXPECT_EQ(c.AutoPlay, Creation.AutoPlay) << c.Name;
        EXPECT_EQ(HMODULE(NULL), PasswordModule) << c.Name << ": unloaded at the end";
        EXPECT_FALSE(System_Told_Saver_Runs()) << c.Name;
        EXPECT_EQ(c.Loaded ? 1 : 0, Verifier_Calls()) << c.Name;
    }
}

} // namespace

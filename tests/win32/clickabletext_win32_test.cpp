// CClickableText on a real dialog under Wine: the link's cursor, colours, font, hit test and
// launch, driven through the messages its dialog forwards, with the real mouse position.
#include "clickabletext.h"

#include "url_scheme.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

const int DialogId = 100;
const int FirstLinkId = 201;
const int SecondLinkId = 202;
const int PlainTextId = 203;
const int MissingId = 299;

CClickableText FirstLink;
CClickableText SecondLink;

// Forwards to the links as the Introduction page does.
INT_PTR CALLBACK Link_Dialog(HWND, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
        case WM_INITDIALOG:
            return TRUE;
        case WM_SETCURSOR:
            return FirstLink.On_Set_Cursor() || SecondLink.On_Set_Cursor() ? TRUE : FALSE;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lparam) == FirstLink.Get_HWnd())
                return reinterpret_cast<INT_PTR>(FirstLink.On_Ctl_Color(HDC(wparam)));
            if (reinterpret_cast<HWND>(lparam) == SecondLink.Get_HWnd())
                return reinterpret_cast<INT_PTR>(SecondLink.On_Ctl_Color(HDC(wparam)));
            return FALSE;
    }
    return FALSE;
}

void Pump_Messages()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

RECT Window_Rect(HWND window)
{
    RECT rectangle = {};
    GetWindowRect(window, &rectangle);
    return rectangle;
}

POINT Hotspot_Of(HCURSOR cursor)
{
    ICONINFO info = {};
    POINT hotspot = {-1, -1};
    if (cursor != NULL && GetIconInfo(cursor, &info))
    {
        hotspot.x = LONG(info.xHotspot);
        hotspot.y = LONG(info.yHotspot);
        DeleteObject(info.hbmMask);
        if (info.hbmColor != NULL)
            DeleteObject(info.hbmColor);
    }
    return hotspot;
}

LOGFONTA Description_Of(HGDIOBJ font)
{
    LOGFONTA description = {};
    GetObjectA(font, sizeof(description), &description);
    return description;
}

std::string Windows_Directory_File(const char *name)
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, sizeof(directory));
    return std::string(directory) + "\\" + name;
}

std::string Own_Directory_File(const char *name)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + name;
}

// A visible dialog at a known place for the whole suite (a top-level window takes Wine seconds
// to go), its two links attached for each test and let go afterwards.
class ClickableTextWin32 : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(DialogId), NULL,
                                    Link_Dialog, 0);
        SetWindowPos(Dialog, HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        Pump_Messages();
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(Dialog);
        Dialog = NULL;
    }

    void SetUp() override
    {
        ASSERT_NE(nullptr, Dialog);
        FirstLink.Attach(Dialog, FirstLinkId);
        SecondLink.Attach(Dialog, SecondLinkId);
    }

    void TearDown() override
    {
        for (CClickableText *link : {&FirstLink, &SecondLink})
        {
            link->Destroy_Cursor();
            link->Destroy_Font();
            link->HWnd = NULL;
            link->ParentHWnd = NULL;
        }
    }

    // Puts the mouse at a point and lets the system catch up with it.
    static void Move_Mouse(LONG x, LONG y)
    {
        SetCursorPos(x, y);
        Pump_Messages();
    }

    static HWND Dialog;
};

HWND ClickableTextWin32::Dialog = NULL;

TEST(ClickableTextConstruction, StartsEmptyAndDestroysNothing)
{
    CClickableText link;
    EXPECT_STREQ("", link.Url);
    EXPECT_EQ(nullptr, link.Get_HWnd());
    EXPECT_EQ(nullptr, link.ParentHWnd);
    EXPECT_EQ(nullptr, link.HandCursor);
    link.Destroy_Cursor(); // a cursor never loaded: nothing to do, any number of times
    link.Destroy_Cursor();
    link.Destroy_Font();
    EXPECT_EQ(nullptr, link.HandCursor);
}

TEST(ClickableTextUrl, StoresUpTo999CharactersWhole)
{
    const struct
    {
        size_t Length;
    } cases[] = {{0}, {1}, {500}, {998}, {999}};
    for (const auto &c : cases)
    {
        CClickableText link;
        const std::string url(c.Length, 'u');
        link.Set_Url(url.c_str());
        EXPECT_EQ(url, link.Url) << c.Length;
    }
}

TEST(ClickableTextUrl, ATooLongOrMissingUrlEndsTheProcess)
{
    CClickableText link;
    const std::string too_long(1000, 'u');
    EXPECT_EXIT(link.Set_Url(too_long.c_str()), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(link.Set_Url(nullptr), ::testing::ExitedWithCode(1), "");
}

TEST(ClickableTextUrl, LaunchingAnEmptyUrlEndsTheProcess)
{
    CClickableText link;
    EXPECT_EXIT(link.Launch(), ::testing::ExitedWithCode(1), "");
}

TEST_F(ClickableTextWin32, AttachFindsTheControlAndCopiesTheSystemsHand)
{
    EXPECT_EQ(Dialog, FirstLink.ParentHWnd);
    EXPECT_EQ(GetDlgItem(Dialog, FirstLinkId), FirstLink.Get_HWnd());
    EXPECT_EQ(GetDlgItem(Dialog, SecondLinkId), SecondLink.Get_HWnd());
    // No help viewer in this system: each link has its own copy of the system's hand.
    HCURSOR system_hand = LoadCursorA(NULL, MAKEINTRESOURCEA(32649));
    ASSERT_NE(nullptr, system_hand);
    ASSERT_NE(nullptr, FirstLink.HandCursor);
    ASSERT_NE(nullptr, SecondLink.HandCursor);
    EXPECT_NE(system_hand, FirstLink.HandCursor);
    EXPECT_NE(FirstLink.HandCursor, SecondLink.HandCursor);
    const POINT expected = Hotspot_Of(system_hand);
    const POINT hotspot = Hotspot_Of(FirstLink.HandCursor);
    EXPECT_EQ(expected.x, hotspot.x);
    EXPECT_EQ(expected.y, hotspot.y);
}

TEST_F(ClickableTextWin32, DestroyingOneLinksCursorLeavesTheOther)
{
    HCURSOR second = SecondLink.HandCursor;
    FirstLink.Destroy_Cursor();
    EXPECT_EQ(nullptr, FirstLink.HandCursor);
    EXPECT_EQ(second, SecondLink.HandCursor);
    EXPECT_GE(Hotspot_Of(second).x, 0) << "the other copy still works";
    FirstLink.Destroy_Cursor();
    EXPECT_EQ(nullptr, FirstLink.HandCursor);
}

TEST_F(ClickableTextWin32, AttachFailuresEndTheProcess)
{
    CClickableText link;
    EXPECT_EXIT(link.Attach(NULL, FirstLinkId), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(link.Attach(Dialog, MissingId), ::testing::ExitedWithCode(1), "");
    // Attached twice in one showing: its cursor would leak.
    EXPECT_EXIT(FirstLink.Attach(Dialog, FirstLinkId), ::testing::ExitedWithCode(1), "");
}

TEST_F(ClickableTextWin32, TheControlDrawsWithItsOwnFontUnderlinedUntilTheFontGoes)
{
    HWND control = FirstLink.Get_HWnd();
    HWND plain = GetDlgItem(Dialog, PlainTextId);
    HFONT dialog_font = reinterpret_cast<HFONT>(SendMessageA(plain, WM_GETFONT, 0, 0));
    HFONT link_font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, dialog_font);
    ASSERT_NE(nullptr, link_font);
    EXPECT_EQ(FirstLink.UnderlinedFont, link_font);
    EXPECT_NE(SecondLink.UnderlinedFont, link_font) << "one font per link";
    const LOGFONTA base = Description_Of(dialog_font);
    const LOGFONTA underlined = Description_Of(link_font);
    EXPECT_FALSE(base.lfUnderline);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_STREQ(base.lfFaceName, underlined.lfFaceName);
    EXPECT_EQ(base.lfHeight, underlined.lfHeight);
    EXPECT_EQ(base.lfWeight, underlined.lfWeight);

    FirstLink.Destroy_Font();
    EXPECT_EQ(nullptr, FirstLink.UnderlinedFont);
    EXPECT_EQ(dialog_font, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)))
        << "the control has its own font back";
    EXPECT_EQ(0u, GetObjectType(link_font)) << "the underlined font is deleted";
}

TEST_F(ClickableTextWin32, ColoursAreBlueOnATransparentBackgroundWithOneFontForEveryRepaint)
{
    HWND control = FirstLink.Get_HWnd();
    HDC hdc = GetDC(control);
    ASSERT_NE(nullptr, hdc);
    HGDIOBJ original =
        SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    HFONT made_once = FirstLink.UnderlinedFont;
    ASSERT_NE(nullptr, made_once);
    for (int repaint = 0; repaint < 50; ++repaint)
    {
        SetTextColor(hdc, RGB(1, 2, 3));
        SetBkMode(hdc, OPAQUE);
        const LRESULT brush = SendMessageA(Dialog, WM_CTLCOLORSTATIC, WPARAM(hdc), LPARAM(control));
        ASSERT_EQ(reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENU)), brush);
        EXPECT_EQ(RGB(0, 0, 255), GetTextColor(hdc));
        EXPECT_EQ(TRANSPARENT, GetBkMode(hdc));
        ASSERT_EQ(made_once, GetCurrentObject(hdc, OBJ_FONT)) << repaint;
        ASSERT_EQ(made_once, FirstLink.UnderlinedFont) << repaint;
    }
    // The dialog leaves other texts to the system's colours.
    SetTextColor(hdc, RGB(1, 2, 3));
    const LRESULT plain = SendMessageA(Dialog, WM_CTLCOLORSTATIC, WPARAM(hdc),
                                       LPARAM(GetDlgItem(Dialog, PlainTextId)));
    EXPECT_NE(reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENU)), plain);
    EXPECT_NE(RGB(0, 0, 255), GetTextColor(hdc));
    SelectObject(hdc, original);
    ReleaseDC(control, hdc);
}

TEST(ClickableTextColours, WithoutAttachTheSelectedFontIsUnderlinedOnce)
{
    CClickableText link;
    HDC hdc = CreateCompatibleDC(NULL);
    HFONT base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ original = SelectObject(hdc, base);
    link.On_Ctl_Color(hdc);
    HGDIOBJ first = GetCurrentObject(hdc, OBJ_FONT);
    EXPECT_NE(base, first);
    EXPECT_TRUE(Description_Of(first).lfUnderline);
    SelectObject(hdc, base);
    link.On_Ctl_Color(hdc);
    EXPECT_EQ(first, GetCurrentObject(hdc, OBJ_FONT)) << "made once, not per repaint";
    SelectObject(hdc, original);
    DeleteDC(hdc);
    link.Destroy_Font();
    EXPECT_EQ(0u, GetObjectType(first));
}

// Screen positions relative to the control's window rectangle and whether they count as over
// it: left and top edges inside, right and bottom edges outside.
TEST_F(ClickableTextWin32, TheWholeRectangleCountsAndOnlyIt)
{
    const RECT r = Window_Rect(FirstLink.Get_HWnd());
    ASSERT_GT(r.right - r.left, 40);
    const struct
    {
        const char *Where;
        LONG X;
        LONG Y;
        bool Over;
    } cases[] = {
        {"top-left corner", r.left, r.top, true},
        {"bottom-right pixel", r.right - 1, r.bottom - 1, true},
        {"left of the centred text", r.left + 2, (r.top + r.bottom) / 2, true},
        {"middle", (r.left + r.right) / 2, (r.top + r.bottom) / 2, true},
        {"right edge", r.right, r.top, false},
        {"bottom edge", r.left, r.bottom, false},
        {"left of it", r.left - 1, r.top, false},
        {"above it", r.left, r.top - 1, false},
    };
    for (const auto &c : cases)
    {
        Move_Mouse(c.X, c.Y);
        POINT position = {};
        GetCursorPos(&position);
        ASSERT_EQ(c.X, position.x) << c.Where;
        ASSERT_EQ(c.Y, position.y) << c.Where;
        EXPECT_EQ(c.Over, FirstLink.Is_Cursor_Over()) << c.Where;
    }
}

TEST_F(ClickableTextWin32, OverALinkTheDialogSetsTheLinksHand)
{
    const RECT first = Window_Rect(FirstLink.Get_HWnd());
    const RECT second = Window_Rect(SecondLink.Get_HWnd());
    const RECT plain = Window_Rect(GetDlgItem(Dialog, PlainTextId));
    const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    const struct
    {
        const char *Where;
        POINT At;
        HCURSOR Hand; // NULL: the dialog's own cursor, no hand
    } cases[] = {
        {"first link", {first.left + 1, first.top + 1}, FirstLink.HandCursor},
        {"second link", {second.right - 2, second.bottom - 2}, SecondLink.HandCursor},
        {"plain text", {plain.left + 1, plain.top + 1}, NULL},
    };
    for (const auto &c : cases)
    {
        Move_Mouse(c.At.x, c.At.y);
        SetCursor(NULL);
        SetWindowLongPtrA(Dialog, DWLP_MSGRESULT, 0);
        const LRESULT result = SendMessageA(Dialog, WM_SETCURSOR, WPARAM(Dialog), hit);
        if (c.Hand != NULL)
        {
            EXPECT_EQ(TRUE, result) << c.Where;
            EXPECT_EQ(c.Hand, GetCursor()) << c.Where;
            EXPECT_EQ(TRUE, GetWindowLongPtrA(Dialog, DWLP_MSGRESULT)) << c.Where;
        }
        else
        {
            EXPECT_NE(FirstLink.HandCursor, GetCursor()) << c.Where;
            EXPECT_NE(SecondLink.HandCursor, GetCursor()) << c.Where;
            EXPECT_NE(nullptr, GetCursor()) << c.Where << ": the system set the dialog's cursor";
        }
    }
}

TEST_F(ClickableTextWin32, WithoutAHandCursorTheLinkLeavesTheCursorAlone)
{
    const RECT first = Window_Rect(FirstLink.Get_HWnd());
    Move_Mouse(first.left + 1, first.top + 1);
    ASSERT_TRUE(FirstLink.Is_Cursor_Over());
    FirstLink.Destroy_Cursor();
    HCURSOR arrow = LoadCursorA(NULL, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    SetCursor(arrow);
    EXPECT_FALSE(FirstLink.On_Set_Cursor());
    EXPECT_EQ(arrow, GetCursor());
}

TEST_F(ClickableTextWin32, ALaunchHandsTheUrlToTheShell)
{
    CRecordingUrlScheme scheme("link");
    const std::string url = scheme.Scheme() + ":bananas/ripe?count=3&colour=yellow";
    FirstLink.Set_Url(url.c_str());
    FirstLink.Launch();
    EXPECT_NE(std::string::npos, scheme.Wait_For_Launch().find("\"" + url + "\""))
        << scheme.Recorded();
}

// The help viewer's cursor 106 is preferred where the system has one; the copy outlives the
// module it came from.
TEST(ClickableTextHelpViewer, ItsHandIsCopiedWhenTheSystemHasOne)
{
    const std::string viewer = Windows_Directory_File("winhlp32.exe");
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(viewer.c_str()))
        << "this system has a help viewer of its own";
    ASSERT_TRUE(CopyFileA(Own_Directory_File("fake_help_viewer.dll").c_str(), viewer.c_str(), TRUE))
        << GetLastError();
    CClickableText link;
    link.Load_Hand_Cursor();
    DeleteFileA(viewer.c_str());
    ASSERT_NE(nullptr, link.HandCursor);
    const POINT hotspot = Hotspot_Of(link.HandCursor);
    EXPECT_EQ(5, hotspot.x);
    EXPECT_EQ(9, hotspot.y);
    link.Destroy_Cursor();
    EXPECT_EQ(nullptr, link.HandCursor);
}

} // namespace

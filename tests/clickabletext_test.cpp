// CClickableText on a real dialog under Wine. What a user sees of the links on the sheet (a hand
// over them, blue underlined text, a click opening the address) is checked end to end.
#include "clickabletext.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

static INT_PTR CALLBACK Link_Dialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The two links of dialog 100 (controls 201 and 202), attached as a page attaches them. One
// dialog serves the whole program: a top-level window takes Wine seconds to go.
struct CLinks
{
    static inline HWND Dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100),
                                                   nullptr, Link_Dialog, 0);
    CClickableText First;
    CClickableText Second;

    CLinks()
    {
        First.Attach(Dialog, 201);
        Second.Attach(Dialog, 202);
    }
};

static std::pair<int, int> Hotspot_Of(HCURSOR cursor) // (-1, -1) for no cursor
{
    ICONINFO info = {};
    if (cursor == nullptr || !GetIconInfo(cursor, &info))
        return {-1, -1};
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return {int(info.xHotspot), int(info.yHotspot)};
}

static HFONT Font_Of(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

static std::string Help_Viewer_Path()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, sizeof(directory));
    return std::string(directory) + "\\winhlp32.exe";
}

// Where no help viewer has one, each link copies the system's hand: a link that destroys its
// copy when the page goes must leave the system's cursor and the other link's alone, and from
// then on leaves the cursor to the system.
TEST(ClickableText, EachLinkHasItsOwnCopyOfTheSystemsHand)
{
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Help_Viewer_Path().c_str()));
    CLinks links;
    HCURSOR system_hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
    EXPECT_NE(system_hand, links.First.HandCursor);
    EXPECT_EQ(Hotspot_Of(system_hand), Hotspot_Of(links.First.HandCursor));
    links.First.Destroy_Cursor();
    EXPECT_NE(-1, Hotspot_Of(links.Second.HandCursor).first) << "the other link's hand is gone";
    EXPECT_NE(-1, Hotspot_Of(system_hand).first) << "the system's hand is gone";
    RECT r;
    GetWindowRect(links.First.Get_HWnd(), &r);
    SetCursorPos(r.left, r.top);
    ASSERT_TRUE(links.First.Is_Cursor_Over());
    HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    SetCursor(arrow);
    EXPECT_FALSE(links.First.On_Set_Cursor());
    EXPECT_EQ(arrow, GetCursor());
}

// The hand of the system's help viewer comes first where there is one: here this program, with
// its cursor 106 (hot spot 5, 9), copied to the viewer's place.
TEST(ClickableText, TheHelpViewersHandIsPreferred)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof(self));
    ASSERT_TRUE(CopyFileA(self, Help_Viewer_Path().c_str(), TRUE)) << GetLastError();
    CClickableText link;
    link.Load_Hand_Cursor();
    DeleteFileA(Help_Viewer_Path().c_str());
    EXPECT_EQ(std::make_pair(5, 9), Hotspot_Of(link.HandCursor));
}

// The control draws with an underlined twin of the dialog's font, made once per showing however
// often it is repainted, and given back when the page goes.
TEST(ClickableText, TheUnderlinedFontIsMadeOnceAndGivenBack)
{
    CLinks links;
    HWND control = links.First.Get_HWnd();
    HFONT underlined = Font_Of(control);
    ASSERT_EQ(links.First.UnderlinedFont, underlined);
    EXPECT_NE(links.Second.UnderlinedFont, underlined) << "one font per link";
    LOGFONTA own = {}, twin = {};
    GetObjectA(Font_Of(links.Dialog), sizeof(own), &own);
    GetObjectA(underlined, sizeof(twin), &twin);
    EXPECT_TRUE(twin.lfUnderline);
    EXPECT_STREQ(own.lfFaceName, twin.lfFaceName);
    EXPECT_EQ(own.lfHeight, twin.lfHeight);
    HDC hdc = GetDC(control);
    SelectObject(hdc, GetStockObject(SYSTEM_FONT));
    links.First.On_Ctl_Color(hdc);
    EXPECT_EQ(underlined, SelectObject(hdc, GetStockObject(SYSTEM_FONT))) << "a repaint";
    links.First.Destroy_Font();
    EXPECT_EQ(Font_Of(links.Dialog), Font_Of(control)) << "the control has its own font back";
    EXPECT_EQ(0u, GetObjectType(underlined)) << "the underlined font is deleted";
    // With no font of its own, it underlines once what the control selected before asking.
    links.First.On_Ctl_Color(hdc);
    HGDIOBJ twin_of_selected = SelectObject(hdc, GetStockObject(SYSTEM_FONT));
    links.First.On_Ctl_Color(hdc);
    EXPECT_EQ(twin_of_selected, SelectObject(hdc, GetStockObject(SYSTEM_FONT))) << "made again";
    GetObjectA(twin_of_selected, sizeof(twin), &twin);
    EXPECT_TRUE(twin.lfUnderline);
    ReleaseDC(control, hdc);
}

TEST(ClickableText, KeepsAUrlOfUpTo999CharactersAndEndsTheProcessBeyond)
{
    CClickableText link;
    const std::string longest(999, 'u');
    link.Set_Url(longest.c_str());
    EXPECT_EQ(longest, link.Url);
    EXPECT_EXIT(link.Set_Url(std::string(1000, 'u').c_str()), ::testing::ExitedWithCode(1), "");
}

// CClickableText on a real dialog under Wine: what a user cannot see of the links, their fonts
// and their limit. What a user sees (a hand over them, blue underlined text, a click opening the
// address) is checked end to end.
#include "clickabletext.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

static HFONT Font_Of(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
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

TEST(ClickableText, KeepsAUrlOfUpTo999Characters)
{
    CClickableText link;
    const std::string longest(999, 'u');
    link.Set_Url(longest.c_str());
    EXPECT_EQ(longest, link.Url);
}

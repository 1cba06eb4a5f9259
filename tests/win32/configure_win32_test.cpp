// The configuration sheet and its two pages in one process under Wine, built from the saver's
// own resource script: the page templates as laid out, the pages' dialog procedures, the
// sheet's callback, and the host dialog's procedure with its single-sheet mutex.
#include "clickabletext.h"
#include "configure.h"
#include "configurecredits.h"
#include "configureintro.h"
#include "host/saverhost.h"
#include "options.h"
#include "resolution.h"
#include "resource.h"

#include "url_scheme.h"

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifndef PSCB_BUTTONPRESSED
#define PSCB_BUTTONPRESSED 3
#endif

// The host's module instance, which the sheet loads its resources from.
HINSTANCE MainInstance = GetModuleHandleA(NULL);

namespace
{

const char MutexName[] = "Tarnwick Quillomar Mutex";
const char SheetCaption[] = "Quillomar by Tarnwick";
const char OptionsKey[] = "Software\\Tarnwick\\Quillomar";

// The value in the (scratch) current user's key, as the registry holds it; -99 when missing.
long Stored(const char *name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_CURRENT_USER, OptionsKey, name, RRF_RT_REG_DWORD, NULL, &value, &size) !=
        ERROR_SUCCESS)
        return -99;
    return long(int32_t(value));
}

std::string Text_Of(HWND window)
{
    char text[1000] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string Load_String(int id)
{
    char text[1000] = "";
    LoadStringA(MainInstance, id, text, sizeof(text));
    return text;
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

// Pages are child dialogs; outside a sheet they sit in a plain window of the test's own, kept
// for the whole suite (a top-level window takes Wine seconds to go).
class ConfigurePages : public ::testing::Test
{
protected:
    static LRESULT CALLBACK Frame_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        return DefWindowProcA(window, message, wparam, lparam);
    }

    static void SetUpTestSuite()
    {
        WNDCLASSA frame_class = {};
        frame_class.lpfnWndProc = Frame_Proc;
        frame_class.hInstance = MainInstance;
        frame_class.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        frame_class.lpszClassName = "QuillomarPageFrame";
        RegisterClassA(&frame_class);
        Frame = CreateWindowExA(0, "QuillomarPageFrame", "Page frame", WS_POPUP | WS_VISIBLE, 20,
                                20, 700, 420, NULL, NULL, MainInstance, NULL);
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(Frame);
        Frame = NULL;
    }

    void SetUp() override { ASSERT_NE(nullptr, Frame); }

    void TearDown() override
    {
        if (Page != NULL)
            DestroyWindow(Page);
        Pump_Messages();
    }

    HWND Create_Page(int template_id, DLGPROC procedure)
    {
        Page = CreateDialogParamA(MainInstance, MAKEINTRESOURCEA(template_id), Frame, procedure, 0);
        if (Page != NULL)
        {
            ShowWindow(Page, SW_SHOW);
            Pump_Messages();
        }
        return Page;
    }

    static HWND Frame;
    HWND Page = NULL;
};

HWND ConfigurePages::Frame = NULL;

// One control of a page template, in template order. Positions in dialog units.
struct CExpectedControl
{
    const char *Class;
    int Id;
    DWORD Type;       // SS_ type or BS_ type
    DWORD Flags;      // further style bits that must be set
    RECT Units;       // left, top, width, height
    const char *Text; // shown by the control; NULL: any text (checked elsewhere)
};

// A control as the template (DLGTEMPLATEEX) describes it.
struct CTemplateControl
{
    std::string Class; // "Static", "Button", or "#<ordinal>"
    int Id;
    DWORD Style;
    RECT Units; // left, top, width, height
};

struct CTemplate
{
    DWORD Style = 0;
    RECT Units = {}; // left, top, width, height
    std::string Caption;
    int PointSize = 0;
    std::string Font;
    std::vector<CTemplateControl> Controls; // in order
};

// Dialog template `id` of this program; no controls when it is missing or not a DLGTEMPLATEEX.
CTemplate Read_Template(int id)
{
    CTemplate dialog;
    std::vector<CTemplateControl> &controls = dialog.Controls;
    HRSRC resource = FindResourceA(MainInstance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (resource == NULL)
        return dialog;
    const BYTE *start =
        static_cast<const BYTE *>(LockResource(LoadResource(MainInstance, resource)));
    const BYTE *p = start;
    auto word = [&p]()
    {
        WORD value;
        memcpy(&value, p, 2);
        p += 2;
        return value;
    };
    auto dword = [&p]()
    {
        DWORD value;
        memcpy(&value, p, 4);
        p += 4;
        return value;
    };
    auto text = [&p, &word]()
    {
        std::string result;
        for (WORD c = word(); c != 0; c = word())
            result += char(c);
        return result;
    };
    auto text_or_ordinal = [&p, &word, &text]()
    {
        WORD first;
        memcpy(&first, p, 2);
        if (first == 0xFFFF)
        {
            word();
            const WORD ordinal = word();
            return ordinal == 0x80   ? std::string("Button")
                   : ordinal == 0x82 ? std::string("Static")
                                     : "#" + std::to_string(ordinal);
        }
        return text();
    };
    if (word() != 1 || word() != 0xFFFF)
        return dialog; // not a DLGTEMPLATEEX
    dword();           // help id
    dword();           // extended style
    dialog.Style = dword();
    const WORD count = word();
    const short x = short(word());
    const short y = short(word());
    const short cx = short(word());
    const short cy = short(word());
    dialog.Units = {x, y, cx, cy};
    text_or_ordinal(); // menu
    text_or_ordinal(); // class
    dialog.Caption = text();
    if (dialog.Style & DS_SETFONT)
    {
        dialog.PointSize = word();
        p += 4; // weight, italic, character set
        dialog.Font = text();
    }
    for (WORD i = 0; i < count; ++i)
    {
        p = start + ((p - start + 3) & ~3);
        CTemplateControl control;
        dword(); // help id
        dword(); // extended style
        control.Style = dword();
        const short x = short(word());
        const short y = short(word());
        const short cx = short(word());
        const short cy = short(word());
        control.Units = {x, y, cx, cy};
        control.Id = int(int32_t(dword()));
        control.Class = text_or_ordinal();
        text_or_ordinal(); // title
        p += word();       // creation data
        controls.push_back(control);
    }
    return dialog;
}

// Compares the page's template and its children, in Z order (= template order), with the
// table; each text must fit its control in the control's own font.
void Expect_Layout(int template_id, HWND page, const CExpectedControl *expected, size_t count)
{
    const std::vector<CTemplateControl> controls = Read_Template(template_id).Controls;
    ASSERT_EQ(count, controls.size());
    HWND child = GetWindow(page, GW_CHILD);
    for (size_t i = 0; i < count; ++i, child = GetWindow(child, GW_HWNDNEXT))
    {
        const CExpectedControl &e = expected[i];
        const CTemplateControl &t = controls[i];
        EXPECT_STRCASEEQ(e.Class, t.Class.c_str()) << i;
        EXPECT_EQ(e.Id, t.Id) << i;
        const DWORD type_mask = strcmp(e.Class, "Static") == 0 ? SS_TYPEMASK : BS_TYPEMASK;
        EXPECT_EQ(e.Type, t.Style & type_mask) << i;
        const DWORD flags = e.Flags | WS_CHILD | WS_VISIBLE;
        EXPECT_EQ(flags, t.Style & flags) << i << ": style " << std::hex << t.Style;
        EXPECT_EQ(e.Units.left, t.Units.left) << i;
        EXPECT_EQ(e.Units.top, t.Units.top) << i;
        EXPECT_EQ(e.Units.right, t.Units.right) << i << ": width";
        EXPECT_EQ(e.Units.bottom, t.Units.bottom) << i << ": height";

        // The control the dialog made of it.
        ASSERT_NE(nullptr, child) << "control " << i << " is missing";
        EXPECT_EQ(e.Id, GetDlgCtrlID(child)) << i;
        RECT origin = {e.Units.left, e.Units.top, 0, 0};
        RECT size = {0, 0, e.Units.right, e.Units.bottom};
        MapDialogRect(page, &origin);
        MapDialogRect(page, &size);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(HWND_DESKTOP, page, reinterpret_cast<POINT *>(&actual), 2);
        EXPECT_EQ(origin.left, actual.left) << i;
        EXPECT_EQ(origin.top, actual.top) << i;
        EXPECT_EQ(size.right, actual.right - actual.left) << i;
        EXPECT_EQ(size.bottom, actual.bottom - actual.top) << i;
        const std::string text = Text_Of(child);
        if (e.Text != NULL)
        {
            EXPECT_EQ(e.Text, text) << i;
        }
        if (strcmp(e.Class, "Static") != 0 || e.Type == SS_BITMAP || text.empty())
            continue;
        // The text as the control lays it out, in its own font.
        RECT client;
        GetClientRect(child, &client);
        HDC hdc = GetDC(child);
        HGDIOBJ original =
            SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
        RECT needed = {0, 0, client.right, 0};
        const bool one_line = text.find('\n') == std::string::npos;
        DrawTextA(hdc, text.c_str(), -1, &needed,
                  DT_CALCRECT | (one_line ? DT_SINGLELINE : DT_WORDBREAK));
        SelectObject(hdc, original);
        ReleaseDC(child, hdc);
        EXPECT_LE(needed.right, client.right) << "\"" << text << "\" is too wide";
        EXPECT_LE(needed.bottom, client.bottom) << "\"" << text << "\" is too tall";
    }
    EXPECT_EQ(nullptr, child) << "more controls than the template";
}

// The three dialogs themselves: the invisible host and the two pages, 400 x 230 units each.
TEST(ConfigureTemplates, TheHostAndThePagesHaveTheirCaptionsFontAndSize)
{
    const struct
    {
        int Id;
        const char *Caption;
        DWORD Style; // bits that must be set
        size_t Controls;
    } cases[] = {
        {IDD_CONFIGURE_HOST, "", DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION, 0},
        {IDD_INTRODUCTION, "Introduction", WS_CHILD | WS_CAPTION, 9},
        {IDD_CREDITS, "Credits", WS_CHILD | WS_CAPTION, 10},
    };
    for (const auto &c : cases)
    {
        const CTemplate dialog = Read_Template(c.Id);
        EXPECT_EQ(c.Caption, dialog.Caption) << c.Id;
        EXPECT_EQ(c.Style, dialog.Style & c.Style) << c.Id << std::hex << " " << dialog.Style;
        EXPECT_EQ(0u, dialog.Style & WS_VISIBLE) << c.Id;
        EXPECT_EQ(400, dialog.Units.right) << c.Id;
        EXPECT_EQ(230, dialog.Units.bottom) << c.Id;
        EXPECT_EQ(8, dialog.PointSize) << c.Id;
        EXPECT_EQ("MS Sans Serif", dialog.Font) << c.Id;
        EXPECT_EQ(c.Controls, dialog.Controls.size()) << c.Id;
    }
}

TEST_F(ConfigurePages, TheIntroductionTemplateHoldsEveryControlInPlace)
{
    HWND page = Create_Page(IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("Introduction", Text_Of(page)) << "the tab's title";
    RECT size = {0, 0, 400, 230};
    MapDialogRect(page, &size);
    RECT client;
    GetClientRect(page, &client);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);

    const std::string www = Load_String(IDS_WWW);
    const std::string email = Load_String(IDS_EMAIL);
    const std::string web_text = www.substr(www.find("//") + 2, www.find('/', 8) - 8);
    const std::string email_text = email.substr(strlen("mailto:"));
    const CExpectedControl expected[] = {
        {"Static", -1, SS_BITMAP, SS_CENTERIMAGE | SS_SUNKEN | WS_BORDER, {15, 13, 369, 126}, NULL},
        {"Static", -1, SS_LEFT, WS_GROUP, {150, 192, 20, 8}, "Email:"},
        {"Static", IDC_STATIC_VERSION, SS_CENTER, WS_GROUP, {160, 153, 78, 8}, "Version 1.1"},
        {"Static", IDC_WWW, SS_CENTER, SS_NOTIFY | WS_GROUP, {179, 205, 61, 8}, web_text.c_str()},
        {"Static",
         IDC_EMAIL,
         SS_CENTER,
         SS_NOTIFY | SS_CENTERIMAGE | WS_GROUP,
         {172, 192, 77, 8},
         email_text.c_str()},
        {"Static", -1, SS_LEFT, WS_GROUP, {183, 166, 32, 8}, "April 2002"},
        {"Static", -1, SS_LEFT, WS_GROUP, {159, 205, 18, 8}, "Web:"},
        {"Static", -1, SS_LEFTNOWORDWRAP, WS_GROUP, {104, 179, 191, 8}, NULL},
        {"Button", -1, BS_GROUPBOX, 0, {90, 142, 218, 78}, ""},
    };
    Expect_Layout(IDD_INTRODUCTION, page, expected, sizeof(expected) / sizeof(expected[0]));
    EXPECT_EQ(0u, email.find("mailto:"));
    EXPECT_EQ(0u, www.find("https://"));

    // The picture: bitmap 145, 548 x 199 at 24 bits per pixel.
    HWND picture = GetWindow(page, GW_CHILD);
    HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(nullptr, shown);
    BITMAP bitmap = {};
    GetObjectA(shown, sizeof(bitmap), &bitmap);
    EXPECT_EQ(548, bitmap.bmWidth);
    EXPECT_EQ(199, bitmap.bmHeight);
    HRSRC resource = FindResourceA(MainInstance, MAKEINTRESOURCEA(IDB_INTRODUCTION), RT_BITMAP);
    ASSERT_NE(nullptr, resource);
    const BITMAPINFOHEADER *header =
        static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(MainInstance, resource)));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(548, header->biWidth);
    EXPECT_EQ(199, header->biHeight);
    EXPECT_EQ(24, header->biBitCount);
}

TEST_F(ConfigurePages, TheCreditsTemplateHoldsAHeadingAFrameAndEightLines)
{
    HWND page = Create_Page(IDD_CREDITS, CConfigureCredits::Dialog_Proc);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("Credits", Text_Of(page));
    CExpectedControl expected[10] = {
        {"Static", -1, SS_CENTER, SS_SUNKEN, {37, 20, 325, 22}, NULL},
        {"Button", -1, BS_GROUPBOX, 0, {37, 38, 325, 179}, ""},
    };
    // Each line centred on the page's middle: 300 units wide from x = 50.
    for (int line = 0; line < 8; ++line)
        expected[2 + line] = {"Static", -1, SS_CENTER, WS_GROUP, {50, 62 + 18 * line, 300, 8},
                              NULL};
    Expect_Layout(IDD_CREDITS, page, expected, 10);
    HWND heading = GetWindow(page, GW_CHILD);
    const std::string text = Text_Of(heading);
    EXPECT_EQ('\n', text[0]) << "the heading begins with a line break";
    EXPECT_GT(text.size(), 20u);
    for (HWND line = GetWindow(GetWindow(heading, GW_HWNDNEXT), GW_HWNDNEXT); line != NULL;
         line = GetWindow(line, GW_HWNDNEXT))
        EXPECT_GT(Text_Of(line).size(), 10u);
}

TEST_F(ConfigurePages, OpeningTheIntroductionWritesVersionOneOneWhateverWasStored)
{
    COptions::VersionMajor.Set_Value(3);
    COptions::VersionMinor.Set_Value(3);
    ASSERT_EQ(3, Stored("VersionMajor"));
    HWND page = Create_Page(IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(1, COptions::VersionMajor.Get_Value());
    EXPECT_EQ(1, COptions::VersionMinor.Get_Value());
    EXPECT_EQ(1, Stored("VersionMajor"));
    EXPECT_EQ(1, Stored("VersionMinor"));
    EXPECT_EQ("Version 1.1", Text_Of(GetDlgItem(page, IDC_STATIC_VERSION)));

    EXPECT_EQ(GetDlgItem(page, IDC_WWW), WwwLink.Get_HWnd());
    EXPECT_EQ(GetDlgItem(page, IDC_EMAIL), EmailLink.Get_HWnd());
    EXPECT_EQ(Load_String(IDS_WWW), WwwLink.Url);
    EXPECT_EQ(Load_String(IDS_EMAIL), EmailLink.Url);
    EXPECT_NE(nullptr, WwwLink.HandCursor);
    EXPECT_NE(nullptr, EmailLink.HandCursor);
    HFONT email_font = EmailLink.UnderlinedFont;
    EXPECT_NE(nullptr, email_font);

    // Closing the page releases what the links hold for it.
    DestroyWindow(page);
    Page = NULL;
    EXPECT_EQ(nullptr, WwwLink.HandCursor);
    EXPECT_EQ(nullptr, EmailLink.HandCursor);
    EXPECT_EQ(nullptr, EmailLink.UnderlinedFont);
    EXPECT_EQ(0u, GetObjectType(email_font));
}

// What each page answers to a notification, and what becomes of CurrentConfigureSheet (7
// before each case).
TEST_F(ConfigurePages, BecomingActiveRecordsThePageAndNothingElseDoes)
{
    const struct
    {
        const char *Page;
        int Template;
        DLGPROC Procedure;
        UINT Code;
        INT_PTR Result;
        int Sheet;
    } cases[] = {
        {"Introduction", IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc, UINT(PSN_SETACTIVE),
         FALSE, 0},
        {"Introduction", IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc, UINT(PSN_KILLACTIVE),
         TRUE, 7},
        {"Introduction", IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc, UINT(PSN_APPLY),
         TRUE, 7},
        {"Credits", IDD_CREDITS, CConfigureCredits::Dialog_Proc, UINT(PSN_SETACTIVE), FALSE, 1},
        {"Credits", IDD_CREDITS, CConfigureCredits::Dialog_Proc, UINT(PSN_KILLACTIVE), TRUE, 7},
        {"Credits", IDD_CREDITS, CConfigureCredits::Dialog_Proc, UINT(PSN_RESET), TRUE, 7},
    };
    for (const auto &c : cases)
    {
        HWND page = Create_Page(c.Template, c.Procedure);
        ASSERT_NE(nullptr, page) << c.Page;
        COptions::CurrentConfigureSheet.Set_Value(7);
        NMHDR header = {};
        header.hwndFrom = Frame;
        header.code = c.Code;
        EXPECT_EQ(c.Result, c.Procedure(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)))
            << c.Page << " " << int(c.Code);
        EXPECT_EQ(c.Sheet, COptions::CurrentConfigureSheet.Get_Value()) << c.Page;
        EXPECT_EQ(c.Sheet, Stored("CurrentConfigureSheet")) << c.Page << ": written at once";
        DestroyWindow(page);
        Page = NULL;
    }
}

TEST_F(ConfigurePages, ANotificationWithoutHeaderEndsTheProcess)
{
    HWND intro = Create_Page(IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc);
    ASSERT_NE(nullptr, intro);
    EXPECT_EXIT(CConfigureIntro::Intro_Dialog_Proc(intro, WM_NOTIFY, 0, 0),
                ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(CConfigureCredits::Dialog_Proc(intro, WM_NOTIFY, 0, 0),
                ::testing::ExitedWithCode(1), "");
}

TEST_F(ConfigurePages, TheCreditsPageHandlesNothingElse)
{
    HWND page = Create_Page(IDD_CREDITS, CConfigureCredits::Dialog_Proc);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(TRUE, CConfigureCredits::Dialog_Proc(page, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(TRUE, CConfigureCredits::Dialog_Proc(page, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0));
    EXPECT_EQ(FALSE, CConfigureCredits::Dialog_Proc(page, WM_SETCURSOR, 0, 0));
    EXPECT_EQ(FALSE, CConfigureCredits::Dialog_Proc(page, WM_CTLCOLORSTATIC, 0, 0));
}

// A click on a link (notification 0) opens that link's URL; other commands do nothing.
TEST_F(ConfigurePages, EachLinksClickOpensItsOwnUrl)
{
    HWND page = Create_Page(IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc);
    ASSERT_NE(nullptr, page);
    const struct
    {
        const char *Name;
        int Id;
        CClickableText *Link;
    } links[] = {{"web", IDC_WWW, &WwwLink}, {"e-mail", IDC_EMAIL, &EmailLink}};
    for (const auto &link : links)
    {
        CRecordingUrlScheme scheme(link.Name[0] == 'w' ? "www" : "email");
        const std::string url = scheme.Scheme() + ":" + link.Name;
        WwwLink.Set_Url((scheme.Scheme() + ":web").c_str());
        EmailLink.Set_Url((scheme.Scheme() + ":e-mail").c_str());
        // A double click is not a click; then the click.
        EXPECT_EQ(FALSE, CConfigureIntro::Intro_Dialog_Proc(
                             page, WM_COMMAND, MAKEWPARAM(link.Id, STN_DBLCLK),
                             reinterpret_cast<LPARAM>(link.Link->Get_HWnd())));
        EXPECT_EQ(FALSE, CConfigureIntro::Intro_Dialog_Proc(
                             page, WM_COMMAND, MAKEWPARAM(link.Id, STN_CLICKED),
                             reinterpret_cast<LPARAM>(link.Link->Get_HWnd())));
        const std::string recorded = scheme.Wait_For_Launch();
        EXPECT_NE(std::string::npos, recorded.find("\"" + url + "\"")) << recorded;
    }
    EXPECT_EQ(TRUE, CConfigureIntro::Intro_Dialog_Proc(page, WM_COMMAND,
                                                       MAKEWPARAM(IDC_STATIC_VERSION, 0), 0));
    EXPECT_TRUE(IsWindow(page)) << "the page stays";
}

TEST_F(ConfigurePages, OnlyTheLinksAreColoured)
{
    HWND page = Create_Page(IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc);
    ASSERT_NE(nullptr, page);
    HDC hdc = GetDC(page);
    const struct
    {
        int Id;
        bool Link;
    } cases[] = {{IDC_WWW, true}, {IDC_EMAIL, true}, {IDC_STATIC_VERSION, false}};
    for (const auto &c : cases)
    {
        SetTextColor(hdc, RGB(1, 2, 3));
        const INT_PTR result = CConfigureIntro::Intro_Dialog_Proc(
            page, WM_CTLCOLORSTATIC, WPARAM(hdc), LPARAM(GetDlgItem(page, c.Id)));
        if (c.Link)
        {
            EXPECT_EQ(reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_MENU)), result) << c.Id;
            EXPECT_EQ(RGB(0, 0, 255), GetTextColor(hdc)) << c.Id;
        }
        else
        {
            EXPECT_EQ(FALSE, result) << c.Id;
            EXPECT_EQ(RGB(1, 2, 3), GetTextColor(hdc)) << c.Id;
        }
    }
    ReleaseDC(page, hdc);
}

TEST_F(ConfigurePages, TheIntroductionSetsTheHandOverEitherLinkOnly)
{
    HWND page = Create_Page(IDD_INTRODUCTION, CConfigureIntro::Intro_Dialog_Proc);
    ASSERT_NE(nullptr, page);
    const struct
    {
        int Id;
        HCURSOR Hand;
    } cases[] = {{IDC_WWW, WwwLink.HandCursor},
                 {IDC_EMAIL, EmailLink.HandCursor},
                 {IDC_STATIC_VERSION, NULL}};
    for (const auto &c : cases)
    {
        RECT r;
        GetWindowRect(GetDlgItem(page, c.Id), &r);
        SetCursorPos(r.left + 1, r.bottom - 1);
        Pump_Messages();
        SetCursor(NULL);
        const INT_PTR result = CConfigureIntro::Intro_Dialog_Proc(page, WM_SETCURSOR, WPARAM(page),
                                                                  MAKELPARAM(HTCLIENT, 0));
        EXPECT_EQ(c.Hand != NULL ? TRUE : FALSE, result) << c.Id;
        EXPECT_EQ(c.Hand, GetCursor()) << c.Id;
    }
}

// The sheet's callback on a window holding the buttons a sheet has: OK at x = 300, Cancel at
// x = 380. It is a child of one window kept for the suite (a top-level window takes Wine
// seconds to go).
class SheetCallback : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 10, 10, 520, 320, NULL,
                                NULL, MainInstance, NULL);
    }

    static void TearDownTestSuite() { DestroyWindow(Frame); }

    void Make_Window(bool with_ok, bool with_cancel)
    {
        ASSERT_NE(nullptr, Frame);
        Window = CreateWindowExA(0, "STATIC", "sheet", WS_CHILD | WS_VISIBLE, 7, 5, 500, 300, Frame,
                                 NULL, MainInstance, NULL);
        ASSERT_NE(nullptr, Window);
        if (with_ok)
            Ok = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 300, 250, 75, 23, Window,
                                 HMENU(INT_PTR(IDOK)), MainInstance, NULL);
        if (with_cancel)
            Cancel = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE, 380, 250, 75, 23,
                                     Window, HMENU(INT_PTR(IDCANCEL)), MainInstance, NULL);
    }

    RECT Ok_Rect() const
    {
        RECT r;
        GetWindowRect(Ok, &r);
        MapWindowPoints(HWND_DESKTOP, Window, reinterpret_cast<POINT *>(&r), 2);
        return r;
    }

    void TearDown() override { DestroyWindow(Window); }

    static HWND Frame;
    HWND Window = NULL;
    HWND Ok = NULL;
    HWND Cancel = NULL;
};

HWND SheetCallback::Frame = NULL;

TEST_F(SheetCallback, OnceTheSheetExistsCancelGoesAndOkMoves186PixelsLeft)
{
    Make_Window(true, true);
    EXPECT_EQ(0, CConfigure::Prop_Sheet_Init_Callback(NULL, PSCB_PRECREATE, 0));
    EXPECT_EQ(0, CConfigure::Prop_Sheet_Init_Callback(Window, PSCB_INITIALIZED, 0));
    EXPECT_FALSE(IsWindowVisible(Cancel));
    EXPECT_FALSE(IsWindowEnabled(Cancel));
    const RECT ok = Ok_Rect();
    EXPECT_EQ(300 - 186, ok.left);
    EXPECT_EQ(250, ok.top);
    EXPECT_EQ(75, ok.right - ok.left);
    EXPECT_EQ(23, ok.bottom - ok.top);
    EXPECT_TRUE(IsWindowVisible(Ok));
    EXPECT_TRUE(IsWindowEnabled(Ok));
    // Later calls (a button pressed, in newer common controls) leave OK where it is.
    EXPECT_EQ(0, CConfigure::Prop_Sheet_Init_Callback(Window, PSCB_BUTTONPRESSED, PSBTN_OK));
    EXPECT_EQ(300 - 186, Ok_Rect().left);
}

TEST_F(SheetCallback, AMissingButtonIsSkipped)
{
    Make_Window(false, true);
    EXPECT_EQ(0, CConfigure::Prop_Sheet_Init_Callback(Window, PSCB_INITIALIZED, 0));
    EXPECT_FALSE(IsWindowVisible(Cancel));
    DestroyWindow(Window);
    Cancel = NULL;
    Make_Window(true, false);
    EXPECT_EQ(0, CConfigure::Prop_Sheet_Init_Callback(Window, PSCB_INITIALIZED, 0));
    EXPECT_EQ(300 - 186, Ok_Rect().left);
    DestroyWindow(Window);
    Ok = NULL;
    Make_Window(false, false);
    EXPECT_EQ(0, CConfigure::Prop_Sheet_Init_Callback(Window, PSCB_INITIALIZED, 0));
}

TEST(SheetStartPage, AStoredIndexOutsideThePagesOpensTheFirst)
{
    const struct
    {
        int Stored;
        int Page;
    } cases[] = {{0, 0}, {1, 1}, {2, 0}, {-1, 0}, {INT_MAX, 0}, {INT_MIN, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(c.Page, CConfigure::Start_Page(c.Stored)) << c.Stored;
}

// The host dialog (template 2003) run as the host runs it, while another thread watches for
// this process's sheet, notes what it shows and presses OK.
struct CSheetSeen
{
    int Count = 0;
    std::string Page;
    std::string HostCaption = "?";
    bool HostVisible = true;
    bool MutexHeld = false;
    bool CancelVisible = true;
    bool ApplyVisible = true;
};

BOOL CALLBACK Find_Own_Sheet(HWND window, LPARAM parameter)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window) &&
        Text_Of(window) == SheetCaption)
    {
        *reinterpret_cast<HWND *>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

INT_PTR Run_Host_Dialog(CSheetSeen *seen)
{
    std::atomic<bool> done(false);
    std::thread watcher(
        [&done, seen]()
        {
            while (!done)
            {
                HWND sheet = NULL;
                EnumWindows(Find_Own_Sheet, reinterpret_cast<LPARAM>(&sheet));
                if (sheet == NULL)
                {
                    Sleep(20);
                    continue;
                }
                ++seen->Count;
                HWND page =
                    reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
                seen->Page = Text_Of(page);
                HWND host = GetWindow(sheet, GW_OWNER);
                seen->HostCaption = Text_Of(host);
                seen->HostVisible = IsWindowVisible(host) != FALSE;
                HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, MutexName);
                seen->MutexHeld = mutex != NULL;
                if (mutex != NULL)
                    CloseHandle(mutex);
                seen->CancelVisible = IsWindowVisible(GetDlgItem(sheet, IDCANCEL)) != FALSE;
                seen->ApplyVisible = IsWindowVisible(GetDlgItem(sheet, 0x3021)) != FALSE;
                PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
                while (IsWindow(sheet) && !done)
                    Sleep(20);
            }
        });
    const INT_PTR result = DialogBoxParamA(MainInstance, MAKEINTRESOURCEA(IDD_CONFIGURE_HOST), NULL,
                                           ScreenSaverConfigureDialog, 0);
    done = true;
    watcher.join();
    return result;
}

bool Mutex_Exists()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, MutexName);
    if (mutex == NULL)
        return false;
    CloseHandle(mutex);
    return true;
}

TEST(ConfigureDialog, TheSheetOpensOnTheStoredPageAndHoldsTheMutexWhileOpen)
{
    const struct
    {
        int Stored;
        const char *Page;
        int Recorded;
        int Version; // VersionMajor afterwards, 3 before
    } cases[] = {{0, "Introduction", 0, 1},
                 {1, "Credits", 1, 3},
                 {2, "Introduction", 0, 1},
                 {-1, "Introduction", 0, 1}};
    for (const auto &c : cases)
    {
        COptions::CurrentConfigureSheet.Set_Value(c.Stored);
        COptions::VersionMajor.Set_Value(3);
        ASSERT_FALSE(Mutex_Exists());
        CSheetSeen seen;
        EXPECT_EQ(1, Run_Host_Dialog(&seen)) << c.Stored;
        EXPECT_EQ(1, seen.Count) << c.Stored;
        EXPECT_EQ(c.Page, seen.Page) << c.Stored;
        EXPECT_EQ("", seen.HostCaption) << "the sheet's owner is the host dialog";
        EXPECT_FALSE(seen.HostVisible);
        EXPECT_TRUE(seen.MutexHeld);
        EXPECT_FALSE(seen.CancelVisible);
        EXPECT_FALSE(seen.ApplyVisible);
        EXPECT_FALSE(Mutex_Exists()) << "released when the host dialog goes";
        EXPECT_EQ(INVALID_HANDLE_VALUE, ConfigureMutex);
        EXPECT_EQ(c.Recorded, Stored("CurrentConfigureSheet")) << c.Stored;
        EXPECT_EQ(c.Version, Stored("VersionMajor")) << c.Stored;
    }
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), CResolution::Get_Window_Width());
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), CResolution::Get_Window_Height());
}

// Another sheet holds the mutex, or its name belongs to something else so that no mutex can be
// made: the host dialog ends at once with 1, showing nothing.
TEST(ConfigureDialog, WhenTheMutexCannotBeHadNothingIsShown)
{
    const struct
    {
        const char *Holder;
        HANDLE (*Make)();
    } cases[] = {
        {"a mutex", []() { return CreateMutexA(NULL, FALSE, MutexName); }},
        {"an event", []() { return CreateEventA(NULL, FALSE, FALSE, MutexName); }},
    };
    for (const auto &c : cases)
    {
        HANDLE holder = c.Make();
        ASSERT_NE(nullptr, holder) << c.Holder;
        CSheetSeen seen;
        EXPECT_EQ(1, Run_Host_Dialog(&seen)) << c.Holder;
        EXPECT_EQ(0, seen.Count) << c.Holder;
        EXPECT_EQ(INVALID_HANDLE_VALUE, ConfigureMutex) << c.Holder;
        EXPECT_NE(WAIT_FAILED, WaitForSingleObject(holder, 0)) << "the holder's handle is intact";
        CloseHandle(holder);
    }
}

} // namespace

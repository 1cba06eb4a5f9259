#include "clickabletext.h"

#include "twutility/twutility.h"

#include <algorithm>
#include <cmath>
#include <cstring>

static const char SourceName[] = "clickabletext";

// The hand of the system's help viewer, where there still is one.
static const char HelpViewerFile[] = "\\winhlp32.exe";
static const int HelpViewerHandCursorId = 106;

CClickableText::CClickableText()
    : Url(), ParentHWnd(nullptr), HWnd(nullptr), HandCursor(nullptr), UnderlinedFont(nullptr),
      BaseFont(nullptr)
{
}

CClickableText::~CClickableText()
{
    Destroy_Cursor();
    Destroy_Font();
}

void CClickableText::Attach(HWND hwnd, int id)
{
    Log_Printf("CClickableText::Attach\n");
    TW_ASSERT(hwnd != nullptr);
    ParentHWnd = hwnd;
    // A font left from an earlier showing belonged to a control that no longer exists.
    Destroy_Font();
    HWnd = GetDlgItem(hwnd, id);
    TW_ASSERT(HWnd != nullptr);
    Load_Hand_Cursor();
    // The control selects its own font after asking for colours (Wine, ReactOS), so selecting
    // one in On_Ctl_Color alone would not underline it everywhere: the control gets the
    // underlined twin of its font, which lives until the page goes.
    HFONT base_font = reinterpret_cast<HFONT>(SendMessageA(HWnd, WM_GETFONT, 0, 0));
    if (base_font == nullptr)
        base_font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    Make_Underlined_Font(base_font);
    if (UnderlinedFont != nullptr)
        SendMessageA(HWnd, WM_SETFONT, reinterpret_cast<WPARAM>(UnderlinedFont), FALSE);
}

void CClickableText::Make_Underlined_Font(HFONT base_font)
{
    LOGFONTA description;
    if (base_font == nullptr || GetObjectA(base_font, sizeof(description), &description) == 0)
        return;
    description.lfUnderline = TRUE;
    HFONT underlined = CreateFontIndirectA(&description);
    if (underlined == nullptr)
        return;
    Destroy_Font();
    UnderlinedFont = underlined;
    BaseFont = base_font;
}

// The viewer is only read as a data file: none of its code runs, and a viewer built for another
// processor still yields its resources.
static HCURSOR Copy_Help_Viewer_Cursor()
{
    char path[360];
    const UINT length = GetWindowsDirectoryA(path, sizeof(path));
    if (length == 0 || size_t(length) + sizeof(HelpViewerFile) > sizeof(path))
        return nullptr;
    memcpy(path + length, HelpViewerFile, sizeof(HelpViewerFile));
    HMODULE viewer = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (viewer == nullptr)
        return nullptr;
    HCURSOR copy = nullptr;
    HCURSOR cursor = LoadCursorA(viewer, MAKEINTRESOURCEA(HelpViewerHandCursorId));
    if (cursor != nullptr)
        copy = CopyIcon(cursor); // outlives the module
    FreeLibrary(viewer);
    return copy;
}

void CClickableText::Load_Hand_Cursor()
{
    Log_Printf("CClickableText::Load_Hand_Cursor\n");
    TW_ASSERT(HandCursor == nullptr);
    HandCursor = Copy_Help_Viewer_Cursor();
    if (HandCursor == nullptr)
    {
        // Most systems have no help viewer with that cursor; every current one has this hand.
        HCURSOR system_hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
        if (system_hand != nullptr)
            HandCursor = CopyIcon(system_hand);
    }
    if (HandCursor == nullptr)
        Log_Printf("WARNING: CClickableText::Load_Hand_Cursor: unable to create hand cursor.\n");
}

void CClickableText::Destroy_Cursor()
{
    Log_Printf("CClickableText::Destroy_Cursor\n");
    if (HandCursor != nullptr)
    {
        DestroyCursor(HandCursor);
        HandCursor = nullptr;
    }
}

void CClickableText::Destroy_Font()
{
    if (UnderlinedFont != nullptr)
    {
        if (HWnd != nullptr && IsWindow(HWnd) &&
            reinterpret_cast<HFONT>(SendMessageA(HWnd, WM_GETFONT, 0, 0)) == UnderlinedFont)
            SendMessageA(HWnd, WM_SETFONT, reinterpret_cast<WPARAM>(BaseFont), FALSE);
        DeleteObject(UnderlinedFont);
        UnderlinedFont = nullptr;
    }
    BaseFont = nullptr;
}

void CClickableText::Set_Url(const char *url)
{
    Log_Printf("CClickableText::Set_Url\n");
    TW_ASSERT(url != nullptr);
    TW_ASSERT(::strlen(url) < sizeof(Url));
    memcpy(Url, url, ::strlen(url) + 1);
}

HWND CClickableText::Get_HWnd() const
{
    return HWnd;
}

void CClickableText::Launch() const
{
    Log_Printf("CClickableText::Launch\n");
    TW_ASSERT(::strlen(Url) > 0);
    // A failed launch shows the user nothing; the page goes on working.
    CUtility::Launch_Url(Url);
}

bool CClickableText::Is_Cursor_Over() const
{
    POINT position;
    const bool known = GetCursorPos(&position) != FALSE;
    TW_ASSERT(HWnd != nullptr);
    RECT rectangle;
    // A position or rectangle the system cannot give is not over the link.
    if (!known || !GetWindowRect(HWnd, &rectangle))
        return false;
    return PtInRect(&rectangle, position) != FALSE;
}

bool CClickableText::On_Set_Cursor()
{
    if (HandCursor == nullptr || !Is_Cursor_Over())
        return false;
    SetCursor(HandCursor);
    TW_ASSERT(ParentHWnd != nullptr);
    // Tells the system that the cursor has been set.
    SetWindowLongPtrA(ParentHWnd, DWLP_MSGRESULT, TRUE);
    return true;
}

// How bright a colour looks, 0 (black) to 1 (white): its channels made linear, then weighed as
// the eye weighs them (the readability guidelines' relative luminance).
static double Luminance(COLORREF colour)
{
    const int channels[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    const double weights[3] = {0.2126, 0.7152, 0.0722};
    double luminance = 0.0;
    for (int i = 0; i < 3; ++i)
    {
        const double c = channels[i] / 255.0;
        luminance += weights[i] * (c <= 0.03928 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4));
    }
    return luminance;
}

// Blue, unless it would read below 4.5 : 1 on the page (a dark or high-contrast scheme): then
// the system's own colour for links, which such schemes set to a readable one.
static COLORREF Link_Colour()
{
    const COLORREF blue = RGB(0, 0, 255);
    const double page = Luminance(GetSysColor(COLOR_BTNFACE)), link = Luminance(blue);
    const double contrast = (std::max(page, link) + 0.05) / (std::min(page, link) + 0.05);
    return contrast < 4.5 ? GetSysColor(COLOR_HOTLIGHT) : blue;
}

HBRUSH CClickableText::On_Ctl_Color(HDC hdc)
{
    SetTextColor(hdc, Link_Colour());
    SetBkMode(hdc, TRANSPARENT);
    // Where the control selects its font before asking, that font is current now. The
    // underlined twin is made once, not per repaint, and must outlive this call: the control
    // draws with it afterwards.
    if (UnderlinedFont == nullptr)
        Make_Underlined_Font(static_cast<HFONT>(GetCurrentObject(hdc, OBJ_FONT)));
    if (UnderlinedFont != nullptr)
        SelectObject(hdc, UnderlinedFont);
    // No fill: the page has drawn its own background (a visual style's is not a system
    // colour), and the link's text never changes, so nothing old needs painting over.
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

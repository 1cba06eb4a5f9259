#include "configureintro.h"

#include "options.h"
#include "resource.h"
#include "twutility/twutility.h"
#include "version.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

static const char SourceName[] = "configureintro";

CClickableText WwwLink;
CClickableText EmailLink;

static void Attach_Link(CClickableText &link, HWND dialog, int control_id, int url_string_id)
{
    link.Attach(dialog, control_id);
    // The page's own module holds the strings, whoever created it.
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    char url[1000] = {};
    LoadStringA(instance, url_string_id, url, sizeof(url));
    link.Set_Url(url);
}

// The picture enlarged for a page that has grown with the screen's dots per inch; it belongs to
// the page for one showing.
static HBITMAP ScaledPicture = nullptr;

// A frame larger than the picture (more dots per inch than 96) gets the picture enlarged until
// it covers the frame, as it does at 96; the frame centres it and cuts what overhangs.
static void Scale_Picture(HWND dialog)
{
    HWND picture = GetDlgItem(dialog, IDC_PICTURE);
    const HBITMAP original =
        picture != nullptr
            ? reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0))
            : nullptr;
    BITMAP size = {};
    if (original == nullptr || GetObjectA(original, sizeof(size), &size) == 0)
        return;
    RECT frame;
    GetClientRect(picture, &frame);
    const double scale =
        std::max(double(frame.right) / size.bmWidth, double(frame.bottom) / size.bmHeight);
    if (scale <= 1.0)
        return;
    const int width = int(size.bmWidth * scale + 0.5);
    const int height = int(size.bmHeight * scale + 0.5);
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    ScaledPicture = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old_from = SelectObject(from, original);
    const HGDIOBJ old_to = SelectObject(to, ScaledPicture);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(from, old_from);
    SelectObject(to, old_to);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(ScaledPicture));
}

static INT_PTR On_Init_Dialog(HWND dialog)
{
    Log_Printf("CConfigureIntro::Intro_Dialog_Proc:WM_INITDIALOG\n");
    COptions::VersionMajor.Set_Value(QUILLOMAR_VERSION_MAJOR);
    COptions::VersionMinor.Set_Value(QUILLOMAR_VERSION_MINOR);
    char version[500];
    snprintf(version, sizeof(version), "Version %d.%d", COptions::VersionMajor.Get_Value(),
             COptions::VersionMinor.Get_Value());
    HWND hwnd = GetDlgItem(dialog, IDC_STATIC_VERSION);
    TW_ASSERT(hwnd != nullptr);
    SetWindowTextA(hwnd, version);
    Attach_Link(WwwLink, dialog, IDC_WWW, IDS_WWW);
    Attach_Link(EmailLink, dialog, IDC_EMAIL, IDS_EMAIL);
    Scale_Picture(dialog);
    return TRUE;
}

static INT_PTR On_Ctl_Color_Static(HDC hdc, HWND control)
{
    if (control == WwwLink.Get_HWnd())
        return reinterpret_cast<INT_PTR>(WwwLink.On_Ctl_Color(hdc));
    if (control == EmailLink.Get_HWnd())
        return reinterpret_cast<INT_PTR>(EmailLink.On_Ctl_Color(hdc));
    return FALSE; // every other text keeps the default colours
}

static INT_PTR On_Command(int control_id, int notification)
{
    switch (control_id)
    {
        case IDC_WWW:
            if (notification == STN_CLICKED)
                WwwLink.Launch();
            return FALSE;
        case IDC_EMAIL:
            if (notification == STN_CLICKED)
                EmailLink.Launch();
            return FALSE;
    }
    return TRUE;
}

static INT_PTR On_Notify(const NMHDR *p_nmhdr)
{
    TW_ASSERT(p_nmhdr != nullptr);
    if (p_nmhdr->code == UINT(PSN_SETACTIVE))
    {
        COptions::CurrentConfigureSheet.Set_Value(CConfigureIntro::PageIndex);
        return FALSE; // result 0: the page may become active
    }
    return TRUE;
}

static void On_Destroy()
{
    Log_Printf("CConfigureIntro::Intro_Dialog_Proc:WM_DESTROY\n");
    WwwLink.Destroy_Cursor();
    EmailLink.Destroy_Cursor();
    // The controls are gone, so their fonts may go too.
    WwwLink.Destroy_Font();
    EmailLink.Destroy_Font();
    if (ScaledPicture != nullptr)
        DeleteObject(ScaledPicture);
    ScaledPicture = nullptr;
}

INT_PTR CALLBACK CConfigureIntro::Intro_Dialog_Proc(HWND hwnd, UINT message, WPARAM wparam,
                                                    LPARAM lparam)
{
    switch (message)
    {
        case WM_INITDIALOG:
            return On_Init_Dialog(hwnd);
        case WM_SETCURSOR:
            return WwwLink.On_Set_Cursor() || EmailLink.On_Set_Cursor() ? TRUE : FALSE;
        case WM_CTLCOLORSTATIC:
            return On_Ctl_Color_Static(reinterpret_cast<HDC>(wparam),
                                       reinterpret_cast<HWND>(lparam));
        case WM_COMMAND:
            return On_Command(LOWORD(wparam), HIWORD(wparam));
        case WM_NOTIFY:
            return On_Notify(reinterpret_cast<const NMHDR *>(lparam));
        case WM_DESTROY:
            On_Destroy();
            return FALSE;
    }
    return FALSE;
}

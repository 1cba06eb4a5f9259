// A static text control of a dialog shown as a hyperlink: blue, underlined, a hand cursor over
// it, and a click opens its URL in the user's shell. The control is not subclassed: the owning
// dialog procedure forwards WM_SETCURSOR, WM_CTLCOLORSTATIC, the control's click and
// WM_DESTROY. The control needs SS_NOTIFY so that a click arrives as WM_COMMAND with
// notification code 0. Windows only.
#ifndef QUILLOMAR_CLICKABLETEXT_H
#define QUILLOMAR_CLICKABLETEXT_H

#ifndef _WIN32
#error "clickabletext.h is Windows-only"
#endif

#include <windows.h>

class CClickableText
{
public:
    char Url[1000];  // zero-terminated, at most 999 characters
    HWND ParentHWnd; // the dialog holding the control
    HWND HWnd;       // the static text control
    // Owned, one per object; both belong to one showing of the page.
    HCURSOR HandCursor;   // a copy of a hand-shaped cursor
    HFONT UnderlinedFont; // the control's font with the underline flag set
    HFONT BaseFont;       // the control's own font, which UnderlinedFont copies; not owned

    CClickableText();
    ~CClickableText();

    // WM_INITDIALOG: binds the object to control `id` of dialog `hwnd`, loads its cursor and
    // gives the control its underlined font.
    void Attach(HWND hwnd, int id);
    void Load_Hand_Cursor();
    void Destroy_Cursor(); // any number of times
    // Any number of times; gives a control that still exists its own font back first.
    void Destroy_Font();
    void Set_Url(const char *url);
    HWND Get_HWnd() const;
    void Launch() const;
    // Screen coordinates: the control's whole window rectangle, left and top edges inside.
    bool Is_Cursor_Over() const;
    // WM_SETCURSOR: true when it set the hand cursor and the dialog's message result.
    bool On_Set_Cursor();
    // WM_CTLCOLORSTATIC for this control: the brush for its background.
    HBRUSH On_Ctl_Color(HDC hdc);

private:
    void Make_Underlined_Font(HFONT base_font);

    CClickableText(const CClickableText &) = delete;
    CClickableText &operator=(const CClickableText &) = delete;
};

#endif

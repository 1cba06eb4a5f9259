// The Introduction page of the configuration sheet: the picture, the version, the release date,
// a notice and two links. Windows only.
#ifndef QUILLOMAR_CONFIGUREINTRO_H
#define QUILLOMAR_CONFIGUREINTRO_H

#ifndef _WIN32
#error "configureintro.h is Windows-only"
#endif

#include "clickabletext.h"

#include <windows.h>

// The page's links; they live for the whole process, their windows and cursors for one showing.
extern CClickableText WwwLink;   // IDC_WWW, URL of string IDS_WWW
extern CClickableText EmailLink; // IDC_EMAIL, "mailto:" URL of string IDS_EMAIL

class CConfigureIntro
{
public:
    static const int PageIndex = 0; // its place in the sheet

    // Writes VersionMajor and VersionMinor (the release's) when the page is created, and its
    // index to CurrentConfigureSheet whenever it becomes active.
    static INT_PTR CALLBACK Intro_Dialog_Proc(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam);
};

#endif

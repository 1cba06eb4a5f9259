// Finds a message box by its caption, as a user would see it, prints its texts and presses OK.
// Usage: dismiss_box <caption> <seconds>. Exit status 0 when a box was found and dismissed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct CSearch
{
    const char *Caption;
    HWND Box;
};

static BOOL CALLBACK Find_Box(HWND window, LPARAM parameter)
{
    CSearch *search = reinterpret_cast<CSearch *>(parameter);
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof(caption));
    if (IsWindowVisible(window) && strcmp(caption, search->Caption) == 0)
    {
        search->Box = window;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK Print_Text(HWND child, LPARAM)
{
    char text[512] = "";
    GetWindowTextA(child, text, sizeof(text));
    if (text[0] != '\0')
        printf("text: %s\n", text);
    return TRUE;
}

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    CSearch search = {argv[1], NULL};
    const int tries = atoi(argv[2]) * 20;
    for (int i = 0; i < tries && search.Box == NULL; ++i)
    {
        EnumWindows(Find_Box, reinterpret_cast<LPARAM>(&search));
        if (search.Box == NULL)
            Sleep(50);
    }
    if (search.Box == NULL)
    {
        printf("no window captioned \"%s\"\n", argv[1]);
        return 1;
    }
    EnumChildWindows(search.Box, Print_Text, 0);
    fflush(stdout);
    PostMessageA(search.Box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

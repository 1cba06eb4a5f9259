// Reports what the system knows about a running saver, as another program sees it:
//   "cursor hidden" or "cursor shown": the cursor of the foreground window's thread;
//   "foreground <class>": whose thread that is;
//   "running 0" or "running 1": whether a saver has told the system that it runs.
// With the argument "clear" it first tells the system that no saver runs (a test's known start;
// a saver ended by force leaves the state on).
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "clear") == 0)
    {
        UINT previous = 0;
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, 0, &previous, 0);
    }
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    if (!GetCursorInfo(&cursor))
        return 1;
    printf("cursor %s\n", cursor.hCursor == NULL ? "hidden" : "shown");

    char foreground_class[64] = "";
    GetClassNameA(GetForegroundWindow(), foreground_class, sizeof(foreground_class));
    printf("foreground %s\n", foreground_class);

    BOOL running = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0))
        return 1;
    printf("running %d\n", running ? 1 : 0);
    return 0;
}

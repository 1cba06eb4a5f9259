// The end-to-end tests' hands inside the Wine session, for what a script cannot do with xdotool
// and `wine reg`:
//   parent [<end-file>]  a program that starts the saver over a window of its own: Run_Parent
//   dismiss <caption> <seconds>  prints "text: <text>" for each text of that message box and
//                        presses OK; status 1 when none came
//   volatile <subkey>    makes a key below HKEY_CURRENT_USER volatile (emptied first), so that
//                        no lasting key can be created below it
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Shows the parent, a client area of the control panel's preview size, and another window in
// the foreground (a saver that takes the foreground window instead of its parent is caught),
// prints "window <parent>" and "foreground <other>", then pumps messages. When a preview child
// appears it prints "preview <width> <height>"; once <end-file> exists it destroys its windows.
static int Run_Parent(const char *end_file)
{
    WNDCLASSA parent_class = {};
    parent_class.lpfnWndProc = DefWindowProcA;
    parent_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    parent_class.lpszClassName = "QuillomarParent";
    RegisterClassA(&parent_class);
    RECT frame = {0, 0, 152, 112};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND parent =
        CreateWindowA("QuillomarParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                      frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, NULL, NULL);
    HWND other = CreateWindowA("QuillomarParent", "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400,
                               40, 300, 200, NULL, NULL, NULL, NULL);
    SetForegroundWindow(other);
    printf("window %u\nforeground %u\n", unsigned(UINT_PTR(parent)), unsigned(UINT_PTR(other)));
    HWND preview = NULL;
    // Pumping all the while: the preview sends its parent messages while it is made.
    while (end_file == NULL || GetFileAttributesA(end_file) == INVALID_FILE_ATTRIBUTES)
    {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
        if (preview == NULL && (preview = FindWindowExA(parent, NULL, NULL, "Preview")) != NULL)
        {
            RECT client;
            GetClientRect(preview, &client);
            printf("preview %ld %ld\n", client.right, client.bottom);
        }
    }
    DestroyWindow(other);
    DestroyWindow(parent);
    return 0;
}

static BOOL CALLBACK Print_Text(HWND child, LPARAM)
{
    char text[512] = "";
    if (GetWindowTextA(child, text, sizeof(text)) > 0)
        printf("text: %s\n", text);
    return TRUE;
}

static int Dismiss(const char *caption, int seconds)
{
    HWND box = NULL;
    for (int i = 0; i < seconds * 20 && (box = FindWindowA(NULL, caption)) == NULL; ++i)
        Sleep(50);
    if (box == NULL)
        return 1;
    EnumChildWindows(box, Print_Text, 0);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

static int Make_Volatile(const char *subkey)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey);
    RegDeleteKeyA(HKEY_CURRENT_USER, subkey);
    HKEY key = NULL;
    const LONG made = RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, NULL, REG_OPTION_VOLATILE,
                                      KEY_ALL_ACCESS, NULL, &key, NULL);
    return made == ERROR_SUCCESS ? 0 : 1;
}

int main(int argc, char **argv)
{
    const char *command = argc > 1 ? argv[1] : "";
    setvbuf(stdout, NULL, _IONBF, 0); // the scripts read as it goes
    if (strcmp(command, "parent") == 0)
        return Run_Parent(argc > 2 ? argv[2] : NULL);
    if (strcmp(command, "dismiss") == 0 && argc == 4)
        return Dismiss(argv[2], atoi(argv[3]));
    if (strcmp(command, "volatile") == 0 && argc == 3)
        return Make_Volatile(argv[2]);
    fprintf(stderr, "usage: e2e_driver parent|dismiss|volatile ...\n");
    return 2;
}

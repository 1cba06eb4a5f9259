// Stands in for the system's password provider, PASSWORD.CPL, so that tests can play the user
// who types a right or a wrong password. Controlled through a directory whose Windows path is in
// the environment variable QUILLOMAR_TEST_VERIFIER:
//   <dir>\answer   read at each call: "accept" or "refuse", optionally followed by
//                  "wait": pump messages until <dir>\release exists (then delete it), as the
//                          provider's modal dialog would while the user types;
//                  "key":  post a key press to the window just before answering, as a key
//                          pressed over the saver as the dialog closes would.
//   <dir>\calls    one line appended per call:
//                  "VerifyScreenSavePwd <window, decimal> <its class> <tick count>".
// A missing answer file refuses. Like a real dialog, the call shows the arrow cursor.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace
{

bool Directory(char *path, size_t size)
{
    const DWORD length = GetEnvironmentVariableA("QUILLOMAR_TEST_VERIFIER", path, DWORD(size));
    return length > 0 && length < size;
}

bool File_In(const char *directory, const char *name, char *path, size_t size)
{
    const int length = snprintf(path, size, "%s\\%s", directory, name);
    return length > 0 && size_t(length) < size;
}

void Record_Call(const char *directory, HWND window)
{
    char path[MAX_PATH];
    if (!File_In(directory, "calls", path, sizeof(path)))
        return;
    char window_class[64] = "";
    GetClassNameA(window, window_class, sizeof(window_class));
    FILE *calls = fopen(path, "a");
    if (calls == NULL)
        return;
    fprintf(calls, "VerifyScreenSavePwd %lu %.63s %lu\n",
            static_cast<unsigned long>(uintptr_t(window)), window_class, GetTickCount());
    fclose(calls);
}

void Read_Answer(const char *directory, char *answer, size_t size)
{
    answer[0] = '\0';
    char path[MAX_PATH];
    if (!File_In(directory, "answer", path, sizeof(path)))
        return;
    FILE *file = fopen(path, "r");
    if (file == NULL)
        return;
    if (fgets(answer, int(size), file) == NULL)
        answer[0] = '\0';
    fclose(file);
}

// One message at a time, like a dialog's loop: the saver's drawing window asks to be painted
// again after every frame, so the queue is never empty. At most 30 s, so that a test that
// forgets the release cannot hang the saver.
void Pump_Until_Released(const char *directory)
{
    char path[MAX_PATH];
    if (!File_In(directory, "release", path, sizeof(path)))
        return;
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 30000)
    {
        MSG message;
        if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        else
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    DeleteFileA(path);
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    char directory[MAX_PATH];
    if (!Directory(directory, sizeof(directory)))
        return FALSE;
    Record_Call(directory, window);
    SetCursor(LoadCursorA(NULL, MAKEINTRESOURCEA(32512))); // IDC_ARROW
    char answer[128];
    Read_Answer(directory, answer, sizeof(answer));
    if (strstr(answer, "wait") != NULL)
        Pump_Until_Released(directory);
    if (strstr(answer, "key") != NULL)
        PostMessageA(window, WM_KEYDOWN, 'A', 1);
    return strncmp(answer, "accept", 6) == 0;
}

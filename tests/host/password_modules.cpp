// The optional password modules of the Windows 95 family, played by the tests. Built as
// PASSWORD.CPL (with QUILLOMAR_VERIFIER), the password provider, and as MPR.DLL, the network
// provider, which also serves as a PASSWORD.CPL without the verifier.
//
// The verifier shows the arrow cursor, as a real dialog does, and appends a line to the file
// "calls" of the directory QUILLOMAR_TEST_VERIFIER. Its answer is QUILLOMAR_TEST_VERIFIER_ANSWER,
// else that directory's file "answer" (missing: refuse): "accept" or "refuse", then "wait" to
// pump messages until the file "release" exists (then delete it), as a dialog would while the
// user types, or "key" to post a key press to the saver just before answering.
#include <windows.h>

#include <cstdio>
#include <string>

static std::string Environment(const char *name)
{
    char value[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length < sizeof(value) ? value : "";
}

// Each call appends "PwdChangePasswordA <provider> <parent, decimal> <flags> <reserved>" to the
// file named by QUILLOMAR_TEST_PROVIDER_LOG.
extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD flags, LPVOID reserved)
{
    FILE *log = fopen(Environment("QUILLOMAR_TEST_PROVIDER_LOG").c_str(), "a");
    if (log == nullptr)
        return ERROR_OPEN_FAILED;
    fprintf(log, "PwdChangePasswordA %.100s %lu %lu %lu\n", provider,
            static_cast<unsigned long>(uintptr_t(parent)), static_cast<unsigned long>(flags),
            static_cast<unsigned long>(uintptr_t(reserved)));
    fclose(log);
    return NO_ERROR;
}

#ifdef QUILLOMAR_VERIFIER
// One message at a time, like a dialog's loop: the saver's drawing window asks to be painted
// again after every frame, so the queue is never empty. At most 30 s, so that a test that
// forgets the release cannot hang the saver.
static void Pump_Until_Released(const std::string &release)
{
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - start < 30000)
    {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    DeleteFileA(release.c_str());
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); // IDC_ARROW
    const std::string directory = Environment("QUILLOMAR_TEST_VERIFIER") + "\\";
    std::string answer = Environment("QUILLOMAR_TEST_VERIFIER_ANSWER");
    if (directory.size() > 1)
    {
        char line[128] = "";
        FILE *file = fopen((directory + "answer").c_str(), "r");
        if (file != nullptr && fgets(line, sizeof(line), file) != nullptr && answer.empty())
            answer = line;
        if (file != nullptr)
            fclose(file);
        if ((file = fopen((directory + "calls").c_str(), "a")) != nullptr)
        {
            fputs("VerifyScreenSavePwd\n", file);
            fclose(file);
        }
    }
    if (answer.find("wait") != std::string::npos)
        Pump_Until_Released(directory + "release");
    if (answer.find("key") != std::string::npos)
        PostMessageA(window, WM_KEYDOWN, 'A', 1);
    return answer.compare(0, 6, "accept") == 0;
}
#endif

// Stands in for the system's network provider library, MPR.DLL, so that tests can see how the
// saver asks for a password change. Each call of PwdChangePasswordA appends one line to the file
// whose Windows path is in the environment variable QUILLOMAR_TEST_PROVIDER_LOG:
//   "PwdChangePasswordA <provider> <parent window, decimal> <flags> <reserved pointer>"
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD flags, LPVOID reserved)
{
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("QUILLOMAR_TEST_PROVIDER_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return ERROR_INVALID_PARAMETER;
    FILE *log = fopen(path, "a");
    if (log == NULL)
        return ERROR_OPEN_FAILED;
    fprintf(log, "PwdChangePasswordA %.100s %lu %lu %lu\n", provider != NULL ? provider : "(null)",
            static_cast<unsigned long>(uintptr_t(parent)), static_cast<unsigned long>(flags),
            static_cast<unsigned long>(uintptr_t(reserved)));
    fclose(log);
    return NO_ERROR;
}

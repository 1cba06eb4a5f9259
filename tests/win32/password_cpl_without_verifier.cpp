// A password provider that lacks the verifier function: it loads, and exports only something
// else, as a provider from another system or of another age might.
#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI PwdChangePasswordA(LPCSTR, HWND, DWORD, LPVOID)
{
    return FALSE;
}

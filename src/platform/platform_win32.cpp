// Win32 side of the platform seam.
#include "platform.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

namespace Platform
{

bool Read_Counter(int64_t *count)
{
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value))
        return false;
    *count = value.QuadPart;
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value))
        return false;
    *ticks_per_second = value.QuadPart;
    return true;
}

// The system's tick count wraps as the multimedia timer does, and is exact enough for times of
// half a second and more; unlike the multimedia timer it needs no library of its own (which
// would bring the audio compression manager into a program that plays nothing).
uint32_t Milliseconds()
{
    return GetTickCount();
}

int Screen_Width()
{
    return GetSystemMetrics(SM_CXSCREEN);
}
int Screen_Height()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

void Failure_Beep()
{
    MessageBeep(MB_ICONEXCLAMATION);
}

void Show_Error_Box(const char *caption, const char *message)
{
    MessageBoxA(nullptr, message, caption, MB_ICONERROR | MB_OK);
}

void Break_Into_Debugger()
{
    // DebugBreak without a debugger raises an unhandled exception and the process dies with a
    // crash report instead of exiting with its status.
    if (IsDebuggerPresent())
        DebugBreak();
}

// A GUI program has no console, and the assertions' message box is the one the saver must not
// show: the beep alone reports.
void Report_Failure(const char *) {}

// Bitmap resources of the executable's own module, as DIB sections: their pixels stay in the
// layout they were stored in instead of being converted to the display's format.
CBitmapResource *Load_Bitmap_Resource(int resource_id)
{
    HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource_id & 0xFFFF),
                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    return reinterpret_cast<CBitmapResource *>(image);
}

bool Describe_Bitmap(CBitmapResource *bitmap, CBitmapBits *bits)
{
    DIBSECTION section;
    if (GetObjectA(reinterpret_cast<HBITMAP>(bitmap), sizeof(section), &section) !=
        int(sizeof(section)))
        return false;
    // A resource of another depth, compressed or top-down would be misread as 24-bit rows.
    const BITMAPINFOHEADER &header = section.dsBmih;
    if (header.biBitCount != 24 || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        header.biHeight <= 0 || section.dsBm.bmBits == nullptr)
        return false;
    bits->Width = section.dsBm.bmWidth;
    bits->Height = section.dsBm.bmHeight;
    bits->Bits = static_cast<const uint8_t *>(section.dsBm.bmBits);
    return true;
}

void Delete_Bitmap(CBitmapResource *bitmap)
{
    DeleteObject(reinterpret_cast<HBITMAP>(bitmap));
}

// Settings store: the registry below HKEY_CURRENT_USER. A CSettingsKey is an HKEY.

CSettingsKey *User_Settings_Root()
{
    return reinterpret_cast<CSettingsKey *>(HKEY_CURRENT_USER);
}

long Create_Settings_Key(CSettingsKey *parent_key, const char *subkey_name, CSettingsKey **key)
{
    HKEY opened = nullptr;
    DWORD disposition = 0;
    char no_class[] = "";
    const LONG result =
        RegCreateKeyExA(reinterpret_cast<HKEY>(parent_key), subkey_name, 0, no_class,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened, &disposition);
    *key = result == ERROR_SUCCESS ? reinterpret_cast<CSettingsKey *>(opened) : nullptr;
    return result;
}

void Close_Settings_Key(CSettingsKey *key)
{
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

long Read_Setting(CSettingsKey *key, const char *name, uint32_t *type, void *data, uint32_t *size)
{
    DWORD stored_type = 0;
    DWORD stored_size = *size;
    const LONG result = RegQueryValueExA(reinterpret_cast<HKEY>(key), name, nullptr, &stored_type,
                                         static_cast<BYTE *>(data), &stored_size);
    *type = stored_type;
    *size = stored_size;
    return result;
}

bool Is_Missing_Setting(long error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_MORE_DATA;
}

long Write_Setting(CSettingsKey *key, const char *name, uint32_t type, const void *data,
                   uint32_t size)
{
    return RegSetValueExA(reinterpret_cast<HKEY>(key), name, 0, type,
                          static_cast<const BYTE *>(data), size);
}

// System data for the start-up log header.

bool Read_Memory_Status(CMemoryStatus *status)
{
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof(memory);
    GlobalMemoryStatus(&memory);
    status->TotalPhysical = memory.dwTotalPhys;
    status->AvailablePhysical = memory.dwAvailPhys;
    return true;
}

int Processor_Count()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return int(info.dwNumberOfProcessors);
}

bool Read_Os_Version(COsVersion *version)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info))
        return false;
    version->MajorVersion = info.dwMajorVersion;
    version->MinorVersion = info.dwMinorVersion;
    version->BuildNumber = info.dwBuildNumber;
    version->PlatformId = info.dwPlatformId;
    snprintf(version->ServicePack, sizeof(version->ServicePack), "%.*s",
             int(sizeof(info.szCSDVersion)), info.szCSDVersion);
    return true;
}

bool Module_File_Name(char *path, size_t size)
{
    if (path == nullptr || size == 0)
        return false;
    const DWORD capacity = size > MAXDWORD ? MAXDWORD : DWORD(size);
    // A cut path comes back filling the buffer, and unterminated on Windows XP.
    const DWORD length = GetModuleFileNameA(nullptr, path, capacity);
    if (length == 0 || length >= capacity)
    {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool Read_File_Size(const char *path, uint64_t *size_bytes)
{
    HANDLE file = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    const BOOL known = GetFileSizeEx(file, &size);
    CloseHandle(file);
    if (known)
        *size_bytes = uint64_t(size.QuadPart);
    return known != FALSE;
}

// Once per process, on the one thread; ole32 is loaded only when a URL is opened, and kept.
static void Initialize_Com()
{
    typedef HRESULT(WINAPI * CCoInitializeEx)(void *, DWORD);
    static bool done = false;
    if (done)
        return;
    done = true;
    HMODULE ole = LoadLibraryA("ole32.dll");
    const FARPROC entry = ole != nullptr ? GetProcAddress(ole, "CoInitializeEx") : nullptr;
    if (entry != nullptr)
        reinterpret_cast<CCoInitializeEx>(reinterpret_cast<void (*)()>(entry))(
            nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

// Opening a URL: the shell finds the program for its scheme and starts it; the call waits for
// the shell's own part only, not for that program. A refusal shows no error box: it might open
// where nobody sees it. The shell (and all it pulls in) is loaded the first time a link is
// followed, not at start: a running saver never needs it.
bool Open_Url(const char *url, long *error_code)
{
    typedef BOOL(WINAPI * CShellExecuteEx)(SHELLEXECUTEINFOA *);
    // Kept loaded: a started program or the shell's own threads may still be using it.
    static HMODULE shell = nullptr;
    if (shell == nullptr)
        shell = LoadLibraryA("shell32.dll");
    const FARPROC entry = shell != nullptr ? GetProcAddress(shell, "ShellExecuteExA") : nullptr;
    if (entry == nullptr)
    {
        if (error_code != nullptr)
            *error_code = long(GetLastError());
        return false;
    }
    // Through a function type that takes nothing, so the compiler accepts the cast.
    const CShellExecuteEx shell_execute_ex =
        reinterpret_cast<CShellExecuteEx>(reinterpret_cast<void (*)()>(entry));

    // The shell may hand the URL on through COM, and the caller (a key that also ends the
    // saver) may exit at once: COM first, and no return before the shell has done its part.
    Initialize_Com();
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = GetDesktopWindow();
    info.lpVerb = "open";
    info.lpFile = url;
    info.nShow = SW_SHOWNORMAL;
    const BOOL accepted = shell_execute_ex(&info);
    if (!accepted && error_code != nullptr)
    {
        // The shell's own error box may clear the thread's error; its SE_ERR_ code remains.
        const DWORD error = GetLastError();
        *error_code = error != 0 ? long(error) : long(reinterpret_cast<INT_PTR>(info.hInstApp));
    }
    return accepted != FALSE;
}

} // namespace Platform

#include "url_scheme.h"

#include <windows.h>

namespace
{

std::string Own_Directory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1);
}

void Set_Default_Value(const std::string &key_path, const std::string &value)
{
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key_path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, NULL, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                   DWORD(value.size() + 1));
    RegCloseKey(key);
}

} // namespace

CRecordingUrlScheme::CRecordingUrlScheme(const char *purpose)
    : Name(std::string("quillomar-") + purpose + "-" + std::to_string(GetCurrentProcessId()))
{
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, Name.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        NULL) == ERROR_SUCCESS)
    {
        RegSetValueExA(key, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 1);
        RegCloseKey(key);
    }
    Set_Default_Value(Name + "\\shell\\open\\command",
                      "\"" + Own_Directory() + "url_handler_probe.exe\" \"%1\"");
    char temporary[MAX_PATH];
    GetTempPathA(sizeof(temporary), temporary);
    Output = std::string(temporary) + Name + ".txt";
    DeleteFileA(Output.c_str());
    SetEnvironmentVariableA("QUILLOMAR_URL_HANDLER_OUTPUT", Output.c_str());
}

CRecordingUrlScheme::~CRecordingUrlScheme()
{
    DeleteFileA(Output.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, Name.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, Name.c_str());
}

std::string CRecordingUrlScheme::Recorded() const
{
    std::string text;
    HANDLE file = CreateFileA(Output.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[1024];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

std::string CRecordingUrlScheme::Wait_For_Launch() const
{
    std::string text;
    for (int i = 0; i < 400 && text.empty(); ++i)
    {
        Sleep(50);
        text = Recorded();
    }
    return text;
}

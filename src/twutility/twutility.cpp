#include "twutility.h"

#include "options.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char SourceName[] = "twutility/twutility";

const char ProductName[] = "Quillomar";

void Log_Printf(const char *, ...) {}

void Assert(const char *expression, const char *file, int line)
{
    if (expression == nullptr || file == nullptr)
    {
        Log_Printf("Assert() param error.\n");
        Platform::Report_Failure("Assert() param error.");
        exit(1);
    }
    char message[1024];
    snprintf(message, sizeof(message), "%s (%d) Assert: %s\n", file, line, expression);
    Assert_Response(message);
}

void Assert_Response(const char *message)
{
    if (message == nullptr)
    {
        Log_Printf("Assert_Response() param error.\n");
        Platform::Report_Failure("Assert_Response() param error.");
    }
    else
    {
        Log_Printf("%s", message);
        Platform::Report_Failure(message);
        Platform::Failure_Beep();
        Platform::Break_Into_Debugger();
    }
    // The normal exit runs static destructors, so settings objects close cleanly.
    exit(1);
}

void Exit_If_Failed(int value, int failure_value, const char *function_name)
{
    TW_ASSERT(function_name != nullptr);
    if (value != failure_value)
        return;
    char message[500];
    snprintf(message, sizeof(message), "%s failed.", function_name);
    Platform::Show_Error_Box(ProductName, message);
    exit(1);
}

// Written once per process, before any reader could exist.
static bool ReleaseLoggingEnabled = false;

bool Has_Extension(const char *extensions, const char *name)
{
    const size_t length = strlen(name);
    if (extensions == nullptr || length == 0)
        return false;
    for (const char *at = extensions; (at = strstr(at, name)) != nullptr; at += length)
    {
        const bool starts = at == extensions || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0'))
            return true;
    }
    return false;
}

void Set_Release_Logging(bool enabled)
{
    ReleaseLoggingEnabled = enabled;
}

void Write_Log_Header()
{
    Log_Printf("=============================================================\n");
    Log_Printf("Logfile for %s by Tarnwick.\n", ProductName);
    Log_Printf("=============================================================\n");
    CUtility::Log_System_Data();
    CUtility::Log_Os_Data();
    CUtility::Log_Module_Data();
    COptions::Dump_To_Logfile();
}

void CUtility::Log_System_Data()
{
    Log_Printf("CUtility::Log_System_Data:\n");
    Platform::CMemoryStatus memory = {};
    if (Platform::Read_Memory_Status(&memory))
    {
        // 64-bit: a machine with more than 2 GB would not fit the 32-bit number.
        Log_Printf("  Physical memory: %llu bytes\n", (unsigned long long)memory.TotalPhysical);
        Log_Printf("  Available memory: %llu bytes\n",
                   (unsigned long long)memory.AvailablePhysical);
    }
    Log_Printf("  Processors: %d\n", Platform::Processor_Count());
}

const char *CUtility::Os_Version_Name(const Platform::COsVersion &version)
{
    const uint32_t major_version = version.MajorVersion;
    const uint32_t minor_version = version.MinorVersion;
    switch (version.PlatformId)
    {
        case Platform::OS_PLATFORM_WIN32S:
            return "Windows 3.1";
        case Platform::OS_PLATFORM_WIN32_WINDOWS:
            if (major_version < 4 || (major_version == 4 && minor_version == 0))
                return (version.BuildNumber & 0xFFFF) > 1000 ? "Windows 95 OSR2" : "Windows 95";
            return minor_version == 90 ? "Windows Me" : "Windows 98";
        case Platform::OS_PLATFORM_WIN32_NT:
            if (major_version < 5)
                return "Windows NT";
            return minor_version == 1 ? "Windows XP" : "Windows 2000";
        default:
            return nullptr;
    }
}

void CUtility::Log_Os_Data()
{
    Log_Printf("CUtility::Log_Os_Data:\n");
    Platform::COsVersion version = {};
    const int gve = Platform::Read_Os_Version(&version) ? 1 : 0;
    TW_ASSERT(gve != 0);
    Log_Printf("  Windows version %u.%u.%u, platform %u, (%.*s) = ", version.MajorVersion,
               version.MinorVersion, version.BuildNumber, version.PlatformId,
               int(sizeof(version.ServicePack)), version.ServicePack);
    const char *name = Os_Version_Name(version);
    if (name != nullptr)
        Log_Printf("%s", name);
    Log_Printf("\n");
}

void CUtility::Log_Module_Data()
{
    Log_Printf("CUtility::Log_Module_Data:\n");
    char path[260];
    if (!Platform::Module_File_Name(path, sizeof(path)))
        path[0] = '\0';
    Log_Printf("  Filename: %s\n", path);
    uint64_t size = 0;
    if (path[0] == '\0' || !Platform::Read_File_Size(path, &size))
        return;
    Log_Printf("  File size: %llu\n", (unsigned long long)size);
}

int CUtility::Launch_Url(const char *url)
{
    Log_Printf("CUtility::Launch_Url\n");
    TW_ASSERT(url != nullptr);
    long error_code = 0;
    if (Platform::Open_Url(url, &error_code))
        return 1;
    Log_Printf("::ShellExecuteEx(%s) failed with error code %ld.\n", url, error_code);
    return 0;
}

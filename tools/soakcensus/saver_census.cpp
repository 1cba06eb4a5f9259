// One line of figures about a running saver, read from outside its process, for scripts/soak:
//   saver_census [--pid N] [--bananas-offset HEX [--samples K] [--every MS]]
//
//   pid=N gdi=N user=N windows=N handles=N table_handles=N bananas=N bananas_min=N
//         bananas_max=N samples=K unsettled=N
//
// The process is the one given by its Windows id, else the only one whose image is
// Quillomar.scr.
//   gdi, user: GetGuiResources; "n/a" when the system does not implement it (Wine 8 answers 0
//     with ERROR_CALL_NOT_IMPLEMENTED), which is why windows is there.
//   windows: the process's windows, top-level and child, as EnumWindows and EnumChildWindows
//     list them: the part of its USER objects that can be counted from outside. Menus, cursors,
//     hooks and the like are not counted.
//   handles: GetProcessHandleCount, or "n/a" when it fails or answers 0, which no live process
//     can have (Wine 8 answers 0 without counting).
//   table_handles: the process's entries in the system's handle table
//     (NtQuerySystemInformation, SystemHandleInformation), or "n/a": under Wine this is the
//     wineserver's own table of the process's handles.
//   bananas: the non-null entries of CRender::Bananas, read from the saver's memory at the given
//     offset from its image's base (the symbol's address minus the PE image base; the image may
//     be loaded elsewhere). The pointers are only compared with null, never followed.
// A banana sample is two readings 2 ms apart: the saver changes the slots while it updates a
// frame (microseconds), and a reading taken just then can see a banana retired before its
// successor is born. A sample whose two readings differ is counted as unsettled and left out of
// the figures; a count that lasts from one frame's update to the next (the whole frame) passes
// when the frame is longer than 2 ms. K samples are taken MS apart; bananas is the last,
// bananas_min and bananas_max the extremes.
//
// Exit status 0 with the line printed, 1 when the process cannot be found or read, 2 on a bad
// command line.
#include <windows.h>

#include <tlhelp32.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

const char SaverImage[] = "Quillomar.scr";
const int NumSlots = 50; // CRender::NumSlots
const DWORD SettleMs = 2;

struct CCommandLine
{
    DWORD Pid = 0;
    bool HasOffset = false;
    uint64_t BananasOffset = 0;
    long Samples = 1;
    long EveryMs = 0;
};

bool Parse_Number(const char *text, int base, uint64_t upper, uint64_t *value)
{
    char *end = nullptr;
    errno = 0;
    const unsigned long long parsed = strtoull(text, &end, base);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || parsed > upper)
        return false;
    *value = parsed;
    return true;
}

bool Parse_Command_Line(int argc, char **argv, CCommandLine *line)
{
    for (int i = 1; i < argc; ++i)
    {
        if (i + 1 >= argc)
            return false;
        const char *option = argv[i];
        const char *text = argv[++i];
        uint64_t value = 0;
        if (strcmp(option, "--pid") == 0 && Parse_Number(text, 10, 0xFFFFFFFFu, &value) &&
            value != 0)
            line->Pid = DWORD(value);
        else if (strcmp(option, "--bananas-offset") == 0 && Parse_Number(text, 16, ~0ull, &value))
        {
            line->HasOffset = true;
            line->BananasOffset = value;
        }
        else if (strcmp(option, "--samples") == 0 && Parse_Number(text, 10, 100000, &value) &&
                 value != 0)
            line->Samples = long(value);
        else if (strcmp(option, "--every") == 0 && Parse_Number(text, 10, 60000, &value))
            line->EveryMs = long(value);
        else
            return false;
    }
    return true;
}

// The id of the only process running the saver's image; 0 when there is none or more than one.
DWORD Find_Saver()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    int matches = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    {
        if (_stricmp(entry.szExeFile, SaverImage) == 0)
        {
            found = entry.th32ProcessID;
            ++matches;
        }
    }
    CloseHandle(snapshot);
    if (matches > 1)
        fprintf(stderr, "saver_census: %d processes run %s; name one with --pid\n", matches,
                SaverImage);
    return matches == 1 ? found : 0;
}

// The load address and size of the process's main image (the first module of its snapshot).
bool Find_Image(DWORD pid, uintptr_t *base, uintptr_t *size)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof(module);
    const bool found = Module32First(snapshot, &module) != FALSE;
    if (found)
    {
        *base = reinterpret_cast<uintptr_t>(module.modBaseAddr);
        *size = module.modBaseSize;
    }
    CloseHandle(snapshot);
    return found;
}

// "n/a" when the call is not implemented, else the figure.
void Format_Gui_Resources(HANDLE process, DWORD kind, char *text, size_t size)
{
    SetLastError(ERROR_SUCCESS);
    const DWORD count = GetGuiResources(process, kind);
    if (count == 0 && GetLastError() != ERROR_SUCCESS)
        snprintf(text, size, "n/a");
    else
        snprintf(text, size, "%lu", static_cast<unsigned long>(count));
}

// The class and entry of NtQuerySystemInformation's handle table, as documented for it.
const ULONG SystemHandleInformationClass = 16;
const LONG StatusInfoLengthMismatch = LONG(0xC0000004);
struct CHandleEntry
{
    ULONG OwnerPid;
    BYTE ObjectType;
    BYTE HandleFlags;
    USHORT HandleValue;
    PVOID ObjectPointer;
    ULONG AccessMask;
};
struct CHandleTable
{
    ULONG Count;
    CHandleEntry Handles[1];
};
typedef LONG(WINAPI *QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

// The process's entries in the system handle table; -1 when the table cannot be read.
long Count_Table_Handles(DWORD pid)
{
    const QuerySystemInformation query =
        reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return -1;
    ULONG size = 1 << 16;
    for (int attempt = 0; attempt < 8; ++attempt, size *= 2)
    {
        CHandleTable *table = static_cast<CHandleTable *>(malloc(size));
        if (table == nullptr)
            return -1;
        ULONG needed = 0;
        const LONG status = query(SystemHandleInformationClass, table, size, &needed);
        if (status == StatusInfoLengthMismatch)
        {
            free(table);
            continue;
        }
        long count = -1;
        if (status >= 0)
        {
            count = 0;
            for (ULONG i = 0; i < table->Count; ++i)
                count += table->Handles[i].OwnerPid == pid ? 1 : 0;
        }
        free(table);
        return count;
    }
    return -1;
}

struct CWindowTally
{
    DWORD Pid;
    long Count;
};

BOOL CALLBACK Count_Child(HWND window, LPARAM data)
{
    CWindowTally *tally = reinterpret_cast<CWindowTally *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == tally->Pid)
        ++tally->Count;
    return TRUE;
}

// EnumChildWindows walks every descendant, so each window is seen once.
BOOL CALLBACK Count_Top_Level(HWND window, LPARAM data)
{
    Count_Child(window, data);
    EnumChildWindows(window, Count_Child, data);
    return TRUE;
}

bool Read_Count(HANDLE process, uintptr_t address, int *count)
{
    uint64_t slots[NumSlots] = {};
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), slots, sizeof(slots),
                           &read) ||
        read != sizeof(slots))
        return false;
    *count = 0;
    for (uint64_t slot : slots)
        *count += slot != 0 ? 1 : 0;
    return true;
}

// One sample: *settled is false when its two readings differ.
bool Sample_Count(HANDLE process, uintptr_t address, int *count, bool *settled)
{
    int second = 0;
    if (!Read_Count(process, address, count))
        return false;
    Sleep(SettleMs);
    if (!Read_Count(process, address, &second))
        return false;
    *settled = *count == second;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    CCommandLine line;
    if (!Parse_Command_Line(argc, argv, &line))
    {
        fprintf(stderr, "usage: saver_census [--pid N] [--bananas-offset HEX [--samples K] "
                        "[--every MS]]\n");
        return 2;
    }
    const DWORD pid = line.Pid != 0 ? line.Pid : Find_Saver();
    if (pid == 0)
    {
        fprintf(stderr, "saver_census: no process runs %s\n", SaverImage);
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr)
    {
        fprintf(stderr, "saver_census: cannot open process %lu (error %lu)\n",
                static_cast<unsigned long>(pid), GetLastError());
        return 1;
    }
    // A process that has exited can still be opened while a handle to it is alive elsewhere.
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(process, &exit_code) || exit_code != STILL_ACTIVE)
    {
        fprintf(stderr, "saver_census: process %lu has exited\n", static_cast<unsigned long>(pid));
        return 1;
    }

    char gdi[16], user[16], handles[16], table_handles[16];
    Format_Gui_Resources(process, GR_GDIOBJECTS, gdi, sizeof(gdi));
    Format_Gui_Resources(process, GR_USEROBJECTS, user, sizeof(user));
    DWORD handle_count = 0;
    if (GetProcessHandleCount(process, &handle_count) && handle_count != 0)
        snprintf(handles, sizeof(handles), "%lu", static_cast<unsigned long>(handle_count));
    else
        snprintf(handles, sizeof(handles), "n/a");
    const long table_count = Count_Table_Handles(pid);
    if (table_count >= 0)
        snprintf(table_handles, sizeof(table_handles), "%ld", table_count);
    else
        snprintf(table_handles, sizeof(table_handles), "n/a");
    CWindowTally windows = {pid, 0};
    EnumWindows(Count_Top_Level, reinterpret_cast<LPARAM>(&windows));

    char bananas[96] = "";
    if (line.HasOffset)
    {
        uintptr_t base = 0, size = 0;
        if (!Find_Image(pid, &base, &size) || line.BananasOffset > size ||
            size - line.BananasOffset < sizeof(uint64_t) * NumSlots)
        {
            fprintf(stderr, "saver_census: offset 0x%llx is not inside the image of process %lu\n",
                    static_cast<unsigned long long>(line.BananasOffset),
                    static_cast<unsigned long>(pid));
            return 1;
        }
        const uintptr_t address = base + uintptr_t(line.BananasOffset);
        int last = -1, lowest = NumSlots + 1, highest = -1;
        long unsettled = 0;
        for (long sample = 0; sample < line.Samples; ++sample)
        {
            if (sample > 0)
                Sleep(DWORD(line.EveryMs));
            int count = 0;
            bool settled = false;
            if (!Sample_Count(process, address, &count, &settled))
            {
                fprintf(stderr, "saver_census: cannot read process %lu (error %lu)\n",
                        static_cast<unsigned long>(pid), GetLastError());
                return 1;
            }
            if (!settled)
            {
                ++unsettled;
                continue;
            }
            last = count;
            lowest = count < lowest ? count : lowest;
            highest = count > highest ? count : highest;
        }
        if (last < 0)
            snprintf(bananas, sizeof(bananas), " bananas=n/a samples=%ld unsettled=%ld",
                     line.Samples, unsettled);
        else
            snprintf(bananas, sizeof(bananas),
                     " bananas=%d bananas_min=%d bananas_max=%d samples=%ld unsettled=%ld", last,
                     lowest, highest, line.Samples, unsettled);
    }
    printf("pid=%lu gdi=%s user=%s windows=%ld handles=%s table_handles=%s%s\n",
           static_cast<unsigned long>(pid), gdi, user, windows.Count, handles, table_handles,
           bananas);
    CloseHandle(process);
    return 0;
}

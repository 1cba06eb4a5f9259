// POSIX side of the platform seam, used by the native build (tests, tools, benchmarks).
#include "platform.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Platform
{

bool Read_Counter(int64_t *count)
{
    timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return false;
    *count = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    return true;
}

bool Read_Counter_Frequency(int64_t *ticks_per_second)
{
    *ticks_per_second = 1000000000; // Read_Counter counts nanoseconds
    return true;
}

uint32_t Milliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Truncation to 32 bits gives the same wrapping behaviour as the Windows tick clock.
    return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

// The portable build has no display of its own: a host that owns one (an X11 window) knows its
// size. Zero makes any reader that relies on it fail its own check rather than draw wrongly.
int Screen_Width()
{
    return 0;
}
int Screen_Height()
{
    return 0;
}

void Failure_Beep()
{
    if (isatty(STDERR_FILENO))
        fputc('\a', stderr);
}

// The caption, the product's name, is the program's name that begins the line.
void Show_Error_Box(const char *, const char *message)
{
    Report_Failure(message);
}

static bool Is_Debugger_Attached()
{
    FILE *status = fopen("/proc/self/status", "r");
    if (status == nullptr)
        return false;
    char line[256];
    long tracer = 0;
    while (fgets(line, sizeof(line), status) != nullptr)
    {
        if (strncmp(line, "TracerPid:", 10) == 0)
        {
            tracer = strtol(line + 10, nullptr, 10);
            break;
        }
    }
    fclose(status);
    return tracer != 0;
}

void Break_Into_Debugger()
{
    // SIGTRAP without a tracer would kill the process abnormally instead of letting it exit.
    if (Is_Debugger_Attached())
        raise(SIGTRAP);
}

// One line, so that a hack's failure reads as one entry in the screen saver daemon's log.
void Report_Failure(const char *text)
{
    size_t length = strlen(text);
    while (length > 0 && text[length - 1] == '\n')
        --length;
    fprintf(stderr, "quillomar: %.*s\n", int(length), text);
}

// The settings store lives in settings_posix.cpp.

// System data for the start-up log header.

bool Read_Memory_Status(CMemoryStatus *status)
{
    const long page_bytes = sysconf(_SC_PAGESIZE);
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long available_pages = sysconf(_SC_AVPHYS_PAGES);
    if (page_bytes <= 0 || pages <= 0 || available_pages < 0)
        return false;
    status->TotalPhysical = uint64_t(pages) * uint64_t(page_bytes);
    status->AvailablePhysical = uint64_t(available_pages) * uint64_t(page_bytes);
    return true;
}

int Processor_Count()
{
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? int(count) : 1;
}

// The kernel's release ("6.1.0-18-amd64") gives major, minor and build numbers.
bool Read_Os_Version(COsVersion *version)
{
    utsname names;
    if (uname(&names) != 0)
        return false;
    unsigned numbers[3] = {0, 0, 0};
    sscanf(names.release, "%u.%u.%u", &numbers[0], &numbers[1], &numbers[2]);
    version->MajorVersion = numbers[0];
    version->MinorVersion = numbers[1];
    version->BuildNumber = numbers[2];
    version->PlatformId = OS_PLATFORM_POSIX;
    std::string kernel = std::string(names.sysname) + " " + names.release;
    snprintf(version->ServicePack, sizeof(version->ServicePack), "%s", kernel.c_str());
    return true;
}

bool Module_File_Name(char *path, size_t size)
{
    if (path == nullptr || size == 0)
        return false;
    // readlink neither terminates nor reports truncation: a full buffer may be a cut path.
    const ssize_t length = readlink("/proc/self/exe", path, size - 1);
    if (length <= 0 || size_t(length) >= size - 1)
    {
        path[0] = '\0';
        return false;
    }
    path[length] = '\0';
    return true;
}

bool Read_File_Size(const char *path, uint64_t *size_bytes)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat status;
    const bool known = fstat(fd, &status) == 0;
    close(fd);
    if (known)
        *size_bytes = uint64_t(status.st_size);
    return known;
}

// Opening a URL. xdg-open hands the URL to the desktop's handler and ends; on a desktop it
// does not recognise it may run a browser in the foreground, so the wait is bounded. A still
// running opener is left to run (and its exit is never collected).
static const int64_t OpenerWaitNs = int64_t(3) * 1000000000;

static int64_t Monotonic_Ns()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool Open_Url(const char *url, long *error_code)
{
    long ignored = 0;
    if (error_code == nullptr)
        error_code = &ignored;
    *error_code = 0;
    // xdg-open would read a leading '-' as an option of its own.
    if (url == nullptr || url[0] == '\0' || url[0] == '-')
    {
        *error_code = EINVAL;
        return false;
    }
    char *arguments[] = {const_cast<char *>("xdg-open"), const_cast<char *>(url), nullptr};
    pid_t opener = 0;
    const int spawned = posix_spawnp(&opener, "xdg-open", nullptr, nullptr, arguments, environ);
    if (spawned != 0)
    {
        *error_code = spawned;
        return false;
    }
    const int64_t deadline = Monotonic_Ns() + OpenerWaitNs;
    for (;;)
    {
        int status = 0;
        const pid_t ended = waitpid(opener, &status, WNOHANG);
        if (ended == opener)
        {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                return true;
            *error_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return false;
        }
        // ECHILD: the host lets the system collect children; the opener did start.
        if ((ended < 0 && errno != EINTR) || Monotonic_Ns() >= deadline)
            return true;
        usleep(5000);
    }
}

} // namespace Platform

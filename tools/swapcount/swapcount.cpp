// Counts the frames a GLX program presents, from outside it: preloaded (LD_PRELOAD), it stands in
// for glXSwapBuffers, passes each call on, and about once a second writes the running count and
// the monotonic time in seconds to the file named by QUILLOMAR_SWAP_LOG ("<swaps> <seconds>",
// rewritten in place). A program that does not swap (a single-buffered window) is not counted.
#include <GL/glx.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

typedef void (*CSwapBuffers)(Display *, GLXDrawable);

static unsigned long long Swaps = 0;
static double LastWrite = 0;

static double Now()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

static void Write_Count(double now)
{
    static int fd = -2;
    if (fd == -2)
    {
        const char *path = getenv("QUILLOMAR_SWAP_LOG");
        fd = path != nullptr ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    }
    if (fd < 0)
        return;
    char line[64];
    const int length = snprintf(line, sizeof(line), "%llu %.6f\n", Swaps, now);
    if (length > 0 && pwrite(fd, line, size_t(length), 0) == length)
        ftruncate(fd, length);
}

extern "C" void glXSwapBuffers(Display *display, GLXDrawable drawable)
{
    static CSwapBuffers next = reinterpret_cast<CSwapBuffers>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    next(display, drawable);
    ++Swaps;
    const double now = Now();
    if (Swaps == 1 || now - LastWrite >= 1.0)
    {
        Write_Count(now);
        LastWrite = now;
    }
}

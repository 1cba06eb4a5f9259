// The Linux program: the saver as an XScreenSaver hack, or in a window of its own. Each frame
// is the Windows drawing window's: timer, update, draw, show; then a pause of --delay.
#include "x11/glxwindow.h"
#include "x11/switches.h"

#include "host/hoststate.h"
#include "options.h"
#include "render.h"
#include "resolution.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"
#include "twutility/twutility.h"

#include <GL/gl.h>
#include <X11/Xutil.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// The daemon ends a hack with SIGTERM and never waits for it: the signal only wakes the loop,
// which then ends at once and cleanly.
static volatile sig_atomic_t StopRequested = 0;
static int WakePipe[2] = {-1, -1};

static void On_Stop_Signal(int)
{
    const int saved_errno = errno;
    StopRequested = 1;
    const char byte = 0;
    if (write(WakePipe[1], &byte, 1) < 0)
    {
        // The pipe is full: a wake-up is already pending.
    }
    errno = saved_errno;
}

static bool Install_Stop_Signals()
{
    if (pipe2(WakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = On_Stop_Signal;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

static void Resize(CGlxWindow &window, int width, int height)
{
    window.Width = width;
    window.Height = height;
    CResolution::Set_Window_Dimensions(width, height);
    CRender::Resize(width, height);
}

static void Draw_Frame(CGlxWindow &window)
{
    CRender::Frame();
    window.Swap();
}

// Handles what the server has sent; false when the program should end.
static bool Handle_Events(CGlxWindow &window, bool *draw_now)
{
    while (XPending(window.Connection) > 0)
    {
        XEvent event;
        XNextEvent(window.Connection, &event);
        switch (event.type)
        {
            case ConfigureNotify:
                if (event.xconfigure.window == window.Target &&
                    (event.xconfigure.width != window.Width ||
                     event.xconfigure.height != window.Height))
                    Resize(window, event.xconfigure.width, event.xconfigure.height);
                break;
            case Expose:
                *draw_now = true;
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == window.Target)
                    TargetWindowGone = true;
                break;
            case KeyPress:
                // Only a window of its own gets keys; shift, control and the like alone do not
                // end it, so that the user can switch away.
                if (!IsModifierKey(XLookupKeysym(&event.xkey, 0)))
                    return false;
                break;
            case ClientMessage:
                if (window.OwnWindow && Atom(event.xclient.data.l[0]) == window.DeleteWindowAtom)
                    return false;
                break;
        }
    }
    return !TargetWindowGone && !StopRequested;
}

// Waits until the pause after a frame has passed, handling events; false when the program
// should end.
static bool Pause(CGlxWindow &window, long delay_us)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long deadline_ns = now.tv_sec * 1000000000LL + now.tv_nsec + delay_us * 1000LL;
    for (;;)
    {
        bool draw_now = false;
        if (!Handle_Events(window, &draw_now))
            return false;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long left_ns = deadline_ns - (now.tv_sec * 1000000000LL + now.tv_nsec);
        if (draw_now || left_ns <= 0)
            return true;
        pollfd waits[2] = {{ConnectionNumber(window.Connection), POLLIN, 0},
                           {WakePipe[0], POLLIN, 0}};
        const timespec timeout = {time_t(left_ns / 1000000000LL), long(left_ns % 1000000000LL)};
        ppoll(waits, 2, &timeout, nullptr);
        char drained[16];
        while (read(WakePipe[0], drained, sizeof(drained)) > 0)
        {
        }
    }
}

static Window Daemon_Window(Display *display)
{
    unsigned long id = 0;
    if (Parse_Window_Id(getenv("XSCREENSAVER_WINDOW"), &id))
        return Window(id);
    return DefaultRootWindow(display);
}

static int Run(const CSwitches &switches)
{
    CGlxWindow window;
    bool ready = window.Open_Display();
    if (ready)
    {
        if (switches.Target == TARGET_OWN_WINDOW)
            ready = window.Create_Own_Window(1024, 768);
        else if (switches.Target == TARGET_ROOT)
            ready = window.Attach(Daemon_Window(window.Connection));
        else
            ready = window.Attach(Window(switches.WindowId));
    }
    ready = ready && window.Create_Context();
    if (!ready)
    {
        window.Close();
        return 1;
    }

    PreviewMode = switches.Target == TARGET_WINDOW_ID;
    CRender::FramerateRequested = switches.ShowFramerate;
    Set_Release_Logging(COptions::ReleaseLogging.Get_Value() == 1);
    Write_Log_Header();
    Seed_Random(uint32_t(time(nullptr)));
    CRender::Init(window.Connection);
    // Opaque black, also on a window with an alpha channel that a compositor would honour.
    glClearColor(0, 0, 0, 1);
    CTimer::Init();
    Resize(window, window.Width, window.Height);

    while (!TargetWindowGone && !StopRequested)
    {
        Draw_Frame(window);
        if (!Pause(window, switches.DelayMicroseconds))
            break;
    }
    CRender::Close();
    window.Close();
    return 0;
}

int main(int argc, char **argv)
{
    const CSwitches switches = Parse_Switches(argc, argv);
    if (switches.Error[0] != '\0')
    {
        fprintf(stderr, "quillomar: %s\n%s", switches.Error, Usage);
        return 1;
    }
    if (switches.Help)
    {
        fputs(Usage, stdout);
        return 0;
    }
    if (!Install_Stop_Signals())
    {
        perror("quillomar: signals");
        return 1;
    }
    return Run(switches);
}

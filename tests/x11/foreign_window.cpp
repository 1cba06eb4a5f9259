// A window of another program for the Linux saver to draw into, as a settings app's preview
// pane would be: `foreign_window plain` is 24-bit, single-buffered and without a depth buffer
// (the least a GL visual has), `foreign_window argb` is 32-bit with an alpha channel. Prints
// the window's id, then keeps it until SIGTERM, when exiting destroys it.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

static XVisualInfo *Plain_Visual(Display *display)
{
    // No double buffer and no depth size asked for: GLX then prefers visuals without them.
    int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    return glXChooseVisual(display, DefaultScreen(display), attributes);
}

static XVisualInfo *Argb_Visual(Display *display)
{
    XVisualInfo *visual = new XVisualInfo;
    if (!XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, visual))
        return nullptr;
    return visual;
}

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(nullptr);
    for (int attempt = 0; display == nullptr && attempt < 20; ++attempt) // as quillomar does
    {
        usleep(50000);
        display = XOpenDisplay(nullptr);
    }
    if (argc != 2 || display == nullptr)
    {
        fprintf(stderr, "usage: foreign_window plain|argb (with a display)\n");
        return 2;
    }
    XVisualInfo *visual =
        strcmp(argv[1], "argb") == 0 ? Argb_Visual(display) : Plain_Visual(display);
    if (visual == nullptr)
    {
        fprintf(stderr, "foreign_window: no such visual\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    attributes.border_pixel = 0;
    const Window window =
        XCreateWindow(display, root, 0, 0, 400, 300, 0, visual->depth, InputOutput, visual->visual,
                      CWColormap | CWBorderPixel, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    printf("0x%lx %d-bit visual 0x%lx\n", window, visual->depth, visual->visualid);
    fflush(stdout);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    int received = 0;
    sigwait(&signals, &received);
    XCloseDisplay(display);
    return 0;
}

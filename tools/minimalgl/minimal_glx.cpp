// The least a full-screen OpenGL hack can do on this stack, as the yardstick of scripts/bench-hack:
// the root window or the one in $XSCREENSAVER_WINDOW, a context on its own visual, frames back to
// back, each only cleared and swapped. SIGTERM or SIGINT ends it.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>

static volatile sig_atomic_t Stop = 0;

static void On_Signal(int)
{
    Stop = 1;
}

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        fprintf(stderr, "minimal_glx: no display\n");
        return 1;
    }
    const char *named = getenv("XSCREENSAVER_WINDOW");
    const Window window =
        named != nullptr ? Window(strtoul(named, nullptr, 0)) : DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int found = 0;
    XVisualInfo *visual = XGetVisualInfo(display, VisualIDMask, &wanted, &found);
    GLXContext context =
        visual != nullptr ? glXCreateContext(display, visual, nullptr, True) : nullptr;
    if (context == nullptr || !glXMakeCurrent(display, window, context))
    {
        fprintf(stderr, "minimal_glx: no OpenGL on that window\n");
        return 1;
    }
    signal(SIGTERM, On_Signal);
    signal(SIGINT, On_Signal);
    glViewport(0, 0, attributes.width, attributes.height);
    glClearColor(0, 0, 0, 1);
    while (!Stop)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFlush();
        glXSwapBuffers(display, window);
    }
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    XFree(visual);
    XCloseDisplay(display);
    return 0;
}

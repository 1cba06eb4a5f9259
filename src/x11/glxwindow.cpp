#include "x11/glxwindow.h"

#include <GL/gl.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

volatile bool TargetWindowGone = false;

static Window WatchedWindow = 0;

// A window destroyed by its owner (the settings app closing its preview) makes every later
// request on it fail: that ends the program quietly. Any other error is a fault of ours.
static int Note_X_Error(Display *display, XErrorEvent *error)
{
    if (WatchedWindow != 0 && error->resourceid == WatchedWindow)
    {
        TargetWindowGone = true;
        return 0;
    }
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof(text));
    fprintf(stderr, "quillomar: X error: %s (request %d.%d)\n", text, error->request_code,
            error->minor_code);
    exit(1);
}

bool CGlxWindow::Open_Display()
{
    Connection = XOpenDisplay(nullptr);
    // A busy X server now and then drops a new connection before its setup (seen with Xvfb
    // under load): a named display is asked again for up to a second.
    for (int attempt = 0; Connection == nullptr && XDisplayName(nullptr)[0] != '\0' && attempt < 20;
         ++attempt)
    {
        usleep(50000);
        Connection = XOpenDisplay(nullptr);
    }
    if (Connection == nullptr)
    {
        fprintf(stderr, "quillomar: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return false;
    }
    XSetErrorHandler(Note_X_Error);
    int error_base = 0;
    int event_base = 0;
    if (!glXQueryExtension(Connection, &error_base, &event_base))
    {
        fprintf(stderr, "quillomar: this display has no OpenGL (GLX)\n");
        return false;
    }
    return true;
}

// What the context is made for: the target window's own visual.
static XVisualInfo *Window_Visual(Display *display, Window window, int *width, int *height)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return nullptr;
    *width = attributes.width;
    *height = attributes.height;
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    wanted.screen = XScreenNumberOfScreen(attributes.screen);
    int found = 0;
    return XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &found);
}

bool CGlxWindow::Create_Own_Window(int width, int height)
{
    // The Windows saver's request: 24-bit colour, double buffered, a deep depth buffer; Mesa
    // offers 24 bits of depth where Windows drivers offer 32.
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
        8,        GLX_DEPTH_SIZE,   24,           None};
    const int screen = DefaultScreen(Connection);
    XVisualInfo *visual = glXChooseVisual(Connection, screen, attributes);
    if (visual == nullptr)
    {
        attributes[9] = 1; // any depth buffer at all
        visual = glXChooseVisual(Connection, screen, attributes);
    }
    if (visual == nullptr)
    {
        fprintf(stderr, "quillomar: this display has no double-buffered OpenGL visual\n");
        return false;
    }
    const Window root = RootWindow(Connection, screen);
    OwnColormap = XCreateColormap(Connection, root, visual->visual, AllocNone);
    XSetWindowAttributes window_attributes = {};
    window_attributes.colormap = OwnColormap;
    window_attributes.background_pixel = BlackPixel(Connection, screen);
    window_attributes.border_pixel = 0;
    window_attributes.event_mask = KeyPressMask | StructureNotifyMask | ExposureMask;
    Target = XCreateWindow(
        Connection, root, 0, 0, unsigned(width), unsigned(height), 0, visual->depth, InputOutput,
        visual->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &window_attributes);
    XFree(visual);
    OwnWindow = true;
    Width = width;
    Height = height;

    XStoreName(Connection, Target, "Quillomar");
    XClassHint class_hint = {const_cast<char *>("quillomar"), const_cast<char *>("Quillomar")};
    XSetClassHint(Connection, Target, &class_hint);
    DeleteWindowAtom = XInternAtom(Connection, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(Connection, Target, &DeleteWindowAtom, 1);
    XMapWindow(Connection, Target);
    return true;
}

bool CGlxWindow::Attach(Window window)
{
    WatchedWindow = window;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(Connection, window, &attributes) || TargetWindowGone)
    {
        fprintf(stderr, "quillomar: no window 0x%lx\n", window);
        return false;
    }
    Target = window;
    Width = attributes.width;
    Height = attributes.height;
    // Other clients own its input; size changes and exposures are all this program needs.
    XSelectInput(Connection, window, StructureNotifyMask | ExposureMask);
    return true;
}

bool CGlxWindow::Create_Context()
{
    WatchedWindow = Target;
    XVisualInfo *visual = Window_Visual(Connection, Target, &Width, &Height);
    int uses_gl = 0;
    int rgba = 0;
    if (visual == nullptr || glXGetConfig(Connection, visual, GLX_USE_GL, &uses_gl) != 0 ||
        !uses_gl || glXGetConfig(Connection, visual, GLX_RGBA, &rgba) != 0 || !rgba)
    {
        fprintf(stderr, "quillomar: window 0x%lx has no OpenGL visual\n", Target);
        if (visual != nullptr)
            XFree(visual);
        return false;
    }
    int double_buffered = 0;
    glXGetConfig(Connection, visual, GLX_DOUBLEBUFFER, &double_buffered);
    DoubleBuffered = double_buffered != 0;
    Context = glXCreateContext(Connection, visual, nullptr, True);
    XFree(visual);
    if (Context == nullptr || !glXMakeCurrent(Connection, Target, Context))
    {
        fprintf(stderr, "quillomar: glXCreateContext failed.\n");
        return false;
    }
    return true;
}

void CGlxWindow::Swap()
{
    // A single-buffered window shows what is drawn once it is flushed.
    glFlush();
    if (DoubleBuffered)
        glXSwapBuffers(Connection, Target);
}

void CGlxWindow::Close()
{
    if (Connection == nullptr)
        return;
    if (Context != nullptr)
    {
        glXMakeCurrent(Connection, None, nullptr);
        glXDestroyContext(Connection, Context);
        Context = nullptr;
    }
    if (OwnWindow)
    {
        XDestroyWindow(Connection, Target);
        XFreeColormap(Connection, OwnColormap);
    }
    XCloseDisplay(Connection);
    Connection = nullptr;
}

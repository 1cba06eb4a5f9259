// The X window the Linux program draws into and its OpenGL context: a window of its own, or a
// foreign one (the screen saver's, a preview pane) whose visual is fixed and must be used as it
// is. Xlib and GLX only.
#ifndef QUILLOMAR_X11_GLXWINDOW_H
#define QUILLOMAR_X11_GLXWINDOW_H

#ifdef _WIN32
#error "the X11 host is for X11 systems only"
#endif

#include <GL/glx.h>
#include <X11/Xlib.h>

class CGlxWindow
{
public:
    Display *Connection = nullptr;
    Window Target = 0;
    bool OwnWindow = false;
    bool DoubleBuffered = false;
    GLXContext Context = nullptr;
    Colormap OwnColormap = 0;
    Atom DeleteWindowAtom = 0;
    int Width = 0;
    int Height = 0;

    // Each prints one line naming what is wrong and returns false when it cannot be done.
    bool Open_Display();
    bool Create_Own_Window(int width, int height);
    bool Attach(Window window); // a foreign window; its size and structure changes are watched
    bool Create_Context();

    void Swap(); // shows the finished frame
    void Close();
};

// Set once an X error says the target window is gone (destroyed under the program): the loop
// then ends quietly.
extern volatile bool TargetWindowGone;

#endif

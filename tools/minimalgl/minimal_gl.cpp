// The least a full-screen OpenGL saver can do on this stack, as the yardstick of the speed
// benchmark: the same topmost popup window over the screen, an OpenGL child window with the same
// pixel format, frames back to back by invalidation, each only cleared and swapped. A key or a
// click ends it, as it ends the saver. Its title is "Minimal GL".
// With the argument "/draw" each frame also draws one lit triangle and one textured, blended
// square: the least that makes a software OpenGL build its lighting and texturing paths, so that
// the cost of drawing at all can be told from the cost of drawing bananas.
#include <windows.h>

#include <GL/gl.h>

#include <cstring>

static HDC ChildDC = nullptr;
static HGLRC RenderContext = nullptr;
static bool Draws = false;
static GLuint Texture = 0;

static void Make_Texture()
{
    static unsigned char texels[64 * 64 * 4];
    for (size_t i = 0; i < sizeof(texels); ++i)
        texels[i] = static_cast<unsigned char>(i * 7);
    glGenTextures(1, &Texture);
    glBindTexture(GL_TEXTURE_2D, Texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

static void Draw_Lit_And_Textured()
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glBegin(GL_TRIANGLES);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex3f(-0.5f, -0.5f, 0.0f);
    glVertex3f(0.5f, -0.5f, 0.0f);
    glVertex3f(0.0f, 0.5f, 0.0f);
    glEnd();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.6f, 0.6f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(0.9f, 0.6f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.9f, 0.9f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.6f, 0.9f);
    glEnd();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

static PIXELFORMATDESCRIPTOR Pixel_Format_Request()
{
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    request.nVersion = 1;
    request.dwFlags =
        PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_GENERIC_ACCELERATED;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 24;
    request.cDepthBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

// Input closes the window that saw it, as in the saver.
static bool Is_Input(UINT message)
{
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
           message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

static LRESULT CALLBACK Child_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
        case WM_CREATE:
        {
            ChildDC = GetDC(window);
            const PIXELFORMATDESCRIPTOR request = Pixel_Format_Request();
            const int format = ChoosePixelFormat(ChildDC, &request);
            if (format == 0 || !SetPixelFormat(ChildDC, format, &request))
                ExitProcess(1);
            RenderContext = wglCreateContext(ChildDC);
            if (RenderContext == nullptr || !wglMakeCurrent(ChildDC, RenderContext))
                ExitProcess(1);
            if (Draws)
                Make_Texture();
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_SIZE:
            glViewport(0, 0, LOWORD(lparam), HIWORD(lparam));
            return 0;
        case WM_PAINT:
        {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            if (Draws)
                Draw_Lit_And_Textured();
            glFlush();
            SwapBuffers(ChildDC);
            EndPaint(window, &paint);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_DESTROY:
            if (Texture != 0)
                glDeleteTextures(1, &Texture);
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(RenderContext);
            ReleaseDC(window, ChildDC);
            PostQuitMessage(0);
            return 0;
    }
    if (Is_Input(message))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return DefWindowProcA(window, message, wparam, lparam);
}

static LRESULT CALLBACK Saver_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
        case WM_CREATE:
        {
            RECT client;
            GetClientRect(window, &client);
            WNDCLASSA child_class = {};
            child_class.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
            child_class.lpfnWndProc = Child_Proc;
            child_class.hInstance = GetModuleHandleA(nullptr);
            child_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            child_class.lpszClassName = "MinimalGLChild";
            if (!RegisterClassA(&child_class) ||
                CreateWindowExA(0, "MinimalGLChild", "MinimalGLChild",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                client.right, client.bottom, window, nullptr, child_class.hInstance,
                                nullptr) == nullptr)
                ExitProcess(1);
            return 0;
        }
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return 1;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    if (Is_Input(message))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return DefWindowProcA(window, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int)
{
    Draws = strstr(command_line, "/draw") != nullptr;
    WNDCLASSA saver_class = {};
    saver_class.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    saver_class.lpfnWndProc = Saver_Proc;
    saver_class.hInstance = instance;
    saver_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saver_class.lpszClassName = "MinimalGLSaver";
    if (!RegisterClassA(&saver_class))
        return 1;

    HDC screen = GetDC(nullptr);
    RECT desktop;
    GetClipBox(screen, &desktop);
    ReleaseDC(nullptr, screen);
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST, "MinimalGLSaver", "Minimal GL",
                        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, desktop.left,
                        desktop.top, desktop.right - desktop.left, desktop.bottom - desktop.top,
                        nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    SetForegroundWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}

// The saver's own window procedures: the saver window's (behind the host) and the GL child
// window's, which owns the OpenGL context and draws one frame per WM_PAINT. Windows only.
#include "host/framestate.h"
#include "host/saverhost.h"

#include "options.h"
#include "platform/gl.h"
#include "render.h"
#include "resolution.h"
#include "resource.h"
#include "twutility/framepacer.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"
#include "twutility/twutility.h"

#include <ctime>

static HDC ChildDC = nullptr;
static HGLRC RenderContext = nullptr;

// 24-bit colour, 32-bit depth, double buffered; nothing else.
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

template <typename T>
static T Wgl_Function(const char *name)
{
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

// The driver's WGL extensions; a driver may export a function that it does not support.
static const char *Wgl_Extensions()
{
    typedef const char *(WINAPI * CExtensionsArb)(HDC);
    typedef const char *(WINAPI * CExtensionsExt)();
    if (const CExtensionsArb arb = Wgl_Function<CExtensionsArb>("wglGetExtensionsStringARB"))
        return arb(ChildDC);
    if (const CExtensionsExt ext = Wgl_Function<CExtensionsExt>("wglGetExtensionsStringEXT"))
        return ext();
    return nullptr;
}

// Asks the driver for one swap per display refresh; true when it promises that.
static bool Request_Swap_Interval()
{
    typedef BOOL(WINAPI * CSwapInterval)(int);
    if (!Has_Extension(Wgl_Extensions(), "WGL_EXT_swap_control"))
        return false;
    const CSwapInterval swap_interval = Wgl_Function<CSwapInterval>("wglSwapIntervalEXT");
    return swap_interval != nullptr && swap_interval(1) != FALSE;
}

static void On_Child_Create(HWND window)
{
    Log_Printf("ScreenSaverChildProc:WM_CREATE\n");
    ChildDC = GetDC(window);
    const PIXELFORMATDESCRIPTOR request = Pixel_Format_Request();
    const int format = ChoosePixelFormat(ChildDC, &request);
    Exit_If_Failed(format, 0, "ChoosePixelFormat");
    Exit_If_Failed(SetPixelFormat(ChildDC, format, &request), FALSE, "SetPixelFormat");
    RenderContext = wglCreateContext(ChildDC);
    Exit_If_Failed(RenderContext != nullptr, 0, "wglCreateContext");
    Exit_If_Failed(wglMakeCurrent(ChildDC, RenderContext), FALSE, "wglMakeCurrent");
    CRender::Init(ChildDC);
    CFrameState::Paced = GetEnvironmentVariableA("QUILLOMAR_UNPACED", nullptr, 0) == 0;
    CFramePacer::Init(GetDeviceCaps(ChildDC, VREFRESH),
                      CFrameState::Paced && Request_Swap_Interval());
    InvalidateRect(window, nullptr, FALSE);
    CTimer::Init();
}

// Full screen the window spans every monitor (its origin may be negative) and some of its
// corners may lie where no monitor shows anything: the frame rate goes in the primary's corner.
static void Find_Primary_Monitor(HWND window)
{
    MONITORINFO primary = {};
    primary.cbSize = sizeof(primary);
    const POINT origin = {0, 0}; // the primary monitor's top left corner, by definition
    if (PreviewMode ||
        !GetMonitorInfoA(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &primary))
        return;
    RECT &area = primary.rcMonitor;
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT *>(&area), 2);
    CResolution::Set_Primary_Area(area.left, area.top, area.right - area.left,
                                  area.bottom - area.top);
}

static void On_Child_Size(HWND window, int width, int height)
{
    Log_Printf("ScreenSaverChildProc:WM_SIZE\n");
    // A preview pane not yet laid out can be 0 pixels wide or high: nothing is drawn until it
    // grows.
    CFrameState::HasArea = width > 0 && height > 0;
    if (!CFrameState::HasArea)
        return;
    CResolution::Set_Window_Dimensions(width, height);
    CResolution::Init_Screen_Dimensions();
    Find_Primary_Monitor(window);
    CRender::Resize(width, height);
}

static void Draw_Frame()
{
    // Bananas carry on from where they were, not from where the time spent resting would put them.
    if (CFrameState::Rested)
        CTimer::Resume();
    CFrameState::Rested = false;
    CRender::Frame();
    glFlush();
    SwapBuffers(ChildDC);
    CFramePacer::Frame_Drawn(CTimer::SampleFramerate);
}

static void On_Child_Paint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    const bool drawing = CFrameState::HasArea && !CFrameState::Resting();
    const bool paced = drawing && CFrameState::Paced && CFramePacer::Pacing;
    CFrameState::Hold_Timer_Resolution(paced);
    if (drawing && CFrameState::Wait_For_Deadline(paced ? CFramePacer::Milliseconds_To_Wait() : 0))
        Draw_Frame();
    EndPaint(window, &paint);
    // No timer: the next frame comes once the queue is otherwise empty and its time has come.
    // Without area or anybody to see it, nothing is invalidated: a size change or the end of
    // the rest paints again.
    if (drawing)
        InvalidateRect(window, nullptr, FALSE);
}

static void On_Child_Destroy(HWND window)
{
    Log_Printf("ScreenSaverChildProc:WM_DESTROY\n");
    CRender::Close();
    CFrameState::Hold_Timer_Resolution(false);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(RenderContext);
    RenderContext = nullptr;
    ReleaseDC(window, ChildDC);
    ChildDC = nullptr;
    PostQuitMessage(0);
    Log_Printf("%u frames rendered\n", unsigned(CTimer::FrameCount));
    Log_Printf("Sample framerate  = %5.2f fps\n", CTimer::SampleFramerate);
    Log_Printf("Average framerate = %5.2f fps\n", CTimer::AverageFramerate);
}

static LRESULT CALLBACK ScreenSaverChildProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam)
{
    switch (message)
    {
        case WM_CREATE:
            On_Child_Create(window);
            return 0;
        case WM_SIZE:
            On_Child_Size(window, LOWORD(lparam), HIWORD(lparam));
            return 0;
        case WM_PAINT:
            On_Child_Paint(window);
            return 0;
        case WM_DESTROY:
            On_Child_Destroy(window);
            return 0;
    }
    return DefScreenSaverProc(window, message, wparam, lparam);
}

static void On_Saver_Create(HWND window)
{
    Set_Release_Logging(COptions::ReleaseLogging.Get_Value() == 1);
    Write_Log_Header();
    Seed_Random(uint32_t(time(nullptr)));
    Log_Printf("ScreenSaverProc:WM_CREATE\n");

    RECT client;
    GetClientRect(window, &client);

    WNDCLASSA child_class = {};
    child_class.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    child_class.lpfnWndProc = ScreenSaverChildProc;
    child_class.hInstance = MainInstance;
    child_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    child_class.lpszClassName = ProductName;
    Exit_If_Failed(RegisterClassA(&child_class), 0, "RegisterClass");

    HWND child = CreateWindowExA(
        0, ProductName, ProductName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
        0, client.right, client.bottom, window, nullptr, MainInstance, nullptr);
    Exit_If_Failed(child != nullptr, 0, "CreateWindow");
}

// A password-protected saver runs on a desktop of its own: a browser started there would open
// where the user never sees it, and could keep its profile locked for the real desktop.
static bool On_Default_Desktop()
{
    char name[260] = "";
    return GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name,
                                     sizeof(name) - 1, nullptr) &&
           lstrcmpiA(name, "Default") == 0;
}

static void Open_Web_Address()
{
    if (!On_Default_Desktop())
        return;
    char url[1000] = {};
    LoadStringA(MainInstance, IDS_WWW, url, sizeof(url));
    CUtility::Launch_Url(url);
}

LRESULT ScreenSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
        case WM_CREATE:
            On_Saver_Create(window);
            break;
        case WM_KEYDOWN:
            // Starting a browser can take seconds: the topmost saver would stand frozen over it.
            if (wparam == VK_F1 && PreviewMode)
                Open_Web_Address();
            else if (wparam == VK_F1)
                CFrameState::WebAddressRequested = true;
            break;
        case WM_DESTROY:
            // The window is already hidden; the launch is waited for before the process ends.
            if (CFrameState::WebAddressRequested)
                Open_Web_Address();
            CFrameState::WebAddressRequested = false;
            break;
    }
    return DefScreenSaverProc(window, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SaverEntry();
}

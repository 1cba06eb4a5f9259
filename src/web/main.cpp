// The page's host: the saver in the page's canvas, one frame (timer, update, draw) per
// animation frame of the browser, which presents it. The canvas has the window's size in device
// pixels. A click or a key makes the page full screen; there any key, click, turn of the wheel
// or mouse move of more than 4 pixels ends full screen, as input ends the saver on Windows.
// While the page is hidden the saver stands still, its clocks too.
//
// The address's query says how it runs:
//   fps=1       the frame rate in the top right corner (as ShowFramerate 1)
//   preview=1   the three titles, as the display control panel's preview shows them
//   seed=N      the random generator's seed (default: the time)
//   frames=N    a still picture: N frames of 1/60 s each, however long each takes to draw,
//               then the last one kept (with seed, the frame tool's picture of that frame)
#include "web/gl11.h"

#include "host/hoststate.h"
#include "platform/web_clock.h"
#include "render.h"
#include "resolution.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"
#include "twutility/twutility.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

static const char Canvas[] = "#canvas";
static const double StillFramesPerSecond = 60.0; // the frame tool's default
static const long MaxStillFrames = 1000000;
static const long MoveTolerance = 4; // pixels, |dx| + |dy|

static int Width = 0; // of the canvas's drawing buffer, pixels
static int Height = 0;
static long FramesDrawn = 0;
static long StillFrames = 0; // 0: the saver runs on
// Where the pointer was when full screen began (screen pixels); unknown after a key until the
// first move.
static bool ReferenceKnown = false;
static long ReferenceX = 0;
static long ReferenceY = 0;

// The query's value of name as a whole number below 2^32; -1 when it is missing or no such
// number.
static double Query_Number(const char *name)
{
    return EM_ASM_DOUBLE(
        {
            var value = new URLSearchParams(location.search).get(UTF8ToString($0));
            var number = value ? Number(value) : NaN;
            return Number.isInteger(number) && number >= 0 && number < 4294967296 ? number : -1;
        },
        name);
}

// Follows the canvas's size on the page and the device pixel ratio; true when it changed.
static bool Follow_Canvas_Size()
{
    double css_width = 0.0;
    double css_height = 0.0;
    emscripten_get_element_css_size(Canvas, &css_width, &css_height);
    const double ratio = emscripten_get_device_pixel_ratio();
    const int width = std::max(1, int(std::lround(css_width * ratio)));
    const int height = std::max(1, int(std::lround(css_height * ratio)));
    if (width == Width && height == Height)
        return false;
    Width = width;
    Height = height;
    emscripten_set_canvas_element_size(Canvas, width, height);
    CResolution::Set_Window_Dimensions(width, height);
    CRender::Resize(width, height);
    return true;
}

static void Animation_Frame()
{
    const bool resized = Follow_Canvas_Size();
    if (StillFrames > 0 && FramesDrawn >= StillFrames)
    {
        // A new size clears the canvas: the same scene again, not a later one.
        if (resized)
            CRender::Draw();
        return;
    }
    if (StillFrames > 0)
        Platform::Set_Clock_Frame(FramesDrawn + 1, StillFramesPerSecond);
    CRender::Frame();
    ++FramesDrawn;
    if (FramesDrawn == 1)
        EM_ASM({ Module['firstFrameMs'] = performance.now(); });
}

static bool Is_Full_Screen()
{
    return EM_ASM_INT({ return document.fullscreenElement ? 1 : 0; }) != 0;
}

// A refused request (no user gesture, a frame without permission) leaves the page as it is.
static void Enter_Full_Screen()
{
    EM_ASM({ document.documentElement.requestFullscreen().catch(function(){}); });
}

static void Leave_Full_Screen()
{
    EM_ASM({ document.exitFullscreen().catch(function(){}); });
}

static bool Is_Modifier_Key(const char *key)
{
    static const char *const modifiers[] = {"Shift", "Control", "Alt", "AltGraph", "Meta"};
    for (const char *modifier : modifiers)
    {
        if (strcmp(key, modifier) == 0)
            return true;
    }
    return false;
}

// The browser keeps every key's own meaning (nothing is prevented).
static EM_BOOL On_Key_Down(int, const EmscriptenKeyboardEvent *event, void *)
{
    if (event->repeat)
        return EM_FALSE;
    if (Is_Full_Screen())
        Leave_Full_Screen();
    // Lone modifiers and shortcuts stay the browser's.
    else if (!event->ctrlKey && !event->altKey && !event->metaKey && !Is_Modifier_Key(event->key))
    {
        ReferenceKnown = false;
        Enter_Full_Screen();
    }
    return EM_FALSE;
}

static EM_BOOL On_Mouse_Down(int, const EmscriptenMouseEvent *event, void *)
{
    if (Is_Full_Screen())
    {
        Leave_Full_Screen();
        return EM_FALSE;
    }
    ReferenceKnown = true;
    ReferenceX = event->screenX;
    ReferenceY = event->screenY;
    Enter_Full_Screen();
    return EM_FALSE;
}

static EM_BOOL On_Mouse_Move(int, const EmscriptenMouseEvent *event, void *)
{
    if (!Is_Full_Screen())
        return EM_FALSE;
    if (!ReferenceKnown)
    {
        ReferenceKnown = true;
        ReferenceX = event->screenX;
        ReferenceY = event->screenY;
    }
    else if (labs(event->screenX - ReferenceX) + labs(event->screenY - ReferenceY) > MoveTolerance)
        Leave_Full_Screen();
    return EM_FALSE;
}

static EM_BOOL On_Wheel(int, const EmscriptenWheelEvent *, void *)
{
    if (Is_Full_Screen())
        Leave_Full_Screen();
    return EM_FALSE;
}

static void Set_Hidden(bool hidden)
{
    if (hidden)
    {
        Platform::Stop_Clock();
        emscripten_pause_main_loop();
    }
    else
    {
        Platform::Start_Clock();
        emscripten_resume_main_loop();
    }
}

static EM_BOOL On_Visibility_Change(int, const EmscriptenVisibilityChangeEvent *event, void *)
{
    Set_Hidden(event->hidden != 0);
    return EM_FALSE;
}

int main()
{
    CRender::FramerateRequested = Query_Number("fps") == 1;
    PreviewMode = Query_Number("preview") == 1;
    const double seed = Query_Number("seed");
    const double still_frames = Query_Number("frames");
    StillFrames = still_frames > 0 ? long(std::min(still_frames, double(MaxStillFrames))) : 0;
    Seed_Random(seed >= 0 ? uint32_t(seed) : uint32_t(time(nullptr)));
    if (StillFrames > 0)
        Platform::Set_Clock_Frame(0, StillFramesPerSecond);

    Exit_If_Failed(Create_Gl_Context() ? 1 : 0, 0, "WebGL");
    CResolution::Init_Screen_Dimensions();
    CRender::Init(Canvas);
    glClearColor(0, 0, 0, 1);
    CTimer::Init();
    Follow_Canvas_Size();

    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, On_Key_Down);
    emscripten_set_mousedown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                      On_Mouse_Down);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                      On_Mouse_Move);
    emscripten_set_wheel_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, On_Wheel);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, On_Visibility_Change);
    emscripten_set_main_loop(Animation_Frame, 0, EM_FALSE);
    if (EM_ASM_INT({ return document.hidden ? 1 : 0; }) != 0)
        Set_Hidden(true);
    return 0;
}

// For the page's tests and benchmark: frames drawn, and bananas alive.
extern "C" EMSCRIPTEN_KEEPALIVE long Frame_Count()
{
    return FramesDrawn;
}

extern "C" EMSCRIPTEN_KEEPALIVE int Banana_Count()
{
    return CRender::Count_Bananas();
}

// The page's host: the saver in the page's canvas, one frame (timer, update, draw) per
// animation frame of the browser, which presents it. The canvas has the window's size in device
// pixels. A click or a key makes the page full screen; there any key, click, turn of the wheel
// or mouse move of more than 4 pixels ends full screen, as input ends the saver on Windows.
// Full screen is the standard API's, else WebKit's prefixed one, else none (input then only
// does what it does anyway). While the page is hidden, or its WebGL context lost, the saver
// stands still, its clocks too; a restored context is made again from what the GL layer keeps,
// and the same scene carries on. A context not back within a few seconds says "WebGL failed."
// until it comes back.
//
// The address's query says how it runs:
//   fps=1       the frame rate in the top right corner (as ShowFramerate 1)
//   preview=1   the three titles, as the display control panel's preview shows them
//   seed=N      the random generator's seed (default: the time)
//   frames=N    a still picture: N frames of 1/60 s each, however long each takes to draw,
//               then the last one kept (with seed, the frame tool's picture of that frame)
#include "web/gl11.h"

#include "host/hoststate.h"
#include "platform/platform.h"
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
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <malloc.h>

static const char Canvas[] = "#canvas";
static const double StillFramesPerSecond = 60.0; // the frame tool's default
static const long MaxStillFrames = 1000000;
static const long MoveTolerance = 4; // pixels, |dx| + |dy|
// A browser restores a context within a second or so (its GPU process started again) or never.
static const int RestoreWaitMs = 3000;

static int Width = 0; // of the canvas's drawing buffer, pixels
static int Height = 0;
static long FramesDrawn = 0;
static long StillFrames = 0; // 0: the saver runs on
static bool Hidden = false;
static bool ContextLost = false;
static long ContextLosses = 0;
static bool Stopped = false; // the main loop paused and the clocks still
static bool Redraw = false;  // a still picture's canvas, cleared by a restored context
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
        // A new size or context clears the canvas: the same scene again, not a later one.
        if (resized || Redraw)
            CRender::Draw();
        Redraw = false;
        return;
    }
    if (StillFrames > 0)
        Platform::Set_Clock_Frame(FramesDrawn + 1, StillFramesPerSecond);
    CRender::Frame();
    ++FramesDrawn;
    if (FramesDrawn == 1)
        EM_ASM({ Module['firstFrameMs'] = performance.now(); });
}

// The document's own state at each input, standard or prefixed: a flag kept by the change
// events would lag it, as they come an animation frame after the element is full screen.
static bool Is_Full_Screen()
{
    return EM_ASM_INT({
               return document.fullscreenElement || document.webkitFullscreenElement ? 1 : 0;
           }) != 0;
}

// The standard API, else WebKit's prefixed one. A refused request (no user gesture, a frame
// without permission) leaves the page as it is; a browser without either (Safari on the iPhone)
// has nothing to do. Nothing throws out of here, so nothing out of an input handler.
static void Change_Full_Screen(bool enter)
{
    EM_ASM(
        {
            var target = $0 ? document.documentElement : document;
            var change = $0 ? target.requestFullscreen || target.webkitRequestFullscreen
                            : target.exitFullscreen || target.webkitExitFullscreen;
            try
            {
                var promise = change && change.call(target);
                if (promise && promise.catch)
                    promise.catch(function(){});
            }
            catch (error)
            {
            }
        },
        enter ? 1 : 0);
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
        Change_Full_Screen(false);
    // Lone modifiers and shortcuts stay the browser's.
    else if (!event->ctrlKey && !event->altKey && !event->metaKey && !Is_Modifier_Key(event->key))
    {
        ReferenceKnown = false;
        Change_Full_Screen(true);
    }
    return EM_FALSE;
}

static EM_BOOL On_Mouse_Down(int, const EmscriptenMouseEvent *event, void *)
{
    if (Is_Full_Screen())
    {
        Change_Full_Screen(false);
        return EM_FALSE;
    }
    ReferenceKnown = true;
    ReferenceX = event->screenX;
    ReferenceY = event->screenY;
    Change_Full_Screen(true);
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
        Change_Full_Screen(false);
    return EM_FALSE;
}

static EM_BOOL On_Wheel(int, const EmscriptenWheelEvent *, void *)
{
    if (Is_Full_Screen())
        Change_Full_Screen(false);
    return EM_FALSE;
}

// Hidden or without a context, the saver stands still: no frames, and no time passes for it.
static void Follow_Running()
{
    const bool stop = Hidden || ContextLost;
    if (stop == Stopped)
        return;
    Stopped = stop;
    if (stop)
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
    Hidden = event->hidden != 0;
    Follow_Running();
    return EM_FALSE;
}

static void Show_Context_Failure(bool shown)
{
    if (shown)
        Platform::Show_Error_Box(ProductName, "WebGL failed.");
    else
        EM_ASM({ document.getElementById('error').hidden = true; });
}

static void Check_Context_Back(void *loss)
{
    if (ContextLost && reinterpret_cast<intptr_t>(loss) == ContextLosses)
        Show_Context_Failure(true);
}

extern "C" EMSCRIPTEN_KEEPALIVE void Context_Lost()
{
    ContextLost = true;
    ++ContextLosses;
    Follow_Running();
    emscripten_async_call(Check_Context_Back, reinterpret_cast<void *>(intptr_t(ContextLosses)),
                          RestoreWaitMs);
}

extern "C" EMSCRIPTEN_KEEPALIVE void Context_Restored()
{
    if (!Restore_Gl_Context())
        return; // lost again: its own restore follows
    ContextLost = false;
    Redraw = true;
    Show_Context_Failure(false);
    Follow_Running();
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
    // The browser gives a lost context back only to a page that prevents the loss's default.
    EM_ASM({
        var canvas = Module['canvas'];
        canvas.addEventListener(
            'webglcontextlost', function(event) {
                event.preventDefault();
                Module['_Context_Lost']();
            });
        canvas.addEventListener(
            'webglcontextrestored', function() { Module['_Context_Restored'](); });
    });
    emscripten_set_main_loop(Animation_Frame, 0, EM_FALSE);
    Hidden = EM_ASM_INT({ return document.hidden ? 1 : 0; }) != 0;
    Follow_Running();
    return 0;
}

// For the page's tests and benchmark: frames drawn, bananas alive, the saver's own clock, and
// the bytes its heap has allocated.
extern "C" EMSCRIPTEN_KEEPALIVE long Frame_Count()
{
    return FramesDrawn;
}

extern "C" EMSCRIPTEN_KEEPALIVE int Banana_Count()
{
    return CRender::Count_Bananas();
}

extern "C" EMSCRIPTEN_KEEPALIVE double Saver_Milliseconds()
{
    return Platform::Milliseconds();
}

extern "C" EMSCRIPTEN_KEEPALIVE long Heap_In_Use()
{
    return long(mallinfo().uordblks);
}

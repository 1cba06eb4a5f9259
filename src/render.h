// The renderer: the GL state of the drawing window's context, the light, the banana slots and
// the number of bananas kept alive, and the order in which a frame is advanced and drawn. One
// per process, all class-wide. Every operation runs with the rendering context current.
#ifndef QUILLOMAR_RENDER_H
#define QUILLOMAR_RENDER_H

#include "camera3d.h"

#include <cstdint>

class CBanana;

class CRender
{
public:
    static const int NumSlots = 50;
    static const int MinBananaCount = 10;
    static const int MaxBananaCount = 50;
    static const uint32_t CountAdjustInterval = 500; // milliseconds between count changes
    static const int FontSpacing = 8;                // pixels

    // Owned by the renderer; an empty slot is null. Slot order is update and draw order.
    static CBanana *Bananas[NumSlots];
    static int TargetBananaCount;           // 10 ... 50
    static uint32_t LastCountAdjustTime;    // millisecond clock, compared by unsigned difference
    static const double FramerateThreshold; // frames per second the count steers toward
    static int ViewportWidth;               // pixels
    static int ViewportHeight;
    // A host's switch shows the frame rate full screen whatever the ShowFramerate option says.
    static bool FramerateRequested;

    // The scene camera, the one camera of the process: the scene pass applies it and the bananas
    // test their visibility against the view it last extracted.
    static CCamera3d Camera;

    static void Init(const void *device_context);
    static void Close();
    static void Resize(int w, int h);
    static void Update(double time_interval_s);
    static void Draw();
    // One frame as every host runs it: the timer, then Update with its interval, then Draw.
    // The host presents the result and paces the next one.
    static void Frame();
    static CCamera3d &Get_Camera();

    static void Init_Lights();
    static void Draw_Scene();
    static int Count_Bananas();
    // Bananas that the scene camera's last applied view holds (those Draw would draw).
    static int Count_Visible_Bananas();
    static void Adjust_Banana_Count();
    static int Increase_Banana_Count();
    static int Decrease_Banana_Count();

    // The text pass over the finished scene: titles in the preview, the frame rate full screen.
    static void Draw_Overlay();
    static void Draw_Framerate();
};

// A unit square with y pointing down, identity modelview, no depth test: text lies on top.
void Set_Overlay_Projection();

#endif

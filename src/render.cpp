#include "render.h"

#include "banana.h"
#include "host/hoststate.h"
#include "options.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "resolution.h"
#include "resource.h"
#include "texturefont.h"
#include "twutility/timer.h"
#include "twutility/twmath.h"
#include "twutility/twutility.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <new>

static const char SourceName[] = "render";

CBanana *CRender::Bananas[CRender::NumSlots] = {};
int CRender::TargetBananaCount = CRender::MinBananaCount;
uint32_t CRender::LastCountAdjustTime = 0;
const double CRender::FramerateThreshold = 25.0;
int CRender::ViewportWidth = 0;
int CRender::ViewportHeight = 0;
bool CRender::FramerateRequested = false;
CCamera3d CRender::Camera;

CCamera3d &CRender::Get_Camera()
{
    return Camera;
}

void CRender::Init(const void *device_context)
{
    Log_Printf("CRender::Init\n");
    TW_ASSERT(device_context != nullptr);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // Front faces counter-clockwise and back faces culled: OpenGL's defaults.
    glEnable(GL_CULL_FACE);
    Init_Lights();
    CBanana::Build_Display_List();
    for (CBanana *&slot : Bananas)
        slot = nullptr;
    CTextureFont::Init(IDB_FONT_SHEET, FontSpacing);
}

void CRender::Init_Lights()
{
    static const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
    // Brighter than 1.0 on purpose: the bananas' diffuse colours are dark at grazing angles.
    static const GLfloat diffuse[] = {1.2f, 1.2f, 1.2f, 1.0f};
    static const GLfloat specular[] = {0.9f, 0.9f, 0.9f, 1.0f};
    // w = 0: a directional light from the left, in front of the scene.
    static const GLfloat position[] = {-1000.0f, 0.0f, 700.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
}

void CRender::Close()
{
    Log_Printf("CRender::Close\n");
    for (CBanana *&slot : Bananas)
    {
        delete slot;
        slot = nullptr;
    }
    CTextureFont::Close();
}

void CRender::Resize(int w, int h)
{
    Log_Printf("CRender::Resize\n");
    TW_ASSERT(w > 0);
    TW_ASSERT(h > 0);
    ViewportWidth = w;
    ViewportHeight = h;
    Log_Printf("ScreenWidth = %d, ScreenHeight = %d\n", w, h);
    glViewport(0, 0, ViewportWidth, ViewportHeight);
    Camera.Set_Aspect_Ratio(CResolution::Get_Aspect_Ratio());
}

void CRender::Update(double time_interval_s)
{
    TW_ASSERT(time_interval_s > -EPSILON);
    int live = Count_Bananas();
    // The first two frames only measure: the camera has not been applied before them.
    if (CTimer::FrameCount > 2)
    {
        for (CBanana *&slot : Bananas)
        {
            if (slot == nullptr)
            {
                if (live < TargetBananaCount)
                {
                    // A failed allocation leaves the slot empty until the next frame.
                    slot = new (std::nothrow) CBanana;
                    ++live;
                }
            }
            else
            {
                slot->Update(time_interval_s);
                if (slot->Is_Expired())
                {
                    delete slot;
                    slot = nullptr;
                    --live;
                }
            }
        }
    }
    Adjust_Banana_Count();
}

void CRender::Adjust_Banana_Count()
{
    const uint32_t now = Platform::Milliseconds();
    if (now - LastCountAdjustTime < CountAdjustInterval)
        return;
    const double frame_time_limit = 1.0 / FramerateThreshold;
    if (CTimer::SampleFramerate > FramerateThreshold && CTimer::TimeInterval < frame_time_limit)
    {
        Increase_Banana_Count();
        LastCountAdjustTime = now;
    }
    if (CTimer::SampleFramerate < FramerateThreshold && CTimer::TimeInterval > frame_time_limit)
    {
        Decrease_Banana_Count();
        LastCountAdjustTime = now;
    }
}

int CRender::Increase_Banana_Count()
{
    if (TargetBananaCount < MaxBananaCount)
        ++TargetBananaCount;
    return TargetBananaCount;
}

int CRender::Decrease_Banana_Count()
{
    if (TargetBananaCount > MinBananaCount)
        --TargetBananaCount;
    return TargetBananaCount;
}

int CRender::Count_Bananas()
{
    int count = 0;
    for (const CBanana *slot : Bananas)
        count += slot != nullptr ? 1 : 0;
    return count;
}

int CRender::Count_Visible_Bananas()
{
    int count = 0;
    for (const CBanana *slot : Bananas)
        count += slot != nullptr && slot->Is_In_View() ? 1 : 0;
    return count;
}

void CRender::Frame()
{
    CTimer::Update();
    Update(CTimer::TimeInterval);
    Draw();
}

void CRender::Draw()
{
    glClear(GL_DEPTH_BUFFER_BIT);
    glClear(GL_COLOR_BUFFER_BIT);
    Draw_Scene();
    Draw_Overlay();
}

void CRender::Draw_Scene()
{
    Camera.Apply();
    glEnable(GL_LIGHTING);
    for (CBanana *slot : Bananas)
    {
        if (slot != nullptr)
            slot->Draw();
    }
}

void Set_Overlay_Projection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
}

void CRender::Draw_Overlay()
{
    Set_Overlay_Projection();
    glDisable(GL_LIGHTING);
    const CColor white(1.0, 1.0, 1.0, 1.0);
    if (PreviewMode)
    {
        CTextureFont::Print_Centered(0.3, "Tarnwick", true, white);
        CTextureFont::Print_Centered(0.5, "presents", true, white);
        CTextureFont::Print_Centered(0.7, ProductName, true, white);
        return;
    }
    if (FramerateRequested || COptions::ShowFramerate.Get_Value() == 1)
        Draw_Framerate();
}

void CRender::Draw_Framerate()
{
    char text[16];
    snprintf(text, sizeof(text), "%d", int(Round_To_Int(CTimer::SampleFramerate)));
    // In the primary monitor's corner, where the user looks. A fast card's four digits would
    // run off a narrow screen: the text moves left just enough.
    int left, top, width, height;
    CResolution::Get_Primary_Area(&left, &top, &width, &height);
    const double x =
        left + std::min(0.97 * width, double(width - CTextureFont::Get_Text_Width(text)));
    CTextureFont::Print(x / CResolution::Get_Window_Width(),
                        (top + 0.055 * height) / CResolution::Get_Window_Height(), text, true,
                        CColor(1.0, 1.0, 1.0, 1.0));
}

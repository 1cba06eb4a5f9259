#include "resolution.h"

#include "platform/platform.h"
#include "twutility/twutility.h"

#include <algorithm>

static const char SourceName[] = "resolution";

int CResolution::ScreenWidth = 0;
int CResolution::ScreenHeight = 0;
int CResolution::WindowWidth = 0;
int CResolution::WindowHeight = 0;
int CResolution::PrimaryLeft = 0;
int CResolution::PrimaryTop = 0;
int CResolution::PrimaryWidth = 0;
int CResolution::PrimaryHeight = 0;

void CResolution::Init_Screen_Dimensions()
{
    Log_Printf("CResolution::Init_Screen_Dimensions\n");
    ScreenWidth = Platform::Screen_Width();
    ScreenHeight = Platform::Screen_Height();
}

void CResolution::Set_Window_Dimensions(int width, int height)
{
    Log_Printf("CResolution::Set_Window_Dimensions\n");
    TW_ASSERT(width > 0);
    TW_ASSERT(height > 0);
    WindowWidth = width;
    WindowHeight = height;
}

int CResolution::Get_Screen_Width()
{
    TW_ASSERT(ScreenWidth > 0);
    return ScreenWidth;
}

int CResolution::Get_Screen_Height()
{
    TW_ASSERT(ScreenHeight > 0);
    return ScreenHeight;
}

int CResolution::Get_Window_Width()
{
    TW_ASSERT(WindowWidth > 0);
    return WindowWidth;
}

int CResolution::Get_Window_Height()
{
    TW_ASSERT(WindowHeight > 0);
    return WindowHeight;
}

double CResolution::Get_Aspect_Ratio()
{
    TW_ASSERT(WindowHeight > 0);
    return double(WindowWidth) / double(WindowHeight);
}

void CResolution::Set_Primary_Area(int left, int top, int width, int height)
{
    PrimaryLeft = left;
    PrimaryTop = top;
    PrimaryWidth = width;
    PrimaryHeight = height;
}

void CResolution::Get_Primary_Area(int *left, int *top, int *width, int *height)
{
    const int right = std::min(PrimaryLeft + PrimaryWidth, Get_Window_Width());
    const int bottom = std::min(PrimaryTop + PrimaryHeight, Get_Window_Height());
    *left = std::max(PrimaryLeft, 0);
    *top = std::max(PrimaryTop, 0);
    *width = right - *left;
    *height = bottom - *top;
    if (*width <= 0 || *height <= 0)
    {
        *left = *top = 0;
        *width = WindowWidth;
        *height = WindowHeight;
    }
}

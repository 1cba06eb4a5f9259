// The desktop size and the size of the window OpenGL draws into, in pixels. Each getter checks
// that its value has been set, so a reader that comes too early fails loudly instead of
// dividing by zero.
#ifndef QUILLOMAR_RESOLUTION_H
#define QUILLOMAR_RESOLUTION_H

class CResolution
{
public:
    static int ScreenWidth;
    static int ScreenHeight;
    static int WindowWidth;
    static int WindowHeight;

    static void Init_Screen_Dimensions();
    static void Set_Window_Dimensions(int width, int height);
    static int Get_Screen_Width();
    static int Get_Screen_Height();
    static int Get_Window_Width();
    static int Get_Window_Height();
    static double Get_Aspect_Ratio(); // width / height of the drawing window
};

#endif

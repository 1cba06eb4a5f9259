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
    // Where the primary monitor shows in the drawing window, in window pixels: a full-screen
    // window spans every monitor, and its own corners may lie where none shows anything.
    // Width and height 0 (as at start): the whole window.
    static int PrimaryLeft;
    static int PrimaryTop;
    static int PrimaryWidth;
    static int PrimaryHeight;

    static void Init_Screen_Dimensions();
    static void Set_Window_Dimensions(int width, int height);
    static int Get_Screen_Width();
    static int Get_Screen_Height();
    static int Get_Window_Width();
    static int Get_Window_Height();
    static double Get_Aspect_Ratio(); // width / height of the drawing window
    static void Set_Primary_Area(int left, int top, int width, int height);
    // The primary monitor's part of the window, clipped to it; the whole window when unset or
    // when the two do not overlap.
    static void Get_Primary_Area(int *left, int *top, int *width, int *height);
};

#endif

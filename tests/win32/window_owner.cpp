// Owns one plain window, as a program hosting a preview would, and otherwise only pumps
// messages until something ends it from outside. Prints "window <handle>" once it is shown.
#include <windows.h>

#include <cstdint>
#include <cstdio>

static LRESULT CALLBACK Owner_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

int main()
{
    WNDCLASSA owner_class = {};
    owner_class.lpfnWndProc = Owner_Proc;
    owner_class.hInstance = GetModuleHandleA(NULL);
    owner_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    owner_class.lpszClassName = "QuillomarWindowOwner";
    if (!RegisterClassA(&owner_class))
        return 2;
    RECT frame = {0, 0, 152, 112};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowA("QuillomarWindowOwner", "Window owner", WS_OVERLAPPEDWINDOW, 40, 40,
                                frame.right - frame.left, frame.bottom - frame.top, NULL, NULL,
                                owner_class.hInstance, NULL);
    if (window == NULL)
        return 2;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    printf("window %u\n", unsigned(uintptr_t(window)));
    fflush(stdout);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

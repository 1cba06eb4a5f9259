#include "offscreenframe.h"

#include <GL/osmesa.h>

#include <cstdio>

COffscreenFrame::~COffscreenFrame()
{
    if (Context != nullptr)
        OSMesaDestroyContext(static_cast<OSMesaContext>(Context));
}

bool COffscreenFrame::Open(const char *program, int width, int height)
{
    Pixels.assign(size_t(width) * size_t(height) * 4, 0);
    // 24-bit depth, as close to the saver's 32 bits as OSMesa offers.
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (context == nullptr ||
        !OSMesaMakeCurrent(context, Pixels.data(), GL_UNSIGNED_BYTE, width, height))
    {
        if (context != nullptr)
            OSMesaDestroyContext(context);
        fprintf(stderr, "%s: no offscreen OpenGL context\n", program);
        return false;
    }
    Context = context;
    Width = width;
    Height = height;
    return true;
}

bool COffscreenFrame::Resize(int width, int height)
{
    if (Context == nullptr || size_t(width) * size_t(height) * 4 > Pixels.size())
        return false;
    Width = width;
    Height = height;
    return OSMesaMakeCurrent(static_cast<OSMesaContext>(Context), Pixels.data(), GL_UNSIGNED_BYTE,
                             width, height) != 0;
}

const uint8_t *COffscreenFrame::Pixel(int x, int y) const
{
    glFinish();
    return &Pixels[(size_t(Height - 1 - y) * size_t(Width) + size_t(x)) * 4];
}

#include "gl_offscreen.h"

#include <GL/osmesa.h>

COffscreenContext::COffscreenContext(int width, int height)
    : Context(nullptr), PixelWidth(width), PixelHeight(height),
      Buffer(size_t(width) * size_t(height) * 4)
{
    // 24-bit depth like the saver's pixel format; no stencil or accumulation buffer.
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (context == nullptr)
        return;
    if (!OSMesaMakeCurrent(context, Buffer.data(), GL_UNSIGNED_BYTE, width, height))
    {
        OSMesaDestroyContext(context);
        return;
    }
    Context = context;
}

COffscreenContext::~COffscreenContext()
{
    if (Context != nullptr)
        OSMesaDestroyContext(static_cast<OSMesaContext>(Context));
}

const uint8_t *COffscreenContext::Pixel(int x, int y) const
{
    glFinish();
    return &Buffer[(size_t(PixelHeight - 1 - y) * size_t(PixelWidth) + size_t(x)) * 4];
}

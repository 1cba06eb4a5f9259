// An offscreen OpenGL context on Mesa's software renderer, current on the calling thread for
// the object's life, with the pixels readable afterwards.
#ifndef QUILLOMAR_GL_OFFSCREEN_H
#define QUILLOMAR_GL_OFFSCREEN_H

#include <cstddef>
#include <cstdint>
#include <vector>

class COffscreenContext
{
public:
    COffscreenContext(int width, int height);
    ~COffscreenContext();
    COffscreenContext(const COffscreenContext &) = delete;
    COffscreenContext &operator=(const COffscreenContext &) = delete;

    bool Is_Valid() const { return Context != nullptr; }
    int Width() const { return PixelWidth; }
    int Height() const { return PixelHeight; }

    // Red, green, blue, alpha of the pixel at (x, y), y counted from the top row.
    const uint8_t *Pixel(int x, int y) const;

private:
    void *Context;
    int PixelWidth;
    int PixelHeight;
    std::vector<uint8_t> Buffer; // bottom-up RGBA rows, as OpenGL writes them
};

#endif

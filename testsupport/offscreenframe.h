// An offscreen OpenGL context on Mesa's software renderer drawing into a frame of its own: RGBA
// bytes, rows bottom-up as OpenGL writes them, with the 24-bit depth buffer that the saver's
// pixel format asks for. Shared by tests, tools and benchmarks.
#ifndef QUILLOMAR_OFFSCREENFRAME_H
#define QUILLOMAR_OFFSCREENFRAME_H

#include <cstdint>
#include <vector>

class COffscreenFrame
{
public:
    std::vector<uint8_t> Pixels; // width x height x 4 bytes, bottom row first
    void *Context = nullptr;     // the Mesa context, or null

    COffscreenFrame() = default;
    ~COffscreenFrame();
    COffscreenFrame(const COffscreenFrame &) = delete;
    COffscreenFrame &operator=(const COffscreenFrame &) = delete;

    // Makes the context current over a new frame; false, with a line on stderr naming the
    // program, when there is none.
    bool Open(const char *program, int width, int height);
    // Describes the same frame anew as width x height, at most the size it was opened with.
    bool Resize(int width, int height);
    // Red, green, blue, alpha of the pixel at (x, y), y counted from the top row; finishes
    // drawing first.
    const uint8_t *Pixel(int x, int y) const;

private:
    int Width = 0; // pixels of the current description
    int Height = 0;
};

#endif

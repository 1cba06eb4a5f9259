// An offscreen OpenGL context drawing into a frame of the tool's own: RGBA bytes, rows
// bottom-up as OpenGL writes them, with the 24-bit depth buffer that the saver's pixel format
// asks for. Shared by the tools that render.
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
};

#endif

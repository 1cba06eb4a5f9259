// Writing an 8-bit RGB PNG one row at a time, top row first, for the tools whose pictures are
// cut or scaled out of a rendered frame.
#ifndef QUILLOMAR_PNGROWS_H
#define QUILLOMAR_PNGROWS_H

#include <cstdint>
#include <functional>

// fill_row(y, row) fills the width x 3 bytes of row y (0 at the top). False when the file
// cannot be written.
bool Write_Png_Rows(const char *path, int width, int height,
                    const std::function<void(int y, uint8_t *row)> &fill_row);

#endif

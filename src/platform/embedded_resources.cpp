#include "embedded_resources.h"

namespace Platform
{

const CEmbeddedResource *Find_Embedded_Resource(int resource_id)
{
    const int id = resource_id & 0xFFFF;
    for (int i = 0; i < NumEmbeddedResources; ++i)
    {
        if (EmbeddedResources[i].Id == id)
            return &EmbeddedResources[i];
    }
    return nullptr;
}

// Little-endian fields; the caller has checked that they lie inside the buffer.
static uint32_t Read_U32(const uint8_t *at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

static uint16_t Read_U16(const uint8_t *at)
{
    return uint16_t(at[0] | at[1] << 8);
}

bool Parse_Bmp_File(const uint8_t *bytes, size_t size, CBitmapBits *bits)
{
    const size_t file_header_size = 14;
    const size_t min_info_header_size = 40;
    if (bytes == nullptr || size < file_header_size + min_info_header_size)
        return false;
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const uint8_t *info = bytes + file_header_size;
    const uint32_t pixel_offset = Read_U32(bytes + 10);
    const uint32_t info_size = Read_U32(info);
    const int32_t width = int32_t(Read_U32(info + 4));
    const int32_t height = int32_t(Read_U32(info + 8));
    const uint16_t planes = Read_U16(info + 12);
    const uint16_t bit_count = Read_U16(info + 14);
    const uint32_t compression = Read_U32(info + 16);
    if (info_size < min_info_header_size || planes != 1 || bit_count != 24 || compression != 0)
        return false;
    // A negative height would mean top-down rows.
    if (width <= 0 || height <= 0)
        return false;
    // All sizes in 64 bits: a width near 2^31 must not wrap the row length.
    const uint64_t headers_end = uint64_t(file_header_size) + info_size;
    if (pixel_offset < headers_end || pixel_offset > size)
        return false;
    const uint64_t row_bytes = (uint64_t(width) * 3 + 3) / 4 * 4;
    if ((size - pixel_offset) / row_bytes < uint64_t(height))
        return false;
    bits->Width = width;
    bits->Height = height;
    bits->Bits = bytes + pixel_offset;
    return true;
}

} // namespace Platform

// A 32-bit number as the registry stores a REG_DWORD, and as the settings file keeps it: four
// bytes, least significant first, whatever the processor's own order.
#ifndef QUILLOMAR_DWORD_H
#define QUILLOMAR_DWORD_H

#include <cstdint>

inline void Pack_Dword(uint32_t number, unsigned char bytes[4])
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(number >> (8 * i));
}

inline uint32_t Unpack_Dword(const unsigned char bytes[4])
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

#endif

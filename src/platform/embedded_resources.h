// Resources compiled into the program, for systems whose executables have no resource section
// of their own. The table is generated at build time from the files in resources/, so both
// builds carry the same bytes.
#ifndef QUILLOMAR_EMBEDDED_RESOURCES_H
#define QUILLOMAR_EMBEDDED_RESOURCES_H

#include "platform.h"

#include <cstddef>
#include <cstdint>

namespace Platform
{

class CEmbeddedResource
{
public:
    int Id;               // the resource's numeric id, 0 ... 65535
    const uint8_t *Bytes; // the file as it lies in resources/
    size_t Size;          // bytes
};

extern const CEmbeddedResource EmbeddedResources[];
extern const int NumEmbeddedResources;

// The entry whose id equals the low 16 bits of resource_id; nullptr when there is none.
const CEmbeddedResource *Find_Embedded_Resource(int resource_id);

// Reads a BMP file (14-byte file header, info header of at least 40 bytes, pixels) as the
// bitmap resource it would be. Accepts only what CBitmapBits describes: 24 bits per pixel,
// uncompressed, bottom-up, all rows inside the file. bits->Bits then points into bytes.
bool Parse_Bmp_File(const uint8_t *bytes, size_t size, CBitmapBits *bits);

} // namespace Platform

#endif

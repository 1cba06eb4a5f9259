// The bitmap resources of systems whose executables carry none: the BMP files compiled into the
// program. A handle is the table entry; nothing is loaded or released, the bytes are the
// program's own.
#include "embedded_resources.h"
#include "platform.h"

namespace Platform
{

CBitmapResource *Load_Bitmap_Resource(int resource_id)
{
    const CEmbeddedResource *resource = Find_Embedded_Resource(resource_id);
    CBitmapBits bits;
    if (resource == nullptr || !Parse_Bmp_File(resource->Bytes, resource->Size, &bits))
        return nullptr;
    return reinterpret_cast<CBitmapResource *>(const_cast<CEmbeddedResource *>(resource));
}

bool Describe_Bitmap(CBitmapResource *bitmap, CBitmapBits *bits)
{
    const CEmbeddedResource *resource = reinterpret_cast<const CEmbeddedResource *>(bitmap);
    return resource != nullptr && Parse_Bmp_File(resource->Bytes, resource->Size, bits);
}

void Delete_Bitmap(CBitmapResource *) {}

} // namespace Platform

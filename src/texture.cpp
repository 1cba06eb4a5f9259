#include "texture.h"

#include "platform/gl.h"
#include "platform/platform.h"
#include "twutility/twutility.h"

static const char SourceName[] = "texture";

void CTexture::Load_Resource_Bmp(int resource_id)
{
    Log_Printf("CTexture::Load_Resource_Bmp(%d)\n", resource_id);
    Platform::CBitmapResource *hbmp = Platform::Load_Bitmap_Resource(resource_id);
    TW_ASSERT(hbmp != nullptr);
    Platform::CBitmapBits bitmap;
    const bool ret_val = Platform::Describe_Bitmap(hbmp, &bitmap);
    TW_ASSERT(ret_val != 0);

    // Rows are padded to 4 bytes, and blue-green-red is the order OpenGL is told, not swapped.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, bitmap.Width, bitmap.Height, GL_BGR_EXT, GL_UNSIGNED_BYTE,
                      bitmap.Bits);

    Platform::Delete_Bitmap(hbmp);
}

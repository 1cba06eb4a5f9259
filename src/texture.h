// Textures from the program's bitmap resources.
#ifndef QUILLOMAR_TEXTURE_H
#define QUILLOMAR_TEXTURE_H

class CTexture
{
public:
    // Fills the texture object bound to GL_TEXTURE_2D with the bitmap and a full chain of
    // mipmaps; creates, binds and deletes no texture object. Its bytes go to OpenGL unchanged:
    // t = 0 is the picture's bottom row. Only the low 16 bits of resource_id count. A bitmap
    // that cannot be loaded ends the program.
    static void Load_Resource_Bmp(int resource_id);
};

#endif

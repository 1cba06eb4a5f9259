// The WebGL side of the GL 1.1 layer, in webgl.js: one context on the page's canvas and one
// program that lights, textures and colours as OpenGL 1.1's fixed functions do for the scene
// and the font. The layer keeps every piece of GL 1.1 state; these calls only hand it on.
#ifndef QUILLOMAR_WEB_WEBGL_H
#define QUILLOMAR_WEB_WEBGL_H

// The program's uniforms, packed as Webgl_Set_Uniforms reads them (floats).
class CWebglUniforms
{
public:
    float Modelview[16];   // column-major
    float Projection[16];  // column-major
    float NormalMatrix[9]; // column-major: the modelview's inverse transpose
    float Colour[4];       // unlit colour
    // Lit colour: emission and ambient terms (alpha: the material's diffuse alpha), then the
    // products of light and material for the diffuse and specular terms.
    float SceneColour[4];
    float DiffuseProduct[4];
    float SpecularProduct[4];
    float LightDirection[3]; // eye coordinates, unit length
    float HalfVector[3];     // eye coordinates, unit length: infinite viewer
    float Shininess;
    float Lighting;  // 1 or 0
    float Texturing; // 1 or 0
};

extern "C"
{
    // 1 with the program ready, 0 without WebGL or with the context lost (again) meanwhile.
    int Webgl_Create_Context();
    // New WebGL buffers and textures, under their old numbers, in a restored context.
    void Webgl_Renew_Objects();
    void Webgl_Set_Capability(unsigned capability, int enabled); // depth test, culling, blending
    void Webgl_Blend_Func(unsigned source_factor, unsigned destination_factor);
    void Webgl_Viewport(int x, int y, int width, int height);
    void Webgl_Clear(unsigned mask, float red, float green, float blue, float alpha, float depth);
    void Webgl_Set_Uniforms(const CWebglUniforms *uniforms);
    int Webgl_Create_Buffer();
    // Vertices of 8 floats (position 3, normal 3, texture coordinates 2); stream: data replaced
    // every draw rather than kept.
    void Webgl_Buffer_Data(int buffer, const float *vertices, int count, int stream);
    void Webgl_Draw_Triangles(int buffer, int first, int count);
    int Webgl_Create_Texture();
    void Webgl_Bind_Texture(int texture); // 0: none
    void Webgl_Tex_Parameter(unsigned name, int value);
    // Tightly packed red, green, blue rows, the first row at t = 0; mipmaps made from it.
    void Webgl_Tex_Image_Rgb(int width, int height, const unsigned char *rgb);
}

#endif

// The GL 1.1 subset of gl11.h over WebGL 1. All of GL's state lives here; webgl.js only draws.
// A display list becomes commands over one shared vertex buffer, so calling it draws each of
// its batches with one call; vertices outside lists go through a stream buffer at glEnd. The
// lighting equation is OpenGL 1.1's, evaluated per vertex in webgl.js's shader with the terms
// computed here. The layer also keeps what WebGL holds (capabilities, blending, viewport,
// textures' images), so that a lost context can be made again from it alone.
#include "web/gl11.h"

#include "web/webgl.h"

#include "twutility/twutility.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

static const char SourceName[] = "web/gl11";

static_assert(sizeof(CWebglUniforms) == 66 * sizeof(float), "webgl.js reads 66 packed floats");

namespace
{

class CMatrix
{
public:
    float M[16]; // column-major
};

class CVertex
{
public:
    float Position[3];
    float Normal[3];
    float TexCoord[2];
};

enum CCommandKind
{
    COMMAND_DRAW,
    COMMAND_MATERIAL,
    COMMAND_COLOUR,
    COMMAND_TRANSLATE,
};

class CCommand
{
public:
    CCommandKind Kind;
    GLenum Name;     // COMMAND_MATERIAL: GL_AMBIENT ... GL_SHININESS
    float Values[4]; // colour, material values or translation
    int First;       // COMMAND_DRAW: vertices in the list buffer
    int Count;
};

class CMaterial
{
public:
    float Ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float Diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float Specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float Emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float Shininess = 0.0f;
};

class CLight
{
public:
    float Ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float Diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float Specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float Direction[3] = {0.0f, 0.0f, 1.0f}; // eye coordinates, unit length
};

// A texture as given: what its WebGL texture is made from again after a lost context.
class CTextureImage
{
public:
    GLint MinFilter = 0; // 0: WebGL's default, never set
    GLint MagFilter = 0;
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Rgb; // empty until an image is given
};

const double Pi = 3.14159265358979323846;
// The capabilities that WebGL itself holds, kept here in this order.
const GLenum WebglCapabilities[] = {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND};
const int WebglCapabilityCount = int(sizeof(WebglCapabilities) / sizeof(WebglCapabilities[0]));
const int MaxModelviewDepth = 32;
const int MaxProjectionDepth = 4;
const float ModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f}; // the default light model

// Everything a GL 1.1 context holds that the subset uses.
class CContext
{
public:
    CMatrix Modelview[MaxModelviewDepth];
    CMatrix Projection[MaxProjectionDepth];
    int ModelviewTop = 0;
    int ProjectionTop = 0;
    GLenum MatrixMode = GL_MODELVIEW;

    bool Lighting = false;
    bool Light0 = false;
    bool Texturing = false;
    CLight Light;
    CMaterial Material;
    float Colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float ClearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float ClearDepth = 1.0f;
    int UnpackAlignment = 4;

    float Normal[3] = {0.0f, 0.0f, 1.0f};
    float TexCoord[2] = {0.0f, 0.0f};
    bool InsideBegin = false;
    GLenum Primitive = GL_TRIANGLES;
    std::vector<CVertex> Primitives;   // since glBegin, as given
    std::vector<CVertex> Stream;       // triangles drawn at glEnd outside a list
    std::vector<CVertex> ListVertices; // triangles of every list, in one buffer
    bool ListVerticesChanged = false;

    std::vector<std::vector<CCommand>> Lists; // by name - 1
    GLuint Compiling = 0;                     // list being compiled, 0 for none
    GLuint ListBase = 0;

    // What WebGL holds: capabilities enabled, blending, viewport, textures by name - 1.
    bool WebglEnabled[WebglCapabilityCount] = {};
    GLenum BlendFactors[2] = {GL_ONE, 0}; // GL_ONE, GL_ZERO
    GLint Viewport[4] = {0, 0, 0, 0};
    std::vector<CTextureImage> Textures;
    GLuint BoundTexture = 0;

    int StreamBuffer = 0;
    int ListBuffer = 0;
    bool UniformsChanged = true;
    CWebglUniforms Uniforms;
};

CContext Gl;

CMatrix &Current_Matrix()
{
    return Gl.MatrixMode == GL_MODELVIEW ? Gl.Modelview[Gl.ModelviewTop]
                                         : Gl.Projection[Gl.ProjectionTop];
}

// 16 values, column-major, in GL's single precision or in the double precision of a factor.
template <typename T>
void Identity(T *matrix)
{
    for (int i = 0; i < 16; ++i)
        matrix[i] = i % 5 == 0 ? T(1) : T(0);
}

// The current matrix times by (column-major, in single precision as GL keeps matrices).
void Multiply_Current(const double *by)
{
    CMatrix &current = Current_Matrix();
    CMatrix product;
    for (int column = 0; column < 4; ++column)
    {
        for (int row = 0; row < 4; ++row)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += current.M[k * 4 + row] * float(by[column * 4 + k]);
            product.M[column * 4 + row] = sum;
        }
    }
    current = product;
    Gl.UniformsChanged = true;
}

void Normalise(double *v)
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0)
    {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

void Cross(const double *a, const double *b, double *result)
{
    result[0] = a[1] * b[2] - a[2] * b[1];
    result[1] = a[2] * b[0] - a[0] * b[2];
    result[2] = a[0] * b[1] - a[1] * b[0];
}

// The inverse transpose of the modelview's upper 3 x 3, which carries normals to eye space.
void Normal_Matrix(const CMatrix &modelview, float *normal_matrix)
{
    const float *m = modelview.M;
    // Cofactors of the column-major 3 x 3 a(row, column) = m[column * 4 + row].
    const double a00 = m[0], a10 = m[1], a20 = m[2];
    const double a01 = m[4], a11 = m[5], a21 = m[6];
    const double a02 = m[8], a12 = m[9], a22 = m[10];
    const double c00 = a11 * a22 - a12 * a21, c01 = a12 * a20 - a10 * a22;
    const double c02 = a10 * a21 - a11 * a20, c10 = a02 * a21 - a01 * a22;
    const double c11 = a00 * a22 - a02 * a20, c12 = a01 * a20 - a00 * a21;
    const double c20 = a01 * a12 - a02 * a11, c21 = a02 * a10 - a00 * a12;
    const double c22 = a00 * a11 - a01 * a10;
    const double determinant = a00 * c00 + a01 * c01 + a02 * c02;
    const double k = determinant != 0.0 ? 1.0 / determinant : 0.0;
    // (A^-1)^T = cofactor matrix / determinant.
    const double cofactors[9] = {c00, c10, c20, c01, c11, c21, c02, c12, c22};
    for (int i = 0; i < 9; ++i)
        normal_matrix[i] = float(cofactors[i] * k);
}

void Update_Uniforms()
{
    if (!Gl.UniformsChanged)
        return;
    CWebglUniforms &u = Gl.Uniforms;
    memcpy(u.Modelview, Gl.Modelview[Gl.ModelviewTop].M, sizeof(u.Modelview));
    memcpy(u.Projection, Gl.Projection[Gl.ProjectionTop].M, sizeof(u.Projection));
    Normal_Matrix(Gl.Modelview[Gl.ModelviewTop], u.NormalMatrix);
    memcpy(u.Colour, Gl.Colour, sizeof(u.Colour));
    const CMaterial &material = Gl.Material;
    const float light_on = Gl.Light0 ? 1.0f : 0.0f;
    for (int i = 0; i < 3; ++i)
    {
        u.SceneColour[i] = material.Emission[i] + ModelAmbient[i] * material.Ambient[i] +
                           light_on * Gl.Light.Ambient[i] * material.Ambient[i];
        u.DiffuseProduct[i] = light_on * Gl.Light.Diffuse[i] * material.Diffuse[i];
        u.SpecularProduct[i] = light_on * Gl.Light.Specular[i] * material.Specular[i];
    }
    u.SceneColour[3] = material.Diffuse[3];
    u.DiffuseProduct[3] = u.SpecularProduct[3] = 0.0f;
    double half[3] = {Gl.Light.Direction[0], Gl.Light.Direction[1], Gl.Light.Direction[2] + 1.0};
    Normalise(half);
    for (int i = 0; i < 3; ++i)
    {
        u.LightDirection[i] = Gl.Light.Direction[i];
        u.HalfVector[i] = float(half[i]);
    }
    u.Shininess = material.Shininess;
    u.Lighting = Gl.Lighting ? 1.0f : 0.0f;
    u.Texturing = Gl.Texturing ? 1.0f : 0.0f;
    Webgl_Set_Uniforms(&u);
    Gl.UniformsChanged = false;
}

void Draw_List_Vertices(int first, int count)
{
    if (Gl.ListVerticesChanged)
    {
        Webgl_Buffer_Data(Gl.ListBuffer, Gl.ListVertices[0].Position, int(Gl.ListVertices.size()),
                          0);
        Gl.ListVerticesChanged = false;
    }
    Update_Uniforms();
    Webgl_Draw_Triangles(Gl.ListBuffer, first, count);
}

void Set_Material(GLenum name, const float *values)
{
    CMaterial &m = Gl.Material;
    float *target = name == GL_AMBIENT    ? m.Ambient
                    : name == GL_DIFFUSE  ? m.Diffuse
                    : name == GL_SPECULAR ? m.Specular
                    : name == GL_EMISSION ? m.Emission
                                          : nullptr;
    if (name == GL_SHININESS)
        m.Shininess = values[0];
    else
    {
        TW_ASSERT(target != nullptr);
        memcpy(target, values, 4 * sizeof(float));
    }
    Gl.UniformsChanged = true;
}

void Set_Colour(const float *rgba)
{
    memcpy(Gl.Colour, rgba, sizeof(Gl.Colour));
    Gl.UniformsChanged = true;
}

void Translate(double x, double y, double z)
{
    double by[16];
    Identity(by);
    by[12] = x;
    by[13] = y;
    by[14] = z;
    Multiply_Current(by);
}

void Record(const CCommand &command)
{
    Gl.Lists[Gl.Compiling - 1].push_back(command);
}

// Calls that a list may not hold fail when made while one is compiled.
void Not_In_List()
{
    TW_ASSERT(Gl.Compiling == 0);
}

void Set_Capability(GLenum capability, bool enabled)
{
    Not_In_List();
    switch (capability)
    {
        case GL_LIGHTING:
            Gl.Lighting = enabled;
            break;
        case GL_LIGHT0:
            Gl.Light0 = enabled;
            break;
        case GL_TEXTURE_2D:
            Gl.Texturing = enabled;
            break;
        default:
        {
            const GLenum *const end = WebglCapabilities + WebglCapabilityCount;
            const GLenum *const held = std::find(WebglCapabilities, end, capability);
            TW_ASSERT(held != end);
            Gl.WebglEnabled[held - WebglCapabilities] = enabled;
            Webgl_Set_Capability(capability, enabled ? 1 : 0);
            return;
        }
    }
    Gl.UniformsChanged = true;
}

CTextureImage &Bound_Texture()
{
    TW_ASSERT(Gl.BoundTexture >= 1 && Gl.BoundTexture <= Gl.Textures.size());
    return Gl.Textures[Gl.BoundTexture - 1];
}

// The bound texture's parameters and image, handed to WebGL as given.
void Upload_Texture(const CTextureImage &texture)
{
    if (texture.MinFilter != 0)
        Webgl_Tex_Parameter(GL_TEXTURE_MIN_FILTER, texture.MinFilter);
    if (texture.MagFilter != 0)
        Webgl_Tex_Parameter(GL_TEXTURE_MAG_FILTER, texture.MagFilter);
    if (!texture.Rgb.empty())
        Webgl_Tex_Image_Rgb(texture.Width, texture.Height, texture.Rgb.data());
}

} // namespace

bool Restore_Gl_Context()
{
    if (Webgl_Create_Context() == 0)
        return false;
    Webgl_Renew_Objects();
    for (int i = 0; i < WebglCapabilityCount; ++i)
        Webgl_Set_Capability(WebglCapabilities[i], Gl.WebglEnabled[i] ? 1 : 0);
    Webgl_Blend_Func(Gl.BlendFactors[0], Gl.BlendFactors[1]);
    const GLint *v = Gl.Viewport;
    Webgl_Viewport(v[0], v[1], v[2], v[3]);
    for (size_t i = 0; i < Gl.Textures.size(); ++i)
    {
        Webgl_Bind_Texture(int(i + 1));
        Upload_Texture(Gl.Textures[i]);
    }
    Webgl_Bind_Texture(int(Gl.BoundTexture));
    // The display lists' batches, uploaded again at the first call of one.
    Gl.ListVerticesChanged = !Gl.ListVertices.empty();
    Gl.UniformsChanged = true;
    return true;
}

bool Create_Gl_Context()
{
    if (Webgl_Create_Context() == 0)
        return false;
    Identity(Gl.Modelview[0].M);
    Identity(Gl.Projection[0].M);
    Gl.StreamBuffer = Webgl_Create_Buffer();
    Gl.ListBuffer = Webgl_Create_Buffer();
    Gl.UniformsChanged = true;
    return true;
}

void glEnable(GLenum capability)
{
    Set_Capability(capability, true);
}

void glDisable(GLenum capability)
{
    Set_Capability(capability, false);
}

void glHint(GLenum, GLenum)
{
    // WebGL always interpolates with perspective correction: GL_NICEST is what it does.
    Not_In_List();
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    Not_In_List();
    const GLint viewport[4] = {x, y, width, height};
    memcpy(Gl.Viewport, viewport, sizeof(viewport));
    Webgl_Viewport(x, y, width, height);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    Not_In_List();
    const float colour[4] = {red, green, blue, alpha};
    memcpy(Gl.ClearColour, colour, sizeof(colour));
}

void glClearDepth(GLclampd depth)
{
    Not_In_List();
    Gl.ClearDepth = float(depth);
}

void glClear(GLbitfield mask)
{
    Not_In_List();
    const float *c = Gl.ClearColour;
    Webgl_Clear(mask, c[0], c[1], c[2], c[3], Gl.ClearDepth);
}

void glBlendFunc(GLenum source_factor, GLenum destination_factor)
{
    Not_In_List();
    Gl.BlendFactors[0] = source_factor;
    Gl.BlendFactors[1] = destination_factor;
    Webgl_Blend_Func(source_factor, destination_factor);
}

void glGetDoublev(GLenum name, GLdouble *values)
{
    TW_ASSERT(name == GL_MODELVIEW_MATRIX || name == GL_PROJECTION_MATRIX);
    const CMatrix &matrix = name == GL_MODELVIEW_MATRIX ? Gl.Modelview[Gl.ModelviewTop]
                                                        : Gl.Projection[Gl.ProjectionTop];
    for (int i = 0; i < 16; ++i)
        values[i] = matrix.M[i];
}

void glMatrixMode(GLenum mode)
{
    Not_In_List();
    TW_ASSERT(mode == GL_MODELVIEW || mode == GL_PROJECTION);
    Gl.MatrixMode = mode;
}

void glLoadIdentity()
{
    Not_In_List();
    Identity(Current_Matrix().M);
    Gl.UniformsChanged = true;
}

void glPushMatrix()
{
    Not_In_List();
    int &top = Gl.MatrixMode == GL_MODELVIEW ? Gl.ModelviewTop : Gl.ProjectionTop;
    const int depth = Gl.MatrixMode == GL_MODELVIEW ? MaxModelviewDepth : MaxProjectionDepth;
    TW_ASSERT(top + 1 < depth);
    CMatrix *stack = Gl.MatrixMode == GL_MODELVIEW ? Gl.Modelview : Gl.Projection;
    stack[top + 1] = stack[top];
    ++top;
}

void glPopMatrix()
{
    Not_In_List();
    int &top = Gl.MatrixMode == GL_MODELVIEW ? Gl.ModelviewTop : Gl.ProjectionTop;
    TW_ASSERT(top > 0);
    --top;
    Gl.UniformsChanged = true;
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    if (Gl.Compiling != 0)
        Record({COMMAND_TRANSLATE, 0, {float(x), float(y), float(z), 0.0f}, 0, 0});
    else
        Translate(x, y, z);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    glTranslated(x, y, z);
}

void glRotatef(GLfloat angle_degrees, GLfloat x, GLfloat y, GLfloat z)
{
    Not_In_List();
    double axis[3] = {x, y, z};
    Normalise(axis);
    const double radians = double(angle_degrees) * Pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
    double by[16];
    Identity(by);
    for (int column = 0; column < 3; ++column)
    {
        for (int row = 0; row < 3; ++row)
            by[column * 4 + row] = t * axis[row] * axis[column] + (row == column ? c : 0.0);
    }
    // The cross-product part: s times the axis's skew-symmetric matrix.
    by[1] += s * axis[2];
    by[2] -= s * axis[1];
    by[4] -= s * axis[2];
    by[6] += s * axis[0];
    by[8] += s * axis[1];
    by[9] -= s * axis[0];
    Multiply_Current(by);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_z,
             GLdouble far_z)
{
    Not_In_List();
    double by[16];
    Identity(by);
    by[0] = 2.0 / (right - left);
    by[5] = 2.0 / (top - bottom);
    by[10] = -2.0 / (far_z - near_z);
    by[12] = -(right + left) / (right - left);
    by[13] = -(top + bottom) / (top - bottom);
    by[14] = -(far_z + near_z) / (far_z - near_z);
    Multiply_Current(by);
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    glOrtho(left, right, bottom, top, -1.0, 1.0);
}

void gluPerspective(GLdouble fovy_degrees, GLdouble aspect, GLdouble near_z, GLdouble far_z)
{
    Not_In_List();
    const double half_angle = fovy_degrees * Pi / 360.0;
    const double cotangent = std::cos(half_angle) / std::sin(half_angle);
    double by[16];
    Identity(by);
    by[0] = cotangent / aspect;
    by[5] = cotangent;
    by[10] = -(far_z + near_z) / (far_z - near_z);
    by[11] = -1.0;
    by[14] = -2.0 * near_z * far_z / (far_z - near_z);
    by[15] = 0.0;
    Multiply_Current(by);
}

void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble centre_x, GLdouble centre_y,
               GLdouble centre_z, GLdouble up_x, GLdouble up_y, GLdouble up_z)
{
    Not_In_List();
    double forward[3] = {centre_x - eye_x, centre_y - eye_y, centre_z - eye_z};
    const double up_given[3] = {up_x, up_y, up_z};
    Normalise(forward);
    double side[3];
    Cross(forward, up_given, side);
    Normalise(side);
    double up[3];
    Cross(side, forward, up);
    double by[16];
    Identity(by);
    for (int column = 0; column < 3; ++column)
    {
        // Rows: side, up, -forward.
        by[column * 4 + 0] = side[column];
        by[column * 4 + 1] = up[column];
        by[column * 4 + 2] = -forward[column];
    }
    Multiply_Current(by);
    Translate(-eye_x, -eye_y, -eye_z);
}

void glLightfv(GLenum light, GLenum name, const GLfloat *values)
{
    Not_In_List();
    TW_ASSERT(light == GL_LIGHT0);
    CLight &l = Gl.Light;
    if (name == GL_POSITION)
    {
        // Stored in eye coordinates, through the modelview of the moment.
        TW_ASSERT(values[3] == 0.0f);
        const float *m = Gl.Modelview[Gl.ModelviewTop].M;
        double direction[3];
        for (int row = 0; row < 3; ++row)
            direction[row] = m[row] * values[0] + m[4 + row] * values[1] + m[8 + row] * values[2];
        Normalise(direction);
        for (int i = 0; i < 3; ++i)
            l.Direction[i] = float(direction[i]);
    }
    else
    {
        float *target = name == GL_AMBIENT   ? l.Ambient
                        : name == GL_DIFFUSE ? l.Diffuse
                                             : l.Specular;
        TW_ASSERT(name == GL_AMBIENT || name == GL_DIFFUSE || name == GL_SPECULAR);
        memcpy(target, values, 4 * sizeof(float));
    }
    Gl.UniformsChanged = true;
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat *values)
{
    TW_ASSERT(face == GL_FRONT_AND_BACK || face == GL_FRONT);
    TW_ASSERT(!Gl.InsideBegin);
    if (Gl.Compiling == 0)
    {
        Set_Material(name, values);
        return;
    }
    CCommand command = {COMMAND_MATERIAL, name, {values[0], 0.0f, 0.0f, 0.0f}, 0, 0};
    if (name != GL_SHININESS)
        memcpy(command.Values, values, sizeof(command.Values));
    Record(command);
}

void glMaterialf(GLenum face, GLenum name, GLfloat value)
{
    TW_ASSERT(name == GL_SHININESS);
    glMaterialfv(face, name, &value);
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    // One colour per batch: the shader takes it as a uniform.
    TW_ASSERT(!Gl.InsideBegin);
    const float rgba[4] = {red, green, blue, alpha};
    if (Gl.Compiling != 0)
        Record({COMMAND_COLOUR, 0, {red, green, blue, alpha}, 0, 0});
    else
        Set_Colour(rgba);
}

void glBegin(GLenum mode)
{
    TW_ASSERT(!Gl.InsideBegin);
    TW_ASSERT(mode == GL_TRIANGLES || mode == GL_QUADS);
    Gl.InsideBegin = true;
    Gl.Primitive = mode;
    Gl.Primitives.clear();
}

void glEnd()
{
    TW_ASSERT(Gl.InsideBegin);
    Gl.InsideBegin = false;
    std::vector<CVertex> &target = Gl.Compiling != 0 ? Gl.ListVertices : Gl.Stream;
    if (Gl.Compiling == 0)
        target.clear();
    const size_t first = target.size();
    const std::vector<CVertex> &given = Gl.Primitives;
    if (Gl.Primitive == GL_TRIANGLES)
        target.insert(target.end(), given.begin(), given.end() - given.size() % 3);
    else
    {
        for (size_t q = 0; q + 3 < given.size(); q += 4)
        {
            const size_t corners[6] = {q, q + 1, q + 2, q, q + 2, q + 3};
            for (size_t corner : corners)
                target.push_back(given[corner]);
        }
    }
    const int count = int(target.size() - first);
    if (count == 0)
        return;
    if (Gl.Compiling != 0)
    {
        Record({COMMAND_DRAW, 0, {0.0f, 0.0f, 0.0f, 0.0f}, int(first), count});
        Gl.ListVerticesChanged = true;
        return;
    }
    Update_Uniforms();
    Webgl_Buffer_Data(Gl.StreamBuffer, target[0].Position, count, 1);
    Webgl_Draw_Triangles(Gl.StreamBuffer, 0, count);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    TW_ASSERT(Gl.InsideBegin);
    Gl.Primitives.push_back(
        {{x, y, z}, {Gl.Normal[0], Gl.Normal[1], Gl.Normal[2]}, {Gl.TexCoord[0], Gl.TexCoord[1]}});
}

void glVertex2i(GLint x, GLint y)
{
    glVertex3f(float(x), float(y), 0.0f);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    Gl.Normal[0] = x;
    Gl.Normal[1] = y;
    Gl.Normal[2] = z;
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    Gl.TexCoord[0] = s;
    Gl.TexCoord[1] = t;
}

GLuint glGenLists(GLsizei range)
{
    Not_In_List();
    TW_ASSERT(range > 0);
    const GLuint first = GLuint(Gl.Lists.size()) + 1;
    Gl.Lists.resize(Gl.Lists.size() + size_t(range));
    return first;
}

void glNewList(GLuint list, GLenum mode)
{
    Not_In_List();
    TW_ASSERT(mode == GL_COMPILE);
    TW_ASSERT(list >= 1 && list <= Gl.Lists.size());
    Gl.Lists[list - 1].clear();
    Gl.Compiling = list;
}

void glEndList()
{
    TW_ASSERT(Gl.Compiling != 0);
    TW_ASSERT(!Gl.InsideBegin);
    Gl.Compiling = 0;
}

void glCallList(GLuint list)
{
    Not_In_List();
    // As in GL, a name that holds no list does nothing.
    if (list < 1 || list > Gl.Lists.size())
        return;
    for (const CCommand &command : Gl.Lists[list - 1])
    {
        switch (command.Kind)
        {
            case COMMAND_DRAW:
                Draw_List_Vertices(command.First, command.Count);
                break;
            case COMMAND_MATERIAL:
                Set_Material(command.Name, command.Values);
                break;
            case COMMAND_COLOUR:
                Set_Colour(command.Values);
                break;
            case COMMAND_TRANSLATE:
                Translate(command.Values[0], command.Values[1], command.Values[2]);
                break;
        }
    }
}

void glCallLists(GLsizei count, GLenum type, const GLvoid *lists)
{
    TW_ASSERT(type == GL_UNSIGNED_BYTE);
    const unsigned char *offsets = static_cast<const unsigned char *>(lists);
    for (GLsizei i = 0; i < count; ++i)
        glCallList(Gl.ListBase + offsets[i]);
}

void glListBase(GLuint base)
{
    Not_In_List();
    Gl.ListBase = base;
}

void glDeleteLists(GLuint list, GLsizei range)
{
    Not_In_List();
    // The vertices stay in the shared buffer: lists are made once, at start.
    for (GLuint name = list; name < list + GLuint(range) && name <= Gl.Lists.size(); ++name)
    {
        if (name >= 1)
            Gl.Lists[name - 1].clear();
    }
}

void glGenTextures(GLsizei count, GLuint *textures)
{
    Not_In_List();
    for (GLsizei i = 0; i < count; ++i)
    {
        textures[i] = GLuint(Webgl_Create_Texture());
        Gl.Textures.emplace_back();
        TW_ASSERT(textures[i] == Gl.Textures.size());
    }
}

void glBindTexture(GLenum target, GLuint texture)
{
    Not_In_List();
    TW_ASSERT(target == GL_TEXTURE_2D);
    TW_ASSERT(texture <= Gl.Textures.size());
    Gl.BoundTexture = texture;
    Webgl_Bind_Texture(int(texture));
}

void glTexParameteri(GLenum target, GLenum name, GLint value)
{
    Not_In_List();
    TW_ASSERT(target == GL_TEXTURE_2D);
    TW_ASSERT(name == GL_TEXTURE_MIN_FILTER || name == GL_TEXTURE_MAG_FILTER);
    (name == GL_TEXTURE_MIN_FILTER ? Bound_Texture().MinFilter : Bound_Texture().MagFilter) = value;
    Webgl_Tex_Parameter(name, value);
}

void glPixelStorei(GLenum name, GLint value)
{
    Not_In_List();
    TW_ASSERT(name == GL_UNPACK_ALIGNMENT);
    TW_ASSERT(value == 1 || value == 2 || value == 4 || value == 8);
    Gl.UnpackAlignment = value;
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                        GLenum type, const void *data)
{
    Not_In_List();
    TW_ASSERT(target == GL_TEXTURE_2D);
    TW_ASSERT(components == 3 && format == GL_BGR_EXT && type == GL_UNSIGNED_BYTE);
    // WebGL 1 makes mipmaps of sides that are powers of two only; GLU would rescale others.
    TW_ASSERT(width > 0 && (width & (width - 1)) == 0);
    TW_ASSERT(height > 0 && (height & (height - 1)) == 0);
    const size_t alignment = size_t(Gl.UnpackAlignment);
    const size_t stride = (size_t(width) * 3 + alignment - 1) / alignment * alignment;
    const unsigned char *rows = static_cast<const unsigned char *>(data);
    CTextureImage &texture = Bound_Texture();
    std::vector<unsigned char> &rgb = texture.Rgb;
    rgb.assign(size_t(width) * size_t(height) * 3, 0);
    texture.Width = width;
    texture.Height = height;
    for (size_t y = 0; y < size_t(height); ++y)
    {
        for (size_t x = 0; x < size_t(width); ++x)
        {
            const unsigned char *bgr = rows + y * stride + x * 3;
            unsigned char *out = &rgb[(y * size_t(width) + x) * 3];
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    Webgl_Tex_Image_Rgb(width, height, rgb.data());
    return 0;
}

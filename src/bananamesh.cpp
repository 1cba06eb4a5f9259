#include "bananamesh.h"

#include "platform/gl.h"

#include <type_traits>

static_assert(std::is_same<GLenum, unsigned int>::value,
              "Set_Material_Colour declares its GLenum parameter as unsigned int");
static_assert(std::is_same<GLuint, unsigned int>::value,
              "Build_Banana_Mesh returns a GLuint as unsigned int");

void Set_Material_Colour(unsigned int parameter, const float *rgb, float alpha)
{
    const GLfloat colour[4] = {rgb[0], rgb[1], rgb[2], alpha};
    glMaterialfv(GL_FRONT_AND_BACK, parameter, colour);
}

void Select_Material(int material)
{
    // Material changes are not allowed inside a glBegin batch.
    glEnd();
    const CBananaMaterial &m = BananaMaterials[material];
    Set_Material_Colour(GL_AMBIENT, m.Ambient, m.Alpha);
    Set_Material_Colour(GL_DIFFUSE, m.Diffuse, m.Alpha);
    Set_Material_Colour(GL_SPECULAR, m.Specular, m.Alpha);
    Set_Material_Colour(GL_EMISSION, m.Emission, m.Alpha);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.Shininess);
    glBegin(GL_TRIANGLES);
}

unsigned int Build_Banana_Mesh()
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    // Opened here only for the first Select_Material to close (empty), so the list holds one
    // batch per material run.
    glBegin(GL_TRIANGLES);
    int remaining = 0; // triangles left in the current run
    int run = 0;
    for (const short *face : BananaFaces)
    {
        if (remaining == 0)
        {
            Select_Material(BananaMaterialRuns[run][0]);
            remaining = BananaMaterialRuns[run][1];
            run++;
        }
        remaining--;
        for (int corner = 0; corner < 3; corner++)
        {
            const float *normal = BananaNormals[face[3 + corner]];
            const float *texcoord = BananaTexCoords[face[6 + corner]];
            const float *vertex = BananaVertices[face[corner]];
            glNormal3f(normal[0], normal[1], normal[2]);
            glTexCoord2f(texcoord[0], texcoord[1]);
            glVertex3f(vertex[0], vertex[1], vertex[2]);
        }
    }
    glEnd();
    glEndList();
    return list;
}

#include "bananamesh.h"

#include "platform/gl.h"
#include "scene.h"

#include <vector>

namespace
{

class BananaMeshTest : public CFrameTest
{
protected:
    static void Expect_Material(GLenum parameter, const float *rgb, float alpha)
    {
        GLfloat colour[4];
        glGetMaterialfv(GL_FRONT, parameter, colour);
        EXPECT_EQ(rgb[0], colour[0]);
        EXPECT_EQ(rgb[1], colour[1]);
        EXPECT_EQ(rgb[2], colour[2]);
        EXPECT_EQ(alpha, colour[3]);
    }
};

TEST_F(BananaMeshTest, TheListDrawsEveryTriangleInItsMaterialWithoutAnError)
{
    glDisable(GL_CULL_FACE);
    const unsigned int list = Build_Banana_Mesh();
    std::vector<GLfloat> feedback(BananaNumFaces * 8 + 64);
    glFeedbackBuffer(GLsizei(feedback.size()), GL_2D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    const GLint values = glRenderMode(GL_RENDER);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    int triangles = 0;
    for (GLint i = 0; i < values; i += 8)
    {
        ASSERT_EQ(GL_POLYGON_TOKEN, GLint(feedback[i]));
        ASSERT_EQ(3, GLint(feedback[i + 1]));
        ++triangles;
    }
    EXPECT_EQ(BananaNumFaces, triangles);
    const CBananaMaterial &last = BananaMaterials[BananaMaterialRuns[BananaNumMaterialRuns - 1][0]];
    Expect_Material(GL_DIFFUSE, last.Diffuse, last.Alpha);
    Expect_Material(GL_EMISSION, last.Emission, last.Alpha);
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(last.Shininess, shininess);
}

} // namespace

// OpenGL 1.1 and GLU as far as the portable core uses them, and no further, drawn with WebGL 1
// (gl11.cpp, over webgl.js). The core reaches this header through platform/gl.h. The names,
// types and values are OpenGL's, and each call means what it means there, within these limits:
// - display lists hold only vertices (glBegin ... glEnd), materials, colours and translations,
//   and are compiled, never compiled and executed;
// - primitives are GL_TRIANGLES and GL_QUADS; one light, GL_LIGHT0, directional (w = 0); one
//   material for both faces; one texture unit, modulating;
// - textures are RGB with sides that are powers of two;
// - anything outside these is a broken precondition (TW_ASSERT), not an error code.
#ifndef QUILLOMAR_WEB_GL11_H
#define QUILLOMAR_WEB_GL11_H

typedef unsigned int GLenum;
typedef unsigned int GLbitfield;
typedef unsigned int GLuint;
typedef int GLint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;
typedef void GLvoid;

#define GL_TRIANGLES 0x0004
#define GL_QUADS 0x0007
#define GL_COMPILE 0x1300
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000
#define GL_ONE 1
#define GL_SRC_ALPHA 0x0302
#define GL_FRONT 0x0404
#define GL_FRONT_AND_BACK 0x0408
#define GL_CULL_FACE 0x0B44
#define GL_LIGHTING 0x0B50
#define GL_DEPTH_TEST 0x0B71
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_PROJECTION_MATRIX 0x0BA7
#define GL_BLEND 0x0BE2
#define GL_PERSPECTIVE_CORRECTION_HINT 0x0C50
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_TEXTURE_2D 0x0DE1
#define GL_NICEST 0x1102
#define GL_AMBIENT 0x1200
#define GL_DIFFUSE 0x1201
#define GL_SPECULAR 0x1202
#define GL_POSITION 0x1203
#define GL_UNSIGNED_BYTE 0x1401
#define GL_EMISSION 0x1600
#define GL_SHININESS 0x1601
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_LINEAR 0x2601
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_LIGHT0 0x4000
#define GL_BGR_EXT 0x80E0

// State
void glEnable(GLenum capability);
void glDisable(GLenum capability);
void glHint(GLenum target, GLenum mode);
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void glClearDepth(GLclampd depth);
void glClear(GLbitfield mask);
void glBlendFunc(GLenum source_factor, GLenum destination_factor);
void glGetDoublev(GLenum name, GLdouble *values); // the two matrices only

// Matrices: column-major, as OpenGL keeps them
void glMatrixMode(GLenum mode);
void glLoadIdentity();
void glPushMatrix();
void glPopMatrix();
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glTranslated(GLdouble x, GLdouble y, GLdouble z);
void glRotatef(GLfloat angle_degrees, GLfloat x, GLfloat y, GLfloat z);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_z,
             GLdouble far_z);
void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
void gluPerspective(GLdouble fovy_degrees, GLdouble aspect, GLdouble near_z, GLdouble far_z);
void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble centre_x, GLdouble centre_y,
               GLdouble centre_z, GLdouble up_x, GLdouble up_y, GLdouble up_z);

// Light and material
void glLightfv(GLenum light, GLenum name, const GLfloat *values);
void glMaterialfv(GLenum face, GLenum name, const GLfloat *values);
void glMaterialf(GLenum face, GLenum name, GLfloat value);
void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);

// Vertices
void glBegin(GLenum mode);
void glEnd();
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glVertex2i(GLint x, GLint y);
void glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void glTexCoord2f(GLfloat s, GLfloat t);

// Display lists
GLuint glGenLists(GLsizei range);
void glNewList(GLuint list, GLenum mode);
void glEndList();
void glCallList(GLuint list);
void glCallLists(GLsizei count, GLenum type, const GLvoid *lists);
void glListBase(GLuint base);
void glDeleteLists(GLuint list, GLsizei range);

// Textures
void glGenTextures(GLsizei count, GLuint *textures);
void glBindTexture(GLenum target, GLuint texture);
void glTexParameteri(GLenum target, GLenum name, GLint value);
void glPixelStorei(GLenum name, GLint value);
GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                        GLenum type, const void *data);

// For the host: makes a WebGL context on the page's canvas the one these calls draw with.
// False when the browser has no WebGL to give.
bool Create_Gl_Context();
// After the browser restores a lost context: the program, buffers, textures and display lists'
// batches made again from the state kept here, so that drawing carries on as before. False when
// the context was lost again meanwhile.
bool Restore_Gl_Context();

#endif

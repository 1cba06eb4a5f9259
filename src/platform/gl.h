// OpenGL 1.1 and GLU, as each system spells its headers.
#ifndef QUILLOMAR_PLATFORM_GL_H
#define QUILLOMAR_PLATFORM_GL_H

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>

#endif

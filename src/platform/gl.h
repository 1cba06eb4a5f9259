// OpenGL 1.1 and GLU, as each system spells its headers.
#ifndef QUILLOMAR_PLATFORM_GL_H
#define QUILLOMAR_PLATFORM_GL_H

#if defined(__EMSCRIPTEN__)
// The browser has WebGL only: the web host's own GL 1.1 subset.
#include "web/gl11.h"
#else
#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>
#endif

#endif

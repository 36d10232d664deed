// The OpenGL header for the device and the surfaces. <GL/gl.h> declares the
// OpenGL 1.x calls on the desktop and the ES 2 ones in the browser build.
#ifndef MOXEL_GRAPHICS_GL_H
#define MOXEL_GRAPHICS_GL_H

#include <GL/gl.h>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

#endif

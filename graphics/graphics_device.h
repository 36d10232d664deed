// gxtkGraphics: the 2D renderer over fixed-function OpenGL.
#ifndef MOXEL_GRAPHICS_GRAPHICS_DEVICE_H
#define MOXEL_GRAPHICS_GRAPHICS_DEVICE_H

#include "host/gxtk_object.h"

class gxtkGraphics : public gxtkObject {
public:
    gxtkGraphics();

    virtual int Mode() { return mode; }
    virtual int Width() { return width; }
    virtual int Height() { return height; }

    // Reads the window size; true only when both sides are positive.
    virtual int Cls(float r, float g, float b);

    bool Validate();
    int BeginRender();
    // Flushes what is pending and presents the frame.
    int EndRender();
    int Flush();

    int mode;
    int width;
    int height;
};

#endif

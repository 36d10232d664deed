// gxtkInput: keys, mouse, joystick and typed characters under one key numbering.
#ifndef MOXEL_INPUT_INPUT_DEVICE_H
#define MOXEL_INPUT_INPUT_DEVICE_H

#include "host/gxtk_object.h"

constexpr int INPUT_CHAR_QUEUE = 32;

class gxtkInput : public gxtkObject {
public:
    gxtkInput();

    void BeginUpdate();
    void EndUpdate();
    void OnKeyDown(int key);
    void OnKeyUp(int key);
    void PutChar(int chr);

    // Program key code for a GLFW 3 key code; 0 when the key has none.
    static int TransKey(int glfw_key);
    // The character a key code types, or 0.
    static int KeyToChar(int key);

    int charQueue[INPUT_CHAR_QUEUE];
    int charPut;
    int charGet;
};

#endif

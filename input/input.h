// The framework's input module: the bb_input_ functions over the input device.
//
// Every function reads the device held in bb_input_device, which the
// application device publishes when it is created. Key codes are the input
// device's (input_device.h); mouse buttons are 0 left, 1 right, 2 middle.
#ifndef MOXEL_INPUT_INPUT_H
#define MOXEL_INPUT_INPUT_H

#include "input/input_device.h"

extern gxtkInput* bb_input_device;

int bb_input_SetInputDevice(gxtkInput* device);

int bb_input_EnableKeyboard();
int bb_input_DisableKeyboard();
int bb_input_KeyDown(int key);
int bb_input_KeyHit(int key);
int bb_input_GetChar();

float bb_input_MouseX();
float bb_input_MouseY();
int bb_input_MouseDown(int button = 0);
int bb_input_MouseHit(int button = 0);

// Touch 0 is the left mouse button; every index reads the mouse position.
float bb_input_TouchX(int index = 0);
float bb_input_TouchY(int index = 0);
int bb_input_TouchDown(int index = 0);
int bb_input_TouchHit(int index = 0);

// Joystick 1 only: any other unit reads as centred with no buttons down.
float bb_input_JoyX(int index = 0, int unit = 0);
float bb_input_JoyY(int index = 0, int unit = 0);
float bb_input_JoyZ(int index = 0, int unit = 0);
int bb_input_JoyDown(int button, int unit = 0);
int bb_input_JoyHit(int button, int unit = 0);

// There is no accelerometer.
float bb_input_AccelX();
float bb_input_AccelY();
float bb_input_AccelZ();

#endif

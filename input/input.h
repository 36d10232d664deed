// The framework's input module: the bb_input_ functions over the input device.
#ifndef MOXEL_INPUT_INPUT_H
#define MOXEL_INPUT_INPUT_H

#include "input/input_device.h"

extern gxtkInput* bb_input_device;

#endif

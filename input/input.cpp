// The framework's input functions.
#include "input/input.h"

gxtkInput* bb_input_device = nullptr;

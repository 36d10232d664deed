// gxtkInput: the key table and character queue.
#include "input/input_device.h"

gxtkInput::gxtkInput() : charQueue(), charPut(0), charGet(0) {}

void gxtkInput::BeginUpdate() {}

void gxtkInput::EndUpdate() {
    charPut = charGet = 0;
}

void gxtkInput::OnKeyDown(int) {}
void gxtkInput::OnKeyUp(int) {}

void gxtkInput::PutChar(int chr) {
    if (charPut < INPUT_CHAR_QUEUE) charQueue[charPut++] = chr;
}

int gxtkInput::TransKey(int) {
    return 0;
}

int gxtkInput::KeyToChar(int) {
    return 0;
}

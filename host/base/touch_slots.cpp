// Touch numbers for the fingers on the screen.
#include "host/base/touch_slots.h"

namespace host {

int TouchSlots::Begin(long finger) {
    if (Find(finger) != TOUCH_NONE) return TOUCH_NONE;
    for (int i = 0; i < TOUCH_SLOTS; ++i) {
        if (used_[i]) continue;
        used_[i] = true;
        finger_[i] = finger;
        return i;
    }
    return TOUCH_NONE;
}

int TouchSlots::Find(long finger) const {
    for (int i = 0; i < TOUCH_SLOTS; ++i) {
        if (used_[i] && finger_[i] == finger) return i;
    }
    return TOUCH_NONE;
}

int TouchSlots::End(long finger) {
    const int slot = Find(finger);
    if (slot != TOUCH_NONE) used_[slot] = false;
    return slot;
}

}  // namespace host

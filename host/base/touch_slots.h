// Which finger is which. The first finger down while none is the pointer
// becomes the pointer (touch 0, which plays as the left mouse button); every
// other finger takes the lowest free touch number from 1 up. A finger keeps
// its number until it lifts, whatever the others do.
#ifndef MOXEL_HOST_BASE_TOUCH_SLOTS_H
#define MOXEL_HOST_BASE_TOUCH_SLOTS_H

namespace host {

constexpr int TOUCH_SLOTS = 32;
constexpr int TOUCH_NONE = -1;

class TouchSlots {
  public:
    // The number a finger that just came down gets; TOUCH_NONE when every
    // number is taken or the finger is already down.
    int Begin(long finger);
    // The number of a finger that is down; TOUCH_NONE for any other.
    int Find(long finger) const;
    // Frees the finger's number and returns it (TOUCH_NONE when it had none).
    int End(long finger);

  private:
    bool used_[TOUCH_SLOTS] = {};
    long finger_[TOUCH_SLOTS] = {};
};

}  // namespace host

#endif

// Reading the saved state text: its "|"-ended fields and the numbers in them.
//
// The text comes from a file anyone can edit, so every text gives defined
// results: any length, any count of fields, any characters.
#ifndef MOXEL_GAME_STATE_TEXT_H
#define MOXEL_GAME_STATE_TEXT_H

#include "runtime/runtime.h"

// Fields of the state text (settings, badges, three score blocks).
constexpr int STATE_FIELDS = 98;

// The fields of a state text, found in one pass without copying them. Only
// the starts of the first STATE_FIELDS fields are kept; the count covers all,
// so a text of a million "|" is a million fields and nothing more.
class StateFields {
  public:
    // The text must outlive the object.
    explicit StateFields(const String& text);

    // Number of fields: one more than the number of "|" (the empty text is
    // one empty field, and the final "|" leaves one empty field after it).
    long long Count() const { return count_; }

    // Field i (0 when i is not one of the first STATE_FIELDS fields present)
    // read as atoi reads it: each 16-bit character narrowed to its low byte,
    // leading white space skipped, an optional sign, then the digits up to
    // the first other character; no digits gives 0.
    // NOTE: atoi leaves numbers outside the int range undefined. Here they
    // saturate: a longer run of digits gives INT_MAX, or INT_MIN after a minus
    // sign, so a field of ten thousand digits is a defined number.
    int Number(int i) const;

  private:
    unsigned char Narrow(int p) const;

    const String& text_;
    long long count_ = 1;
    int starts_[STATE_FIELDS] = {};
};

#endif

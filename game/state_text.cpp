// Reading the saved state text: field boundaries and atoi-like numbers that
// saturate out of range (see state_text.h).
#include "game/state_text.h"

#include <climits>

namespace {

constexpr char16_t FIELD_END = '|';
constexpr int LOW_BYTE = 0xFF;
// Past this the magnitude can only saturate; kept there so it never grows.
constexpr long long MAGNITUDE_LIMIT = static_cast<long long>(INT_MAX) + 1;

// The C locale's white space: space, tab, line feed, vertical tab, form feed, return.
bool is_space(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

StateFields::StateFields(const String& text) : text_(text) {
    const int n = text.Length();
    for (int i = 0; i < n; ++i) {
        if (text[i] != FIELD_END) continue;
        if (count_ < STATE_FIELDS) starts_[count_] = i + 1;
        ++count_;
    }
}

unsigned char StateFields::Narrow(int p) const {
    return static_cast<unsigned char>(text_[p] & LOW_BYTE);
}

int StateFields::Number(int i) const {
    if (i < 0 || i >= STATE_FIELDS || i >= count_) return 0;
    const int n = text_.Length();
    int p = starts_[i];
    while (p < n && is_space(Narrow(p))) ++p;
    bool negative = false;
    if (p < n && (Narrow(p) == '-' || Narrow(p) == '+')) {
        negative = Narrow(p) == '-';
        ++p;
    }
    long long magnitude = 0;
    for (; p < n; ++p) {
        const unsigned char c = Narrow(p);
        if (c < '0' || c > '9') break;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > MAGNITUDE_LIMIT) magnitude = MAGNITUDE_LIMIT;
    }
    // MAGNITUDE_LIMIT is exactly -INT_MIN, so only the positive side needs the clamp.
    if (negative) return static_cast<int>(-magnitude);
    return static_cast<int>(magnitude > INT_MAX ? INT_MAX : magnitude);
}

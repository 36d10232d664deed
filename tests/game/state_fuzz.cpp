// Fuzz target for the reader of the saved state text: any bytes, read both as
// 8-bit characters and as 16-bit ones, give a field count and 98 numbers
// without undefined behaviour (the sanitizers watch).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/state_text.h"

namespace {

void ReadAll(const String& text) {
    StateFields fields(text);
    volatile long long sink = fields.Count();
    for (int i = -1; i <= STATE_FIELDS; ++i) sink = sink + fields.Number(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 24)) return 0;
    ReadAll(String(data, static_cast<int>(size)));
    // Pairs of bytes as 16-bit characters reach the narrowing to low bytes.
    std::vector<char16_t> wide(size / 2);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    ReadAll(String(wide.data(), static_cast<int>(wide.size())));
    return 0;
}

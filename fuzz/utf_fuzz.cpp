// Fuzz target: the state file's text encodings.
//
// Any bytes decode (UTF-8 with or without a byte-order mark, UTF-16 of either
// byte order after its mark, or 8-bit text when the UTF-8 is malformed), and
// every string survives a round trip through the UTF-8 writer: decoding what
// String::Save wrote gives the same 16-bit characters back. The one exception
// is by design: a leading U+FEFF is written as EF BB BF, which reads back as
// a byte-order mark and is dropped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "runtime/string.h"

namespace {

constexpr char16_t BYTE_ORDER_MARK = 0xfeff;

// Aborts (a crash the fuzzer records) unless `s` survives Save then Load.
void check_round_trip(const String& s) {
    std::vector<unsigned char> bytes;
    s.Save(bytes);
    String back = String::Load(bytes.data(), static_cast<int>(bytes.size()));
    String want = s.Length() > 0 && s[0] == BYTE_ORDER_MARK ? s.Slice(1) : s;
    if (back != want) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes as a file's content: whatever encoding they turn out to be.
    String decoded = String::Load(data, static_cast<int>(size));
    if (decoded.Length() > static_cast<int>(size)) std::abort();
    check_round_trip(decoded);

    // The bytes as 16-bit characters: every value, lone surrogates included.
    std::vector<char16_t> units(size / 2);
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    check_round_trip(String(units.data(), static_cast<int>(units.size())));
    return 0;
}

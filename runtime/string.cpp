// String construction, text operations, and UTF-8 / UTF-16 file text.
#include "runtime/string.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/fatal.h"

namespace {
constexpr int LOAD_CHUNK = 4096;
}

String::Rep* String::empty_rep() {
    static Rep rep = {1, 0};  // the count stays 1: see retain
    return &rep;
}

String::Rep* String::alloc(int length) {
    if (length <= 0) return empty_rep();
    if (static_cast<size_t>(length) > (SIZE_MAX - sizeof(Rep)) / 2) fatal_out_of_memory();
    Rep* r = static_cast<Rep*>(std::malloc(sizeof(Rep) + 2 * static_cast<size_t>(length)));
    if (!r) fatal_out_of_memory();
    r->refs = 1;
    r->length = length;
    return r;
}

// The shared empty representation is never freed and its count is never
// touched: every update makes and drops thousands of empty strings, and a
// count kept for them would drift until it overflowed.
void String::retain() const {
    if (rep != empty_rep()) ++rep->refs;
}

void String::release() {
    if (rep != empty_rep() && --rep->refs == 0) std::free(rep);
}

String::String() : rep(empty_rep()) {}
String::String(const String& s) : rep(s.rep) {
    retain();
}
String::String(String&& s) noexcept : rep(s.rep) {
    s.rep = empty_rep();
}
String::~String() {
    release();
}
String& String::operator=(const String& s) {
    s.retain();
    release();
    rep = s.rep;
    return *this;
}
String& String::operator=(String&& s) noexcept {
    if (this != &s) {
        release();
        rep = s.rep;
        s.rep = empty_rep();
    }
    return *this;
}

String::String(const char16_t* text, int n) : rep(alloc(n)) {
    if (n > 0) std::memcpy(rep->data(), text, 2 * static_cast<size_t>(n));
}

String::String(const char16_t* text)
    : String(text, [text] {
          int n = 0;
          while (text[n]) ++n;
          return n;
      }()) {}

String::String(const char* text) : rep(alloc(static_cast<int>(std::strlen(text)))) {
    for (int i = 0; i < rep->length; ++i)
        rep->data()[i] = static_cast<char16_t>(static_cast<signed char>(text[i]));
}

String::String(const unsigned char* text, int n) : rep(alloc(n)) {
    for (int i = 0; i < n; ++i) rep->data()[i] = text[i];
}

String::String(int value) : String() {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%i", value);
    *this = String(buf);
}

String::String(float value) : String() {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17lg", static_cast<double>(value));
    if (!std::strchr(buf, '.') && !std::strchr(buf, 'e')) std::strcat(buf, ".0");
    *this = String(buf);
}

bool String::operator==(const String& s) const {
    if (rep == s.rep) return true;
    return rep->length == s.rep->length &&
           std::memcmp(rep->data(), s.rep->data(), 2 * static_cast<size_t>(rep->length)) == 0;
}

String String::operator+(const String& s) const {
    if (rep->length == 0) return s;
    if (s.rep->length == 0) return *this;
    if (rep->length > INT_MAX - s.rep->length) fatal_out_of_memory();
    Rep* r = alloc(rep->length + s.rep->length);
    std::memcpy(r->data(), rep->data(), 2 * static_cast<size_t>(rep->length));
    std::memcpy(r->data() + rep->length, s.rep->data(), 2 * static_cast<size_t>(s.rep->length));
    return String(r);
}

int String::Find(const String& s, int start) const {
    if (start < 0) start = 0;
    const int n = s.rep->length;
    // The last place a match can start, so that a start near the int limit
    // ends the search instead of overflowing past the text.
    const int last = rep->length - n;
    for (int i = start; i <= last; ++i) {
        if (std::memcmp(rep->data() + i, s.rep->data(), 2 * static_cast<size_t>(n)) == 0) return i;
    }
    return -1;
}

int String::FindLast(const String& s) const {
    const int n = s.rep->length;
    for (int i = rep->length - n; i >= 0; --i) {
        if (std::memcmp(rep->data() + i, s.rep->data(), 2 * static_cast<size_t>(n)) == 0) return i;
    }
    return -1;
}

bool String::StartsWith(const String& s) const {
    const int n = s.rep->length;
    return n <= rep->length && std::memcmp(rep->data(), s.rep->data(), 2 * static_cast<size_t>(n)) == 0;
}

String String::Slice(int from) const {
    return Slice(from, rep->length);
}

String String::Slice(int from, int to) const {
    const int len = rep->length;
    if (from < 0) {
        from += len;
        if (from < 0) from = 0;
    } else if (from > len) {
        from = len;
    }
    if (to < 0) {
        to += len;
    } else if (to > len) {
        to = len;
    }
    if (to <= from) return String();
    if (from == 0 && to == len) return *this;
    return String(rep->data() + from, to - from);
}

Array<String> String::Split(const String& separator) const {
    const int len = rep->length;
    const int sep = separator.rep->length;
    if (sep == 0) {
        Array<String> out(len);
        for (int i = 0; i < len; ++i) out[i] = String(rep->data() + i, 1);
        return out;
    }
    int count = 1;
    for (int i = Find(separator); i != -1; i = Find(separator, i + sep)) ++count;
    Array<String> out(count);
    int start = 0;
    int k = 0;
    for (int i = Find(separator); i != -1; i = Find(separator, i + sep)) {
        out[k++] = Slice(start, i);
        start = i + sep;
    }
    out[k] = Slice(start);
    return out;
}

String String::Replace(const String& find, const String& replacement) const {
    const int n = find.rep->length;
    if (n == 0) return *this;
    // Without a match this is "" + Slice(0), which shares this string's representation.
    String out;
    int start = 0;
    for (int i = Find(find); i != -1; i = Find(find, i + n)) {
        out = out + Slice(start, i) + replacement;
        start = i + n;
    }
    return out + Slice(start);
}

String String::ToLower() const {
    for (int i = 0; i < rep->length; ++i) {
        char16_t c = rep->data()[i];
        if (c >= 'A' && c <= 'Z') {
            String out(rep->data(), rep->length);
            for (int j = i; j < rep->length; ++j) {
                char16_t d = out.rep->data()[j];
                if (d >= 'A' && d <= 'Z') out.rep->data()[j] = static_cast<char16_t>(d + ('a' - 'A'));
            }
            return out;
        }
    }
    return *this;
}

template <>
char* String::ToCString<char>() const {
    Array<char> a(rep->length + 1);
    for (int i = 0; i < rep->length; ++i) a[i] = static_cast<char>(rep->data()[i] & 0xff);
    return a.Data();
}

template <>
char16_t* String::ToCString<char16_t>() const {
    Array<char16_t> a(rep->length + 1);
    std::memcpy(a.Data(), rep->data(), 2 * static_cast<size_t>(rep->length));
    return a.Data();
}

String String::Load(FILE* file) {
    std::vector<unsigned char> bytes;
    unsigned char chunk[LOAD_CHUNK];
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    if (bytes.size() > static_cast<size_t>(INT_MAX)) fatal_out_of_memory();
    return Load(bytes.data(), static_cast<int>(bytes.size()));
}

namespace {

String load_utf16(const unsigned char* p, int n, bool big_endian) {
    const int count = n / 2;
    std::vector<char16_t> chars(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        unsigned hi = p[2 * i + (big_endian ? 0 : 1)];
        unsigned lo = p[2 * i + (big_endian ? 1 : 0)];
        chars[static_cast<size_t>(i)] = static_cast<char16_t>((hi << 8) | lo);
    }
    return String(chars.data(), count);
}

bool is_continuation(unsigned char c) {
    return (c & 0xc0) == 0x80;
}

// Decodes UTF-8 into `out`; false on any malformed or cut-off sequence.
bool decode_utf8(const unsigned char* p, int n, std::vector<char16_t>& out) {
    int i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) {
            out.push_back(static_cast<char16_t>(c));
            i += 1;
        } else if ((c & 0xe0) == 0xc0) {
            if (i + 1 >= n || !is_continuation(p[i + 1])) return false;
            out.push_back(static_cast<char16_t>(((c << 6) & 0x7ff) | (p[i + 1] & 0x3f)));
            i += 2;
        } else if ((c & 0xf0) == 0xe0) {
            if (i + 2 >= n || !is_continuation(p[i + 1]) || !is_continuation(p[i + 2])) return false;
            out.push_back(static_cast<char16_t>((c << 12) | ((p[i + 1] << 6) & 0xfff) | (p[i + 2] & 0x3f)));
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

String String::Load(const unsigned char* bytes, int n) {
    if (n >= 2 && bytes[0] == 0xfe && bytes[1] == 0xff) return load_utf16(bytes + 2, n - 2, true);
    if (n >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe) return load_utf16(bytes + 2, n - 2, false);
    if (n >= 3 && bytes[0] == 0xef && bytes[1] == 0xbb && bytes[2] == 0xbf) {
        bytes += 3;
        n -= 3;
    }
    std::vector<char16_t> chars;
    chars.reserve(static_cast<size_t>(n));
    if (!decode_utf8(bytes, n, chars)) {
        std::puts("Invalid UTF-8!");
        std::fflush(stdout);
        return String(bytes, n);
    }
    return String(chars.data(), static_cast<int>(chars.size()));
}

void String::Save(std::vector<unsigned char>& out) const {
    for (int i = 0; i < rep->length; ++i) {
        unsigned c = rep->data()[i];
        if (c < 0x80) {
            out.push_back(static_cast<unsigned char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<unsigned char>(0xc0 | (c >> 6)));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3f)));
        } else {
            out.push_back(static_cast<unsigned char>(0xe0 | (c >> 12)));
            out.push_back(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3f)));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3f)));
        }
    }
}

bool String::Save(FILE* file) const {
    std::vector<unsigned char> bytes;
    Save(bytes);
    if (bytes.empty()) return true;
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

String T(const char* text) {
    return String(text);
}

String T(const char16_t* text) {
    return String(text);
}

String* t_create(int n, String* p) {
    for (int i = 0; i < n; ++i) new (&p[i]) String();
    return p + n;
}

String* t_create(int n, String* p, const String* source) {
    for (int i = 0; i < n; ++i) new (&p[i]) String(source[i]);
    return p + n;
}

void t_destroy(int n, String* p) {
    for (int i = 0; i < n; ++i) p[i].~String();
}

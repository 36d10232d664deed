// Immutable 16-bit strings, shared by reference counting.
//
// A String is a handle to a representation (count, length, characters) on the
// C heap; the collector never sees it. Copies share the representation. All
// empty strings point at one static representation, which is never counted
// and never freed.
#ifndef MOXEL_RUNTIME_STRING_H
#define MOXEL_RUNTIME_STRING_H

#include <cstdio>
#include <vector>

#include "runtime/array.h"

class String {
  public:
    struct Rep {
        int refs;
        int length;
        char16_t* data() { return reinterpret_cast<char16_t*>(this + 1); }
        const char16_t* data() const { return reinterpret_cast<const char16_t*>(this + 1); }
    };

    String();
    String(const String& s);
    String(String&& s) noexcept;
    ~String();
    String& operator=(const String& s);
    String& operator=(String&& s) noexcept;

    explicit String(const char16_t* text);
    String(const char16_t* text, int n);
    // One character per byte, sign-extended: 0x80-0xFF become 0xFF80-0xFFFF.
    // Every text the game passes here is 7-bit, where either reading agrees,
    // and ToCString<char> keeps the low byte, so any byte still comes back.
    explicit String(const char* text);
    // One character per byte, zero-extended.
    String(const unsigned char* text, int n);
    explicit String(int value);
    explicit String(float value);

    int Length() const { return rep->length; }
    const char16_t* Data() const { return rep->data(); }
    char16_t operator[](int i) const { return rep->data()[i]; }

    bool operator==(const String& s) const;
    bool operator!=(const String& s) const { return !(*this == s); }
    String operator+(const String& s) const;
    int Find(const String& s, int start = 0) const;
    int FindLast(const String& s) const;
    bool StartsWith(const String& s) const;
    String Slice(int from) const;
    String Slice(int from, int to) const;
    Array<String> Split(const String& separator) const;
    String Replace(const String& find, const String& replacement) const;
    String ToLower() const;

    // A zero-terminated copy in a collected array: valid for the current event only.
    template <class C>
    C* ToCString() const;

    static String Load(FILE* file);
    static String Load(const unsigned char* bytes, int n);
    bool Save(FILE* file) const;
    void Save(std::vector<unsigned char>& out) const;

    // True when two handles share one representation (for tests of sharing).
    bool SharesWith(const String& s) const { return rep == s.rep; }

  private:
    explicit String(Rep* r) : rep(r) {}
    static Rep* alloc(int length);
    static Rep* empty_rep();
    void retain() const;
    void release();

    Rep* rep;
};

template <>
char* String::ToCString<char>() const;
template <>
char16_t* String::ToCString<char16_t>() const;

String T(const char* text);
String T(const char16_t* text);

// The array helpers of the string arrays.
String* t_create(int n, String* p);
String* t_create(int n, String* p, const String* source);
void t_destroy(int n, String* p);

#endif

// Fixed-length arrays on the collected heap.
//
// An Array<T> is a handle to a representation object (a gc_object holding the
// length and the elements inline). Arrays are created zero-filled and never
// resized. Every instantiation shares one static, permanent empty
// representation, so empty arrays never allocate. Arrays of object pointers
// mark their elements; arrays of strings release them when destroyed.
// Elements are read and written directly; indices are not checked.
#ifndef MOXEL_RUNTIME_ARRAY_H
#define MOXEL_RUNTIME_ARRAY_H

#include <climits>
#include <new>
#include <type_traits>

#include "runtime/fatal.h"
#include "runtime/gc.h"

template <class T>
class Array {
  public:
    struct Rep : gc_object {
        int length;

        Rep() : length(0) {}
        explicit Rep(int n) : length(n) {
            T* d = data();
            for (int i = 0; i < n; ++i) new (&d[i]) T();
        }
        ~Rep() override {
            if constexpr (!std::is_trivially_destructible_v<T>) {
                T* d = data();
                for (int i = 0; i < length; ++i) d[i].~T();
            }
        }
        void mark() override {
            if constexpr (std::is_pointer_v<T>) gc_mark_array(length, data());
        }
        T* data() { return reinterpret_cast<T*>(this + 1); }
        const T* data() const { return reinterpret_cast<const T*>(this + 1); }

        static Rep* empty() {
            // Colour 3: never marked, listed or freed.
            alignas(Rep) static unsigned char storage[sizeof(Rep)];
            static Rep* rep = make_permanent(storage);
            return rep;
        }

      private:
        static Rep* make_permanent(unsigned char* storage) {
            Rep* r = new (static_cast<void*>(storage)) Rep();
            r->succ = r->pred = nullptr;
            r->flags = GC_PERMANENT;
            return r;
        }
    };

    static_assert(sizeof(Rep) % alignof(T) == 0, "elements follow the header");

    Array() : rep(Rep::empty()) {}
    explicit Array(int n) : rep(n > 0 ? allocate(n) : Rep::empty()) {}
    Array(T* source, int n) : Array(n) {
        for (int i = 0; i < n; ++i) rep->data()[i] = source[i];
    }

    int Length() const { return rep->length; }
    T& operator[](int i) { return rep->data()[i]; }
    const T& operator[](int i) const { return rep->data()[i]; }
    T* Data() { return rep->data(); }
    const T* Data() const { return rep->data(); }

    Rep* rep;

  private:
    static Rep* allocate(int n) {
        const int max_elements = (INT_MAX - static_cast<int>(sizeof(Rep)) - 7) / static_cast<int>(sizeof(T));
        if (n > max_elements) fatal_out_of_memory();
        // The representation is sized by hand: header plus the inline elements.
        void* mem = gc_malloc(static_cast<int>(sizeof(Rep) + sizeof(T) * static_cast<size_t>(n)));
        return new (mem) Rep(n);
    }
};

// The write barrier for an array stored into a field of a collected object.
template <class T>
inline void gc_assign(Array<T>& field, const Array<T>& value) {
    gc_enqueue(value.rep);
    field = value;
}

// Marks an array field from an object's mark().
template <class T>
inline void gc_mark_q(const Array<T>& a) {
    gc_enqueue(a.rep);
}

template <class T>
inline void gc_mark_q(T* p) {
    gc_enqueue(p);
}

#endif

// The collected heap: an incremental mark-and-sweep collector.
//
// Every program object derives from gc_object and is created with `new`, which
// allocates through gc_malloc. Objects sit on one of four intrusive lists
// (queued = grey, unmarked = white, marked = black, free = found dead). Marking
// is bounded per step, a sweep is a splice of whole lists plus a colour flip,
// and dead objects are destroyed lazily by later allocations.
//
// The collector never scans the machine stack: it runs only between the host's
// events, when every live object is reachable from the six root globals.
// Every store of an object pointer into a collected object, an object array
// or a root global must go through gc_assign, the write barrier.
#ifndef MOXEL_RUNTIME_GC_H
#define MOXEL_RUNTIME_GC_H

#include <cstddef>

// Size limits of the collector's heuristics.
constexpr int GC_SWEEP_BYTES = 4 * 1024 * 1024;  // sweep once marking is done past this
constexpr int GC_FULL_BYTES = 64 * 1024 * 1024;  // force a full collection past this
constexpr int GC_MARK_STEP_OBJECTS = 2500;       // objects blackened per incremental step
constexpr int GC_CACHE_LIMIT = 64;               // blocks below this size are cached
constexpr int GC_COLOUR_MASK = 3;                // colour bits of `flags`
constexpr int GC_PERMANENT = 3;                  // colour of the static empty arrays

struct gc_object {
    gc_object* succ;
    gc_object* pred;
    int flags;  // size (a multiple of 8) | colour in bits 0-1

    // Links a block from gc_malloc into the unmarked list. The header is written
    // here rather than in gc_malloc because `new T()` of a class without a
    // user-provided constructor zero-fills the whole block before any constructor runs.
    gc_object();
    // A list head: an empty circular list from static initialisation on.
    struct ListHead {};
    explicit gc_object(ListHead) : succ(this), pred(this), flags(0) {}
    gc_object(const gc_object&) = delete;
    gc_object& operator=(const gc_object&) = delete;
    virtual ~gc_object() {}
    // Hands every collected object this one refers to over to the collector.
    virtual void mark() {}

    static void* operator new(size_t size);
    // Objects are only ever released by the collector; see gc_flush_free.
    static void operator delete(void*) {}
    // Placement form, used for the static permanent objects.
    static void* operator new(size_t, void* where) { return where; }
    static void operator delete(void*, void*) {}

    int gc_size() const { return flags & ~7; }
    int gc_colour() const { return flags & GC_COLOUR_MASK; }
};

// Collector state, readable by tests and benchmarks.
extern int gc_markbit;
extern int gc_alloced_bytes;
extern int gc_max_alloced_bytes;
extern int gc_marked_bytes;
extern int gc_marked_objs;
extern int gc_free_bytes;
extern bool gc_force_sweep;
// Collection steps taken since start, for tests of when the host collects.
extern int gc_collections;
extern gc_object gc_queued_list;
extern gc_object gc_unmarked_list;
extern gc_object gc_marked_list;
extern gc_object gc_free_list;

void* gc_malloc(int size);
// The deleting destructor: destroys p and gives its memory back (to the cache below 64 bytes).
void gc_free(gc_object* p);
void gc_enqueue(gc_object* p);
// Blackens a white object at once and scans it.
void gc_mark_now(gc_object* p);
void gc_mark();
void gc_collect();
void gc_flush_free(int size);
void gc_init1();
void gc_init2();

// Enqueues the six root globals. Installed by the host; null until then.
extern void (*gc_mark_roots)();

// Number of objects on a list, for tests and diagnostics.
int gc_list_count(const gc_object& head);

template <class T>
inline void gc_mark(T* p) {
    gc_mark_now(p);
}

template <class T>
inline void gc_mark_array(int n, T* const* elements) {
    for (int i = 0; i < n; ++i) {
        if (elements[i]) gc_mark_now(elements[i]);
    }
}

// The write barrier: grey the stored object, then store it.
template <class T, class U>
inline void gc_assign(T*& field, U* value) {
    gc_enqueue(value);
    field = value;
}

#endif

// The collector: allocation, the four lists, incremental marking, sweeping and
// lazy destruction. See gc.h for the model.
#include "runtime/gc.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "runtime/fatal.h"

int gc_markbit = 1;
int gc_alloced_bytes = 0;
int gc_max_alloced_bytes = 0;
int gc_marked_bytes = 0;
int gc_marked_objs = 0;
int gc_free_bytes = 0;
bool gc_force_sweep = false;
int gc_collections = 0;
gc_object gc_queued_list{gc_object::ListHead()};
gc_object gc_unmarked_list{gc_object::ListHead()};
gc_object gc_marked_list{gc_object::ListHead()};
gc_object gc_free_list{gc_object::ListHead()};
void (*gc_mark_roots)() = nullptr;

namespace {

constexpr int CACHE_SLOTS = GC_CACHE_LIMIT / 8;

// A released block waiting in the cache. It is a new object in the dead one's
// memory, so nothing touches the destroyed object through its old type.
struct CachedBlock {
    CachedBlock* next;
};
CachedBlock* gc_cache[CACHE_SLOTS];

// Bytes allocated as they were after the last sweep.
int last_alloced = 0;

// Blocks handed out by gc_malloc whose constructor has not run yet. More than
// one is outstanding only while a constructor's arguments allocate.
constexpr int MAX_PENDING = 8;
struct Pending {
    void* block;
    int flags;
};
Pending pending[MAX_PENDING];
int pending_count = 0;

void list_clear(gc_object& head) {
    head.succ = head.pred = &head;
}

void list_remove(gc_object* p) {
    p->pred->succ = p->succ;
    p->succ->pred = p->pred;
}

void list_append(gc_object& head, gc_object* p) {
    p->pred = head.pred;
    p->succ = &head;
    head.pred->succ = p;
    head.pred = p;
}

// Moves every element of `from` to the tail of `to`, leaving `from` empty.
void list_splice(gc_object& from, gc_object& to) {
    if (from.succ == &from) return;
    from.succ->pred = to.pred;
    to.pred->succ = from.succ;
    from.pred->succ = &to;
    to.pred = from.pred;
    list_clear(from);
}

bool is_white(const gc_object* p) {
    return p && p->gc_colour() == gc_markbit;
}

void blacken(gc_object* p) {
    list_remove(p);
    list_append(gc_marked_list, p);
    gc_marked_bytes += p->gc_size();
    ++gc_marked_objs;
    p->mark();
}

// NOTE: a sweep that finds no white object still flips the colours. Objects
// that die after being marked are black; only a flip makes them white so the
// next sweep can free them. The game allocates no garbage of its own, so
// skipping the flip when nothing is white kept every image and sound dropped
// by a reload (each window resize) alive for good, textures and buffers with them.
void sweep() {
    list_splice(gc_unmarked_list, gc_free_list);
    gc_free_bytes += gc_alloced_bytes - gc_marked_bytes;
    list_splice(gc_marked_list, gc_unmarked_list);
    gc_alloced_bytes = gc_marked_bytes;
    gc_marked_bytes = 0;
    gc_marked_objs = 0;
    gc_markbit ^= 1;
    gc_mark();
    last_alloced = gc_alloced_bytes;
}

}  // namespace

gc_object::gc_object() {
    for (int i = pending_count - 1; i >= 0; --i) {
        if (pending[i].block != this) continue;
        flags = pending[i].flags | gc_markbit;
        pending[i] = pending[--pending_count];
        list_append(gc_unmarked_list, this);
        return;
    }
    // Not from gc_malloc (a static permanent object): its owner sets the header.
    succ = pred = nullptr;
    flags = 0;
}

void* gc_object::operator new(size_t size) {
    if (size > static_cast<size_t>(GC_FULL_BYTES) * 16) fatal_out_of_memory();
    return gc_malloc(static_cast<int>(size));
}

void* gc_malloc(int size) {
    if (size < 0 || size > INT_MAX - 7) fatal_out_of_memory();
    size = (size + 7) & ~7;
    gc_flush_free(size);

    void* p = nullptr;
    if (size < GC_CACHE_LIMIT && gc_cache[size / 8]) {
        CachedBlock* block = gc_cache[size / 8];
        gc_cache[size / 8] = block->next;
        p = block;
    } else {
        p = std::malloc(static_cast<size_t>(size));
        if (!p) fatal_out_of_memory();
    }
    if (pending_count == MAX_PENDING) fatal_out_of_memory();
    pending[pending_count++] = {p, size};

    // The counters are ints; a heap past 2 GiB is treated as exhausted.
    if (gc_alloced_bytes > INT_MAX - size) fatal_out_of_memory();
    gc_alloced_bytes += size;
    if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
    return p;
}

namespace {
void release_block(void* p, int size) {
    gc_free_bytes -= size;
    if (size < GC_CACHE_LIMIT) {
        gc_cache[size / 8] = new (p) CachedBlock{gc_cache[size / 8]};
    } else {
        std::free(p);
    }
}
}  // namespace

void gc_free(gc_object* p) {
    const int size = p->gc_size();
    p->~gc_object();
    release_block(p, size);
}

void gc_enqueue(gc_object* p) {
    if (!is_white(p)) return;
    p->flags ^= 1;
    list_remove(p);
    list_append(gc_queued_list, p);
}

void gc_mark_now(gc_object* p) {
    if (!is_white(p)) return;
    p->flags ^= 1;
    blacken(p);
}

void gc_mark() {
    if (gc_mark_roots) gc_mark_roots();
}

void gc_collect() {
    ++gc_collections;
    // Unsigned: the difference is meaningful even if the counters ever wrapped.
    unsigned since_sweep = static_cast<unsigned>(gc_alloced_bytes) - static_cast<unsigned>(last_alloced);
    bool full = gc_force_sweep || since_sweep > static_cast<unsigned>(GC_FULL_BYTES);
    int limit = gc_marked_objs + GC_MARK_STEP_OBJECTS;

    while (gc_queued_list.succ != &gc_queued_list && (full || gc_marked_objs < limit)) {
        blacken(gc_queued_list.succ);
    }

    bool queue_empty = gc_queued_list.succ == &gc_queued_list;
    if (full || (queue_empty && since_sweep > static_cast<unsigned>(GC_SWEEP_BYTES))) sweep();

    if (gc_force_sweep) {
        gc_flush_free(gc_free_bytes);
        gc_force_sweep = false;
    }
}

void gc_flush_free(int size) {
    int target = gc_free_bytes - size;
    if (target < 0) target = 0;
    while (gc_free_bytes > target) {
        gc_object* p = gc_free_list.succ;
        if (p == &gc_free_list) {
            std::printf("ERROR:p=%p gc_free_bytes=%i\n", static_cast<void*>(p), gc_free_bytes);
            std::fflush(stdout);
            gc_free_bytes = 0;
            return;
        }
        list_remove(p);
        gc_free(p);
    }
}

void gc_init1() {
    list_clear(gc_queued_list);
    list_clear(gc_unmarked_list);
    list_clear(gc_marked_list);
    list_clear(gc_free_list);
}

void gc_init2() {
    gc_mark();
}

int gc_list_count(const gc_object& head) {
    int n = 0;
    for (const gc_object* p = head.succ; p != &head; p = p->succ) ++n;
    return n;
}

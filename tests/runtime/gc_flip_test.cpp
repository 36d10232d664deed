// The collector frees objects that die after they were marked, even when no
// other garbage exists (found by the soak: every reload on a window resize
// kept the dropped images and sounds, and their textures and buffers).
#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace {

int destroyed = 0;

class Leaf : public Object {
  public:
    ~Leaf() override { ++destroyed; }
};

class Holder : public Object {
  public:
    Leaf* leaf = nullptr;
    void mark() override { gc_mark_q(leaf); }
};

Holder* holder = nullptr;

void mark_holder() {
    gc_enqueue(holder);
}

// A forced collection, as image and sound loads request one.
void ForcedCollection() {
    gc_force_sweep = true;
    gc_collect();
}

TEST(GcFlip, AnObjectDroppedAfterItWasMarkedIsFreedWithoutOtherGarbage) {
    gc_mark_roots = mark_holder;
    gc_assign(holder, new Holder());
    gc_assign(holder->leaf, new Leaf());
    ForcedCollection();
    ForcedCollection();  // everything is black or white-and-live now; no garbage
    destroyed = 0;

    // A reload: the slot gets a new object; the old one, already marked, is dropped.
    for (int reload = 0; reload < 3; ++reload) {
        gc_assign(holder->leaf, new Leaf());
        ForcedCollection();
        ForcedCollection();
    }
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(gc_list_count(gc_free_list), 0);

    holder = nullptr;
    ForcedCollection();
    ForcedCollection();
    gc_mark_roots = nullptr;
}

}  // namespace

// The collector: survival through roots and fields, the sweep threshold, the
// block caches, lazy destruction and the permanent empty arrays.
#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace {

int destroyed = 0;

class Node : public Object {
  public:
    Node* next = nullptr;
    Array<int> numbers;
    String name;
    ~Node() override { ++destroyed; }
    void mark() override {
        gc_mark_q(next);
        gc_mark_q(numbers);
    }
};

// A padded object for filling the heap quickly.
class Blob : public Object {
  public:
    char payload[4000];
};

Node* root = nullptr;

void mark_test_root() {
    gc_enqueue(root);
}

class GcTest : public testing::Test {
  protected:
    void SetUp() override {
        // Start every test from a quiet heap: destroy whatever earlier tests left.
        root = nullptr;
        gc_mark_roots = mark_test_root;
        gc_force_sweep = true;
        gc_collect();
        gc_force_sweep = true;
        gc_collect();
        destroyed = 0;
    }
    void TearDown() override {
        root = nullptr;
        gc_mark_roots = nullptr;
    }

    // Collect until a sweep has happened and everything dead is destroyed.
    void FullCollection() {
        gc_force_sweep = true;
        gc_collect();
    }

    // Allocates about `bytes` of garbage in locals only.
    void AllocateGarbage(int bytes) {
        for (int n = 0; n < bytes; n += static_cast<int>(sizeof(Blob))) new Blob();
    }
};

TEST_F(GcTest, ObjectsReachableFromRootsSurviveAndLocalsDie) {
    gc_assign(root, new Node());
    Node* kept = new Node();
    gc_assign(root->next, kept);
    new Node();  // only ever in a local
    FullCollection();
    EXPECT_EQ(destroyed, 1);
    FullCollection();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(root->next, kept);
}

TEST_F(GcTest, BelowFourMegabytesNothingIsSwept) {
    gc_assign(root, new Node());
    FullCollection();
    const int before = destroyed;
    for (int i = 0; i < 100; ++i) new Node();
    for (int step = 0; step < 10; ++step) gc_collect();
    EXPECT_EQ(gc_list_count(gc_free_list), 0);
    EXPECT_EQ(destroyed, before);

    // Past the threshold the next steps sweep, and later allocations destroy the dead.
    AllocateGarbage(GC_SWEEP_BYTES + 65536);
    for (int step = 0; step < 10; ++step) gc_collect();
    AllocateGarbage(GC_SWEEP_BYTES + 65536);
    EXPECT_GE(destroyed, 100);
}

TEST_F(GcTest, SweepAccountsForSurvivors) {
    gc_assign(root, new Node());
    FullCollection();
    const int survivors = gc_alloced_bytes;
    ASSERT_EQ(gc_free_bytes, 0);
    AllocateGarbage(GC_SWEEP_BYTES + 100000);
    const int garbage = gc_alloced_bytes - survivors;
    for (int step = 0; step < 100 && gc_free_bytes == 0; ++step) gc_collect();
    EXPECT_EQ(gc_alloced_bytes, survivors);
    EXPECT_EQ(gc_free_bytes, garbage);
    // Destruction waits for later allocations, roughly byte for byte.
    new Node();
    EXPECT_LT(gc_free_bytes, garbage);
}

// Objects of exactly 32 and 64 bytes (the header alone is 32 on x86-64).
class Small : public gc_object {};
class Sixty4 : public gc_object {
  public:
    char pad[64 - sizeof(gc_object)];
};
static_assert(sizeof(Small) == 32 && sizeof(Sixty4) == 64, "block sizes of the cache test");

TEST_F(GcTest, SmallBlocksComeBackFromTheCache) {
    gc_object* first = new Small();
    FullCollection();
    FullCollection();
    EXPECT_EQ(new Small(), first);  // popped from the 32-byte cache

    gc_object* big = new Sixty4();
    FullCollection();
    FullCollection();
    gc_object* small = new Small();
    EXPECT_NE(static_cast<void*>(big), static_cast<void*>(small));  // 64 bytes never enter the cache
    FullCollection();
}

TEST_F(GcTest, MarkingIsBoundedPerStep) {
    // A chain longer than one step's budget takes several steps to mark.
    gc_assign(root, new Node());
    Node* tail = root;
    for (int i = 0; i < 3 * GC_MARK_STEP_OBJECTS; ++i) {
        Node* n = new Node();
        gc_assign(tail->next, n);
        tail = n;
    }
    FullCollection();  // start a fresh cycle with everything white
    const int before = gc_marked_objs;
    gc_collect();
    EXPECT_LE(gc_marked_objs - before, GC_MARK_STEP_OBJECTS + 1);
    EXPECT_NE(gc_queued_list.succ, &gc_queued_list);
    root = nullptr;
    FullCollection();
    FullCollection();
}

TEST_F(GcTest, PermanentEmptyArraysAreLeftAlone) {
    Array<int> empty;
    Array<int> zero(0);
    EXPECT_EQ(empty.rep, zero.rep);
    EXPECT_EQ(empty.rep->gc_colour(), GC_PERMANENT);
    gc_enqueue(empty.rep);
    gc_mark(empty.rep);
    EXPECT_EQ(empty.rep->gc_colour(), GC_PERMANENT);
    EXPECT_EQ(gc_list_count(gc_queued_list), 0);
    FullCollection();
    EXPECT_EQ(empty.Length(), 0);
}

TEST_F(GcTest, ArraysAreZeroFilledAndStringArraysReleaseTheirStrings) {
    Array<float> floats(5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(floats[i], 0.0f);
    Array<Node*> nodes(3);
    EXPECT_EQ(nodes[2], nullptr);

    gc_assign(root, new Node());
    Array<Node*> held(2);
    gc_assign(root->numbers, Array<int>(4));
    Node* child = new Node();
    root->numbers[3] = 9;
    gc_assign(root->next, child);
    FullCollection();
    FullCollection();
    EXPECT_EQ(root->numbers[3], 9);
    EXPECT_EQ(root->next, child);

    String shared("kept by an array");
    {
        Array<String> strings(2);
        strings[0] = shared;
    }
    FullCollection();
    FullCollection();
    EXPECT_EQ(shared.Length(), 16);  // still valid after the array died
}

}  // namespace

// Pointer stack: order, capacity, growth and the refusals.
#include <gtest/gtest.h>

#include <vector>

#include "Estack.h"
#include "Heap.h"

namespace {

using values = std::vector<int32_t>;

ESTACK* stack_of(const values& entries, uint32_t count) {
    ESTACK* stack = ESTACK_allocate(count, 4);
    for (int32_t value : entries) EXPECT_EQ(TRUE, ESTACK_push(stack, &value));
    return stack;
}

}  // namespace

TEST(Estack, LastInFirstOutUpToCapacityAndGrowth) {
    ESTACK* stack = stack_of({5, 6, 7}, 3);
    int32_t value = 8;
    EXPECT_EQ(TRUE, ESTACK_is_full(stack));
    EXPECT_EQ(FALSE, ESTACK_push(stack, &value));
    ESTACK* grown = ESTACK_reallocate(stack, 5);
    ASSERT_NE(nullptr, grown);
    for (BOOL8 full : {FALSE, TRUE}) {
        EXPECT_EQ(TRUE, ESTACK_push(grown, &value));
        EXPECT_EQ(full, ESTACK_is_full(grown));
    }
    HEAP_fail_after(0);  // a refused resize leaves the old stack valid and whole
    EXPECT_EQ(nullptr, ESTACK_reallocate(grown, 100));
    EXPECT_EQ(nullptr, ESTACK_allocate(4, 4));
    HEAP_fail_after(-1);
    EXPECT_EQ(nullptr, ESTACK_reallocate(grown, 4)) << "never smaller";
    EXPECT_EQ(nullptr, ESTACK_reallocate(nullptr, 8));
    EXPECT_EQ(nullptr, ESTACK_allocate(0x40000000u, 4)) << "beyond the record's 32-bit size";
    for (int32_t expected : {8, 8, 7, 6, 5}) {
        EXPECT_EQ(FALSE, ESTACK_is_empty(grown));
        EXPECT_EQ(TRUE, ESTACK_pop(grown, &value));
        EXPECT_EQ(expected, value);
    }
    EXPECT_EQ(FALSE, ESTACK_pop(grown, &value));
    EXPECT_EQ(5, value);
    EXPECT_EQ(TRUE, ESTACK_is_empty(grown));
    ESTACK_push(grown, &value), ESTACK_make_empty(grown);
    EXPECT_EQ(TRUE, ESTACK_is_empty(grown));
    ESTACK_deallocate(&grown);
    EXPECT_EQ(nullptr, grown);
}

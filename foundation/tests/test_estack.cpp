// Pointer stack: order, entry removal, capacity, growth and the refusals.
#include <gtest/gtest.h>

#include "Estack.h"
#include "Heap.h"

TEST(Estack, LastInFirstOutRemovalCapacityAndGrowth) {
    ESTACK* stack = ESTACK_allocate(3, 4);
    for (int32_t entry : {7, 5, 7}) EXPECT_EQ(TRUE, ESTACK_push(stack, &entry));
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
    // Removal takes the lowest equal entry and closes the gap; a value that is not there is no failure.
    for (int32_t removed : {7, 9}) EXPECT_EQ(TRUE, ESTACK_remove_stack_entry(grown, &removed));
    for (int32_t expected : {8, 8, 7, 5}) {
        EXPECT_EQ(FALSE, ESTACK_is_empty(grown));
        EXPECT_EQ(TRUE, ESTACK_pop(grown, &value));
        EXPECT_EQ(expected, value);
    }
    EXPECT_EQ(FALSE, ESTACK_pop(grown, &value));
    EXPECT_EQ(5, value);
    EXPECT_EQ(FALSE, ESTACK_remove_stack_entry(grown, &value));
    EXPECT_EQ(TRUE, ESTACK_is_empty(grown));
    ESTACK_push(grown, &value), ESTACK_make_empty(grown);
    EXPECT_EQ(TRUE, ESTACK_is_empty(grown));
    ESTACK_deallocate(&grown);
    EXPECT_EQ(nullptr, grown);
}

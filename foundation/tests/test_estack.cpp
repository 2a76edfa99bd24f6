// Pointer stack: order, capacity, growth, and the refusals with their debug lines.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EBUG.h"
#include "Estack.h"
#include "Heap.h"
#include "log_files.h"

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
    HEAP_fail_after(-1);
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

TEST(Estack, RefusalsAndTheirDebugLines) {
    remove_file(develop_log);
    EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
    EBUG_message_on(), EBUG_assert_on();  // a valid stack passes every assertion: no line for any of these
    ESTACK* stack = ESTACK_allocate(2, 4);
    int32_t value = 1;
    ESTACK_remove_stack_entry(stack, &value), ESTACK_is_full(stack), ESTACK_push(stack, &value);
    ESTACK_is_empty(stack), ESTACK_pop(stack, &value), ESTACK_make_empty(stack);
    EBUG_assert_off();  // the push refusal below dumps the trace ring, which asserts it exists
    EXPECT_EQ(FALSE, ESTACK_push(stack, nullptr));
    EXPECT_EQ(nullptr, ESTACK_reallocate(nullptr, 8));
    EXPECT_EQ(nullptr, ESTACK_reallocate(stack, 2));
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, ESTACK_reallocate(stack, 3));
    EXPECT_EQ(nullptr, ESTACK_allocate(4, 4));
    HEAP_fail_after(-1);
    EXPECT_EQ(nullptr, ESTACK_allocate(0x40000000u, 4)) << "beyond the record's 32-bit size";
    ESTACK_deallocate(&stack);
    ebug_flags = 0;
    EBUG_set_output(EBUG_OUTPUT_NONE);
    // The push refusal dumps the trace ring, which finds the debug module not initialised.
    EXPECT_LOG_UNNUMBERED(develop_log, "[  Estack] STACK ERROR: data pointer is NULL cannot push it!\n\n"
                                       "You must call EBUG_initialise with a size to initialise the trace buffer, "
                                       "or EBUG_deinitialise was called which freed the buffer.\n"
                                       "[  Estack] ESTACK_reallocate: stack pointer is NULL\n"
                                       "[  Estack] ESTACK_reallocate: cannot realloc less than currentsize!\n"
                                       "[  Estack] ESTACK_reallocate failed to reallocate memory forstack\n\n"
                                       "[  Estack] ESTACK_allocate failed to allocate memory for stack\n\n"
                                       "[  Estack] ESTACK_allocate failed to allocate memory for stack\n\n");
}

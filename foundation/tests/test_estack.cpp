// Pointer stack: order, capacity, growth in place, entry removal and heap refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EBUG.h"
#include "Estack.h"
#include "Heap.h"
#include "log_files.h"

namespace {

// The stack's entries from bottom to top, read through the record.
std::vector<int32_t> contents(const ESTACK* stack) {
    std::vector<int32_t> values;
    for (const uint8_t* p = stack->bottom; p < stack->top; p += stack->entry_size) {
        int32_t value;
        std::memcpy(&value, p, sizeof value);
        values.push_back(value);
    }
    return values;
}

ESTACK* stack_of(std::initializer_list<int32_t> values, uint32_t count) {
    ESTACK* stack = ESTACK_allocate(count, 4);
    for (int32_t value : values) EXPECT_EQ(TRUE, ESTACK_push(stack, &value));
    return stack;
}

class Estack : public ::testing::Test {
protected:
    void SetUp() override { remove_file("develop.dbg"); }
    void TearDown() override {
        HEAP_fail_after(-1);
        ebug_flags = 0;
        EBUG_set_output(EBUG_OUTPUT_NONE);
    }
};

}  // namespace

TEST_F(Estack, LastInFirstOut) {
    ESTACK* stack = stack_of({1, 2, 3}, 4);
    int32_t out = -1;
    for (int32_t expected : {3, 2, 1}) {
        out = -1;
        EXPECT_EQ(TRUE, ESTACK_pop(stack, &out));
        EXPECT_EQ(expected, out);
    }
    out = -1;
    EXPECT_EQ(FALSE, ESTACK_pop(stack, &out));
    EXPECT_EQ(-1, out);
    EXPECT_EQ(TRUE, ESTACK_is_empty(stack));
    ESTACK_deallocate(&stack);
    EXPECT_EQ(nullptr, stack);
}

TEST_F(Estack, FullStackRefusesPushUnchanged) {
    ESTACK* stack = ESTACK_allocate(50, 4);
    for (int32_t i = 0; i < 50; ++i) ASSERT_EQ(TRUE, ESTACK_push(stack, &i));
    EXPECT_EQ(TRUE, ESTACK_is_full(stack));
    int32_t extra = 50;
    EXPECT_EQ(FALSE, ESTACK_push(stack, &extra));
    EXPECT_EQ(50u, contents(stack).size());
    EXPECT_EQ(49, contents(stack).back());
    ESTACK_make_empty(stack);
    EXPECT_EQ(TRUE, ESTACK_is_empty(stack));
    EXPECT_EQ(FALSE, ESTACK_is_full(stack));
    ESTACK_deallocate(&stack);
}

TEST_F(Estack, ReallocateGrowsKeepingOrder) {
    ESTACK* stack = stack_of({5, 6, 7}, 3);
    EXPECT_EQ(nullptr, ESTACK_reallocate(stack, 3));
    EXPECT_EQ(nullptr, ESTACK_reallocate(stack, 2));
    EXPECT_EQ(nullptr, ESTACK_reallocate(nullptr, 8));
    ESTACK* grown = ESTACK_reallocate(stack, 6);
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ((std::vector<int32_t>{5, 6, 7}), contents(grown));
    EXPECT_EQ(24, grown->stack_size);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(grown + 1), grown->bottom);
    int32_t value = 8;
    EXPECT_EQ(TRUE, ESTACK_push(grown, &value));
    EXPECT_EQ(FALSE, ESTACK_is_full(grown));

    // A refused resize leaves the old stack valid and whole.
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, ESTACK_reallocate(grown, 100));
    HEAP_fail_after(-1);
    EXPECT_EQ((std::vector<int32_t>{5, 6, 7, 8}), contents(grown));
    ESTACK_deallocate(&grown);
}

TEST_F(Estack, RemoveEntryClosesTheGap) {
    ESTACK* stack = stack_of({5, 7, 9}, 4);
    int32_t missing = 8;
    EXPECT_EQ(TRUE, ESTACK_remove_stack_entry(stack, &missing));
    EXPECT_EQ((std::vector<int32_t>{5, 7, 9}), contents(stack));
    int32_t seven = 7;
    EXPECT_EQ(TRUE, ESTACK_remove_stack_entry(stack, &seven));
    EXPECT_EQ((std::vector<int32_t>{5, 9}), contents(stack));
    ESTACK_make_empty(stack);
    EXPECT_EQ(FALSE, ESTACK_remove_stack_entry(stack, &seven));
    ESTACK_deallocate(&stack);
}

TEST_F(Estack, RefusalsAndTheirDebugLines) {
    EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
    EBUG_message_on();
    ESTACK* stack = ESTACK_allocate(2, 4);
    EXPECT_EQ(FALSE, ESTACK_push(stack, nullptr));
    EXPECT_EQ(nullptr, ESTACK_reallocate(stack, 2));
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, ESTACK_reallocate(stack, 3));
    EXPECT_EQ(nullptr, ESTACK_allocate(4, 4));
    HEAP_fail_after(-1);
    ESTACK_deallocate(&stack);
    auto lines = read_lines("develop.dbg");
    ASSERT_EQ(8u, lines.size());
    EXPECT_TRUE(ends_with(lines[0], "] STACK ERROR: data pointer is NULL cannot push it!"));
    EXPECT_TRUE(starts_with(lines[0], "[  Estack,"));
    EXPECT_EQ("", lines[1]);  // the message's own line end, then the one every line gets
    // The trace dump that follows finds the debug module not initialised.
    EXPECT_TRUE(starts_with(lines[2], "You must call EBUG_initialise with a size to initialise the trace buffer"));
    EXPECT_TRUE(ends_with(lines[3], "] ESTACK_reallocate: cannot realloc less than currentsize!"));
    EXPECT_TRUE(ends_with(lines[4], "] ESTACK_reallocate failed to reallocate memory forstack"));
    EXPECT_TRUE(ends_with(lines[6], "] ESTACK_allocate failed to allocate memory for stack"));
}

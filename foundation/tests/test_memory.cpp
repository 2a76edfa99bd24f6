// Tracked allocator: block layout, index order and growth, guards, refusals and their log lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "EBUG.h"
#include "Heap.h"
#include "Memory.h"
#include "log_files.h"

namespace {

const char caller_file[] = "c:\\game\\src\\Loader.cpp";

// The table index and the texts kept in a block's header.
uint32_t index_of(const void* pointer) {
    uint32_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(pointer) - MEMORY_OFFSET_DATA + MEMORY_OFFSET_INDEX, sizeof value);
    return value;
}
std::string header_text(const void* pointer, std::size_t offset) {
    return reinterpret_cast<const char*>(static_cast<const uint8_t*>(pointer) - MEMORY_OFFSET_DATA + offset);
}

void* allocate(int32_t size, const char* description = "test block", int32_t line = 42) {
    return MEMORY_allocate(nullptr, size, 0, description, caller_file, line);
}

class Memory : public ::testing::Test {
protected:
    void SetUp() override {
        MEMORY_deinitialise();
        remove_file(retail_log);
        remove_file(develop_log);
        ASSERT_EQ(TRUE, MEMORY_initialise());
        EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
        EBUG_message_on();
    }
    void TearDown() override {
        HEAP_fail_after(-1);
        ebug_flags = 0;
        EBUG_set_output(EBUG_OUTPUT_NONE);
        MEMORY_deinitialise();
        MEMORY_set_check_level(1);
    }
};

}  // namespace

TEST_F(Memory, HeaderLayoutAndAlignment) {
    void* block = MEMORY_allocate(nullptr, 100, MEMORY_FILL_FF, "csidl_data[f].csidl_path", caller_file, 321);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ("csidl_data[f].csidl_pat", header_text(block, MEMORY_OFFSET_DESCRIPTION));  // 23 survive
    EXPECT_EQ(std::string(100, '\xFF'), std::string(static_cast<const char*>(block), 100));
    EXPECT_EQ(TRUE, MEMORY_change_description(block, "renamed"));
    EXPECT_EQ("renamed", header_text(block, MEMORY_OFFSET_DESCRIPTION));

    // The header's file field: after the last backslash, cut at the last stop, then 8 characters.
    // Whatever the size, the data is aligned for any type.
    const char* const names[][2] = {{caller_file, "Loader"}, {"src\\averylongname.c", "averylon"},
                                    {"abcdefg.hij.cpp", "abcdefg."}, {"d:\\v1.2\\Heap", "Heap"}, {"ninechars.c", "ninechar"}};
    for (const auto& name : names) {
        auto* data = static_cast<const char*>(MEMORY_allocate(nullptr, 17, MEMORY_FILL_ZERO, "n", name[0], 1));
        EXPECT_EQ(name[1], header_text(data, MEMORY_OFFSET_FILE)) << name[0];
        EXPECT_EQ(std::string(17, '\0'), std::string(data, 17)) << name[0];
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(data) % MEMORY_DATA_ALIGNMENT) << name[0];
    }
}

TEST_F(Memory, TableGrowsByStepsWhenFull) {
    int32_t entries = MEMORY_get_default_num_entries();
    for (int32_t i = 0; i < entries; ++i) ASSERT_NE(nullptr, allocate(8));
    EXPECT_EQ(static_cast<uint32_t>(entries + 49), index_of(allocate(8))) << "grown by the default step of 50";

    EXPECT_EQ(FALSE, MEMORY_set_module_realloc_step_size(0));
    ASSERT_EQ(TRUE, MEMORY_set_module_realloc_step_size(7));
    entries = MEMORY_get_default_num_entries();
    EXPECT_EQ(TRUE, MEMORY_set_default_num_entries());
    EXPECT_EQ(static_cast<uint32_t>(entries + 6), index_of(allocate(4)));
    ASSERT_EQ(TRUE, MEMORY_set_module_realloc_step_size(INT32_MAX));
    entries = MEMORY_get_default_num_entries();
    EXPECT_EQ(FALSE, MEMORY_set_default_num_entries()) << "no table has that many entries";
    EXPECT_EQ(entries, MEMORY_get_default_num_entries());
    MEMORY_set_module_realloc_step_size(50);
    MEMORY_deinitialise();
    EXPECT_EQ(FALSE, MEMORY_set_default_num_entries());
}

TEST_F(Memory, RefusalsAndTheirLogLines) {
    EXPECT_EQ(nullptr, MEMORY_allocate(nullptr, 0, 0, nullptr, caller_file, 5));
    EXPECT_EQ(nullptr, MEMORY_allocate(nullptr, -3, 0, "negative", caller_file, 6));
    void* block = allocate(100);
    EXPECT_NE(nullptr, MEMORY_allocate(block, 16, 0, "again", caller_file, 7));
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, allocate(10, "refused", 8));  // the index stays free: no leak reported for it
    EXPECT_EQ(nullptr, MEMORY_reallocate(block, 4000));
    HEAP_fail_after(-1);
    EXPECT_EQ(block, MEMORY_reallocate(block, 50));
    EXPECT_EQ(nullptr, MEMORY_reallocate(nullptr, 4));
    EXPECT_EQ(116, MEMORY_get_allocated_bytes());
    void* pointer = nullptr;
    EXPECT_EQ(FALSE, MEMORY_deallocate(&pointer, caller_file, 13));
    EXPECT_EQ(FALSE, MEMORY_change_description(nullptr, "x"));
    EXPECT_EQ(FALSE, MEMORY_change_description(block, nullptr));
    MEMORY_set_check_level(0);
    EXPECT_EQ(1, MEMORY_get_check_level());
    for (int32_t i = MEMORY_get_default_num_entries() - 2; i > 0; --i) ASSERT_NE(nullptr, allocate(8));
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, allocate(8, "one more", 77));
    HEAP_fail_after(-1);
    EXPECT_EQ(TRUE, MEMORY_deinitialise());
    EXPECT_EQ(FALSE, MEMORY_change_description(block, "freed"));  // its header is not read
    void* late = allocate(8, "late", 11);
    EXPECT_EQ(nullptr, late);
    EXPECT_EQ(FALSE, MEMORY_deallocate(&late, caller_file, 12));
    EXPECT_EQ(nullptr, MEMORY_reallocate(&late, 4));
    EXPECT_EQ(FALSE, MEMORY_check());
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(&late));
    MEMORY_usage();
    EXPECT_EQ(FALSE, MEMORY_deinitialise());
    EXPECT_EQ(TRUE, MEMORY_initialise());
    EXPECT_EQ(FALSE, MEMORY_initialise());
    EXPECT_LOG_UNNUMBERED(retail_log,
                          "[  Memory] MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 5): No Description size = 0\n"
                          "[  Memory] MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 6): negative size = -3\n"
                          "[  Memory] MEMORY_allocate (c:\\game\\src\\Loader.cpp, 7): previous data not freed again\n"
                          "[  Memory] MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 8): malloc failed, refused size = 10\n"
                          "[  Memory] MEMORY_deallocate failed (c:\\game\\src\\Loader.cpp, 13): mem block parameter NULL\n"
                          "[  Memory] MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 77): stack empty, realloc failed\n"
                          "[  Memory] MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 11): data not initialised\n"
                          "[  Memory] MEMORY_deallocate failed (c:\\game\\src\\Loader.cpp, 12): data not initialised\n");
    // The other refusals' debug lines restate the results above; a leak shows only in its line.
    EXPECT_NE(std::string::npos, read_text_file(develop_log).find("MEMORY_deinitialise error: memory leaks detected"));
}

// Blocks the allocator cannot vouch for are left alone and reported.
TEST_F(Memory, CorruptAndForeignBlocksAreNotFreed) {
    auto* block = static_cast<uint8_t*>(allocate(64));
    alignas(16) uint8_t foreign[512] = {};
    std::memcpy(foreign + 256 - MEMORY_OFFSET_DATA, "MEM\0", 4);  // the magic, but no table entry
    foreign[256 - MEMORY_OFFSET_DATA + MEMORY_OFFSET_INDEX] = 3;
    block[-MEMORY_OFFSET_DATA] = 'X';
    for (uint8_t* bad : {block, foreign + 256}) {
        void* pointer = bad;
        EXPECT_EQ(TRUE, MEMORY_deallocate(&pointer, caller_file, 90));
        EXPECT_EQ(bad, pointer);
        EXPECT_EQ(nullptr, MEMORY_reallocate(bad, 128));
        EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(bad));
    }
    EXPECT_EQ(FALSE, MEMORY_change_description(foreign + 256, "x"));
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(nullptr));
    block[-MEMORY_OFFSET_DATA] = 'M';
    EXPECT_EQ(TRUE, MEMORY_check());
    const std::string refused = "[  Memory] MEMORY_deallocate error (c:\\game\\src\\Loader.cpp, 90): not a valid memory "
                                "pointer\n[  Memory] Or Corruption has occured.\n[  Memory] MEMORY_reallocate error: not a "
                                "valid memory pointer\n[  Memory] Or Corruption has occured.\n";
    EXPECT_LOG_UNNUMBERED(retail_log, refused + refused);
}

TEST_F(Memory, GuardsAtLevelZeroCatchOverruns) {
    MEMORY_deinitialise();
    MEMORY_set_check_level(0);
    ASSERT_EQ(TRUE, MEMORY_initialise());
    auto* tail = static_cast<uint8_t*>(allocate(32));
    auto* lead = static_cast<uint8_t*>(allocate(32));
    auto* good = static_cast<uint8_t*>(allocate(32));
    EXPECT_EQ(TRUE, MEMORY_check());
    tail[32] ^= 1, lead[-1] ^= 1;
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(tail));
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(lead));
    EXPECT_EQ(TRUE, MEMORY_check_lead_and_tail(good));
    EXPECT_EQ(FALSE, MEMORY_check());  // reports both, does not stop at the first
    EXPECT_LOG_UNNUMBERED(develop_log, "[  Memory] MEMORY_check_entry: foot corruption\n"
                                       "[  Memory] MEMORY_check_entry: lead corruption\n"
                                       "[  Memory] MEMORY_check_entry: lead corruption\n"
                                       "[  Memory] MEMORY_check_entry: foot corruption\n");
    // A grown block gets its tail guard at the new end.
    auto* grown = static_cast<uint8_t*>(MEMORY_reallocate(good, 64));
    EXPECT_EQ(TRUE, MEMORY_check_lead_and_tail(grown));
    grown[64] ^= 1;
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(grown));
}

TEST_F(Memory, UsageListsLiveBlocksAndReallocateKeepsThem) {
    auto* a = static_cast<uint8_t*>(MEMORY_allocate(nullptr, 100, MEMORY_FILL_ZERO, "first", caller_file, 7));
    void* b = MEMORY_allocate(nullptr, 28, 0, "a description of thirty chars", "game.c", 12345);
    MEMORY_usage();  // in table-index order: the later block took the lower index
    const std::string rule(70, '-');
    char expected[1024];
    std::snprintf(expected, sizeof expected,
                  "%s\n            Memory usage:: currently allocated = 128 bytes\n%s\n"
                  "[    game, 12345] size:        28; name: a description of thirty ; addr: %p\n"
                  "[  Loader,     7] size:       100; name: first                   ; addr: %p\n",
                  rule.c_str(), rule.c_str(), static_cast<void*>(static_cast<uint8_t*>(b) - MEMORY_OFFSET_DATA),
                  static_cast<void*>(a - MEMORY_OFFSET_DATA));
    EXPECT_LOG(retail_log, expected);
    a[99] = 0x5A;
    auto* grown = static_cast<uint8_t*>(MEMORY_reallocate(a, 300));
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(0x5A, grown[99]);
    EXPECT_EQ(328, MEMORY_get_allocated_bytes());
    void* pointer = grown;
    EXPECT_EQ(TRUE, MEMORY_deallocate(&pointer, caller_file, 4));
    EXPECT_EQ(28, MEMORY_get_allocated_bytes());
    EXPECT_EQ(TRUE, MEMORY_deinitialise());
    for (int32_t fail_at = 0; fail_at < 2; ++fail_at) {  // the table, then the free stack, refused
        HEAP_fail_after(fail_at);
        EXPECT_EQ(FALSE, MEMORY_initialise()) << fail_at;
        HEAP_fail_after(-1);
        EXPECT_EQ(nullptr, allocate(4)) << fail_at;
    }
    EXPECT_EQ(TRUE, MEMORY_initialise());
}

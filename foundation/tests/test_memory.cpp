// Tracked allocator: block layout, index order and growth, guards, refusals and their log lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "EBUG.h"
#include "Heap.h"
#include "Memory.h"
#include "log_files.h"

namespace {

const char caller_file[] = "c:\\game\\src\\Loader.cpp";

uint32_t header_u32(const void* pointer, std::size_t offset) {
    uint32_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(pointer) - MEMORY_OFFSET_DATA + offset, sizeof value);
    return value;
}
uint32_t index_of(const void* pointer) { return header_u32(pointer, MEMORY_OFFSET_INDEX); }
std::string header_text(const void* pointer, std::size_t offset) {
    return reinterpret_cast<const char*>(static_cast<const uint8_t*>(pointer) - MEMORY_OFFSET_DATA + offset);
}

void* allocate(int32_t size, const char* description = "test block", int32_t line = 42) {
    return MEMORY_allocate(nullptr, size, 0, description, caller_file, line);
}

// The retail log's messages, each checked to carry the allocator's prefix and cut after it.
std::vector<std::string> retail_messages() {
    std::vector<std::string> messages;
    for (const std::string& line : read_lines("retail.dbg")) {
        EXPECT_TRUE(starts_with(line, "[  Memory,")) << line;
        std::size_t end = line.find("] ");
        messages.push_back(end == std::string::npos ? line : line.substr(end + 2));
    }
    return messages;
}

// The debug lines that went to the develop log, cut after their prefix.
std::vector<std::string> debug_messages() {
    std::vector<std::string> messages;
    for (const std::string& line : read_lines("develop.dbg")) {
        std::size_t end = line.find("] ");
        messages.push_back(end == std::string::npos ? line : line.substr(end + 2));
    }
    return messages;
}

class Memory : public ::testing::Test {
protected:
    void SetUp() override {
        MEMORY_deinitialise();
        MEMORY_set_check_level(1);
        remove_file("retail.dbg");
        remove_file("develop.dbg");
        ASSERT_EQ(TRUE, MEMORY_initialise());
    }
    void TearDown() override {
        HEAP_fail_after(-1);
        ebug_flags = 0;
        EBUG_set_output(EBUG_OUTPUT_NONE);
        MEMORY_deinitialise();
        MEMORY_set_check_level(1);
    }
    static void debug_to_file() {
        EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
        EBUG_message_on();
    }
};

}  // namespace

// Runs first, before any test grows the table (the grown size outlives deinitialise).
TEST_F(Memory, FreshTableHandsOutHighestIndexFirst) {
    ASSERT_EQ(50, MEMORY_get_default_num_entries());
    void* first = allocate(10);
    void* second = allocate(10);
    EXPECT_EQ(49u, index_of(first));
    EXPECT_EQ(48u, index_of(second));
    ASSERT_EQ(TRUE, MEMORY_deallocate(&first, caller_file, 1));
    EXPECT_EQ(nullptr, first);
    void* again = allocate(10);
    EXPECT_EQ(49u, index_of(again));
}

TEST_F(Memory, HeaderLayoutAndAlignment) {
    void* block = MEMORY_allocate(nullptr, 100, MEMORY_FILL_FF, "csidl_data[f].csidl_path", caller_file, 321);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(block) % MEMORY_DATA_ALIGNMENT);
    const uint8_t* start = static_cast<const uint8_t*>(block) - MEMORY_OFFSET_DATA;
    EXPECT_EQ(0, std::memcmp(start, "MEM\0", 4));
    EXPECT_EQ("csidl_data[f].csidl_pat", header_text(block, MEMORY_OFFSET_DESCRIPTION));  // 23 survive
    EXPECT_EQ(100u, header_u32(block, MEMORY_OFFSET_SIZE));
    EXPECT_EQ("Loader", header_text(block, MEMORY_OFFSET_FILE));
    EXPECT_EQ(321u, header_u32(block, MEMORY_OFFSET_LINE));
    for (int i = 0; i < 100; ++i) ASSERT_EQ(0xFF, static_cast<const uint8_t*>(block)[i]);

    // Every size keeps the caller's data aligned for any type.
    for (int32_t size : {1, 3, 17, 4096}) {
        void* other = MEMORY_allocate(nullptr, size, MEMORY_FILL_ZERO, nullptr, "x.c", 1);
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(other) % MEMORY_DATA_ALIGNMENT) << size;
        EXPECT_EQ("No Description", header_text(other, MEMORY_OFFSET_DESCRIPTION));
        EXPECT_EQ(0, static_cast<const uint8_t*>(other)[size - 1]);
    }

    // The header's file field: after the last backslash, cut at the last stop, then 8 characters.
    void* named = MEMORY_allocate(nullptr, 1, 0, "n", "src\\averylongname.c", 1);
    EXPECT_EQ("averylon", header_text(named, MEMORY_OFFSET_FILE));
    void* dotted = MEMORY_allocate(nullptr, 1, 0, "n", "abcdefg.hij.cpp", 1);
    EXPECT_EQ("abcdefg.", header_text(dotted, MEMORY_OFFSET_FILE));
}

TEST_F(Memory, TableGrowsByStepsWhenFull) {
    int32_t entries = MEMORY_get_default_num_entries();
    std::vector<void*> blocks;
    for (int32_t i = 0; i < entries; ++i) blocks.push_back(allocate(8));
    void* beyond = allocate(8);
    ASSERT_NE(nullptr, beyond);
    EXPECT_EQ(entries + 50, MEMORY_get_default_num_entries());
    EXPECT_EQ(static_cast<uint32_t>(entries + 49), index_of(beyond));
    EXPECT_EQ(TRUE, MEMORY_check());

    // A refused growth is reported in the retail log and the index stays free.
    MEMORY_deinitialise();
    ASSERT_EQ(TRUE, MEMORY_initialise());
    remove_file("retail.dbg");
    entries = MEMORY_get_default_num_entries();
    for (int32_t i = 0; i < entries; ++i) ASSERT_NE(nullptr, allocate(8));
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, allocate(8, "one more", 77));
    HEAP_fail_after(-1);
    EXPECT_EQ(std::vector<std::string>{"MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 77): stack empty, "
                                       "realloc failed"},
              retail_messages());
}

TEST_F(Memory, StepSizeAndExplicitGrowth) {
    EXPECT_EQ(FALSE, MEMORY_set_module_realloc_step_size(0));
    EXPECT_EQ(FALSE, MEMORY_set_module_realloc_step_size(-5));
    EXPECT_EQ(50, MEMORY_get_module_realloc_step_size());
    ASSERT_EQ(TRUE, MEMORY_set_module_realloc_step_size(7));
    int32_t before = MEMORY_get_default_num_entries();
    EXPECT_EQ(TRUE, MEMORY_set_default_num_entries());
    EXPECT_EQ(before + 7, MEMORY_get_default_num_entries());
    EXPECT_EQ(static_cast<uint32_t>(before + 6), index_of(allocate(4)));
    MEMORY_set_module_realloc_step_size(50);
    MEMORY_deinitialise();
    EXPECT_EQ(FALSE, MEMORY_set_default_num_entries());
}

TEST_F(Memory, BadSizesAndForgottenBlocksGoToRetailLog) {
    EXPECT_EQ(nullptr, MEMORY_allocate(nullptr, 0, 0, nullptr, caller_file, 5));
    EXPECT_EQ(nullptr, MEMORY_allocate(nullptr, -3, 0, "negative", caller_file, 6));
    void* block = allocate(16);
    void* replacement = MEMORY_allocate(block, 16, 0, "again", caller_file, 7);
    EXPECT_NE(nullptr, replacement);
    EXPECT_NE(block, replacement);
    EXPECT_EQ((std::vector<std::string>{
                  "MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 5): No Description size = 0",
                  "MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 6): negative size = -3",
                  "MEMORY_allocate (c:\\game\\src\\Loader.cpp, 7): previous data not freed again"}),
              retail_messages());
}

TEST_F(Memory, NotInitialisedAndNullPointerRefusals) {
    MEMORY_deinitialise();
    void* pointer = nullptr;
    EXPECT_EQ(nullptr, allocate(8, "late", 11));
    EXPECT_EQ(FALSE, MEMORY_deallocate(&pointer, caller_file, 12));
    ASSERT_EQ(TRUE, MEMORY_initialise());
    EXPECT_EQ(FALSE, MEMORY_deallocate(&pointer, caller_file, 13));
    EXPECT_EQ((std::vector<std::string>{
                  "MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 11): data not initialised",
                  "MEMORY_deallocate failed (c:\\game\\src\\Loader.cpp, 12): data not initialised",
                  "MEMORY_deallocate failed (c:\\game\\src\\Loader.cpp, 13): mem block parameter NULL"}),
              retail_messages());

    // Debug lines, only with message output switched on.
    debug_to_file();
    EXPECT_EQ(FALSE, MEMORY_initialise());
    EXPECT_EQ(nullptr, MEMORY_reallocate(nullptr, 4));
    MEMORY_deinitialise();
    EXPECT_EQ(FALSE, MEMORY_deinitialise());
    EXPECT_EQ(FALSE, MEMORY_check());
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(&pointer));
    MEMORY_usage();
    EXPECT_EQ((std::vector<std::string>{"MEMORY_initialise failed: already initialised",
                                        "MEMORY_reallocate failed: mem block parameter NULL",
                                        "MEMORY_deinitialise failed: not initialised",
                                        "MEMORY_check failed: memory not initialised",
                                        "MEMORY_check_lead_and_tail failed: memory not initialised",
                                        "MEMORY_usage failed: memory not initialised"}),
              debug_messages());
}

TEST_F(Memory, GuardsAreCheckedOnlyAtLevelZero) {
    // Level 1 (the default): bytes written just behind a block go unnoticed.
    auto* loose = static_cast<uint8_t*>(allocate(32));
    loose[32] = 0;
    EXPECT_EQ(TRUE, MEMORY_check_lead_and_tail(loose));
    EXPECT_EQ(TRUE, MEMORY_check());

    MEMORY_deinitialise();
    MEMORY_set_check_level(0);
    ASSERT_EQ(TRUE, MEMORY_initialise());
    debug_to_file();
    auto* tail = static_cast<uint8_t*>(allocate(32));
    auto* lead = static_cast<uint8_t*>(allocate(32));
    auto* good = static_cast<uint8_t*>(allocate(32));
    EXPECT_EQ(TRUE, MEMORY_check());
    tail[32] ^= 1;
    lead[-1] ^= 1;
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(tail));
    EXPECT_EQ(FALSE, MEMORY_check_lead_and_tail(lead));
    EXPECT_EQ(TRUE, MEMORY_check_lead_and_tail(good));
    EXPECT_EQ(FALSE, MEMORY_check());  // reports both, does not stop at the first
    EXPECT_EQ((std::vector<std::string>{"MEMORY_check_entry: foot corruption", "MEMORY_check_entry: lead corruption",
                                        "MEMORY_check_entry: lead corruption", "MEMORY_check_entry: foot corruption"}),
              debug_messages());
    tail[32] ^= 1;
    lead[-1] ^= 1;
}

TEST_F(Memory, CheckLevelFixedOnceSomethingWasAllocated) {
    MEMORY_set_check_level(3);
    EXPECT_EQ(3, MEMORY_get_check_level());
    void* block = allocate(4);
    MEMORY_deallocate(&block, caller_file, 1);
    debug_to_file();
    MEMORY_set_check_level(0);
    EXPECT_EQ(3, MEMORY_get_check_level());
    EXPECT_EQ(std::vector<std::string>{"MEMORY_set_check_level : Can't change after an allocate"}, debug_messages());
    MEMORY_deinitialise();
    MEMORY_set_check_level(0);
    EXPECT_EQ(0, MEMORY_get_check_level());
}

TEST_F(Memory, CorruptMagicIsNotFreed) {
    auto* block = static_cast<uint8_t*>(allocate(64));
    uint8_t* magic = block - MEMORY_OFFSET_DATA;
    magic[0] = 'X';
    void* pointer = block;
    EXPECT_EQ(TRUE, MEMORY_deallocate(&pointer, caller_file, 90));
    EXPECT_EQ(block, pointer);
    EXPECT_EQ(nullptr, MEMORY_reallocate(block, 128));
    EXPECT_EQ((std::vector<std::string>{
                  "MEMORY_deallocate error (c:\\game\\src\\Loader.cpp, 90): not a valid memory pointer",
                  "Or Corruption has occured.", "MEMORY_reallocate error: not a valid memory pointer",
                  "Or Corruption has occured."}),
              retail_messages());
    magic[0] = 'M';
    EXPECT_EQ(TRUE, MEMORY_deallocate(&pointer, caller_file, 91));
    EXPECT_EQ(nullptr, pointer);

    // A pointer into memory the allocator never handed out is refused the same way.
    alignas(16) uint8_t foreign[512] = {};
    pointer = foreign + 256;
    EXPECT_EQ(TRUE, MEMORY_deallocate(&pointer, caller_file, 92));
    EXPECT_EQ(foreign + 256, pointer);
}

TEST_F(Memory, ReallocateGrowsAndTracksBytes) {
    auto* block = static_cast<uint8_t*>(MEMORY_allocate(nullptr, 100, MEMORY_FILL_ZERO, "grow me", caller_file, 3));
    block[99] = 0x5A;
    EXPECT_EQ(block, MEMORY_reallocate(block, 50));  // smaller: unchanged
    EXPECT_EQ(100, MEMORY_get_allocated_bytes());
    auto* grown = static_cast<uint8_t*>(MEMORY_reallocate(block, 300));
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(0x5A, grown[99]);
    EXPECT_EQ(300, MEMORY_get_allocated_bytes());
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(grown) % MEMORY_DATA_ALIGNMENT);
    EXPECT_EQ("grow me", header_text(grown, MEMORY_OFFSET_DESCRIPTION));
    EXPECT_EQ(TRUE, MEMORY_check_lead_and_tail(grown));

    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, MEMORY_reallocate(grown, 4000));
    HEAP_fail_after(-1);
    EXPECT_EQ(TRUE, MEMORY_check_lead_and_tail(grown));
    EXPECT_EQ(300, MEMORY_get_allocated_bytes());
}

TEST_F(Memory, HeapRefusalKeepsIndexFree) {
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, allocate(10, "refused", 8));
    HEAP_fail_after(-1);
    EXPECT_EQ(std::vector<std::string>{"MEMORY_allocate failed (c:\\game\\src\\Loader.cpp, 8): malloc failed, "
                                       "refused size = 10"},
              retail_messages());
    // No leak is reported: the popped index went back onto the free stack.
    debug_to_file();
    EXPECT_EQ(TRUE, MEMORY_deinitialise());
    EXPECT_TRUE(debug_messages().empty());
}

TEST_F(Memory, UsageListsLiveBlocks) {
    void* a = MEMORY_allocate(nullptr, 100, 0, "first", caller_file, 7);
    void* b = MEMORY_allocate(nullptr, 28, 0, "a description of thirty chars", "game.c", 12345);
    // Listed in table-index order: the later block took the lower index.
    MEMORY_usage();
    void* grown = MEMORY_reallocate(a, 300);
    MEMORY_usage();
    std::string log = read_text_file("retail.dbg");
    const std::string rule(70, '-');
    char expected[1024];
    std::snprintf(expected, sizeof expected,
                  "%s\n            Memory usage:: currently allocated = 128 bytes\n%s\n"
                  "[    game, 12345] size:        28; name: a description of thirty ; addr: %p\n"
                  "[  Loader,     7] size:       100; name: first                   ; addr: %p\n",
                  rule.c_str(), rule.c_str(), static_cast<void*>(static_cast<uint8_t*>(b) - MEMORY_OFFSET_DATA),
                  static_cast<void*>(static_cast<uint8_t*>(a) - MEMORY_OFFSET_DATA));
    ASSERT_TRUE(starts_with(log, expected)) << log;
    EXPECT_NE(std::string::npos, log.find("currently allocated = 328 bytes"));
    EXPECT_NE(std::string::npos, log.find("size:       300; name: first"));
    (void)grown;
}

TEST_F(Memory, DeinitialiseFreesLeaksAndReportsThem) {
    debug_to_file();
    allocate(10);
    allocate(20);
    EXPECT_EQ(TRUE, MEMORY_deinitialise());
    EXPECT_EQ(std::vector<std::string>{"MEMORY_deinitialise error: memory leaks detected"}, debug_messages());
    EXPECT_EQ(30, MEMORY_get_allocated_bytes());  // kept until the next initialise
    ASSERT_EQ(TRUE, MEMORY_initialise());
    EXPECT_EQ(0, MEMORY_get_allocated_bytes());
}

TEST_F(Memory, InitialiseSurvivesHeapRefusal) {
    MEMORY_deinitialise();
    for (int32_t fail_at = 0; fail_at < 2; ++fail_at) {
        HEAP_fail_after(fail_at);
        EXPECT_EQ(FALSE, MEMORY_initialise()) << fail_at;
        HEAP_fail_after(-1);
        EXPECT_EQ(nullptr, allocate(4));
    }
    EXPECT_EQ(TRUE, MEMORY_initialise());
}

TEST_F(Memory, ChangeDescriptionRefusals) {
    debug_to_file();
    EXPECT_EQ(FALSE, MEMORY_change_description(nullptr, "x"));
    void* block = allocate(4);
    EXPECT_EQ(FALSE, MEMORY_change_description(block, nullptr));
    EXPECT_EQ(TRUE, MEMORY_change_description(block, "renamed"));
    EXPECT_EQ("renamed", header_text(block, MEMORY_OFFSET_DESCRIPTION));
    EXPECT_EQ((std::vector<std::string>{"MEMORY_change_description failed: mem_block is NULL",
                                        "MEMORY_change_description failed: description is NULL"}),
              debug_messages());
}

TEST_F(Memory, TypedMacrosNullTheCallersPointer) {
    int32_t* numbers = nullptr;
    MEMORY_ALLOCATE(numbers, 16, MEMORY_FILL_ZERO, "numbers");
    ASSERT_NE(nullptr, numbers);
    numbers[3] = 7;  // 32-bit fields in the block: UBSan checks their alignment
    EXPECT_EQ(TRUE, MEMORY_FREE(numbers));
    EXPECT_EQ(nullptr, numbers);
}

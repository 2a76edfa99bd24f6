// Debug module: exact line formats, the trace ring, watches, the call stack, assertions, retail logs.
#include <gtest/gtest.h>

#include <string>

#include "EBUG.h"
#include "Heap.h"
#include "log_files.h"

namespace {

const char develop_log[] = "develop.dbg";
const char retail_log[] = "retail.dbg";

class Ebug : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        remove_file(develop_log);
        remove_file(retail_log);
    }
    void TearDown() override { reset(); }
    static void reset() {
        EBUG_deinitialise();
        EBUG_set_exit_function(nullptr);
        EBUG_set_output(EBUG_OUTPUT_NONE);
        ebug_flags = 0;
        HEAP_fail_after(-1);
    }
    // The develop log with its trace dump banners removed: what the ring held, oldest first.
    static std::string trace_dump() {
        std::string text = read_text_file(develop_log);
        const std::string start = "~~~~~~~~START OF TRACE BUFFER DUMP~~~~~~~\n";
        const std::string end = "~~~~~~~~END OF TRACE BUFFER DUMP~~~~~~~\n";
        std::size_t from = text.find(start);
        std::size_t to = text.find(end);
        if (from == std::string::npos || to == std::string::npos) return "<no dump>";
        return text.substr(from + start.size(), to - from - start.size());
    }
};

int32_t exit_code_seen = 0;
int32_t exit_calls = 0;
void record_exit(int32_t code) {
    exit_code_seen = code;
    ++exit_calls;
    // The module must already have been freed when the exit function runs.
    EXPECT_EQ(0, EBUG_is_initialised());
}

}  // namespace

TEST_F(Ebug, DebugLinePrefixNamesShortFileAndLine) {
    EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
    EBUG_message("c:\\quill\\library\\Memory.c", 136, "MEMORY_initialise failed: already initialised");
    EBUG_message("COPYFLST.c", 1689, "%s %d", "eight", 8);
    EBUG_message("d:\\src\\EBUG.c", 7, "x");
    EBUG_message("src\\verylongname.cpp", 1, "cut to eight");
    EBUG_message("a.b.cpp", 2, "last stop");
    EBUG_message("e:\\noext", static_cast<uint16_t>(99999), "wide line");
    auto lines = read_lines(develop_log);
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("[  Memory,  136] MEMORY_initialise failed: already initialised", lines[0]);
    EXPECT_EQ("[COPYFLST, 1689] eight 8", lines[1]);
    EXPECT_EQ("[    EBUG,    7] x", lines[2]);
    EXPECT_EQ("[verylong,    1] cut to eight", lines[3]);
    EXPECT_EQ("[     a.b,    2] last stop", lines[4]);
    // Line numbers are 16-bit.
    EXPECT_EQ("[   noext,34463] wide line", lines[5]);
}

TEST_F(Ebug, SwitchedOffMacrosCallNothing) {
    // The installer's situation: never initialised, flag word 0. Even with a file target set, no
    // bracket, debug line or assertion reaches the develop log.
    EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
    ENTER();
    EBUG_MESSAGE("should not appear %d", 1);
    EBUG_ASSERT(1 == 2);
    LEAVE();
    EXPECT_FALSE(file_exists(develop_log));

    // The same call sites produce output once their bits are set.
    EBUG_message_on();
    EBUG_assert_on();
    EBUG_MESSAGE("now %d", 2);
    EBUG_ASSERT(1 == 2);
    auto lines = read_lines(develop_log);
    ASSERT_EQ(2u, lines.size());
    EXPECT_TRUE(ends_with(lines[0], "] now 2"));
    EXPECT_TRUE(ends_with(lines[1], "] (ASSERT FAILURE: 1 == 2) "));
}

TEST_F(Ebug, AssertionLineAndExitFunction) {
    EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
    EBUG_assert(1, "fine", "x.c", 1, "%s", "");
    EXPECT_FALSE(file_exists(develop_log));
    EBUG_assert(0, "index >= 0", "c:\\lib\\EFILE.c", 321, "slot %d", 4);
    auto lines = read_lines(develop_log);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("[   EFILE,  321] (ASSERT FAILURE: index >= 0) slot 4", lines[0]);

    // With an exit function: the dumps the flags ask for, the module freed, then the call with 1.
    remove_file(develop_log);
    ASSERT_EQ(TRUE, EBUG_initialise(1, 4, 8, EBUG_FLAG_WATCH, EBUG_OUTPUT_DEVELOP_FILE));
    ASSERT_EQ(TRUE, EBUG_add_watch(0, "lives", EBUG_WATCH_INT));
    EBUG_set_watch_int(0, 3);
    exit_calls = 0;
    EBUG_set_exit_function(record_exit);
    EBUG_assert(0, "p != NULL", "Memory.c", 10, "%s", "");
    EXPECT_EQ(1, exit_calls);
    EXPECT_EQ(1, exit_code_seen);
    EXPECT_EQ(0u, ebug_flags);
    std::string log = read_text_file(develop_log);
    EXPECT_NE(std::string::npos, log.find("[  Memory,   10] (ASSERT FAILURE: p != NULL) \n"));
    EXPECT_NE(std::string::npos, log.find("~~~~~~~ START OF WATCH DATA OUTPUT ~~~~~~~\nlives = 3\n"
                                          "~~~~~~~ END OF WATCH DATA OUTPUT ~~~~~~~\n"));
}

TEST_F(Ebug, RetailLogsNeedNoInitialisation) {
    EBUG_retail_message("c:\\lib\\Memory.c", 42, "MEMORY_allocate failed (%s, %d): data not initialised",
                        "game.c", 7);
    EBUG_retail_printf("no prefix %d", 5);
    EBUG_retail_printf("%s", " and no newline\n");
    auto lines = read_lines(retail_log);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("[  Memory,   42] MEMORY_allocate failed (game.c, 7): data not initialised", lines[0]);
    EXPECT_EQ("no prefix 5 and no newline", lines[1]);

    // Naming a retail file starts it afresh with its banner; lines then go there.
    EBUG_set_retail_file("other_retail.dbg");
    EBUG_retail_message("x.c", 1, "one");
    EXPECT_EQ("Release Debug\n\n[       x,    1] one\n", read_text_file("other_retail.dbg"));
    EBUG_set_retail_file(retail_log);
    EXPECT_EQ("Release Debug\n\n", read_text_file(retail_log));
    remove_file("other_retail.dbg");

    EBUG_set_develop_file(develop_log);
    EXPECT_EQ("Development Debug\n\n", read_text_file(develop_log));
}

TEST_F(Ebug, TraceRingKeepsNewestTextOldestFirst) {
    ASSERT_EQ(TRUE, EBUG_initialise(0, 0, 4, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_TRACE_BUFFER));
    EBUG_message("T.c", 1, "ab");  // "[       T,    1] ab\n" is 21 characters: the ring of 16 wraps
    EBUG_dump_trace_buffer();
    EXPECT_EQ("    T,    1] ab\n", trace_dump());
    // The dump neither moves the ring nor clears it.
    remove_file(develop_log);
    EBUG_dump_trace_buffer();
    EXPECT_EQ("    T,    1] ab\n", trace_dump());

    // A 0xFF byte in a message is taken for the empty mark and lost from the dump.
    EBUG_deinitialise();
    remove_file(develop_log);
    ASSERT_EQ(TRUE, EBUG_initialise(0, 0, 10, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_TRACE_BUFFER));
    EBUG_message("T.c", 2, "a\xFF" "b");
    EBUG_dump_trace_buffer();
    EXPECT_EQ("[       T,    2] ab\n", trace_dump());
}

TEST_F(Ebug, TraceRingSizesAtTheLimits) {
    // Exponent 0: a ring of one byte keeps the last character written.
    ASSERT_EQ(TRUE, EBUG_initialise(0, 0, 0, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_TRACE_BUFFER));
    EBUG_message("T.c", 1, "xyz");
    EBUG_dump_trace_buffer();
    EXPECT_EQ("\n", trace_dump());
    EBUG_deinitialise();

    // Exponents above 20 are taken as 20: the ring holds exactly 1,048,576 characters.
    remove_file(develop_log);
    ASSERT_EQ(TRUE, EBUG_initialise(0, 0, 25, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_TRACE_BUFFER));
    // Messages are cut to 1023 characters, so each line is 1041 long with prefix and line end.
    std::string chunk(2000, 'q');
    for (int i = 0; i < 1100; ++i) EBUG_message("T.c", 1, "%s", chunk.c_str());
    EBUG_dump_trace_buffer();
    EXPECT_EQ(1048576u, trace_dump().size());
}

TEST_F(Ebug, TraceTargetWithoutInitialisationWritesNotice) {
    EBUG_set_output(EBUG_OUTPUT_TRACE_BUFFER);
    EBUG_message("T.c", 1, "lost");
    EBUG_dump_trace_buffer();
    const std::string notice =
        "You must call EBUG_initialise with a size to initialise the trace buffer, or EBUG_deinitialise was "
        "called which freed the buffer.\n";
    EXPECT_EQ(notice + notice, read_text_file(develop_log));
}

TEST_F(Ebug, CallStackOverflowAndUnderflow) {
    ASSERT_EQ(TRUE, EBUG_initialise(0, 3, 4, EBUG_FLAG_MESSAGE | EBUG_FLAG_CALLSTACK, EBUG_OUTPUT_DEVELOP_FILE));
    EBUG_enter("one", "a.c", 10);
    EBUG_enter("two", "b.c", 20);
    EBUG_enter("three", "c.c", 30);
    EBUG_dump_callstack();
    EBUG_enter("four", "d.c", 40);  // full: reported, stack emptied
    for (int i = 0; i < 4; ++i) EBUG_leave("any", "any.c", 0);
    EBUG_dump_callstack();
    auto lines = read_lines(develop_log);
    ASSERT_EQ(16u, lines.size());
    EXPECT_EQ("~~~~~~~~START OF CALLSTACK DUMP - most recent calls~~~~~~~", lines[0]);
    EXPECT_EQ("File: c.c,  Function: three, Line: 30", lines[1]);
    EXPECT_EQ("File: b.c,  Function: two, Line: 20", lines[2]);
    EXPECT_EQ("File: a.c,  Function: one, Line: 10", lines[3]);
    EXPECT_EQ("~~~~~~~~END OF CALLSTACK DUMP - older calls~~~~~~~", lines[4]);
    EXPECT_TRUE(ends_with(lines[5],
                          "] Callstack full. Unmatched ENTER/LEAVE or more than 3 (the initialised size of the "
                          "callstack). "));
    EXPECT_TRUE(starts_with(lines[5], "[    EBUG,"));
    // Each surplus LEAVE is reported; the message carries its own line end, hence the blank lines.
    for (std::size_t i = 6; i < 14; i += 2) {
        EXPECT_TRUE(ends_with(lines[i], "] Stack empty. Too many LEAVE's. Resetting current_callstack_depth."));
        EXPECT_EQ("", lines[i + 1]);
    }
    EXPECT_EQ("~~~~~~~~START OF CALLSTACK DUMP - most recent calls~~~~~~~", lines[14]);
    EXPECT_EQ("~~~~~~~~END OF CALLSTACK DUMP - older calls~~~~~~~", lines[15]);
}

TEST_F(Ebug, TraceBracketFeedsTheCallStack) {
    ASSERT_EQ(TRUE, EBUG_initialise(0, 8, 4, EBUG_FLAG_CALLSTACK, EBUG_OUTPUT_NONE));
    ENTER();
    EBUG_dump_callstack();
    LEAVE();
    auto lines = read_lines(develop_log);
    ASSERT_EQ(3u, lines.size());
    EXPECT_TRUE(starts_with(lines[1], "File: test_ebug.cpp,  Function: TestBody, Line: "));
    // Deinitialise dumps the call stack when its bit is set: empty again after LEAVE.
    remove_file(develop_log);
    EBUG_deinitialise();
    EXPECT_EQ(2u, read_lines(develop_log).size());
}

TEST_F(Ebug, CallStackWithoutInitialisationWritesNotice) {
    EBUG_enter("f", "f.c", 1);
    EXPECT_EQ("You must call EBUG_initialise with a size to initialise the callstack_data \nbuffer, or "
              "EBUG_deinitialise was called which freed the buffer.\n",
              read_text_file(develop_log));
}

TEST_F(Ebug, WatchesDumpUntilFirstUnusedEntry) {
    ASSERT_EQ(TRUE, EBUG_initialise(4, 1, 4, EBUG_FLAG_MESSAGE | EBUG_FLAG_ASSERT, EBUG_OUTPUT_DEVELOP_FILE));
    EXPECT_EQ(TRUE, EBUG_add_watch(0, "player", EBUG_WATCH_STRING));
    EXPECT_EQ(TRUE, EBUG_add_watch(1, "score", EBUG_WATCH_INT));
    EXPECT_EQ(FALSE, EBUG_add_watch(2, "odd", 7));  // stays stored, skipped by the dump
    EXPECT_EQ(TRUE, EBUG_add_watch(4, "after gap", EBUG_WATCH_INT));
    EBUG_set_watch_string(0, "Quill");
    EBUG_set_watch_int(1, -12);
    EBUG_set_watch_int(4, 99);
    EBUG_dump_watches();
    auto lines = read_lines(develop_log);
    ASSERT_EQ(6u, lines.size());
    EXPECT_TRUE(ends_with(lines[0], "] Unknown value type in when adding watch"));
    EXPECT_EQ("", lines[1]);
    EXPECT_EQ("~~~~~~~ START OF WATCH DATA OUTPUT ~~~~~~~", lines[2]);
    EXPECT_EQ("player = Quill", lines[3]);
    EXPECT_EQ("score = -12", lines[4]);
    EXPECT_EQ("~~~~~~~ END OF WATCH DATA OUTPUT ~~~~~~~", lines[5]);
}

TEST_F(Ebug, WatchRangeChecksAndCutting) {
    // A watch count of 0 still yields one entry.
    ASSERT_EQ(TRUE, EBUG_initialise(0, 1, 4, EBUG_FLAG_ASSERT, EBUG_OUTPUT_DEVELOP_FILE));
    EXPECT_EQ(TRUE, EBUG_add_watch(0, "only", EBUG_WATCH_STRING));
    EXPECT_EQ(FALSE, EBUG_add_watch(1, "none", EBUG_WATCH_STRING));
    EXPECT_EQ(FALSE, EBUG_add_watch(-1, "none", EBUG_WATCH_STRING));
    // 1024 characters fail the assertion but are still accepted; 1025 are refused.
    std::string at_limit(1024, 'd');
    std::string too_long(1025, 'd');
    EXPECT_EQ(TRUE, EBUG_add_watch(0, at_limit.c_str(), EBUG_WATCH_STRING));
    EXPECT_EQ(FALSE, EBUG_add_watch(0, too_long.c_str(), EBUG_WATCH_STRING));
    EXPECT_EQ(TRUE, EBUG_add_watch(0, "only", EBUG_WATCH_STRING));
    auto lines = read_lines(develop_log);
    ASSERT_EQ(4u, lines.size());
    EXPECT_TRUE(ends_with(lines[0], "(ASSERT FAILURE: index < watch_size) "));
    EXPECT_TRUE(ends_with(lines[1], "(ASSERT FAILURE: index >= 0) "));
    EXPECT_TRUE(ends_with(lines[2], "(ASSERT FAILURE: strlen(description) < EBUG_STRING_SIZE) "));
    EXPECT_TRUE(ends_with(lines[3], "(ASSERT FAILURE: strlen(description) < EBUG_STRING_SIZE) "));

    // A string value keeps at most 1023 characters.
    remove_file(develop_log);
    std::string value(1500, 'v');
    EBUG_set_watch_string(0, value.c_str());
    EBUG_dump_watches();
    lines = read_lines(develop_log);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("only = " + std::string(1023, 'v'), lines[1]);
}

TEST_F(Ebug, WatchesAfterDeinitialiseWriteNotice) {
    ASSERT_EQ(TRUE, EBUG_initialise(2, 1, 4, 0, EBUG_OUTPUT_NONE));
    EBUG_deinitialise();
    EXPECT_EQ(FALSE, EBUG_add_watch(0, "gone", EBUG_WATCH_INT));
    EXPECT_EQ("You must call EBUG_initialise with a size to initialise the watch_data \nbuffer, or "
              "EBUG_deinitialise was called which freed the buffer.\n",
              read_text_file(develop_log));
}

TEST_F(Ebug, InitialiseRefusesExistingTablesAndHeapFailure) {
    ASSERT_EQ(TRUE, EBUG_initialise(1, 1, 4, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_NONE));
    EXPECT_EQ(1, EBUG_is_initialised());
    EXPECT_EQ(FALSE, EBUG_initialise(1, 1, 4, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_NONE));
    EXPECT_EQ(0, EBUG_is_initialised());
    EBUG_deinitialise();
    EXPECT_EQ(0u, ebug_flags);

    // Each of the three tables refused in turn; tables made before stay until deinitialise.
    for (int32_t fail_at = 0; fail_at < 3; ++fail_at) {
        HEAP_fail_after(fail_at);
        EXPECT_EQ(FALSE, EBUG_initialise(1, 1, 4, 0, EBUG_OUTPUT_NONE)) << fail_at;
        EXPECT_EQ(0, EBUG_is_initialised());
        HEAP_fail_after(-1);
        EBUG_deinitialise();
    }
    EXPECT_EQ(TRUE, EBUG_initialise(1, 1, 4, 0, EBUG_OUTPUT_NONE));
}

TEST_F(Ebug, FlagSwitchesAndOutputTargets) {
    EBUG_assert_on();
    EBUG_message_on();
    EBUG_watch_on();
    EBUG_callstack_on();
    EXPECT_EQ(15u, ebug_flags);
    EBUG_message_off();
    EBUG_callstack_off();
    EXPECT_EQ(EBUG_FLAG_ASSERT | EBUG_FLAG_WATCH, ebug_flags);
    // Quiet and unknown targets drop the line without writing anything.
    EBUG_set_output(EBUG_OUTPUT_QUIET);
    EBUG_message("q.c", 1, "quiet");
    EBUG_set_output(9);
    EBUG_message("q.c", 1, "unknown");
    EXPECT_FALSE(file_exists(develop_log));
}

TEST_F(Ebug, FixedPathRetailLineIgnoresRetailFileName) {
    const char fixed_log[] = "c:\\retail.dbg";
    remove_file(fixed_log);
    EBUG_set_retail_file("elsewhere.dbg");
    EBUG_retail_line("MESSAGE.cpp", 214, "markup error in file");
    const int line = __LINE__ + 1;
    EBUG_RETAIL_LINE("second");
    EXPECT_EQ("MESSAGE.cpp 214: markup error in file\ntest_ebug.cpp " + std::to_string(line) + ": second\n",
              read_text_file(fixed_log));
    EXPECT_EQ("Release Debug\n\n", read_text_file("elsewhere.dbg"));
    remove_file(fixed_log);
    remove_file("elsewhere.dbg");
    EBUG_set_retail_file(retail_log);
}

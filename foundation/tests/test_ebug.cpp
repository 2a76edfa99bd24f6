// Debug module: exact line formats, output targets, the trace ring, watches, the call stack,
// assertions, the not-initialised notices and the retail logs.
#include <gtest/gtest.h>

#include <string>

#include "EBUG.h"
#include "Heap.h"
#include "log_files.h"

namespace {

std::string notice(const char* what) {
    return std::string("You must call EBUG_initialise with a size to initialise the ") + what +
           ", or EBUG_deinitialise was called which freed the buffer.\n";
}
const std::string trace_notice = notice("trace buffer"), watch_notice = notice("watch_data \nbuffer"),
                  stack_notice = notice("callstack_data \nbuffer");
const std::string trace_start = "~~~~~~~~START OF TRACE BUFFER DUMP~~~~~~~\n", trace_end = "~~~~~~~~END OF TRACE BUFFER DUMP~~~~~~~\n";
const std::string watch_start = "~~~~~~~ START OF WATCH DATA OUTPUT ~~~~~~~\n", watch_end = "~~~~~~~ END OF WATCH DATA OUTPUT ~~~~~~~\n";
const std::string stack_start = "~~~~~~~~START OF CALLSTACK DUMP - most recent calls~~~~~~~\n",
                  stack_end = "~~~~~~~~END OF CALLSTACK DUMP - older calls~~~~~~~\n";

class Ebug : public ::testing::Test {
protected:
    void SetUp() override { TearDown(), remove_file(develop_log), remove_file(retail_log); }
    void TearDown() override { EBUG_deinitialise(), EBUG_set_exit_function(nullptr), HEAP_fail_after(-1); }
};

int32_t exit_code_seen = 0;
void record_exit(int32_t code) {
    exit_code_seen = code;
    EXPECT_EQ(0, EBUG_is_initialised()) << "the module is freed before the exit function runs";
}

}  // namespace

TEST_F(Ebug, LinePrefixesAndOutputTargets) {
    struct line_case { const char* file; uint16_t line; uint8_t target; const char* develop; const char* error_stream; };
    const line_case cases[] = {
        {"c:\\quill\\library\\Memory.c", 136, EBUG_OUTPUT_DEVELOP_FILE, "[  Memory,  136] text\n", ""},
        {"src\\verylongname.cpp", 1, EBUG_OUTPUT_DEVELOP_FILE, "[verylong,    1] text\n", ""},
        {"a.b.cpp", 2, EBUG_OUTPUT_DEVELOP_FILE, "[     a.b,    2] text\n", ""},
        {"e:\\noext", static_cast<uint16_t>(99999), EBUG_OUTPUT_STDERR, "", "[   noext,34463] text\n"},
        {"none.c", 1, EBUG_OUTPUT_NONE, "", ""}, {"quiet.c", 1, EBUG_OUTPUT_QUIET, "", ""}, {"unknown.c", 1, 9, "", ""},
    };
    for (const line_case& c : cases) {
        SCOPED_TRACE(c.file);
        EBUG_set_output(c.target);
        ::testing::internal::CaptureStderr();
        EBUG_message(c.file, c.line, "%s", "text");
        EXPECT_EQ(c.error_stream, ::testing::internal::GetCapturedStderr());
        EXPECT_LOG(develop_log, c.develop);
    }
}

TEST_F(Ebug, AssertionLineAndExitFunction) {
    EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
    EBUG_assert(1, "fine", "x.c", 1, "%s", "");
    EBUG_assert(0, "index >= 0", "c:\\lib\\EFILE.c", 321, "slot %d", 4);
    EXPECT_LOG(develop_log, "[   EFILE,  321] (ASSERT FAILURE: index >= 0) slot 4\n");
    // With an exit function: the dumps the flags ask for, the module freed, then the call with 1.
    ASSERT_EQ(TRUE, EBUG_initialise(1, 4, 8, EBUG_FLAG_WATCH, EBUG_OUTPUT_DEVELOP_FILE));
    ASSERT_EQ(TRUE, EBUG_add_watch(0, "lives", EBUG_WATCH_INT));
    EBUG_set_watch_int(0, 3);
    EBUG_set_exit_function(record_exit);
    EBUG_assert(0, "p != NULL", "Memory.c", 10, "%s", "");
    EXPECT_EQ(1, exit_code_seen);
    EXPECT_EQ(0u, ebug_flags);
    EXPECT_LOG(develop_log, "[  Memory,   10] (ASSERT FAILURE: p != NULL) \n" + watch_start + "lives = 3\n" + watch_end);
}

TEST_F(Ebug, RetailLogsNeedNoInitialisation) {
    EBUG_retail_message("c:\\lib\\Memory.c", 42, "failed (%s, %d)", "game.c", 7);
    EBUG_retail_printf("no prefix %d", 5);
    EBUG_retail_printf("%s", " and no newline\n");
    EXPECT_LOG(retail_log, "[  Memory,   42] failed (game.c, 7)\nno prefix 5 and no newline\n");
    // Naming a log starts it afresh with its banner; the fixed-path log ignores the name and
    // names the source as the compiler was given it.
    remove_file("c:\\retail.dbg");
    EBUG_set_retail_file("other_retail.dbg");
    EBUG_retail_message("x.c", 1, "one");
    EBUG_retail_line("MESSAGE.cpp", 214, "markup error in file");
    const int line = __LINE__ + 1;
    EBUG_RETAIL_LINE("second");
    EXPECT_LOG("other_retail.dbg", "Release Debug\n\n[       x,    1] one\n");
    EXPECT_LOG("c:\\retail.dbg", "MESSAGE.cpp 214: markup error in file\n" __FILE__ " " + std::to_string(line) + ": second\n");
    EBUG_set_retail_file(retail_log);
    EBUG_set_develop_file(develop_log);
    EXPECT_LOG(develop_log, "Development Debug\n\n");
}

TEST_F(Ebug, TraceRingKeepsNewestTextOldestFirst) {
    struct ring_case { int32_t exponent; const char* message; const char* dump; };
    const ring_case cases[] = {
        {4, "ab", "    T,    1] ab\n"},                   // 20 characters wrap a ring of 16
        {10, "a\xFF" "b", "[       T,    1] ab\n"},        // 0xFF is the empty mark
        {0, "xyz", "\n"},                                // one byte
    };
    for (const ring_case& c : cases) {
        SCOPED_TRACE(c.exponent);
        ASSERT_EQ(TRUE, EBUG_initialise(0, 0, c.exponent, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_TRACE_BUFFER));
        EBUG_message("T.c", 1, "%s", c.message);
        EBUG_dump_trace_buffer();  // neither moves nor clears the ring: deinitialise dumps the same
        EBUG_deinitialise();
        EXPECT_LOG(develop_log, trace_start + c.dump + trace_end + trace_start + c.dump + trace_end);
    }
    // Exponents above 20 are taken as 20; messages are cut to 1023 characters (1041 a line).
    ASSERT_EQ(TRUE, EBUG_initialise(0, 0, 25, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_TRACE_BUFFER));
    for (int i = 0; i < 1100; ++i) EBUG_message("T.c", 1, "%s", std::string(2000, 'q').c_str());
    EBUG_dump_trace_buffer();
    EXPECT_EQ(trace_start.size() + 1048576u + trace_end.size(), read_text_file(develop_log).size());
    remove_file(develop_log);
    EBUG_set_output(EBUG_OUTPUT_NONE);  // another target leaves the dump silent
    EBUG_dump_trace_buffer();
    EXPECT_LOG(develop_log, "");
}

TEST_F(Ebug, NotInitialisedOperationsWriteNotices) {
    struct notice_case { void (*call)(); const std::string& notice; };
    const notice_case cases[] = {
        {[] { EBUG_message("T.c", 1, "lost"); }, trace_notice}, {[] { EBUG_dump_trace_buffer(); }, trace_notice},
        {[] { EBUG_enter("f", "f.c", 1); }, stack_notice},     {[] { EBUG_leave("f", "f.c", 1); }, stack_notice},
        {[] { EBUG_dump_callstack(); }, stack_notice},         {[] { EBUG_set_watch_string(1, "x"); }, watch_notice},
        {[] { EBUG_set_watch_int(2, 1); }, watch_notice},      {[] { EBUG_dump_watches(); }, watch_notice},
        {[] { EXPECT_EQ(FALSE, EBUG_add_watch(0, "gone", EBUG_WATCH_INT)); }, watch_notice},
    };
    EXPECT_EQ(FALSE, EBUG_initialise(INT32_MAX, 0, 0, 0, EBUG_OUTPUT_NONE));  // no room for the extra watch
    for (const notice_case& c : cases) {
        SCOPED_TRACE(&c - cases);
        ASSERT_EQ(TRUE, EBUG_initialise(2, 1, 4, 0, EBUG_OUTPUT_NONE));  // freed again: three watch slots
        EBUG_deinitialise();
        EBUG_set_output(EBUG_OUTPUT_TRACE_BUFFER);
        c.call();
        EXPECT_LOG(develop_log, c.notice);
    }
}

TEST_F(Ebug, CallStackDumpsOverflowAndUnderflow) {
    ASSERT_EQ(TRUE, EBUG_initialise(0, 3, 4, EBUG_FLAG_MESSAGE | EBUG_FLAG_CALLSTACK, EBUG_OUTPUT_DEVELOP_FILE));
    EBUG_enter("one", "a.c", 10), EBUG_enter("two", "b.c", 20), EBUG_enter("three", "c.c", 30);
    EBUG_dump_callstack();
    EXPECT_LOG(develop_log, stack_start + "File: c.c,  Function: three, Line: 30\nFile: b.c,  Function: two, Line: 20\n"
                                          "File: a.c,  Function: one, Line: 10\n" + stack_end);
    EBUG_enter("four", "d.c", 40);  // full: reported, stack emptied
    EBUG_leave("any", "any.c", 0);  // one too many: reported
    const int line = __LINE__ + 1;
    ENTER();
    EBUG_deinitialise();  // dumps the call stack
    EXPECT_LOG_UNNUMBERED(develop_log,
                          "[    EBUG] Callstack full. Unmatched ENTER/LEAVE or more than 3 (the initialised size of "
                          "the callstack). \n[    EBUG] Stack empty. Too many LEAVE's. Resetting current_callstack_depth."
                          "\n\n" + stack_start + "File: test_ebug.cpp,  Function: TestBody, Line: " +
                              std::to_string(line) + "\n" + stack_end);
}

TEST_F(Ebug, WatchesDumpUntilFirstUnusedEntry) {
    ASSERT_EQ(TRUE, EBUG_initialise(4, 1, 4, EBUG_FLAG_MESSAGE | EBUG_FLAG_ASSERT, EBUG_OUTPUT_DEVELOP_FILE));
    struct add_case { int32_t index; std::string description; uint8_t type; BOOL8 result; const char* log; };
    const char* length_failure = "[    EBUG] (ASSERT FAILURE: strlen(description) < EBUG_STRING_SIZE) \n";
    const add_case cases[] = {
        {0, std::string(1024, 'd'), EBUG_WATCH_INT, TRUE, length_failure},  // taken all the same
        {0, std::string(1025, 'd'), EBUG_WATCH_INT, FALSE, length_failure},
        {0, "player", EBUG_WATCH_STRING, TRUE, ""},
        {1, "score", EBUG_WATCH_INT, TRUE, ""},
        {2, "odd", 7, FALSE, "[    EBUG] Unknown value type in when adding watch\n\n"},  // kept, not dumped
        {4, "after gap", EBUG_WATCH_INT, TRUE, ""},
        {5, "beyond", EBUG_WATCH_INT, FALSE, "[    EBUG] (ASSERT FAILURE: index < watch_size) \n"},
        {-1, "before", EBUG_WATCH_INT, FALSE, "[    EBUG] (ASSERT FAILURE: index >= 0) \n"},
    };
    for (const add_case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(c.result, EBUG_add_watch(c.index, c.description.c_str(), c.type));
        EXPECT_LOG_UNNUMBERED(develop_log, c.log);
    }
    EBUG_set_watch_string(0, std::string(1500, 'v').c_str());  // kept to 1023 characters
    EBUG_set_watch_int(1, -12), EBUG_set_watch_int(4, 99), EBUG_set_watch_int(5, 1);
    EXPECT_LOG_UNNUMBERED(develop_log, "[    EBUG] (ASSERT FAILURE: index < watch_size) \n");
    EBUG_dump_watches();
    EXPECT_LOG(develop_log, watch_start + "player = " + std::string(1023, 'v') + "\nscore = -12\n" + watch_end);
}

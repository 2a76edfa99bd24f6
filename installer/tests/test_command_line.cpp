// The command line the installer acts on: the registered uninstall command names the program by
// its unquoted path with blanks, so the usual tail cannot be trusted there.
#include <gtest/gtest.h>

#include <cstring>

#include "INSTALL.h"

namespace {

constexpr const char* own = "C:\\windows\\Quillmoor Internet Demo remove.exe";

struct tail_case {
    const char* name;
    const char* process_line;
    const char* usual_tail;
    const char* expected;
};

const tail_case cases[] = {
    {"registered command", "C:\\windows\\Quillmoor Internet Demo remove.exe remove", "Internet Demo remove.exe remove",
     "remove"},
    {"path in other case, blanks before the word", "c:\\WINDOWS\\quillmoor internet demo REMOVE.EXE   remove", "x",
     "remove"},
    {"path alone", "C:\\windows\\Quillmoor Internet Demo remove.exe", "Internet Demo remove.exe", ""},
    {"quoted path keeps the usual tail", "\"C:\\windows\\Quillmoor Internet Demo remove.exe\" remove", "remove",
     "remove"},
    {"a longer name is another program", "C:\\windows\\Quillmoor Internet Demo remove.exe2 remove", "usual", "usual"},
    {"a shorter line", "C:\\windows", "usual", "usual"},
    {"a different program", "D:\\setup.exe remove", "remove", "remove"},
};

TEST(CommandLine, TailAfterOwnUnquotedPath) {
    for (const tail_case& row : cases) {
        const char* tail = INSTALL_command_tail(row.process_line, own, row.usual_tail);
        ASSERT_NE(tail, nullptr) << row.name;
        EXPECT_STREQ(tail, row.expected) << row.name;
    }
    EXPECT_STREQ(INSTALL_command_tail("C:\\a.exe remove", "", "usual"), "usual") << "no own path";
    EXPECT_STREQ(INSTALL_command_tail(nullptr, own, "usual"), "usual") << "no process line";
}

}  // namespace

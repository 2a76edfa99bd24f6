// The command line's tail: the registered uninstall command names the program by its unquoted
// path with blanks, so the usual tail cannot be trusted there.
#include <gtest/gtest.h>

#include "INSTALL.h"

namespace {

TEST(CommandLine, TailAfterOwnUnquotedPath) {
    const char* own = "C:\\windows\\Quillmoor Internet Demo remove.exe";
    const struct {
        const char* name;
        const char* process_line;
        const char* own;
        const char* expected;  // with "usual" as the usual tail
    } cases[] = {
        {"registered command", "C:\\windows\\Quillmoor Internet Demo remove.exe remove", own, "remove"},
        {"path in other case, blanks before the word", "c:\\WINDOWS\\quillmoor internet demo REMOVE.EXE   remove",
         own, "remove"},
        {"path alone", "C:\\windows\\Quillmoor Internet Demo remove.exe", own, ""},
        {"quoted path", "\"C:\\windows\\Quillmoor Internet Demo remove.exe\" remove", own, "usual"},
        {"a longer name is another program", "C:\\windows\\Quillmoor Internet Demo remove.exe2 remove", own, "usual"},
        {"a shorter line", "C:\\windows", own, "usual"},
        {"no own path", "C:\\a.exe remove", "", "usual"},
        {"no process line", nullptr, own, "usual"},
    };
    for (const auto& c : cases) {
        const char* tail = INSTALL_command_tail(c.process_line, c.own, "usual");
        EXPECT_STREQ(c.expected, tail != nullptr ? tail : "(null)") << c.name;
    }
}

}  // namespace

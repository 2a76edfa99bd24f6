// Text lookup, and the command line's tail: the registered uninstall command names the program by
// its unquoted path with blanks, so the usual tail cannot be trusted there.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "INSTALL.h"
#include "resource.h"
#include "texts.h"

namespace {

// Missing rows and cutting: the buffer holds 15 marks and a terminator, and nothing may be written
// beyond the size given.
TEST(TextLookup, MissingRowsAndSmallBuffers) {
    local_install_details.instance = GetModuleHandleA(nullptr);
    const struct {
        const char* name;
        std::int32_t id, offset, size;
        BOOL8 loaded;
        std::string expected;
    } cases[] = {
        {"cut to the buffer", MSG_PLAY, 0, 8, TRUE, "Play Qu"},
        {"room for the terminator only", MSG_PLAY, 0, 1, FALSE, ""},
        {"no room at all", MSG_PLAY, 0, 0, FALSE, std::string(15, 'x')},
        {"missing row", 16, 0, 15, FALSE, ""},
        {"missing row of the last block", 47, 400, 15, FALSE, ""},
        {"below the table", -1, 0, 15, FALSE, ""},
    };
    for (const auto& c : cases) {
        local_install_details.language_offset = c.offset;
        char buffer[16];
        std::memset(buffer, 'x', 15);
        buffer[15] = '\0';
        EXPECT_EQ(c.loaded, INSTALL_load_text(c.id, buffer, c.size)) << c.name;
        EXPECT_EQ(c.expected, buffer) << c.name;
        EXPECT_EQ(std::string(static_cast<std::size_t>(15 - c.size), 'x'), buffer + c.size) << c.name;
    }
    local_install_details.language_offset = 0;
}

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

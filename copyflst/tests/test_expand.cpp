// Path macro expansion: the scan rule, the 511-character cut of the input, results that would not
// fit their buffer, macros without a value.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <string>

#include "COPYFLST.h"
#include "copyflst_private.h"

namespace {

const std::string refused = "(refused)";
const std::string d500(500, 'd');
const std::string x506(506, 'x');
const std::string x508(508, 'x');

struct expansion_case {
    const char* name;
    const char* source;   // <SRC>'s value
    std::string install;  // <DST>'s value
    std::string path;
    std::string expected;
};

const expansion_case expansion_cases[] = {
    {"each macro", "E:", "D:\\Demo", "<DST>\\<SRC>\\<STARTMENU>\\<WINSYSTEM>", "D:\\Demo\\E:\\C:\\Menu\\C:\\sys"},
    {"plain text", "E:", "D:\\Demo", "a<b>c<", "a<b>c<"},
    {"case-sensitive", "E:", "D:\\Demo", "<dst>", "<dst>"},
    {"macro cut by the end", "E:", "D:\\Demo", "x<DST", "x<DST"},
    // Each row is tried once per '<', in table order, and the character after a replacement is
    // copied untested: of two macros back to back the second goes only when its row comes later.
    {"later row follows", "E:", "D:\\Demo", "<DST><SRC>", "D:\\DemoE:"},
    {"earlier row stays", "E:", "D:\\Demo", "<SRC><DST>", "E:<DST>"},
    {"input cut at 511", "E:", "D:", std::string(600, 'x'), std::string(511, 'x')},
    {"macro ending at 511", "E:", "D:", x506 + "<SRC>yyy", x506 + "E:"},
    {"macro the cut goes through", "E:", "D:", x508 + "<SRC>", x508 + "<SR"},
    {"511 characters fit", "E:", d500, "<DST>\\data\\Anims", d500 + "\\data\\Anims"},
    {"512 are refused", "E:", d500, "<DST>\\data\\Anims2", refused},
    {"ending at 511 with a macro", "E:", d500, "<DST>\\aaaaaaaa<SRC>", d500 + "\\aaaaaaaaE:"},
    {"refused by a later macro", "E:", d500, "<DST>\\aaaaaaaaa<SRC>", refused},
    {"value longer than the buffer", "E:", std::string(700, 'h'), "<DST>", refused},
    {"macro without value", nullptr, "D:", "<SRC>\\data", refused},
    {"macro with empty value", "E:", "", "<DST>", refused},
    {"folder macro outside a run", "E:", "D:", "<CSIDL_PERSONAL>", refused},
};

TEST(ExpandPath, Cases) {
    for (const expansion_case& c : expansion_cases) {
        copyflst_set_macro_values(c.source, c.install.c_str(), "C:\\Menu", "C:\\sys");
        char* expanded = COPYFLST_expand_path(c.path.c_str());
        EXPECT_EQ(c.expected, expanded != nullptr ? std::string(expanded) : refused) << c.name;
        // The caller releases it with free: a block of the runtime's own malloc, of the full size.
        if (expanded != nullptr) {
            EXPECT_EQ(std::size_t{COPYFLST_PATH_SIZE}, _msize(expanded)) << c.name;
        }
        std::free(expanded);
    }
    EXPECT_EQ(nullptr, COPYFLST_expand_path(static_cast<const char*>(nullptr)));
    copyflst_set_macro_values(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

// Path macro expansion: the scan rule, the 511-character cut of the input, results that would not
// fit their buffer, macros without a value.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "COPYFLST.h"
#include "copyflst_private.h"

namespace {

const char* const null_text = nullptr;

// The expansion as a string, or "(refused)" for null.
std::string expand(const char* path) {
    char* expanded = COPYFLST_expand_path(path);
    if (expanded == nullptr) return "(refused)";
    std::string result = expanded;
    std::free(expanded);
    return result;
}

class ExpandPath : public ::testing::Test {
protected:
    void SetUp() override { set("E:", "D:\\Games\\Demo"); }
    void TearDown() override { copyflst_set_macro_values(nullptr, nullptr, nullptr, nullptr); }
    void set(const char* source, const char* install) {
        copyflst_set_macro_values(source, install, "C:\\Menu\\Quillmoor Internet Demo", "C:\\WINDOWS\\system32");
    }
};

TEST_F(ExpandPath, ScanRule) {
    struct {
        const char* path;
        const char* expected;
    } const cases[] = {
        {"<DST>\\data", "D:\\Games\\Demo\\data"},
        {"<SRC>", "E:"},
        {"<STARTMENU>\\Quillmoor Demo.lnk", "C:\\Menu\\Quillmoor Internet Demo\\Quillmoor Demo.lnk"},
        {"<WINSYSTEM>\\dsetup.dll", "C:\\WINDOWS\\system32\\dsetup.dll"},
        {"", ""},
        {"plain\\text.txt", "plain\\text.txt"},
        {"<dst>\\data", "<dst>\\data"},  // case-sensitive
        {"a<b>c<", "a<b>c<"},            // a '<' that starts no macro
        {"x<DST", "x<DST"},              // a macro cut by the end of the input
        {"<SRC>\\<DST>", "E:\\D:\\Games\\Demo"},
        // After a replacement the next character is copied untested, and each row is tried once
        // per '<', in table order: a second macro survives unless its row comes later.
        {"<SRC><DST>", "E:<DST>"},
        {"<DST><SRC>", "D:\\Games\\DemoE:"},
        {"<DST><DST>", "D:\\Games\\Demo<DST>"},
        {"<DST><SRC><STARTMENU>", "D:\\Games\\DemoE:C:\\Menu\\Quillmoor Internet Demo"},
        {"<DST><STARTMENU><SRC>", "D:\\Games\\DemoC:\\Menu\\Quillmoor Internet Demo<SRC>"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, expand(c.path)) << "input " << c.path;
    EXPECT_EQ(nullptr, COPYFLST_expand_path(null_text));
}

TEST_F(ExpandPath, InputIsCutAt511) {
    EXPECT_EQ(std::string(511, 'x'), expand(std::string(600, 'x').c_str()));
    EXPECT_EQ(std::string(511, 'x'), expand(std::string(511, 'x').c_str()));
    EXPECT_EQ(std::string(510, 'x'), expand(std::string(510, 'x').c_str()));
    // A macro that ends at character 511 is replaced; one that the cut goes through is not.
    EXPECT_EQ(std::string(506, 'x') + "E:", expand((std::string(506, 'x') + "<SRC>yyy").c_str()));
    EXPECT_EQ(std::string(508, 'x') + "<SR", expand((std::string(508, 'x') + "<SRC>").c_str()));
}

TEST_F(ExpandPath, ResultThatWouldNotFitIsRefusedNotCut) {
    std::string install(500, 'd');
    set("E:", install.c_str());
    EXPECT_EQ(install + "\\data\\Anims", expand("<DST>\\data\\Anims"));  // 511 characters: fits
    EXPECT_EQ("(refused)", expand("<DST>\\data\\Anims2"));
    EXPECT_EQ(install + "\\aaaaaaaaE:", expand("<DST>\\aaaaaaaa<SRC>"));
    EXPECT_EQ("(refused)", expand("<DST>\\aaaaaaaaa<SRC>"));  // by the second macro
    EXPECT_EQ("(refused)", expand((std::string(20, 'p') + "<DST>").c_str()));

    std::string huge(700, 'h');
    set("E:", huge.c_str());
    EXPECT_EQ("(refused)", expand("<DST>"));
    EXPECT_EQ("E:", expand("<SRC>"));
}

TEST_F(ExpandPath, MacroWithoutValueIsRefused) {
    set(nullptr, "");
    EXPECT_EQ("(refused)", expand("<SRC>\\data"));
    EXPECT_EQ("(refused)", expand("<DST>"));
    EXPECT_EQ("(refused)", expand("<CSIDL_PERSONAL>\\Saves"));  // no run has resolved the folders
    EXPECT_EQ("<src>\\data", expand("<src>\\data"));
    EXPECT_EQ("C:\\WINDOWS\\system32", expand("<WINSYSTEM>"));
}

}  // namespace

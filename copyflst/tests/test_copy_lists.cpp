// The product's copy lists: their records against the data list, and the compact list installed
// from a small disc layout and removed again with the remove list.
#include <string>
#include <vector>

#include "CopyLists.h"
#include "Fixed.h"
#include "engine_fixture.h"

namespace {

const char* const data_list[] = {"Anims", "ANM", "Bink", "Dialogue", "fonts", "INK", "Interface", "LCM", "LMM",
                                 "MCZ",   "Rand", "Sound", "str", "WMC", "WMD", "WSD", "WSM"};

// A record as text, so that a whole list compares in one line per record.
std::string shown(const COPY_LIST_ENTRY& entry) {
    return std::to_string(entry.op) + " | " + (entry.a != nullptr ? entry.a : "-") + " | " +
           (entry.b != nullptr ? entry.b : "-");
}

std::vector<std::string> shown_list(const COPY_LIST_ENTRY* list) {
    std::vector<std::string> records;
    std::int32_t count = COPYFLST_count_entries(list);
    for (std::int32_t i = 0; i <= count; ++i) records.push_back(shown(list[i]));
    return records;
}

TEST(CopyLists, RecordsFollowTheDataList) {
    static_assert(sizeof(COPY_LIST_ENTRY) == sizeof(std::uint16_t) + 2 * sizeof(const char*), "records are packed");
    std::vector<std::string> expected = {"0 | - | <DST>", "0 | - | <DST>\\data"};
    for (const char* name : data_list) expected.push_back(std::string("0 | - | <DST>\\data\\") + name);
    for (const char* name : data_list)
        expected.push_back(std::string("2 | <SRC>\\data\\") + name + " | <DST>\\data\\" + name);
    expected.insert(expected.end(), {"1 | <SRC> | <DST>", "1 | <SRC>\\data | <DST>\\data", "3 | <STARTMENU> | -",
                                     std::string("4 | <STARTMENU>\\Quillmoor Demo.lnk | <DST>\\") + INSTALL_GAME_PROGRAM,
                                     "4 | <STARTMENU>\\Quillmoor Website.lnk | http://www.quillmoor.com/",
                                     "12 | - | -"});
    EXPECT_EQ(41, COPYFLST_count_entries(INSTALL_COMPACT_LIST));
    EXPECT_EQ(expected, shown_list(INSTALL_COMPACT_LIST));

    EXPECT_EQ((std::vector<std::string>{"12 | - | -"}), shown_list(INSTALL_TYPICAL_LIST));
    EXPECT_EQ((std::vector<std::string>{"12 | - | -"}), shown_list(INSTALL_MAXIMUM_LIST));
    EXPECT_EQ((std::vector<std::string>{"7 | - | <DST>", "7 | - | <STARTMENU>", "12 | - | -"}),
              shown_list(INSTALL_REMOVE_LIST));
}

class CompactList : public EngineTest {};

TEST_F(CompactList, InstallsFromADiscLayoutAndIsRemovedAgain) {
    make_tree(src, {"\\quillmain.exe", "\\readme.txt", "\\data\\", "\\data\\global.dat"});
    for (const char* name : data_list) make_tree(src + "\\data\\" + name, {"\\", "\\file.dat"});
    make_tree(src, {"\\data\\Sound\\music\\", "\\data\\Sound\\music\\theme.wav"});

    EXPECT_EQ(TRUE, run_list(INSTALL_COMPACT_LIST, 1));
    EXPECT_EQ(22, steps()) << "records 20 to 41 step the bar, the first nineteen do not";
    for (const char* file : {"\\quillmain.exe", "\\readme.txt", "\\data\\global.dat", "\\data\\Sound\\music\\theme.wav"})
        EXPECT_TRUE(file_has_content(dst + file, file));
    for (const char* name : data_list) EXPECT_TRUE(file_has_content(dst + "\\data\\" + name + "\\file.dat", "\\file.dat"));
    EXPECT_TRUE(file_exists(menu + "\\Quillmoor Demo.lnk"));
    EXPECT_TRUE(file_exists(menu + "\\Quillmoor Website.lnk"));
    EXPECT_EQ(dst, texts.front());

    boxes.queue({IDYES, IDYES});
    EXPECT_EQ(TRUE, COPYFLST_process_list(INSTALL_REMOVE_LIST, nullptr, dst.c_str(), menu.c_str(), 0));
    EXPECT_EQ(2u, boxes.take().size());
    EXPECT_FALSE(directory_exists(dst));
    EXPECT_FALSE(directory_exists(menu));
    EXPECT_EQ(24, steps());
}

}  // namespace

// The parts of the install and remove sequences that stand apart from a copy-list run: the
// disk-space decision and check, the Programs folder and the shortcut renames, and reading the
// recorded install directory back.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "INSTALL.h"
#include "Sequences.h"
#include "Strings.h"
#include "box_answerer.h"
#include "sequence_fixture.h"

namespace {

TEST(DiskSpace, DiskFirstThenDiskAndPageFileTogether) {
    const struct {
        const char* name;
        std::int64_t disk, page_file;
        std::int32_t required;
        disk_space_verdict verdict;
    } cases[] = {
        {"a megabyte short of disk, whatever the page file", 39, 100000, 40, DISK_SPACE_DISK_SHORT},
        {"enough disk, a megabyte short of reserve", 40, 79, 40, DISK_SPACE_MEMORY_SHORT},
        {"disk and page file just enough", 40, 80, 40, DISK_SPACE_ENOUGH},
        {"disk counts towards the reserve", 120, 0, 40, DISK_SPACE_ENOUGH},
        {"disk alone a megabyte short of the reserve", 119, 0, 40, DISK_SPACE_MEMORY_SHORT},
        {"the largest request does not overflow", INT_MAX, 79, INT_MAX, DISK_SPACE_MEMORY_SHORT},
    };
    for (const auto& c : cases) EXPECT_EQ(c.verdict, judge_disk_space(c.disk, c.page_file, c.required)) << c.name;
}

class Sequences : public SEQUENCE_FIXTURE {};

// The check looks at the install drive from its root and puts the current directory back.
TEST_F(Sequences, DiskSpaceCheckRestoresTheCurrentDirectoryOnBothOutcomes) {
    const std::string here = make_dir("elsewhere");
    ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));
    STRINGS_copy(local_install_details.install_dir, make_dir("target").c_str());
    BOX_ANSWERER answerer({IDOK});
    EXPECT_TRUE(check_disk_space(0));
    EXPECT_EQ(here, current_directory());
    EXPECT_FALSE(check_disk_space(INT_MAX));
    EXPECT_EQ(here, current_directory());

    const std::vector<SEEN_BOX>& boxes = answerer.finish();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(TEXT_INFO, boxes[0].caption);
    EXPECT_EQ(TEXT_NOTENOUGHSPACE, boxes[0].text);
    EXPECT_EQ(window(), boxes[0].owner);
}

// A value of 511 characters fills the field exactly; one that does not fit, or none, leaves the
// field as it was.
TEST_F(Sequences, ProgramsFolderIsReadWhenItFits) {
    const std::string longest = "C:\\" + std::string(508, 'p');
    const struct {
        const char* name;
        std::optional<std::string> value;
        BOOL8 read;
        std::string field;
    } cases[] = {
        {"recorded", "C:\\Test Start Menu\\Programs", TRUE, "C:\\Test Start Menu\\Programs"},
        {"not recorded", std::nullopt, FALSE, "before"},
        {"longest", longest, TRUE, longest},
        {"a character too long", longest + "q", FALSE, "before"},
    };
    for (const auto& c : cases) {
        STRINGS_copy(local_install_details.start_menu_folder, "before");
        ASSERT_TRUE(set_programs_value(c.value)) << c.name;
        EXPECT_EQ(c.read, get_programs_folder()) << c.name;
        EXPECT_EQ(c.field, local_install_details.start_menu_folder) << c.name;
    }
}

// The last text has no row in the string table, so only the extension is left. A name already
// taken is not overwritten, and missing shortcuts are nothing to rename.
TEST_F(Sequences, OldShortcutNamesBecomeTranslatedNames) {
    const std::string folder = make_dir("menu");
    STRINGS_copy(local_install_details.start_menu_folder, folder.c_str());
    const char* const renames[][2] = {{"Goto Ostrakon.url", TEXT_START_MENU_OSTRA_WEB ".url"},
                                      {"Tesvel Software.lnk", TEXT_START_MENU_SW ".lnk"},
                                      {"Veltrane.Url", ".url"}};
    for (const auto& rename : renames) ASSERT_TRUE(write_file(folder + "\\" + rename[0], rename[0]));
    ASSERT_TRUE(write_file(folder + "\\Tesvel 3dfx.lnk", "old"));
    ASSERT_TRUE(write_file(folder + "\\" TEXT_START_MENU_3DFX ".lnk", "taken"));

    rename_start_menu_shortcuts();
    for (const auto& rename : renames) {
        EXPECT_FALSE(file_exists(folder + "\\" + rename[0])) << rename[0];
        EXPECT_EQ(rename[0], read_file(folder + "\\" + rename[1])) << rename[1];
    }
    EXPECT_EQ("old", read_file(folder + "\\Tesvel 3dfx.lnk"));
    EXPECT_EQ("taken", read_file(folder + "\\" TEXT_START_MENU_3DFX ".lnk"));
}

// A value of 511 bytes stored without its terminator still ends in one.
TEST_F(Sequences, RecordedDirectoryBecomesTheInstallDirectory) {
    for (const std::string& recorded : {std::string("D:\\Games\\Quillmoor Demo"), std::string(511, 'd')}) {
        STRINGS_copy(local_install_details.install_dir, "C:\\before");
        ASSERT_TRUE(write_record_value("TargetDir", recorded.data(), static_cast<DWORD>(recorded.size())));
        read_target_dir();
        EXPECT_EQ(recorded, local_install_details.install_dir);
    }
}

}  // namespace

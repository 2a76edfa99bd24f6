// The install and remove sequences apart from what the product's lists do: the disk-space
// decision and check, the Programs folder and the game's Start-menu folder below it, the shortcut
// renames, the recorded install directory, and a removal without a Programs folder.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "INSTALL.h"
#include "Sequences.h"
#include "Strings.h"
#include "box_answerer.h"
#include "resource.h"
#include "sequence_fixture.h"

namespace {

const COPY_LIST_ENTRY make_start_menu_folder[] = {{COPY_OP_CREATE_FOLDER, "<STARTMENU>", nullptr},
                                                  {COPY_OP_END, nullptr, nullptr}};

std::string box_line(const SEEN_BOX& box) { return box.caption + "|" + box.text; }

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
    EXPECT_EQ(TEXT_INFO "|" TEXT_NOTENOUGHSPACE, box_line(boxes[0]));
}

// The game's folder goes below the Programs folder, or below what the field held when there is
// none or it is too long to read. When the two do not fit together the field is emptied, and
// nothing of the Start menu is made.
TEST_F(Sequences, InstallPutsTheGamesFolderBelowTheProgramsFolderWhenItFits) {
    const std::string kept = make_dir("Kept"), recorded = make_dir("Programs");
    const std::string game = std::string("\\") + PRODUCT;
    const std::string longest_with_game = "C:\\" + std::string(INSTALL_PATH_SIZE - 4 - game.size(), 'p');
    const std::string longest = "C:\\" + std::string(INSTALL_PATH_SIZE - 4, 'p');
    const struct {
        const char* name;
        std::optional<std::string> value;
        std::string field;
    } cases[] = {
        {"recorded", recorded, recorded + game},
        {"not recorded", std::nullopt, kept + game},
        {"longest that takes the game's folder", longest_with_game, longest_with_game + game},
        {"a character too long for the game's folder", longest_with_game + "q", ""},
        {"longest that is read", longest, ""},
        {"too long to read", longest + "q", kept + game},
    };
    STRINGS_copy(local_install_details.install_dir, make_dir("Game").c_str());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        STRINGS_copy(local_install_details.start_menu_folder, kept.c_str());
        ASSERT_TRUE(set_programs_value(c.value));
        BOX_ANSWERER answerer({IDOK});
        run_install(make_start_menu_folder);
        EXPECT_EQ(1u, answerer.finish().size());
        EXPECT_EQ(c.field, local_install_details.start_menu_folder);
        EXPECT_EQ(!c.field.empty() && c.field.size() < MAX_PATH, dir_exists(c.field));
        RemoveDirectoryA(c.field.c_str());
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
        EXPECT_EQ(MISSING_FILE, read_file(folder + "\\" + rename[0])) << rename[0];
        EXPECT_EQ(rename[0], read_file(folder + "\\" + rename[1])) << rename[1];
    }
    EXPECT_EQ("old", read_file(folder + "\\Tesvel 3dfx.lnk"));
    EXPECT_EQ("taken", read_file(folder + "\\" TEXT_START_MENU_3DFX ".lnk"));
}

// A value of 511 bytes stored without its terminator still ends in one.
TEST_F(Sequences, RecordedDirectoryBecomesTheInstallDirectory) {
    for (const std::string& recorded : {std::string("D:\\Games\\Quillmoor Demo"), std::string(511, 'd')}) {
        STRINGS_copy(local_install_details.install_dir, "C:\\before");
        ASSERT_TRUE(write_record_value("TargetDir", recorded));
        read_target_dir();
        EXPECT_EQ(recorded, local_install_details.install_dir);
    }
}

// Without a Programs folder the removal says so and goes on in the folder the field held.
TEST_F(Sequences, RemoveWithoutProgramsFolderReportsAndGoesOn) {
    const std::string kept = make_dir("Kept");
    ASSERT_TRUE(write_record_value("TargetDir", make_dir("Game")));
    ASSERT_TRUE(set_programs_value(std::nullopt));
    STRINGS_copy(local_install_details.start_menu_folder, kept.c_str());
    BOX_ANSWERER answerer({IDYES, IDOK, IDOK});
    run_remove(make_start_menu_folder);
    std::vector<std::string> shown;
    for (const SEEN_BOX& box : answerer.finish())
        shown.push_back((box.owner == window ? "" : "unowned ") + box_line(box));
    EXPECT_EQ((std::vector<std::string>{TEXT_QUESTION "|" TEXT_AREYOUSURE, TEXT_ERROR "|" TEXT_UNABLETOOPENKEY,
                                        TEXT_INFO "|" TEXT_REMOVECOMPLETE}),
              shown);
    EXPECT_TRUE(dir_exists(kept + "\\" + PRODUCT));
    EXPECT_FALSE(record_exists());
}

}  // namespace

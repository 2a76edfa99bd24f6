// The parts of the install and remove sequences that stand apart from a copy-list run: the
// disk-space decision and check, directory creation and check, the Programs folder and the
// shortcut renames, and reading the recorded install directory back.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "INSTALL.h"
#include "Sequences.h"
#include "Strings.h"
#include "box_answerer.h"
#include "resource.h"
#include "sequence_fixture.h"

namespace {

constexpr std::uint64_t MB = 1048576;

TEST(DiskSpace, MegabytesAreTruncatedClustersDoNotOverflow) {
    EXPECT_EQ(0, megabytes_of(0));
    EXPECT_EQ(0, megabytes_of(MB - 1));
    EXPECT_EQ(39, megabytes_of(40 * MB - 1));
    EXPECT_EQ(40, megabytes_of(40 * MB));
    // Drives far beyond 4 GB.
    EXPECT_EQ(std::int64_t{1} << 24, megabytes_of(std::uint64_t{1} << 44));

    // The older query's cluster figures multiply beyond 32 bits.
    EXPECT_EQ(std::uint64_t{0xFFFFFFFFu} * 64u * 4096u, free_bytes_of_clusters(0xFFFFFFFFu, 64, 4096));
    EXPECT_EQ(40 * MB, free_bytes_of_clusters(20480, 4, 512));
    EXPECT_EQ(0u, free_bytes_of_clusters(0, 8, 512));
}

TEST(DiskSpace, DiskFirstThenDiskAndPageFileTogether) {
    // 39 MB free is short for the compact type, however large the page file.
    EXPECT_EQ(DISK_SPACE_DISK_SHORT, judge_disk_space(39, 100000, 40));
    EXPECT_EQ(DISK_SPACE_DISK_SHORT, judge_disk_space(megabytes_of(40 * MB - 1), 100000, 40));
    // 40 MB free needs 80 MB of page file beside it.
    EXPECT_EQ(DISK_SPACE_MEMORY_SHORT, judge_disk_space(40, 79, 40));
    EXPECT_EQ(DISK_SPACE_ENOUGH, judge_disk_space(40, 80, 40));
    // Disk space counts towards the reserve too.
    EXPECT_EQ(DISK_SPACE_ENOUGH, judge_disk_space(120, 0, 40));
    EXPECT_EQ(DISK_SPACE_MEMORY_SHORT, judge_disk_space(119, 0, 40));
    // The typical type's 80 MB.
    EXPECT_EQ(DISK_SPACE_DISK_SHORT, judge_disk_space(79, 1000, 80));
    EXPECT_EQ(DISK_SPACE_MEMORY_SHORT, judge_disk_space(80, 79, 80));
    // The largest request does not overflow the reserve.
    EXPECT_EQ(DISK_SPACE_MEMORY_SHORT, judge_disk_space(INT_MAX, 79, INT_MAX));
}

class DiskSpaceCheck : public SEQUENCE_FIXTURE {};

// The check looks at the install drive from its root and puts the current directory back.
TEST_F(DiskSpaceCheck, RestoresTheCurrentDirectoryOnBothOutcomes) {
    const std::string here = make_dir("elsewhere");
    ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));
    set_install_dir(make_dir("target"));

    BOX_ANSWERER quiet;
    EXPECT_TRUE(check_disk_space(0));
    EXPECT_TRUE(quiet.finish().empty());
    EXPECT_EQ(here, current_directory());

    BOX_ANSWERER answerer({IDOK});
    EXPECT_FALSE(check_disk_space(INT_MAX));
    const std::vector<SEEN_BOX>& boxes = answerer.finish();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Information", boxes[0].caption);
    EXPECT_EQ(
        "You do not have enough disk space to perform Install, please select another destination or Exit and free "
        "up some space.",
        boxes[0].text);
    EXPECT_EQ(window(), boxes[0].owner);
    EXPECT_EQ(here, current_directory());
}

class InstallPath : public SEQUENCE_FIXTURE {};

// The parents are made along the text as typed, ".." included; the last component is not.
TEST_F(InstallPath, CreatesEveryParentButTheLast) {
    const std::string root = scratch();
    set_install_dir(root + "\\Games\\..\\Demo\\Game");
    create_install_path();
    EXPECT_TRUE(dir_exists(root + "\\Games"));
    EXPECT_TRUE(dir_exists(root + "\\Demo"));
    EXPECT_FALSE(dir_exists(root + "\\Demo\\Game"));

    // A trailing backslash closes the last component too.
    set_install_dir(root + "\\Trail\\Last\\");
    create_install_path();
    EXPECT_TRUE(dir_exists(root + "\\Trail\\Last"));
}

TEST_F(InstallPath, WithoutDriveLetterNothingIsCreated) {
    const std::string root = scratch();
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
    set_install_dir("Relative\\Below\\Game");
    create_install_path();
    EXPECT_FALSE(dir_exists(root + "\\Relative"));
}

TEST_F(InstallPath, ValidShowsTheTypeScreenInvalidWarnsAndStays) {
    INSTALL_show_directory_screen();
    set_install_dir("D:\\x");
    BOX_ANSWERER quiet;
    check_install_directory();
    EXPECT_TRUE(quiet.finish().empty());
    EXPECT_TRUE(shown(IDC_SLOT2));
    EXPECT_FALSE(shown(IDC_INSTALL_DIR));

    INSTALL_show_directory_screen();
    set_install_dir("D:\\a\\..\\b");
    BOX_ANSWERER answerer({IDOK});
    check_install_directory();
    const std::vector<SEEN_BOX>& boxes = answerer.finish();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Warning!", boxes[0].caption);
    EXPECT_EQ("Sorry this is not a Valid directory, please select another.", boxes[0].text);
    EXPECT_EQ(window(), boxes[0].owner);
    EXPECT_TRUE(shown(IDC_INSTALL_DIR));
    EXPECT_FALSE(shown(IDC_SLOT2));
}

class ProgramsFolder : public SEQUENCE_FIXTURE {};

TEST_F(ProgramsFolder, ReadWhenRecordedKeptWhenNot) {
    STRINGS_copy(local_install_details.start_menu_folder, "before");
    ASSERT_TRUE(set_programs_value("C:\\Test Start Menu\\Programs"));
    EXPECT_TRUE(get_programs_folder());
    EXPECT_STREQ("C:\\Test Start Menu\\Programs", local_install_details.start_menu_folder);

    STRINGS_copy(local_install_details.start_menu_folder, "before");
    ASSERT_TRUE(delete_programs_value());
    EXPECT_FALSE(get_programs_folder());
    EXPECT_STREQ("before", local_install_details.start_menu_folder);
}

// A value of 511 characters fills the buffer exactly; one more does not fit and must not leave
// a part of itself behind.
TEST_F(ProgramsFolder, LongestValueFitsALongerOneLeavesTheFieldAlone) {
    const std::string longest = "C:\\" + std::string(508, 'p');
    ASSERT_TRUE(set_programs_value(longest));
    EXPECT_TRUE(get_programs_folder());
    EXPECT_EQ(longest, local_install_details.start_menu_folder);

    STRINGS_copy(local_install_details.start_menu_folder, "before");
    ASSERT_TRUE(set_programs_value(longest + "q"));
    EXPECT_FALSE(get_programs_folder());
    EXPECT_STREQ("before", local_install_details.start_menu_folder);
}

class ShortcutRenames : public SEQUENCE_FIXTURE {};

TEST_F(ShortcutRenames, OldNamesBecomeTranslatedNames) {
    const std::string folder = make_dir("menu");
    STRINGS_copy(local_install_details.start_menu_folder, folder.c_str());
    const char* const old_names[] = {"Goto Ostrakon.url", "Tesvel Software.lnk", "Tesvel 3dfx.lnk", "Veltrane.Url"};
    // The last text has no row in the string table, so only the extension is left.
    const char* const new_names[] = {"BLANK.url", "Quillmoor Software.lnk", "Quillmoor 3DFX.lnk", ".url"};
    for (const char* name : old_names) ASSERT_TRUE(write_file(folder + "\\" + name, name));

    rename_start_menu_shortcuts();
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(file_exists(folder + "\\" + old_names[i])) << old_names[i];
        EXPECT_EQ(old_names[i], read_file(folder + "\\" + new_names[i])) << new_names[i];
    }
}

// Missing shortcuts are nothing to rename, and a name already taken is not overwritten.
TEST_F(ShortcutRenames, MissingOrTakenNamesAreLeftAlone) {
    const std::string folder = make_dir("menu");
    STRINGS_copy(local_install_details.start_menu_folder, folder.c_str());
    ASSERT_TRUE(write_file(folder + "\\Tesvel 3dfx.lnk", "old"));
    ASSERT_TRUE(write_file(folder + "\\Quillmoor 3DFX.lnk", "taken"));

    rename_start_menu_shortcuts();
    EXPECT_EQ("old", read_file(folder + "\\Tesvel 3dfx.lnk"));
    EXPECT_EQ("taken", read_file(folder + "\\Quillmoor 3DFX.lnk"));
    EXPECT_FALSE(file_exists(folder + "\\BLANK.url"));
    EXPECT_FALSE(file_exists(folder + "\\Quillmoor Software.lnk"));
}

class TargetDir : public SEQUENCE_FIXTURE {};

TEST_F(TargetDir, RecordedDirectoryBecomesTheInstallDirectory) {
    ASSERT_TRUE(write_record_value("TargetDir", "D:\\Games\\Quillmoor Demo"));
    set_install_dir("C:\\before");
    read_target_dir();
    EXPECT_STREQ("D:\\Games\\Quillmoor Demo", local_install_details.install_dir);

    // A value of all the 512 bytes offered, without a terminator, still ends in one.
    const std::string full(512, 'd');
    ASSERT_TRUE(write_record_bytes("TargetDir", full.data(), 512));
    read_target_dir();
    EXPECT_EQ(std::string(511, 'd'), local_install_details.install_dir);
}

}  // namespace

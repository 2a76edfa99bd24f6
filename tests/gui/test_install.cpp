// Installing from the disc and removing again, as the user does it: the compact install of the
// install-type screen with the files, shortcuts, record and progress bar it leaves, a refused and
// a failed install, and the removal with its questions.
#include <filesystem>

#include "gui_checks.h"

namespace gui {
namespace {

class InstallTest : public SetupTest {
protected:
    // The completion message of an install type, owned by the main window, and the installed
    // menu after it.
    void complete_install() {
        EXPECT_EQ(setup.window(), EXPECT_BOX(setup, TEXT_INFO, TEXT_SUCCESS, IDOK).owner);
        EXPECT_SCREEN(setup, INSTALLED_MENU);
    }

    const std::string target = scratch("Install Root\\" TEXT_DEFAULT_DIR);
};

// The compact install copies the whole disc byte for byte, makes the shortcuts and records the
// installation; the bar has 41 records, the first 19 of which do not step it: 22 steps of 10
// fill it. No to the first question of the removal changes nothing. Then each directory goes only
// when its question is answered Yes (a close of the window is no answer), under the removal's
// status text; the record goes either way and installing is offered again. The bar steps once
// after each of the two questions. The second install runs without the shell's record of the
// Programs folder, and asks the shell for it.
TEST_F(InstallTest, CompactInstallIsRecordedAndRemovedAsAnswered) {
    const char* const shell_folders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::optional<std::string> programs = read_string_value(HKEY_CURRENT_USER, shell_folders, "Programs");
    ASSERT_TRUE(programs.has_value());
    for (const bool delete_target : {true, false}) {
        SCOPED_TRACE(delete_target ? "delete the install directory only" : "delete the Start menu folder only");
        reset();
        ASSERT_NO_FATAL_FAILURE(reach(Where::TYPE, target));
        if (!delete_target) RegDeleteKeyValueA(HKEY_CURRENT_USER, shell_folders, "Programs");
        ASSERT_TRUE(setup.click(IDC_SLOT2));
        complete_install();
        ASSERT_TRUE(write_string_value(HKEY_CURRENT_USER, shell_folders, "Programs", *programs));
        for (const auto& entry : std::filesystem::recursive_directory_iterator(disc_dir())) {
            const std::string copy = join(target, std::filesystem::relative(entry.path(), disc_dir()).string());
            EXPECT_TRUE(entry.is_directory() || files_equal(entry.path().string(), copy)) << copy;
        }
        EXPECT_TRUE(file_exists(join(menu_folder(), "Quillmoor Demo.lnk")));
        EXPECT_TRUE(file_exists(join(menu_folder(), "Quillmoor Website.lnk")));
        EXPECT_EQ(TEXT_APPLICATION_NAME, read_record_string("DisplayName"));
        EXPECT_EQ(uninstaller() + " remove", read_record_string("UninstallString"));
        EXPECT_EQ(target, read_record_string("TargetDir"));
        EXPECT_EQ(220, setup.progress_bound());
        EXPECT_EQ(220, setup.progress());

        ASSERT_TRUE(setup.click(IDC_SLOT2));
        EXPECT_BOX(setup, TEXT_QUESTION, TEXT_AREYOUSURE, IDNO);
        EXPECT_STAYS(setup, INSTALLED_MENU);
        ASSERT_TRUE(setup.click(IDC_SLOT2));
        EXPECT_BOX(setup, TEXT_QUESTION, TEXT_AREYOUSURE, IDYES);
        // The question's box has no owner, so the window's close stays usable: a close is no
        // answer, and the question comes again.
        const std::optional<Box> asked = setup.wait_box();
        ASSERT_TRUE(asked.has_value());
        ASSERT_TRUE(PostMessageA(setup.window(), WM_CLOSE, 0, 0));
        ASSERT_TRUE(wait_until([&] { return !IsWindow(asked->window); }));
        const Box first = EXPECT_BOX(setup, TEXT_QUESTION, delete_question(target), delete_target ? IDYES : IDNO);
        EXPECT_EQ(0, first.progress);
        EXPECT_EQ(TEXT_REMOVING, first.status);
        EXPECT_EQ(20, setup.progress_bound());
        EXPECT_EQ(10, EXPECT_BOX(setup, TEXT_QUESTION, delete_question(menu_folder()), delete_target ? IDNO : IDYES)
                          .progress);
        EXPECT_EQ(20, EXPECT_BOX(setup, TEXT_INFO, TEXT_REMOVECOMPLETE, IDOK).progress);
        EXPECT_SCREEN(setup, NOT_INSTALLED_MENU);
        EXPECT_NE(delete_target, dir_exists(target));
        EXPECT_EQ(delete_target, dir_exists(menu_folder()));
        EXPECT_FALSE(record_exists());
        EXPECT_TRUE(file_exists(uninstaller()));
    }
}

// A file the copy cannot write stops the run: what was copied stays, nothing is recorded, and
// installing is offered again.
TEST_F(InstallTest, FailedCopyLeavesNoRecord) {
    ASSERT_TRUE(make_dirs(join(target, "readme.txt")));
    EXPECT_EQ(std::vector<std::string>{TEXT_UNABLETOOPEN " " + join(target, "readme.txt")}, failed_install(target));
    EXPECT_TRUE(dir_exists(join(target, "data\\Anims")));
    EXPECT_FALSE(dir_exists(menu_folder()));
}

// A drive with less free space than the compact type needs. The test command mounts one as Q:
// when it runs as root (small_drive.sh); elsewhere the test is skipped.
TEST_F(InstallTest, NotEnoughDiskSpaceKeepsTheTypeScreen) {
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExA("Q:\\", &available, &total, nullptr) || total.QuadPart >= 40ull * 1048576)
        GTEST_SKIP() << "no drive Q: smaller than 40 MB in this prefix";
    const std::string small_target = "Q:\\" TEXT_DEFAULT_DIR;
    ASSERT_NO_FATAL_FAILURE(reach(Where::TYPE, small_target));
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_BOX(setup, TEXT_INFO, TEXT_NOTENOUGHSPACE, IDOK);
    EXPECT_STAYS(setup, TYPE_SCREEN);
    EXPECT_FALSE(dir_exists(small_target));
    EXPECT_FALSE(record_exists());

    // Back to the directory screen, and on with a directory that has room.
    ASSERT_TRUE(setup.click(IDC_SLOT4));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
    ASSERT_TRUE(submit(target));
    EXPECT_SCREEN(setup, TYPE_SCREEN);
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    complete_install();
}

}  // namespace
}  // namespace gui

// Start-up as the user meets it: which first screen the uninstall record and the command line
// give, and the copies every start leaves in the Windows directory.
#include "gui_checks.h"

namespace gui {
namespace {

class StartTest : public SetupTest {};

TEST_F(StartTest, WithoutRecordShowsNotInstalledMenu) {
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, not_installed_menu());
}

TEST_F(StartTest, StringTargetDirShowsInstalledMenu) {
    ASSERT_TRUE(write_record_string("TargetDir", scratch()));
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, installed_menu());
}

TEST_F(StartTest, NumberTargetDirShowsInstalledMenu) {
    const DWORD value = 7;
    ASSERT_TRUE(write_record_value("TargetDir", REG_DWORD, &value, sizeof value));
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, installed_menu());
}

// Only the value's presence with a readable type counts: a key without TargetDir, or one whose
// TargetDir is of another type, is no installation.
TEST_F(StartTest, RecordWithoutUsableTargetDirShowsNotInstalledMenu) {
    ASSERT_TRUE(write_record_string("DisplayName", PRODUCT_NAME));
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, not_installed_menu());
    setup.terminate();

    const unsigned char bytes[] = {'C', ':', '\\', 0};
    ASSERT_TRUE(write_record_value("TargetDir", REG_BINARY, bytes, sizeof bytes));
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, not_installed_menu());
}

TEST_F(StartTest, WordRemoveStartsRemoveMode) {
    ASSERT_TRUE(launch("remove"));
    EXPECT_SCREEN(setup, remove_screen());
}

// Remove mode does not depend on the record.
TEST_F(StartTest, WordRemoveWithRecordStartsRemoveMode) {
    ASSERT_TRUE(write_record_string("TargetDir", scratch()));
    ASSERT_TRUE(launch("remove"));
    EXPECT_SCREEN(setup, remove_screen());
}

TEST_F(StartTest, AnythingButExactlyRemoveStartsInstallMode) {
    const char* const lines[] = {"remove ", "Remove", "REMOVE", "remove now", "xremove", ""};
    for (const char* line : lines) {
        SCOPED_TRACE(std::string("command line \"") + line + "\"");
        ASSERT_TRUE(launch(line));
        EXPECT_SCREEN(setup, not_installed_menu());
        setup.terminate();
    }
}

TEST_F(StartTest, StartCopiesItselfAndTheDirectXLibraryIntoWindows) {
    const std::string windows = windows_dir();
    const std::string uninstaller = join(windows, std::string(PRODUCT_NAME) + " remove.exe");
    ASSERT_FALSE(file_exists(uninstaller));
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, not_installed_menu());
    EXPECT_TRUE(files_equal(uninstaller, join(disc_dir(), "setup.exe")));
    EXPECT_TRUE(files_equal(join(windows, "dsetup.dll"), join(disc_dir(), "dsetup.dll")));
    EXPECT_TRUE(files_equal(join(windows, "dsetup32.dll"), join(disc_dir(), "dsetup.dll")));
}

TEST_F(StartTest, RemoveModeCopiesToo) {
    const std::string uninstaller = join(windows_dir(), std::string(PRODUCT_NAME) + " remove.exe");
    ASSERT_TRUE(launch("remove"));
    EXPECT_SCREEN(setup, remove_screen());
    EXPECT_TRUE(files_equal(uninstaller, join(disc_dir(), "setup.exe")));
}

// Every start overwrites stale copies, and the uninstaller copy started from its own file (as the
// registered uninstall command does) tries to copy itself onto itself without complaint.
TEST_F(StartTest, CopiesReplaceOldFilesAndTheUninstallerCopyStartsQuietly) {
    const std::string windows = windows_dir();
    const std::string uninstaller = join(windows, std::string(PRODUCT_NAME) + " remove.exe");
    ASSERT_TRUE(write_file(uninstaller, "old"));
    ASSERT_TRUE(write_file(join(windows, "dsetup32.dll"), "old"));
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, not_installed_menu());
    EXPECT_TRUE(files_equal(uninstaller, join(disc_dir(), "setup.exe")));
    EXPECT_TRUE(files_equal(join(windows, "dsetup32.dll"), join(disc_dir(), "dsetup.dll")));
    setup.terminate();

    ASSERT_TRUE(setup.start(uninstaller, "remove", windows));
    ASSERT_TRUE(setup.wait_window());
    EXPECT_SCREEN(setup, remove_screen());
    EXPECT_EQ(nullptr, setup.find_box());
    EXPECT_TRUE(files_equal(uninstaller, join(disc_dir(), "setup.exe")));
}

// Started from a copy marked read-only, the program clears the mark on its own file first, so
// the uninstaller copy it makes does not inherit it.
TEST_F(StartTest, StartClearsReadOnlyMarkOfItsOwnFile) {
    const std::string disc = scratch("disc");
    ASSERT_TRUE(make_dirs(disc));
    const std::string program = join(disc, "setup.exe");
    ASSERT_TRUE(copy_file(join(disc_dir(), "setup.exe"), program));
    ASSERT_TRUE(SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(launch("", disc));
    EXPECT_SCREEN(setup, not_installed_menu());
    EXPECT_FALSE(GetFileAttributesA(program.c_str()) & FILE_ATTRIBUTE_READONLY);
    const std::string uninstaller = join(windows_dir(), std::string(PRODUCT_NAME) + " remove.exe");
    EXPECT_TRUE(files_equal(uninstaller, program));
    EXPECT_FALSE(GetFileAttributesA(uninstaller.c_str()) & FILE_ATTRIBUTE_READONLY);
}

// A disc without the DirectX library: the copies fail silently and the program runs on.
TEST_F(StartTest, MissingDirectXLibraryIsNotReported) {
    const std::string disc = scratch("disc");
    ASSERT_TRUE(make_dirs(disc));
    ASSERT_TRUE(copy_file(join(disc_dir(), "setup.exe"), join(disc, "setup.exe")));
    ASSERT_TRUE(launch("", disc));
    EXPECT_STAYS(setup, not_installed_menu());
    EXPECT_FALSE(file_exists(join(windows_dir(), "dsetup.dll")));
    EXPECT_FALSE(file_exists(join(windows_dir(), "dsetup32.dll")));
}

}  // namespace
}  // namespace gui

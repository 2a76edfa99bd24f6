// The two install-wizard screens: the install directory with its default and its validation, and
// the install-type screen with its way back.
#include "gui_checks.h"
#include "resource.h"

namespace gui {
namespace {

constexpr const char* NOT_VALID = "Sorry this is not a Valid directory, please select another.";

class WizardTest : public SetupTest {
protected:
    // Starts on the not-installed menu and goes on to the install-directory screen.
    bool open_directory_screen() {
        if (!launch("")) return false;
        EXPECT_SCREEN(setup, not_installed_menu());
        return setup.click(IDC_SLOT2);
    }

    // Types a directory and presses Ok.
    bool submit(const std::string& directory) {
        return setup.type_text(IDC_INSTALL_DIR, directory) && setup.click(IDC_DIR_OK);
    }

    // Expects the warning of a refused directory, owned by the main window, and dismisses it.
    void expect_refused(const char* file, int line, const std::string& typed) {
        SCOPED_TRACE(testing::Message() << "directory \"" << typed << "\"");
        HWND box = expect_box(file, line, setup, "Warning!", NOT_VALID);
        if (box == nullptr) return;
        EXPECT_EQ(setup.window(), read_box(box).owner);
        EXPECT_TRUE(press_box_button(box, IDOK));
        EXPECT_TRUE(wait_until([&] { return setup.find_box() == nullptr; }));
        expect_stays(file, line, setup, directory_screen(typed));
    }
};

#define EXPECT_REFUSED(typed) expect_refused(__FILE__, __LINE__, typed)

TEST_F(WizardTest, DirectoryScreenOffersProgramFilesDefault) {
    ASSERT_TRUE(open_directory_screen());
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
}

// Without the shell-folder library the program tries its redistributable, which is not on the
// disc, and falls back to drive C.
TEST_F(WizardTest, DirectoryScreenWithoutShellFolderLibraryDefaultsToDriveC) {
    ASSERT_TRUE(hide_library_from("setup.exe", "shfolder"));
    ASSERT_TRUE(open_directory_screen());
    EXPECT_SCREEN(setup, directory_screen("c:\\Quillmoor Demo"));
    EXPECT_EQ(nullptr, setup.find_box());
}

TEST_F(WizardTest, CancelReturnsToMenuAndNextVisitShowsDefaultAgain) {
    ASSERT_TRUE(open_directory_screen());
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
    ASSERT_TRUE(setup.type_text(IDC_INSTALL_DIR, "C:\\Elsewhere"));
    ASSERT_TRUE(setup.click(IDC_DIR_CANCEL));
    EXPECT_SCREEN(setup, not_installed_menu());
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
}

// Ok creates the directories above the install directory, not the directory itself: the
// install's own first step makes that one.
TEST_F(WizardTest, ValidDirectoryCreatesParentsAndShowsTypeScreen) {
    const std::string target = scratch("Games\\Quill\\Demo");
    ASSERT_TRUE(open_directory_screen());
    ASSERT_TRUE(submit(target));
    EXPECT_SCREEN(setup, type_screen());
    EXPECT_TRUE(dir_exists(scratch("Games")));
    EXPECT_TRUE(dir_exists(scratch("Games\\Quill")));
    EXPECT_FALSE(dir_exists(target));
}

TEST_F(WizardTest, TypeScreenCancelShowsDefaultDirectoryNotTheTypedOne) {
    ASSERT_TRUE(open_directory_screen());
    ASSERT_TRUE(submit(scratch("Typed")));
    EXPECT_SCREEN(setup, type_screen());
    ASSERT_TRUE(setup.click(IDC_SLOT4));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
}

TEST_F(WizardTest, RefusedDirectoriesWarnAndKeepTheScreen) {
    ASSERT_TRUE(open_directory_screen());
    const char* const refused[] = {"C:\\", "C:", "\\\\server\\share", "Games\\Demo", ""};
    for (const char* typed : refused) {
        ASSERT_TRUE(submit(typed));
        EXPECT_REFUSED(typed);
    }
}

// The parents are made before the check refuses the "..": the scan creates each prefix.
TEST_F(WizardTest, DotDotIsRefusedAfterItsParentsWereCreated) {
    const std::string typed = scratch("a\\..\\b\\c");
    ASSERT_TRUE(open_directory_screen());
    ASSERT_TRUE(submit(typed));
    EXPECT_REFUSED(typed);
    EXPECT_TRUE(dir_exists(scratch("a")));
    EXPECT_TRUE(dir_exists(scratch("b")));
    EXPECT_FALSE(dir_exists(scratch("b\\c")));
}

// Four characters with a drive are enough, and a drive-relative path passes the check.
TEST_F(WizardTest, ShortestValidDirectoriesAreAccepted) {
    ASSERT_TRUE(open_directory_screen());
    const char* const accepted[] = {"C:\\x", "D:Games"};
    for (const char* typed : accepted) {
        SCOPED_TRACE(testing::Message() << "directory \"" << typed << "\"");
        ASSERT_TRUE(submit(typed));
        EXPECT_SCREEN(setup, type_screen());
        ASSERT_TRUE(setup.click(IDC_SLOT4));
        EXPECT_SCREEN(setup, directory_screen(default_directory()));
    }
}

}  // namespace
}  // namespace gui

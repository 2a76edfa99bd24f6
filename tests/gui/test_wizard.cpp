// The two install-wizard screens: the install directory with its default and its validation, and
// the install-type screen with its way back.
#include "gui_checks.h"

namespace gui {
namespace {

using WizardTest = SetupTest;

// Every visit starts from the default, whatever was typed or accepted before. Ok creates the
// directories above the install directory, not the directory itself: the install makes that one.
TEST_F(WizardTest, DirectoryScreenOffersTheDefaultAndMakesTheParentsOfTheChoice) {
    const std::string target = scratch("Games\\Quill\\Demo");
    reach(Where::DIRECTORY);
    ASSERT_TRUE(setup.type_directory("C:\\Elsewhere"));
    ASSERT_TRUE(setup.click(IDC_DIR_CANCEL));
    EXPECT_SCREEN(setup, NOT_INSTALLED_MENU);
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));

    ASSERT_TRUE(submit(target));
    EXPECT_SCREEN(setup, TYPE_SCREEN);
    EXPECT_TRUE(dir_exists(scratch("Games\\Quill")));
    EXPECT_FALSE(dir_exists(target));
    ASSERT_TRUE(setup.click(IDC_SLOT4));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
}

// The default lies in the Program Files folder the machine uses now, also when it was moved. Without
// the shell-folder library the program runs its redistributable from the disc, in the disc's
// folder, and waits for it; when the library is still missing it falls back to drive C.
TEST_F(WizardTest, DefaultFollowsTheProgramFilesFolder) {
    const char* const version_key = "Software\\Microsoft\\Windows\\CurrentVersion";
    const std::string moved = scratch("Moved Programs");
    const std::optional<std::string> kept = read_string_value(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir");
    ASSERT_TRUE(kept.has_value());
    ASSERT_TRUE(write_string_value(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir", moved));
    EXPECT_TRUE(launch() && setup.click(IDC_SLOT2));
    EXPECT_STAYS(setup, directory_screen(join(moved, TEXT_DEFAULT_DIR)));
    ASSERT_TRUE(write_string_value(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir", *kept));

    reset();
    const std::string disc = bare_disc();
    ASSERT_TRUE(CopyFileA(probe_exe().c_str(), join(disc, "ShFolder.exe").c_str(), FALSE));
    ASSERT_TRUE(hide_library_from_setup("shfolder"));
    ASSERT_TRUE(launch("", disc));
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_STAYS(setup, directory_screen("c:\\" TEXT_DEFAULT_DIR));
    EXPECT_NE(std::string::npos, read_file(join(disc, "started.txt")).find("current_directory=" + disc + "\n"));
}

// A refused directory is warned about over the window, which keeps the typed text. Four
// characters with a drive are enough, and a drive-relative path passes. The parents are made
// before the check refuses a "..": the scan creates each prefix.
TEST_F(WizardTest, DirectoriesAreCheckedOnOk) {
    const std::string dot_dot = scratch("a\\..\\b\\c");
    const struct {
        std::string typed;
        bool accepted;
    } cases[] = {{"C:\\", false}, {"C:", false},    {"\\\\server\\share", false}, {"Games\\Demo", false},
                 {"", false},    {dot_dot, false}, {"C:\\x", true},              {"D:Games", true}};
    reach(Where::DIRECTORY);
    for (const auto& c : cases) {
        SCOPED_TRACE("directory \"" + c.typed + "\"");
        ASSERT_TRUE(submit(c.typed));
        if (c.accepted) {
            EXPECT_SCREEN(setup, TYPE_SCREEN);
            ASSERT_TRUE(setup.click(IDC_SLOT4));
            EXPECT_SCREEN(setup, directory_screen(default_directory()));
            continue;
        }
        EXPECT_EQ(setup.window(), EXPECT_BOX(setup, TEXT_WARNING, TEXT_NOTVALIDDIR, IDOK).owner);
        EXPECT_STAYS(setup, directory_screen(c.typed));
    }
    EXPECT_TRUE(dir_exists(scratch("a")));
    EXPECT_TRUE(dir_exists(scratch("b")));
    EXPECT_FALSE(dir_exists(scratch("b\\c")));
}

}  // namespace
}  // namespace gui

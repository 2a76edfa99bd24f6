// Start-up as the user meets it: which first screen the uninstall record and the command line
// give, and the copies every start leaves in the Windows directory.
#include "gui_checks.h"

namespace gui {
namespace {

using StartTest = SetupTest;

// Installed means a TargetDir value (its types are the registry reader's own tests); remove mode
// wants exactly "remove". Every start, in either mode, leaves itself as the uninstaller and the
// DirectX library, over whatever stale copies were there.
TEST_F(StartTest, RecordAndCommandLineChooseTheFirstScreen) {
    static const struct {
        const char* name;
        const char* value;  // the record's one value, if any
        const char* command_line;
        const Screen& screen;
    } cases[] = {
        {"no record", nullptr, "", NOT_INSTALLED_MENU},
        {"TargetDir", "TargetDir", "", INSTALLED_MENU},
        {"record without TargetDir", "DisplayName", "", NOT_INSTALLED_MENU},
        {"remove", nullptr, "remove", REMOVE_SCREEN},
        {"remove with record", "TargetDir", "remove", REMOVE_SCREEN},
        {"trailing blank", nullptr, "remove ", NOT_INSTALLED_MENU},
        {"capital", nullptr, "Remove", NOT_INSTALLED_MENU},
        {"second word", nullptr, "remove now", NOT_INSTALLED_MENU},
        {"longer word", nullptr, "xremove", NOT_INSTALLED_MENU},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        ASSERT_TRUE(write_file(uninstaller(), "old") && write_file(join(windows_dir(), "dsetup32.dll"), "old"));
        ASSERT_TRUE(c.value == nullptr || write_record_string(c.value, scratch()));
        ASSERT_TRUE(launch(c.command_line));
        EXPECT_SCREEN(setup, c.screen);
        EXPECT_TRUE(files_equal(uninstaller(), join(disc_dir(), "setup.exe")));
        EXPECT_TRUE(files_equal(join(windows_dir(), "dsetup.dll"), join(disc_dir(), "dsetup.dll")));
        EXPECT_TRUE(files_equal(join(windows_dir(), "dsetup32.dll"), join(disc_dir(), "dsetup.dll")));
    }
}

// Started from a copy marked read-only, the program clears the mark on its own file first, so
// the uninstaller copy it makes does not inherit it. The disc lacks the DirectX library: those
// copies fail silently and the program runs on.
TEST_F(StartTest, StartFromAReadOnlyProgramWithoutTheDirectXLibrary) {
    const std::string disc = bare_disc(), program = join(disc, "setup.exe");
    ASSERT_TRUE(SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(launch("", disc));
    EXPECT_STAYS(setup, NOT_INSTALLED_MENU);
    EXPECT_FALSE(GetFileAttributesA(program.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files_equal(uninstaller(), program));
    EXPECT_FALSE(GetFileAttributesA(uninstaller().c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(file_exists(join(windows_dir(), "dsetup.dll")));
    EXPECT_FALSE(file_exists(join(windows_dir(), "dsetup32.dll")));
}

}  // namespace
}  // namespace gui

// Checks for the GUI tests that report at the caller's line, and the fixture that gives every
// test a clean machine and the laid-out disc.
#pragma once

#include <gtest/gtest.h>

#include "gui_driver.h"

namespace gui {

// The laid-out sample disc and the game stand-in program, in the form Windows programs see.
inline std::string disc_dir() { return windows_path(QUILL_GUI_DISC_DIR); }
inline std::string probe_exe() { return windows_path(QUILL_GUI_PROBE_EXE); }
// The install-directory screen's default: the Program Files folder and the default name.
std::string default_directory();
// The Start menu folder that the install makes.
std::string menu_folder();
inline std::string uninstaller() { return join(windows_dir(), UNINSTALLER_NAME); }
// The removal's question before it deletes a directory.
inline std::string delete_question(const std::string& directory) { return TEXT_DELDIR " :" + directory; }
// Every visible text-editor window.
std::vector<HWND> editors();

// ---- checks that report the caller's line -------------------------------------------------

Box expect_box(const char* file, int line, const SetupProgram& setup, const std::string& caption,
               const std::string& text, int button);

// Waits for the screen.
#define EXPECT_SCREEN(setup, screen) EXPECT_EQ("", (setup).wait_screen(screen))
// Waits for a box with these texts, presses the button and returns what the box said.
#define EXPECT_BOX(setup, caption, text, button) ::gui::expect_box(__FILE__, __LINE__, setup, caption, text, button)
#define EXPECT_EXITS(setup) EXPECT_TRUE((setup).wait_exit().has_value()) << "the program did not end"
// Once everything sent to the program so far is handled: it runs on, without a box, on the screen.
#define EXPECT_STAYS(setup, screen) EXPECT_EQ("", (setup).stays_on(screen))

// ---- test fixture -------------------------------------------------------------------------

// Every test starts from a machine without the uninstall record, the start-up copies in the
// Windows directory or the Start menu folder, with an empty scratch directory, and leaves it so.
class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        ASSERT_TRUE(file_exists(join(disc_dir(), "setup.exe"))) << "no disc layout at " << disc_dir();
    }
    void TearDown() override;
    // Back to the clean machine, for the next case of a table.
    void reset() {
        TearDown();
        EXPECT_TRUE(make_dirs(scratch()));
    }
    // From the start to one of the program's screens; to the install-type screen with the
    // directory typed in, if one is given.
    enum class Where { NOT_INSTALLED, INSTALLED, DIRECTORY, TYPE, REMOVE };
    void reach(Where where, const std::string& directory = "");
    // A directory of the test's own, emptied before and after each test.
    static std::string scratch(const std::string& name = "");
    // Starts setup.exe (default: the disc's, in the disc) and waits for its window.
    bool launch(const std::string& arguments = "", const std::string& directory = disc_dir());
    // Types a directory and presses Ok.
    bool submit(const std::string& directory) { return setup.type_directory(directory) && setup.click(IDC_DIR_OK); }
    // A disc holding only setup.exe.
    std::string bare_disc();
    // The compact install from a disc into directory that fails: answers every error box, each
    // shown under the install's status text, until the window is back on the not-installed menu and
    // returns the boxes' texts. Nothing is recorded, and Install offers the directory screen again.
    std::vector<std::string> failed_install(const std::string& directory, const std::string& disc = disc_dir());

    SetupProgram setup;
};

}  // namespace gui

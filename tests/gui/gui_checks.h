// Checks for the GUI tests that report at the caller's line, and the fixture that gives every
// test a clean machine and the laid-out disc.
#pragma once

#include <gtest/gtest.h>

#include "gui_driver.h"

namespace gui {

// The laid-out sample disc and the game stand-in program, in the form Windows programs see.
std::string disc_dir();
std::string probe_exe();
// The install-directory screen's default: the Program Files folder and the default name.
std::string default_directory();
// The Start menu folder that the install makes.
std::string menu_folder();
std::string uninstaller();
// A visible text-editor window, or null.
HWND find_editor();

// ---- checks that report the caller's line -------------------------------------------------

Box expect_box(const char* file, int line, const SetupProgram& setup, const std::string& caption,
               const std::string& text, int button);

// Waits for the screen.
#define EXPECT_SCREEN(setup, screen) EXPECT_EQ("", (setup).wait_screen(screen)) << "the window differs from the screen"
// Waits for a box with these texts, presses the button and returns what the box said.
#define EXPECT_BOX(setup, caption, text, button) ::gui::expect_box(__FILE__, __LINE__, setup, caption, text, button)
#define EXPECT_EXITS(setup) EXPECT_TRUE((setup).wait_exit()) << "the program did not end"
// Once everything sent to the program so far is handled: it runs on, without a box, on the screen.
#define EXPECT_STAYS(setup, screen) EXPECT_EQ("", (setup).stays_on(screen))

// ---- test fixture -------------------------------------------------------------------------

// Every test starts from a machine without the uninstall record, the start-up copies in the
// Windows directory or the Start menu folder, with an empty scratch directory, and leaves it so.
class SetupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Back to the clean machine, for the next case of a table.
    void reset();
    // From the start to one of the program's screens; to the install-type screen with the
    // directory typed in, if one is given.
    enum class Where { NOT_INSTALLED, INSTALLED, DIRECTORY, TYPE, REMOVE };
    void reach(Where where, const std::string& directory = "");
    // A directory of the test's own, emptied before and after each test.
    static std::string scratch(const std::string& name = "");
    // Starts setup.exe (default: the disc's, in the disc) and waits for its window.
    bool launch(const std::string& arguments = "", const std::string& directory = disc_dir());
    // Types a directory and presses Ok.
    bool submit(const std::string& directory);
    // A disc holding only setup.exe.
    std::string bare_disc();

    SetupProgram setup;
};

}  // namespace gui

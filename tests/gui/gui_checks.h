// Checks for the GUI tests that report at the caller's line, and the fixture that gives every
// test a clean machine and the laid-out disc.
#pragma once

#include <gtest/gtest.h>

#include "gui_driver.h"

namespace gui {

// The laid-out sample disc and the game stand-in program, in the form Windows programs see.
std::string disc_dir();
std::string probe_exe();
// The install-directory screen's default: the Program Files folder and "Quillmoor Demo".
std::string default_directory();

// ---- checks that report the caller's line -------------------------------------------------

void expect_screen(const char* file, int line, const SetupProgram& setup, const Screen& screen);
HWND expect_box(const char* file, int line, const SetupProgram& setup, const char* caption,
                const std::string& text);
void expect_exit(const char* file, int line, SetupProgram& setup);
void expect_stays(const char* file, int line, SetupProgram& setup, const Screen& screen);

#define EXPECT_SCREEN(setup, screen) ::gui::expect_screen(__FILE__, __LINE__, setup, screen)
#define EXPECT_BOX(setup, caption, text) ::gui::expect_box(__FILE__, __LINE__, setup, caption, text)
#define EXPECT_EXITS(setup) ::gui::expect_exit(__FILE__, __LINE__, setup)
#define EXPECT_STAYS(setup, screen) ::gui::expect_stays(__FILE__, __LINE__, setup, screen)

// ---- test fixture -------------------------------------------------------------------------

// Every test starts from a machine without the uninstall record, without the start-up copies in
// the Windows directory and with an empty scratch directory, and leaves it so.
class SetupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A directory of the test's own, emptied before and after each test.
    std::string scratch(const std::string& name = "") const;
    // Starts setup.exe (default: the disc's, in the disc) and waits for its window.
    bool launch(const std::string& arguments, const std::string& directory = "");
    // Closes any text-editor windows that a test opened.
    static void close_editors();

    SetupProgram setup;
};

}  // namespace gui

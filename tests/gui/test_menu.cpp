// The ways out of the program and the main-menu services: Exit, the close box, label clicks and
// keys; playing the installed game; reading the help file.
#include "gui_checks.h"

namespace gui {
namespace {

class MenuTest : public SetupTest {
protected:
    // The game's program, as the install would have left it, in a registered directory.
    std::string install_game() {
        const std::string game = scratch("Installed Game");
        EXPECT_TRUE(make_dirs(game) && CopyFileA(probe_exe().c_str(), join(game, "quillmain.exe").c_str(), FALSE));
        EXPECT_TRUE(write_record_string("TargetDir", game));
        return game;
    }
};

// Exit, the close box and the close message end the program, one screen each; so does any
// command the window has no use for, the labels' clicks among them. Play without the game's
// program in the registered directory ends it too, without a message.
TEST_F(MenuTest, WaysOutEndTheProgram) {
    static const struct {
        const char* name;
        Where where;
        UINT message;  // BM_CLICK to the control, WM_COMMAND from it, or to the window with wparam
        int control;
        WPARAM wparam;
    } cases[] = {
        {"Exit on the not-installed menu", Where::NOT_INSTALLED, BM_CLICK, IDC_SLOT5, 0},
        {"Exit on the type screen", Where::TYPE, BM_CLICK, IDC_SLOT5, 0},
        {"close box on the directory screen", Where::DIRECTORY, WM_SYSCOMMAND, 0, SC_CLOSE},
        {"close box on the remove screen", Where::REMOVE, WM_SYSCOMMAND, 0, SC_CLOSE},
        {"close message on the installed menu", Where::INSTALLED, WM_CLOSE, 0, 0},
        {"prompt label click", Where::DIRECTORY, BM_CLICK, IDC_PROMPT_LABEL, 0},
        {"second status label", Where::NOT_INSTALLED, WM_COMMAND, IDC_SECOND_STATUS, 0},
        {"command 2", Where::NOT_INSTALLED, WM_COMMAND, 2, 0},
        {"Play without the game program", Where::INSTALLED, BM_CLICK, IDC_SLOT1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        reach(c.where);
        ASSERT_TRUE(c.message == BM_CLICK     ? setup.click(c.control)
                    : c.message == WM_COMMAND ? setup.command(c.control)
                                              : PostMessageA(setup.window(), c.message, c.wparam, 0) != 0);
        EXPECT_EXITS(setup);
    }
}

// On the not-installed menu Play and the hidden DirectX slot do nothing, even when their
// commands reach the window (no click can: the screens' checks see them disabled and hidden).
TEST_F(MenuTest, DisabledSlotsDoNothing) {
    reach(Where::NOT_INSTALLED);
    ASSERT_TRUE(setup.command(IDC_SLOT1));
    ASSERT_TRUE(setup.command(IDC_SLOT3));
    EXPECT_STAYS(setup, NOT_INSTALLED_MENU);
}

// The message loop makes no dialog-manager call: with the focus in the directory box, Escape is
// no Cancel (which would end the program) and Tab moves no focus, so what is typed next still
// lands in the box. Alt+F4 is the system's close and does end the program.
TEST_F(MenuTest, EscapeAndTabAreIgnoredAltF4Closes) {
    reach(Where::DIRECTORY);
    SetForegroundWindow(setup.window());
    if (!wait_until([&] { return GetForegroundWindow() == setup.window(); }, 3000))
        GTEST_SKIP() << "the window cannot be brought to the foreground here";
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    // A press into the box, as the pointer would give it: the box takes the focus itself.
    ASSERT_TRUE(PostMessageA(setup.control(IDC_INSTALL_DIR), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4)) &&
                PostMessageA(setup.control(IDC_INSTALL_DIR), WM_LBUTTONUP, 0, MAKELPARAM(4, 4)));
    ASSERT_TRUE(wait_until([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(setup.window(), nullptr), &info) &&
               info.hwndFocus == setup.control(IDC_INSTALL_DIR);
    })) << "a click into the directory box gave it no focus";

    auto press = [](BYTE key) {
        keybd_event(key, 0, 0, 0);
        keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    };
    press(VK_ESCAPE);
    press(VK_TAB);
    press(VK_END);
    press('X');
    EXPECT_SCREEN(setup, directory_screen(default_directory() + "x"));
    keybd_event(VK_MENU, 0, 0, 0);
    press(VK_F4);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_EXITS(setup);
}

// With the record gone after start-up the launch cannot find the game and says so, on the
// desktop rather than on the window, and the menu stays. Once it is back, Play starts
// quillmain.exe from the registered directory, in that directory and with an empty argument list,
// and the installer ends. With no command line at all the system hands the game its quoted program
// path, nothing more; an argument list holding even the program's name would arrive unquoted.
TEST_F(MenuTest, PlayStartsTheGameFromTheRecordAndEnds) {
    const std::string game = install_game();
    ASSERT_TRUE(launch());
    EXPECT_SCREEN(setup, INSTALLED_MENU);
    delete_record();
    ASSERT_TRUE(setup.click(IDC_SLOT1));
    EXPECT_EQ(nullptr, EXPECT_BOX(setup, TEXT_INFO, TEXT_FAILEDSTARTGAME, IDOK).owner);
    EXPECT_STAYS(setup, INSTALLED_MENU);
    ASSERT_TRUE(write_record_string("TargetDir", game));
    ASSERT_TRUE(setup.click(IDC_SLOT1));
    EXPECT_EXITS(setup);
    std::string started;
    ASSERT_TRUE(wait_until([&] { return (started = read_file(join(game, "started.txt"))) != MISSING_FILE; }))
        << "no game started";
    const std::string in_directory = "current_directory=" + game + "\n";
    EXPECT_TRUE(started == "command_line=\n" + in_directory ||
                started == "command_line=\"" + join(game, "quillmain.exe") + "\"\n" + in_directory)
        << started;
}

// Starting the editor on a loaded machine takes its while: every editor window is looked at
// afresh until one shows the disc's help file.
TEST_F(MenuTest, HelpOpensReadmeOfTheDiscInTheEditor) {
    const std::string readme = read_file(join(disc_dir(), "readme.txt"));
    std::string shown;
    const std::string first_line = readme.substr(0, readme.find_first_of("\r\n"));
    reach(Where::NOT_INSTALLED);
    ASSERT_TRUE(setup.click(IDC_SLOT4));
    EXPECT_TRUE(wait_until(
        [&] {
            for (HWND editor : editors())
                if ((shown = TEST_window_text(FindWindowExA(editor, nullptr, "Edit", nullptr))).rfind(first_line, 0) == 0)
                    return true;
            return false;
        },
        6 * WAIT_MS))
        << editors().size() << " editor windows, the last showing \"" << shown.substr(0, 80) << "\"";
    EXPECT_STAYS(setup, NOT_INSTALLED_MENU);
}

// The help file is looked for where the program was started, also when the game is installed
// and the install directory has one.
TEST_F(MenuTest, HelpWithoutReadmeOnTheDiscShowsError) {
    const std::string game = install_game();
    ASSERT_TRUE(write_file(join(game, "readme.txt"), "installed help\r\n"));
    ASSERT_TRUE(launch("", bare_disc()));
    EXPECT_SCREEN(setup, INSTALLED_MENU);
    ASSERT_TRUE(setup.click(IDC_SLOT4));
    EXPECT_EQ(setup.window(), EXPECT_BOX(setup, TEXT_ERROR, TEXT_UNABLETOOPEN " readme.txt", IDOK).owner);
    EXPECT_STAYS(setup, INSTALLED_MENU);
    EXPECT_TRUE(editors().empty());
}

}  // namespace
}  // namespace gui

// The ways out of the program and the main-menu services: Exit, the close box, label clicks and
// keys; playing the installed game; reading the help file.
#include "gui_checks.h"
#include "resource.h"

namespace gui {
namespace {

class MenuTest : public SetupTest {
protected:
    // Brings the program to one of its button screens, starting from a clean machine.
    enum class Where { NotInstalledMenu, InstalledMenu, DirectoryScreen, TypeScreen, RemoveScreen };
    bool reach(Where where) {
        setup.terminate();
        delete_record();
        if (where == Where::InstalledMenu && !write_record_string("TargetDir", scratch())) return false;
        if (!launch(where == Where::RemoveScreen ? "remove" : "")) return false;
        switch (where) {
        case Where::NotInstalledMenu: EXPECT_SCREEN(setup, not_installed_menu()); break;
        case Where::InstalledMenu: EXPECT_SCREEN(setup, installed_menu()); break;
        case Where::RemoveScreen: EXPECT_SCREEN(setup, remove_screen()); break;
        case Where::DirectoryScreen:
        case Where::TypeScreen:
            EXPECT_SCREEN(setup, not_installed_menu());
            setup.click(IDC_SLOT2);
            EXPECT_SCREEN(setup, directory_screen(default_directory()));
            if (where == Where::TypeScreen) {
                setup.click(IDC_DIR_OK);
                EXPECT_SCREEN(setup, type_screen());
            }
            break;
        }
        return !HasFailure();
    }

    // The game's program, as the install would have left it, in a directory of its own.
    std::string install_probe_game() {
        const std::string game = scratch("Installed Game");
        EXPECT_TRUE(make_dirs(game));
        EXPECT_TRUE(copy_file(probe_exe(), join(game, "quillmain.exe")));
        EXPECT_TRUE(write_record_string("TargetDir", game));
        return game;
    }

    // A disc holding only the program, so there is no help file beside it.
    std::string disc_without_help() {
        const std::string disc = scratch("bare disc");
        EXPECT_TRUE(make_dirs(disc));
        EXPECT_TRUE(copy_file(join(disc_dir(), "setup.exe"), join(disc, "setup.exe")));
        return disc;
    }

    static BOOL CALLBACK note_editor(HWND window, LPARAM parameter) {
        if (IsWindowVisible(window) && class_name(window) == "Notepad") {
            *reinterpret_cast<HWND*>(parameter) = window;
            return FALSE;
        }
        return TRUE;
    }
    static HWND find_editor() {
        HWND editor = nullptr;
        EnumWindows(note_editor, reinterpret_cast<LPARAM>(&editor));
        return editor;
    }
};

const char* where_name(int where) {
    static const char* const names[] = {"not-installed menu", "installed menu", "install-directory screen",
                                        "install-type screen", "remove screen"};
    return names[where];
}

TEST_F(MenuTest, ExitSetupEndsTheProgramOnEveryButtonScreen) {
    const Where screens[] = {Where::NotInstalledMenu, Where::InstalledMenu, Where::TypeScreen, Where::RemoveScreen};
    for (Where where : screens) {
        SCOPED_TRACE(where_name(static_cast<int>(where)));
        ASSERT_TRUE(reach(where));
        ASSERT_TRUE(setup.click(IDC_SLOT5));
        EXPECT_EXITS(setup);
    }
}

TEST_F(MenuTest, CloseBoxAndCloseMessageEndTheProgramOnEveryScreen) {
    const Where screens[] = {Where::NotInstalledMenu, Where::InstalledMenu, Where::DirectoryScreen,
                             Where::TypeScreen, Where::RemoveScreen};
    for (Where where : screens) {
        SCOPED_TRACE(where_name(static_cast<int>(where)));
        ASSERT_TRUE(reach(where));
        ASSERT_TRUE(PostMessageA(setup.window(), WM_SYSCOMMAND, SC_CLOSE, 0));
        EXPECT_EXITS(setup);

        ASSERT_TRUE(reach(where));
        ASSERT_TRUE(PostMessageA(setup.window(), WM_CLOSE, 0, 0));
        EXPECT_EXITS(setup);
    }
}

// The labels are buttons without a command of their own: any command from them ends the program.
TEST_F(MenuTest, LabelClicksAndUnknownCommandsEndTheProgram) {
    ASSERT_TRUE(reach(Where::DirectoryScreen));
    ASSERT_TRUE(setup.click(IDC_PROMPT_LABEL));
    EXPECT_EXITS(setup);

    const int silent[] = {IDC_STATUS_LABEL, IDC_SECOND_STATUS, IDC_PROGRESS, 2, 4242};
    for (int id : silent) {
        SCOPED_TRACE(testing::Message() << "command " << id);
        ASSERT_TRUE(reach(Where::NotInstalledMenu));
        ASSERT_TRUE(setup.post_command(id));
        EXPECT_EXITS(setup);
    }
}

// Real mouse input: the pointer over the disabled slot 1 presses nothing, over the label it
// ends the program. Slot 2 proves the clicks arrive at all.
TEST_F(MenuTest, MouseClicksOnDisabledSlotDoNothingAndOnLabelEnd) {
    ASSERT_TRUE(reach(Where::NotInstalledMenu));
    ASSERT_TRUE(setup.mouse_click(IDC_SLOT1));
    EXPECT_STAYS(setup, not_installed_menu());
    ASSERT_TRUE(setup.mouse_click(IDC_SLOT2));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
    ASSERT_TRUE(setup.mouse_click(IDC_PROMPT_LABEL));
    EXPECT_EXITS(setup);
}

// Whatever presses it, slot 1 on the not-installed menu has nothing to do.
TEST_F(MenuTest, SlotOneCommandOnNotInstalledMenuDoesNothing) {
    ASSERT_TRUE(reach(Where::NotInstalledMenu));
    ASSERT_TRUE(setup.post_command(IDC_SLOT1));
    EXPECT_STAYS(setup, not_installed_menu());
    ASSERT_TRUE(setup.post_command(IDC_SLOT3));
    EXPECT_STAYS(setup, not_installed_menu());
}

// The message loop makes no dialog-manager call: with the focus in the directory box, Escape is
// no Cancel (which would end the program) and Tab moves no focus. Alt+F4 is the system's close
// and does end the program.
TEST_F(MenuTest, EscapeAndTabAreIgnoredAltF4Closes) {
    ASSERT_TRUE(reach(Where::DirectoryScreen));
    SetForegroundWindow(setup.window());
    if (!wait_until([&] { return GetForegroundWindow() == setup.window(); }, 3000))
        GTEST_SKIP() << "the window cannot be brought to the foreground here";
    const DWORD thread = GetWindowThreadProcessId(setup.window(), nullptr);
    auto focus = [thread] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    };
    HWND edit = setup.control(IDC_INSTALL_DIR);
    ASSERT_TRUE(setup.mouse_click(IDC_INSTALL_DIR));
    ASSERT_TRUE(wait_until([&] { return focus() == edit; })) << "a click into the directory box gave it no focus";

    auto press = [](WORD key, bool with_alt) {
        std::vector<INPUT> inputs;
        auto add = [&](WORD vk, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        if (with_alt) add(VK_MENU, 0);
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        if (with_alt) add(VK_MENU, KEYEVENTF_KEYUP);
        return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
    };
    ASSERT_TRUE(press(VK_ESCAPE, false));
    EXPECT_STAYS(setup, directory_screen(default_directory()));
    ASSERT_TRUE(press(VK_TAB, false));
    EXPECT_STAYS(setup, directory_screen(default_directory()));
    EXPECT_EQ(edit, focus());

    ASSERT_TRUE(press(VK_F4, true));
    EXPECT_EXITS(setup);
}

// Play starts quillmain.exe from the registered directory, in that directory and with an empty
// argument list, and the installer ends. With no command line at all the system hands the game
// its quoted program path, nothing more; an argument list holding even the program's name would
// arrive unquoted.
TEST_F(MenuTest, PlayStartsTheGameFromTheRecordAndEnds) {
    const std::string game = install_probe_game();
    ASSERT_TRUE(reach(Where::InstalledMenu));
    ASSERT_TRUE(write_record_string("TargetDir", game));
    ASSERT_TRUE(setup.click(IDC_SLOT1));
    EXPECT_EXITS(setup);
    const std::string report = join(game, "started.txt");
    std::string started;
    ASSERT_TRUE(wait_until([&] { return read_file(report, &started); })) << "the game was not started";
    const std::string in_directory = "current_directory=" + game + "\n";
    std::string quoted(1, '"');
    quoted += join(game, "quillmain.exe");
    quoted += '"';
    EXPECT_TRUE(started == "command_line=\n" + in_directory || started == "command_line=" + quoted + "\n" + in_directory)
        << started;
}

// The real game of the disc opens its title window.
TEST_F(MenuTest, PlayStartsTheDiscsGame) {
    const std::string game = scratch("Quillmoor Demo");
    ASSERT_TRUE(make_dirs(game));
    ASSERT_TRUE(copy_file(join(disc_dir(), "quillmain.exe"), join(game, "quillmain.exe")));
    ASSERT_TRUE(reach(Where::InstalledMenu));
    ASSERT_TRUE(write_record_string("TargetDir", game));
    ASSERT_TRUE(setup.click(IDC_SLOT1));
    EXPECT_EXITS(setup);
    HWND title = nullptr;
    ASSERT_TRUE(wait_until([&] { return (title = FindWindowA(nullptr, "Quillmoor Demo")) != nullptr; }))
        << "the game's window did not appear";
    DWORD game_process = 0;
    GetWindowThreadProcessId(title, &game_process);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, game_process);
    ASSERT_NE(nullptr, process);
    PostMessageA(title, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, WAIT_MS) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the game did not close";
        TerminateProcess(process, 1);
    }
    CloseHandle(process);
}

TEST_F(MenuTest, PlayWithoutTheGameProgramEndsWithoutMessage) {
    ASSERT_TRUE(reach(Where::InstalledMenu));
    ASSERT_TRUE(setup.click(IDC_SLOT1));
    EXPECT_EXITS(setup);
}

// The record vanished after start-up: the launch cannot find the game and says so, on the
// desktop rather than on the window, and the menu stays.
TEST_F(MenuTest, PlayWithoutRecordShowsInformationAndStays) {
    ASSERT_TRUE(reach(Where::InstalledMenu));
    delete_record();
    ASSERT_TRUE(setup.click(IDC_SLOT1));
    HWND box = EXPECT_BOX(setup, "Information", "An Error has occured starting the game, please read the help file.");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(nullptr, read_box(box).owner);
    ASSERT_TRUE(press_box_button(box, IDOK));
    EXPECT_STAYS(setup, installed_menu());
}

TEST_F(MenuTest, HelpOpensReadmeOfTheDiscInTheEditor) {
    ASSERT_TRUE(reach(Where::NotInstalledMenu));
    ASSERT_TRUE(setup.click(IDC_SLOT4));
    HWND editor = nullptr;
    ASSERT_TRUE(wait_until([&] { return (editor = find_editor()) != nullptr; })) << "no editor window";
    std::string readme;
    ASSERT_TRUE(read_file(join(disc_dir(), "readme.txt"), &readme));
    const std::string first_line = readme.substr(0, readme.find_first_of("\r\n"));
    HWND text = FindWindowExA(editor, nullptr, "Edit", nullptr);
    EXPECT_TRUE(wait_until([&] { return window_text(text).rfind(first_line, 0) == 0; }, 3000))
        << "the editor shows \"" << window_text(text).substr(0, 80) << "\"";
    EXPECT_STAYS(setup, not_installed_menu());
    close_editors();
}

// The help file is looked for where the program was started, also when the game is installed
// and the install directory has one.
TEST_F(MenuTest, HelpWithoutReadmeOnTheDiscShowsError) {
    const std::string game = scratch("game");
    ASSERT_TRUE(make_dirs(game));
    ASSERT_TRUE(write_file(join(game, "readme.txt"), "installed help\r\n"));
    ASSERT_TRUE(write_record_string("TargetDir", game));
    const std::string disc = disc_without_help();
    ASSERT_TRUE(launch("", disc));
    EXPECT_SCREEN(setup, installed_menu());
    ASSERT_TRUE(setup.click(IDC_SLOT4));
    HWND box = EXPECT_BOX(setup, "Error!", "Error opening file : readme.txt");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(setup.window(), read_box(box).owner);
    ASSERT_TRUE(press_box_button(box, IDOK));
    EXPECT_STAYS(setup, installed_menu());
    EXPECT_EQ(nullptr, find_editor());
}

}  // namespace
}  // namespace gui

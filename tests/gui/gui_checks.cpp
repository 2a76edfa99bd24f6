// The GUI tests' checks and fixture: waiting for the expected screen, box or exit and reporting
// at the caller's line, and a clean machine for every test.
#include "gui_checks.h"

#include <shlobj.h>

#include <filesystem>

namespace gui {

static std::string shell_folder(int which) {
    char folder[MAX_PATH] = "";
    return SUCCEEDED(SHGetFolderPathA(nullptr, which, nullptr, 0, folder)) ? folder : "<no shell folder>";
}

std::string default_directory() { return join(shell_folder(CSIDL_PROGRAM_FILES), TEXT_DEFAULT_DIR); }
std::string menu_folder() { return join(shell_folder(CSIDL_PROGRAMS), TEXT_APPLICATION_NAME); }

std::vector<HWND> editors() {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "Notepad", nullptr)) != nullptr;)
        if (IsWindowVisible(window)) found.push_back(window);
    return found;
}

Box expect_box(const char* file, int line, const SetupProgram& setup, const std::string& caption,
               const std::string& text, int button) {
    std::optional<Box> box = setup.wait_box();
    if (!box) {
        ADD_FAILURE_AT(file, line) << "no message box \"" << caption << "\": \"" << text << "\" appeared";
        return {};
    }
    if (box->caption != caption || box->text != text)
        ADD_FAILURE_AT(file, line) << "message box \"" << box->caption << "\": \"" << box->text << "\", expected \""
                                   << caption << "\": \"" << text << "\"";
    if (!setup.answer(box->window, button)) ADD_FAILURE_AT(file, line) << "the box \"" << text << "\" stayed";
    return *box;
}

// ---- fixture ------------------------------------------------------------------------------

void SetupTest::TearDown() {
    setup.terminate();
    delete_record();
    for (const std::string& path : {uninstaller(), join(windows_dir(), "dsetup.dll"),
                                    join(windows_dir(), "dsetup32.dll"), menu_folder(), scratch()})
        remove_tree(path);
    unhide_libraries_from_setup();
    // Every text editor that the help command opened, so that none is taken for the next one.
    for (HWND editor : editors()) {
        DWORD id = 0;
        GetWindowThreadProcessId(editor, &id);
        if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, WAIT_MS);
            CloseHandle(process);
        }
    }
}

void SetupTest::reach(Where where, const std::string& directory) {
    ASSERT_TRUE(where != Where::INSTALLED || write_record_string("TargetDir", scratch()));
    ASSERT_TRUE(launch(where == Where::REMOVE ? "remove" : ""));
    ASSERT_TRUE((where != Where::DIRECTORY && where != Where::TYPE) || setup.click(IDC_SLOT2));
    EXPECT_SCREEN(setup, where == Where::REMOVE      ? REMOVE_SCREEN
                         : where == Where::INSTALLED   ? INSTALLED_MENU
                         : where == Where::NOT_INSTALLED ? NOT_INSTALLED_MENU
                                                              : directory_screen(default_directory()));
    if (where == Where::TYPE) {
        ASSERT_TRUE(directory.empty() ? setup.click(IDC_DIR_OK) : submit(directory));
        EXPECT_SCREEN(setup, TYPE_SCREEN);
    }
}

std::string SetupTest::scratch(const std::string& name) {
    const std::string root = join(std::filesystem::temp_directory_path().string(), "quill-gui");
    return name.empty() ? root : join(root, name);
}

bool SetupTest::launch(const std::string& arguments, const std::string& directory) {
    const bool started = setup.start(join(directory, "setup.exe"), arguments, directory);
    EXPECT_TRUE(started) << "setup.exe " << arguments << " in " << directory << " showed no window";
    return started;
}

std::string SetupTest::bare_disc() {
    const std::string disc = scratch("bare disc");
    EXPECT_TRUE(make_dirs(disc) && CopyFileA(join(disc_dir(), "setup.exe").c_str(), join(disc, "setup.exe").c_str(), FALSE));
    return disc;
}

std::vector<std::string> SetupTest::failed_install(const std::string& directory, const std::string& disc) {
    std::vector<std::string> texts;
    if (!launch("", disc) || !setup.click(IDC_SLOT2) || !submit(directory)) return texts;
    EXPECT_SCREEN(setup, TYPE_SCREEN);
    setup.click(IDC_SLOT2);
    while (texts.size() < 40) {
        HWND box = nullptr;
        wait_until([&] { return (box = setup.find_box()) || setup.differences(NOT_INSTALLED_MENU).empty(); });
        if (box == nullptr) break;
        const SEEN_BOX seen = TEST_read_box(box);
        EXPECT_EQ(TEXT_ERROR, seen.caption) << seen.text;
        EXPECT_EQ(TEXT_INSTALLING, TEST_window_text(setup.control(IDC_STATUS_LABEL))) << seen.text;
        texts.push_back(seen.text);
        setup.answer(box, IDOK);
    }
    EXPECT_STAYS(setup, NOT_INSTALLED_MENU);
    EXPECT_FALSE(record_exists());
    // The menu is the one a fresh start shows: Install leads to the directory screen again.
    setup.click(IDC_SLOT2);
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
    return texts;
}

}  // namespace gui

// The GUI tests' checks and fixture: waiting for the expected screen, box or exit and reporting
// at the caller's line, and a clean machine for every test.
#include "gui_checks.h"

#include <shlobj.h>

#include <filesystem>

namespace gui {

std::string disc_dir() { return windows_path(QUILL_GUI_DISC_DIR); }
std::string probe_exe() { return windows_path(QUILL_GUI_PROBE_EXE); }

static std::string shell_folder(int which) {
    char folder[MAX_PATH] = "";
    return SUCCEEDED(SHGetFolderPathA(nullptr, which, nullptr, 0, folder)) ? folder : "<no shell folder>";
}

std::string default_directory() { return join(shell_folder(CSIDL_PROGRAM_FILES), TEXT_DEFAULT_DIR); }
std::string menu_folder() { return join(shell_folder(CSIDL_PROGRAMS), TEXT_APPLICATION_NAME); }
std::string uninstaller() { return join(windows_dir(), UNINSTALLER_NAME); }

// ---- checks -------------------------------------------------------------------------------

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
    if (!setup.answer(*box, button)) ADD_FAILURE_AT(file, line) << "the box \"" << text << "\" stayed";
    return *box;
}

// ---- fixture ------------------------------------------------------------------------------

namespace {

std::string scratch_root() { return join(std::filesystem::temp_directory_path().string(), "quill-gui"); }

void clean_machine() {
    delete_record();
    for (const std::string& path : {uninstaller(), join(windows_dir(), "dsetup.dll"),
                                    join(windows_dir(), "dsetup32.dll"), menu_folder(), scratch_root()})
        remove_tree(path);
    unhide_libraries_from("setup.exe");
    // The text editor that the help command opens.
    DWORD editor = 0;
    if (GetWindowThreadProcessId(find_editor(), &editor) != 0) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, editor);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, WAIT_MS);
        CloseHandle(process);
    }
}

}  // namespace

HWND find_editor() { return FindWindowA("Notepad", nullptr); }

void SetupTest::reset() {
    setup.terminate();
    clean_machine();
    EXPECT_TRUE(make_dirs(scratch_root()));
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

void SetupTest::SetUp() {
    reset();
    ASSERT_TRUE(file_exists(join(disc_dir(), "setup.exe"))) << "no disc layout at " << disc_dir();
}

void SetupTest::TearDown() {
    setup.terminate();
    clean_machine();
}

std::string SetupTest::scratch(const std::string& name) { return name.empty() ? scratch_root() : join(scratch_root(), name); }

bool SetupTest::launch(const std::string& arguments, const std::string& directory) {
    const bool started = setup.start(join(directory, "setup.exe"), arguments, directory);
    EXPECT_TRUE(started) << "setup.exe " << arguments << " in " << directory << " showed no window \""
                         << WINDOW_TITLE << "\"";
    return started;
}

bool SetupTest::submit(const std::string& directory) {
    return setup.type_directory(directory) && setup.click(IDC_DIR_OK);
}

std::string SetupTest::bare_disc() {
    const std::string disc = scratch("bare disc");
    EXPECT_TRUE(make_dirs(disc) && CopyFileA(join(disc_dir(), "setup.exe").c_str(), join(disc, "setup.exe").c_str(), FALSE));
    return disc;
}

}  // namespace gui

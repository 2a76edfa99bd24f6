// The GUI tests' checks and fixture: waiting for the expected screen, box or exit and reporting
// at the caller's line, and a clean machine for every test.
#include "gui_checks.h"

#include <shlobj.h>

namespace gui {

std::string disc_dir() { return windows_path(QUILL_GUI_DISC_DIR); }
std::string probe_exe() { return windows_path(QUILL_GUI_PROBE_EXE); }

std::string default_directory() {
    char folder[MAX_PATH] = "sentinel";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder))) return "c:\\Quillmoor Demo";
    return std::string(folder) + "\\Quillmoor Demo";
}

// ---- checks -------------------------------------------------------------------------------

void expect_screen(const char* file, int line, const SetupProgram& setup, const Screen& screen) {
    std::string difference;
    if (wait_until([&] { return setup.screen_matches(screen, &difference); })) return;
    ADD_FAILURE_AT(file, line) << "the window does not show the " << screen.name << ":\n" << difference;
}

HWND expect_box(const char* file, int line, const SetupProgram& setup, const char* caption, const std::string& text) {
    HWND box = nullptr;
    if (!wait_until([&] { return (box = setup.find_box()) != nullptr; })) {
        ADD_FAILURE_AT(file, line) << "no message box \"" << caption << "\": \"" << text << "\" appeared";
        return nullptr;
    }
    // The box's text is set while it is created; give it a moment to settle before reading.
    Box seen;
    wait_until([&] {
        seen = read_box(box);
        return seen.caption == caption && seen.text == text;
    }, 2000);
    if (seen.caption != caption || seen.text != text)
        ADD_FAILURE_AT(file, line) << "message box reads caption \"" << seen.caption << "\" text \"" << seen.text
                                   << "\", expected caption \"" << caption << "\" text \"" << text << "\"";
    return box;
}

void expect_exit(const char* file, int line, SetupProgram& setup) {
    DWORD code = 0;
    if (!setup.wait_exit(WAIT_MS, &code)) ADD_FAILURE_AT(file, line) << "the program did not end";
}

void expect_stays(const char* file, int line, SetupProgram& setup, const Screen& screen) {
    Sleep(SETTLE_MS);
    setup.fence();
    if (!setup.running()) {
        ADD_FAILURE_AT(file, line) << "the program ended; it should have stayed on the " << screen.name;
        return;
    }
    if (HWND box = setup.find_box()) {
        const Box seen = read_box(box);
        ADD_FAILURE_AT(file, line) << "unexpected message box \"" << seen.caption << "\": \"" << seen.text << "\"";
    }
    std::string difference;
    if (!setup.screen_matches(screen, &difference))
        ADD_FAILURE_AT(file, line) << "the window left the " << screen.name << ":\n" << difference;
}

// ---- fixture ------------------------------------------------------------------------------

namespace {

void remove_start_copies() {
    const std::string windows = windows_dir();
    remove_tree(join(windows, std::string(PRODUCT_NAME) + " remove.exe"));
    remove_tree(join(windows, "dsetup.dll"));
    remove_tree(join(windows, "dsetup32.dll"));
}

std::string scratch_root() {
    char temp[MAX_PATH] = "sentinel";
    const DWORD length = GetTempPathA(sizeof temp, temp);
    return join((length > 0 && length < sizeof temp) ? std::string(temp) : std::string("C:\\"), "quill-gui");
}

}  // namespace

void SetupTest::SetUp() {
    delete_record();
    remove_start_copies();
    remove_tree(scratch_root());
    ASSERT_TRUE(make_dirs(scratch_root()));
    ASSERT_TRUE(file_exists(join(disc_dir(), "setup.exe"))) << "no disc layout at " << disc_dir();
}

void SetupTest::TearDown() {
    setup.terminate();
    unhide_libraries_from("setup.exe");
    close_editors();
    delete_record();
    remove_start_copies();
    remove_tree(scratch_root());
}

std::string SetupTest::scratch(const std::string& name) const {
    return name.empty() ? scratch_root() : join(scratch_root(), name);
}

bool SetupTest::launch(const std::string& arguments, const std::string& directory) {
    const std::string folder = directory.empty() ? disc_dir() : directory;
    if (!setup.start(join(folder, "setup.exe"), arguments, folder)) {
        ADD_FAILURE() << "setup.exe did not start (error " << GetLastError() << ")";
        return false;
    }
    if (!setup.wait_window()) {
        ADD_FAILURE() << "no window \"" << WINDOW_TITLE << "\" appeared";
        return false;
    }
    return true;
}

namespace {

BOOL CALLBACK close_editor(HWND window, LPARAM) {
    if (IsWindowVisible(window) && class_name(window) == "Notepad") {
        DWORD process_id = 0;
        GetWindowThreadProcessId(window, &process_id);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_id);
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (process != nullptr) {
            if (WaitForSingleObject(process, WAIT_MS) != WAIT_OBJECT_0) TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
    return TRUE;
}

}  // namespace

void SetupTest::close_editors() { EnumWindows(close_editor, 0); }

}  // namespace gui

// Drives the real setup.exe from outside, the way a user at the screen does: starts it from a
// disc layout, finds its window and its message boxes, reads and presses their controls, and
// looks at what it left in the registry, on disk and on the display. Everything that waits polls
// against a deadline, because under Wine process start and message boxes take a varying while.
// Free of the test framework, so the demo's tour of the screens uses it too.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui {

// How long a window, a box, a file or a process exit may take to appear under Wine.
constexpr DWORD WAIT_MS = 10000;
// How long to let a click settle before concluding that it changed nothing.
constexpr DWORD SETTLE_MS = 400;

constexpr const char* WINDOW_TITLE = "Install v1.0047";
constexpr const char* PRODUCT_NAME = "Quillmoor Internet Demo";
constexpr const char* UNINSTALL_KEY =
    "software\\microsoft\\windows\\CURRENTVERSION\\UNINSTALL\\Quillmoor Internet Demo";

// ---- paths and files ---------------------------------------------------------------------

// A build-machine path as Wine shows it to Windows programs: /a/b becomes Z:\a\b.
std::string windows_path(const char* host_path);
std::string windows_dir();
std::string join(const std::string& directory, const std::string& name);

bool file_exists(const std::string& path);
bool dir_exists(const std::string& path);
bool read_file(const std::string& path, std::string* content);
bool write_file(const std::string& path, const std::string& content);
bool file_has_content(const std::string& path, const std::string& content);
bool files_equal(const std::string& first, const std::string& second);
bool copy_file(const std::string& from, const std::string& to);
// Deletes a file or a whole directory tree; a missing path is fine.
void remove_tree(const std::string& path);
// Makes every missing directory of path.
bool make_dirs(const std::string& path);

// ---- the uninstall record under HKEY_LOCAL_MACHINE ----------------------------------------

void delete_record();
bool record_exists();
bool write_record_value(const char* name, DWORD type, const void* data, DWORD size);
bool write_record_string(const char* name, const std::string& value);
bool read_record_string(const char* name, std::string* value);

// Makes Wine refuse to load a DLL into every program of the given file name, or lifts that again.
// (WINEDLLOVERRIDES cannot do it per child: Wine takes it from the Unix environment, which a
// Windows program cannot change for its children.)
bool hide_library_from(const char* program, const char* library);
void unhide_libraries_from(const char* program);

// ---- polling ------------------------------------------------------------------------------

template <class Condition>
bool wait_until(Condition condition, DWORD timeout_ms = WAIT_MS) {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

// ---- windows of another process -----------------------------------------------------------

// Reads a window's text with WM_GETTEXT, which the system carries across processes.
std::string window_text(HWND window);
bool window_text_is(HWND window, const std::string& text);
std::string class_name(HWND window);
// The visible top-level windows of a process with the given class (null: any).
std::vector<HWND> process_windows(DWORD process_id, const char* window_class);

// A message box as the user sees it: caption, text and the owner it is modal for.
struct Box {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};
// Reads a box; its text is the static control 0xFFFF.
Box read_box(HWND box);
// Presses one of a box's buttons (IDOK, IDYES, IDNO, ...).
bool press_box_button(HWND box, int button_id);

// ---- the screens of the main window -------------------------------------------------------

// What one control must look like on a screen; no text = not looked at, enabled -1 = either.
struct ControlLook {
    int id;
    std::optional<std::string> text;
    bool visible;
    int enabled;
};
struct Screen {
    const char* name;
    std::vector<ControlLook> controls;
};
Screen not_installed_menu();
Screen installed_menu();
Screen directory_screen(const std::string& directory);
Screen type_screen();
Screen remove_screen();

// ---- the set-up program under test --------------------------------------------------------

class SetupProgram {
public:
    SetupProgram() = default;
    SetupProgram(const SetupProgram&) = delete;
    SetupProgram& operator=(const SetupProgram&) = delete;
    ~SetupProgram();

    // Starts exe with the text after the program name as its command line, in directory.
    bool start(const std::string& exe, const std::string& arguments, const std::string& directory);
    // Waits for the process's visible window titled WINDOW_TITLE.
    bool wait_window(DWORD timeout_ms = WAIT_MS);
    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    DWORD process_id() const { return process_id_; }
    bool running() const;
    bool wait_exit(DWORD timeout_ms, DWORD* exit_code);
    void terminate();

    // Presses a control as a click would (BM_CLICK, posted so a modal box cannot block us).
    bool click(int id);
    // Sends a command the way a control notification reaches the window.
    bool post_command(int id);
    // Real mouse input: moves the pointer to the control's centre and clicks there.
    bool mouse_click(int id);
    // Replaces the directory text the way typing does: select everything, then one character
    // message per character.
    bool type_text(int id, const std::string& text);
    // Returns once every message posted to the window before it has been handled (also inside a
    // modal box's loop), or once the process has ended.
    bool fence();
    // The program's visible message box, if any.
    HWND find_box() const;

    bool screen_matches(const Screen& screen, std::string* difference) const;

private:
    PROCESS_INFORMATION info_{};
    DWORD process_id_ = 0;
    HWND window_ = nullptr;
    int fence_token_ = 0;
};

// ---- pixels on the screen -----------------------------------------------------------------

// A copy of what the screen shows inside a window's outer rectangle, as 0xRRGGBB values.
struct Capture {
    RECT area{};
    int width = 0;
    int height = 0;
    std::vector<unsigned> pixels;
    unsigned at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};
bool capture_window(HWND window, Capture* capture);
// A control's rectangle inside a capture of its top-level window.
RECT control_area(const Capture& capture, HWND control);
// Saves a capture as a 24-bit BMP file.
bool save_bitmap(const Capture& capture, const std::string& path);

}  // namespace gui

// Drives the real setup.exe from outside, the way a user at the screen does: starts it from a
// disc layout, finds its window and its message boxes, reads and presses their controls, and
// looks at what it left in the registry, on disk and on the display. Everything that waits polls
// for a state against a deadline, because under Wine process start and message boxes take a
// varying while. Free of the test framework, so the demo's tour of the screens uses it too.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "box_answerer.h"
#include "resource.h"
#include "scratch_files.h"
#include "texts.h"

namespace gui {

// How long a window, a box, a file or a process exit may take to appear under Wine.
constexpr DWORD WAIT_MS = 10000;

// What the program shows and writes beyond its string table.
constexpr const char* WINDOW_TITLE = "Install v1.0047";
constexpr const char* UNINSTALL_KEY = "software\\microsoft\\windows\\CURRENTVERSION\\UNINSTALL\\" TEXT_APPLICATION_NAME;
constexpr const char* UNINSTALLER_NAME = TEXT_APPLICATION_NAME " remove.exe";

template <class Condition>
bool wait_until(Condition condition, DWORD timeout_ms = WAIT_MS) {
    for (const ULONGLONG deadline = GetTickCount64() + timeout_ms;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

// ---- paths, files and the registry --------------------------------------------------------

// A build-machine path as Wine shows it to Windows programs: /a/b becomes Z:\a\b.
std::string windows_path(const char* host_path);
std::string windows_dir();
std::string join(const std::string& directory, const std::string& name);


// The uninstall record under HKEY_LOCAL_MACHINE.
inline void delete_record() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY); }
inline bool record_exists() { return key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY); }
inline bool write_record(const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name, type, data, size) == ERROR_SUCCESS;
}
inline bool write_record_string(const char* name, const std::string& value) {
    return write_string_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name, value);
}
inline std::string read_record_string(const char* name) {
    return read_string_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name).value_or("<no string " + std::string(name) + ">");
}

// Makes Wine refuse to load a DLL into every setup.exe, or lifts that again. (WINEDLLOVERRIDES
// cannot do it per child: Wine takes it from the Unix environment, which a Windows program cannot
// change for its children.)
bool hide_library_from_setup(const char* library);
inline void unhide_libraries_from_setup() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe"); }

// ---- the screens of the main window -------------------------------------------------------

// A control that a screen shows: its text (none: not looked at) and whether it takes clicks.
struct Shown { int id; std::optional<std::string> text; bool enabled; };
// Every other control of the window is hidden on the screen.
struct Screen { const char* name; std::vector<Shown> shown; };

inline const Screen NOT_INSTALLED_MENU{"main menu, not installed",
                                       {{IDC_SLOT1, TEXT_PLAY, false}, {IDC_SLOT2, TEXT_INSTALL, true},
                                        {IDC_SLOT4, TEXT_README, true}, {IDC_SLOT5, TEXT_EXIT, true}}};
inline const Screen INSTALLED_MENU{"main menu, installed",
                                   {{IDC_SLOT1, TEXT_PLAY, true}, {IDC_SLOT2, TEXT_REMOVE, true},
                                    {IDC_SLOT4, TEXT_README, true}, {IDC_SLOT5, TEXT_EXIT, true}}};
inline const Screen TYPE_SCREEN{"install-type screen",
                                {{IDC_SLOT1, TEXT_TYPICAL, false}, {IDC_SLOT2, TEXT_COMPACT, true},
                                 {IDC_SLOT3, TEXT_MAXIMUM, false}, {IDC_SLOT4, TEXT_CANCEL, true},
                                 {IDC_SLOT5, TEXT_EXIT, true}}};
inline const Screen REMOVE_SCREEN{"remove screen",
                                  {{IDC_SLOT1, TEXT_PLAY, false}, {IDC_SLOT2, TEXT_REMOVE, true},
                                   {IDC_SLOT3, TEXT_DIRECTX, false}, {IDC_SLOT4, TEXT_README, false},
                                   {IDC_SLOT5, TEXT_EXIT, true}}};
// The Ok and Cancel captions come from the window's template.
inline Screen directory_screen(std::optional<std::string> directory) {
    return {"install-directory screen",
            {{IDC_PROMPT_LABEL, TEXT_TYPEINSTALLDIR, true}, {IDC_INSTALL_DIR, std::move(directory), true},
             {IDC_DIR_OK, "Ok", true}, {IDC_DIR_CANCEL, "Cancel", true}}};
}

// ---- the set-up program under test --------------------------------------------------------

// A message box of the program, and where the main window's progress bar stood and what its
// status label said while it showed ("(hidden)" when the label was not shown).
struct Box : SEEN_BOX { HWND window = nullptr; int progress = -1; std::string status; };

class SetupProgram {
public:
    SetupProgram() = default;
    SetupProgram(const SetupProgram&) = delete;
    SetupProgram& operator=(const SetupProgram&) = delete;
    ~SetupProgram() { terminate(); }

    // Starts exe with the text after the program name as its command line, in directory, and
    // waits for its window titled WINDOW_TITLE.
    bool start(const std::string& exe, const std::string& arguments, const std::string& directory);
    // Takes over the program whose window titled WINDOW_TITLE shows, started by someone else.
    bool adopt();
    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    bool running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit status once the program has ended, or none at the deadline.
    std::optional<DWORD> wait_exit();
    void terminate();

    // Presses a control as a click would (BM_CLICK, posted so that a modal box cannot block us).
    bool click(int id) { return PostMessageA(control(id), BM_CLICK, 0, 0) != 0; }
    // Sends a command the way a control notification reaches the window.
    bool command(int id) {
        return PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control(id)));
    }
    // Replaces the directory text the way typing does: select everything, then one character
    // message per character.
    bool type_directory(const std::string& text);
    // Returns once every message posted to the window before it has been handled (also inside a
    // modal box's loop), or once the process has ended.
    bool fence();
    int progress() const;
    int progress_bound() const;

    // The program's visible message box, if any; waits for one, or none after the deadline.
    HWND find_box() const;
    std::optional<Box> wait_box() const;
    // Presses a box's button and waits for the box to go.
    bool answer(HWND box, int button) const;
    // What differs between the window and the screen, one line per control; empty when it shows it.
    std::string differences(const Screen& screen) const;
    // The differences once the window shows the screen, or at the deadline.
    std::string wait_screen(const Screen& screen) const;
    // Once every message posted so far is handled: empty when the program runs on, without a box,
    // on the screen, else what it does instead.
    std::string stays_on(const Screen& screen);

private:
    PROCESS_INFORMATION info_{};
    HWND window_ = nullptr;
};

// What the display shows inside a rectangle of the screen, row by row as 0xRRGGBB values; empty
// when it cannot be read.
std::vector<unsigned> screen_pixels(const RECT& area);
// A bitmap's pixels in the same form, as the display would show them.
std::vector<unsigned> bitmap_pixels(HBITMAP bitmap, int width, int height);

}  // namespace gui

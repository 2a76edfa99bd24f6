// Driving setup.exe from outside: process control, window and box reading, clicks and typing,
// registry and file checks, and reading what the display shows.
#include "gui_driver.h"

#include <commctrl.h>

#include <algorithm>

namespace gui {

// ---- paths, files and the registry --------------------------------------------------------

std::string windows_path(const char* host_path) {
    std::string path = std::string("Z:") + host_path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string windows_dir() {
    char buffer[MAX_PATH] = "";
    return GetWindowsDirectoryA(buffer, sizeof buffer) < sizeof buffer ? buffer : "";
}

std::string join(const std::string& directory, const std::string& name) {
    return directory + (!directory.empty() && directory.back() == '\\' ? "" : "\\") + name;
}

// An empty load order means "do not load".
bool hide_library_from_setup(const char* library) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides", library, REG_SZ,
                           "", 1) == ERROR_SUCCESS;
}

// ---- the set-up program -------------------------------------------------------------------

namespace {

// A visible top-level window of the process, other than except, by class or title.
HWND find_window(DWORD process_id, const char* class_name, const char* title, HWND except) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, class_name, title)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process_id && window != except && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// A control's state, asked across the process boundary (no pointer needed).
int ask(HWND control, UINT message, WPARAM parameter) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(control, message, parameter, 0, SMTO_ABORTIFHUNG, 3000, &answer)) return -1;
    return static_cast<int>(answer);
}

}  // namespace

bool SetupProgram::start(const std::string& exe, const std::string& arguments, const std::string& directory) {
    terminate();
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &info_)) {
        info_ = PROCESS_INFORMATION{};
        return false;
    }
    return wait_until([this] { return (window_ = find_window(info_.dwProcessId, nullptr, WINDOW_TITLE, nullptr)); });
}

bool SetupProgram::adopt() {
    terminate();
    if (!wait_until([this] { return (window_ = FindWindowA(nullptr, WINDOW_TITLE)) != nullptr; })) return false;
    GetWindowThreadProcessId(window_, &info_.dwProcessId);
    info_.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, info_.dwProcessId);
    return info_.hProcess != nullptr;
}

std::optional<DWORD> SetupProgram::wait_exit() {
    DWORD code = 0;
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, WAIT_MS) != WAIT_OBJECT_0) return std::nullopt;
    return GetExitCodeProcess(info_.hProcess, &code) ? std::optional<DWORD>(code) : std::nullopt;
}

void SetupProgram::terminate() {
    if (running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, WAIT_MS);
    }
    if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
    if (info_.hThread != nullptr) CloseHandle(info_.hThread);
    info_ = PROCESS_INFORMATION{};
    window_ = nullptr;
}

bool SetupProgram::type_directory(const std::string& text) {
    HWND edit = control(IDC_INSTALL_DIR);
    // Select everything and rub it out first, as a user replacing the text would.
    bool ok = PostMessageA(edit, EM_SETSEL, 0, -1) && PostMessageA(edit, WM_CHAR, '\b', 1);
    for (char c : text) ok = ok && PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    return ok && fence();
}

bool SetupProgram::fence() {
    // The directory box's text limit is something the program never sets nor reads: a new limit
    // posted to the box is taken only after everything posted before it, and reading it back
    // with a sent message tells when.
    HWND edit = control(IDC_INSTALL_DIR);
    const int token = ask(edit, EM_GETLIMITTEXT, 0) == 30001 ? 30000 : 30001;
    if (!PostMessageA(edit, EM_SETLIMITTEXT, token, 0)) return !running();
    return wait_until([&] { return !running() || ask(edit, EM_GETLIMITTEXT, 0) == token; });
}

int SetupProgram::progress() const { return ask(control(IDC_PROGRESS), PBM_GETPOS, 0); }
int SetupProgram::progress_bound() const { return ask(control(IDC_PROGRESS), PBM_GETRANGE, FALSE); }

HWND SetupProgram::find_box() const { return find_window(info_.dwProcessId, "#32770", nullptr, window_); }

std::optional<Box> SetupProgram::wait_box() const {
    Box box;
    if (!wait_until([&] { return (box.window = find_box()) != nullptr; })) return std::nullopt;
    static_cast<SEEN_BOX&>(box) = TEST_read_box(box.window);
    box.progress = progress();
    HWND status = control(IDC_STATUS_LABEL);
    box.status = IsWindowVisible(status) ? TEST_window_text(status) : "(hidden)";
    return box;
}

bool SetupProgram::answer(HWND box, int button) const {
    return PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0) && wait_until([&] { return !IsWindow(box); });
}

std::string SetupProgram::differences(const Screen& screen) const {
    auto describe = [](bool visible, bool enabled, const std::string& text) {
        return visible ? "\"" + text + (enabled ? "\" enabled" : "\" disabled") : std::string("hidden");
    };
    std::string found;
    for (int id : {IDC_SLOT1, IDC_SLOT2, IDC_SLOT3, IDC_SLOT4, IDC_SLOT5, IDC_STATUS_LABEL, IDC_PROMPT_LABEL,
                   IDC_INSTALL_DIR, IDC_SECOND_STATUS, IDC_DIR_OK, IDC_DIR_CANCEL, IDC_PROGRESS}) {
        const std::string text = TEST_window_text(control(id));
        std::string wanted = "hidden";
        for (const Shown& shown : screen.shown)
            if (shown.id == id) wanted = describe(true, shown.enabled, shown.text.value_or(text));
        const std::string seen = describe(IsWindowVisible(control(id)), IsWindowEnabled(control(id)), text);
        if (seen != wanted) found += "  control " + std::to_string(id) + ": " + seen + ", expected " + wanted + "\n";
    }
    return found.empty() ? found : std::string("not the ") + screen.name + ":\n" + found;
}

std::string SetupProgram::wait_screen(const Screen& screen) const {
    std::string found;
    wait_until([&] { return (found = differences(screen)).empty(); });
    return found;
}

std::string SetupProgram::stays_on(const Screen& screen) {
    fence();
    if (!running()) return std::string("the program ended on the ") + screen.name;
    if (HWND box = find_box()) return "a message box \"" + TEST_read_box(box).text + "\"";
    return differences(screen);
}

// ---- pixels -------------------------------------------------------------------------------

std::vector<unsigned> bitmap_pixels(HBITMAP bitmap, int width, int height) {
    std::vector<unsigned> pixels(static_cast<size_t>(width * height));
    BITMAPINFO format{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr);
    if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS) != height)
        pixels.clear();
    ReleaseDC(nullptr, screen);
    for (unsigned& pixel : pixels) pixel &= 0xFFFFFFu;
    return pixels;
}

std::vector<unsigned> screen_pixels(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    // The screen, not the window: what the window shows is what ends up on the display.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::vector<unsigned> pixels = copied ? bitmap_pixels(bitmap, width, height) : std::vector<unsigned>{};
    DeleteObject(bitmap);
    return pixels;
}

}  // namespace gui

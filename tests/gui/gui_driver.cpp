// Driving setup.exe from outside: process control, window and box reading, clicks and typing,
// registry and file checks, and captures of what the display shows.
#include "gui_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace gui {

namespace fs = std::filesystem;

// ---- paths, files and the registry --------------------------------------------------------

std::string windows_path(const char* host_path) {
    std::string path = "Z:";
    for (const char* p = host_path; *p != '\0'; ++p) path += (*p == '/') ? '\\' : *p;
    return path;
}

std::string windows_dir() {
    char buffer[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length < sizeof buffer ? std::string(buffer) : std::string();
}

std::string join(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '\\') return directory + name;
    return directory + "\\" + name;
}

bool file_exists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool dir_exists(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool read_file(const std::string& path, std::string* content) {
    std::ifstream file(path, std::ios::binary);
    *content = std::string(std::istreambuf_iterator<char>(file), {});
    return file.good() || file.eof();
}

bool write_file(const std::string& path, const std::string& content) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << content);
}

bool files_equal(const std::string& first, const std::string& second) {
    std::string a, b;
    return read_file(first, &a) && read_file(second, &b) && a == b;
}

void remove_tree(const std::string& path) {
    std::error_code error;
    // Copies from a disc keep their read-only mark; clear it so the delete goes through.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path, error))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
    fs::remove_all(path, error);
}

bool make_dirs(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return dir_exists(path);
}

void delete_record() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY); }

bool record_exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool write_record(const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name, type, data, size) == ERROR_SUCCESS;
}

bool write_record_string(const char* name, const std::string& value) {
    return write_record(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

std::string read_record_string(const char* name) {
    char buffer[1024] = "";
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return "<no string " + std::string(name) + ">";
    return buffer;
}

static std::string app_defaults_key(const char* program) {
    return std::string("Software\\Wine\\AppDefaults\\") + program;
}

bool hide_library_from(const char* program, const char* library) {
    const std::string path = app_defaults_key(program) + "\\DllOverrides";
    // An empty load order means "do not load".
    return RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), library, REG_SZ, "", 1) == ERROR_SUCCESS;
}

void unhide_libraries_from(const char* program) { RegDeleteTreeA(HKEY_CURRENT_USER, app_defaults_key(program).c_str()); }

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

bool SetupProgram::running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool SetupProgram::wait_exit(DWORD* exit_code) {
    DWORD code = 0;
    const bool ended = info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, WAIT_MS) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(info_.hProcess, &code);
    if (exit_code != nullptr) *exit_code = code;
    return ended;
}

void SetupProgram::terminate() {
    if (info_.hProcess != nullptr) {
        if (running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, WAIT_MS);
        }
        CloseHandle(info_.hProcess);
        if (info_.hThread != nullptr) CloseHandle(info_.hThread);
    }
    info_ = PROCESS_INFORMATION{};
    window_ = nullptr;
}

bool SetupProgram::click(int id) { return PostMessageA(control(id), BM_CLICK, 0, 0) != 0; }

bool SetupProgram::command(int id) {
    return PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control(id))) != 0;
}

bool SetupProgram::mouse_click(int id) {
    // The pointer presses whatever lies on top there: bring the window up first.
    SetForegroundWindow(window_);
    RECT area{};
    if (!GetWindowRect(control(id), &area) || !SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2))
        return false;
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
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

bool SetupProgram::painted() {
    // Painting comes after every posted message, so first the fence, then no update region left.
    return fence() && wait_until([this] {
               bool unpainted = GetUpdateRect(window_, nullptr, FALSE) != 0;
               for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
                   unpainted = unpainted || GetUpdateRect(child, nullptr, FALSE) != 0;
               return !unpainted;
           });
}

int SetupProgram::progress() const { return ask(control(IDC_PROGRESS), PBM_GETPOS, 0); }
int SetupProgram::progress_bound() const { return ask(control(IDC_PROGRESS), PBM_GETRANGE, FALSE); }

HWND SetupProgram::find_box() const { return find_window(info_.dwProcessId, "#32770", nullptr, window_); }

std::optional<Box> SetupProgram::wait_box() const {
    Box box;
    if (!wait_until([&] { return (box.window = find_box()) != nullptr; })) return std::nullopt;
    static_cast<SEEN_BOX&>(box) = TEST_read_box(box.window);
    box.progress = progress();
    return box;
}

bool SetupProgram::answer(const Box& box, int button) const {
    return PostMessageA(GetDlgItem(box.window, button), BM_CLICK, 0, 0) &&
           wait_until([&] { return !IsWindow(box.window); });
}

std::string SetupProgram::differences(const Screen& screen) const {
    static const int controls[] = {IDC_SLOT1,       IDC_SLOT2,         IDC_SLOT3, IDC_SLOT4,      IDC_SLOT5,
                                   IDC_STATUS_LABEL, IDC_PROMPT_LABEL, IDC_INSTALL_DIR, IDC_SECOND_STATUS,
                                   IDC_DIR_OK,       IDC_DIR_CANCEL,   IDC_PROGRESS};
    std::string found;
    for (int id : controls) {
        const Shown* wanted = nullptr;
        for (const Shown& shown : screen.shown)
            if (shown.id == id) wanted = &shown;
        const bool visible = IsWindowVisible(control(id)) != 0;
        const bool enabled = IsWindowEnabled(control(id)) != 0;
        const std::string text = TEST_window_text(control(id));
        if (wanted == nullptr ? !visible
                              : visible && enabled == wanted->enabled && (!wanted->text || text == *wanted->text))
            continue;
        char line[1200];
        std::snprintf(line, sizeof line, "  control %d: \"%s\" %s %s, expected %s%s%s %s\n", id, text.c_str(),
                      visible ? "shown" : "hidden", enabled ? "enabled" : "disabled", wanted ? "\"" : "",
                      wanted ? wanted->text.value_or("(any)").c_str() : "hidden", wanted ? "\" shown" : "",
                      wanted ? (wanted->enabled ? "enabled" : "disabled") : "");
        found += line;
    }
    return found;
}

std::string SetupProgram::wait_screen(const Screen& screen) const {
    std::string found;
    wait_until([&] { return (found = differences(screen)).empty(); });
    return found.empty() ? found : std::string("not the ") + screen.name + ":\n" + found;
}

std::string SetupProgram::stays_on(const Screen& screen) {
    fence();
    if (!running()) return std::string("the program ended on the ") + screen.name;
    if (HWND box = find_box()) return "a message box \"" + TEST_read_box(box).text + "\"";
    const std::string found = differences(screen);
    return found.empty() ? found : std::string("not the ") + screen.name + ":\n" + found;
}

// ---- pixels -------------------------------------------------------------------------------

bool capture_window(HWND window, Capture* capture) {
    if (!GetWindowRect(window, &capture->area)) return false;
    capture->width = capture->area.right - capture->area.left;
    capture->height = capture->area.bottom - capture->area.top;
    capture->pixels.assign(static_cast<size_t>(capture->width * capture->height), 0);
    // The screen, not the window: what the window shows is what ends up on the display.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, capture->width, capture->height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    bool ok = BitBlt(memory, 0, 0, capture->width, capture->height, screen, capture->area.left, capture->area.top,
                     SRCCOPY) != 0;
    SelectObject(memory, previous);
    BITMAPINFO format{{sizeof(BITMAPINFOHEADER), capture->width, -capture->height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    ok = ok && GetDIBits(memory, bitmap, 0, static_cast<UINT>(capture->height), capture->pixels.data(), &format,
                         DIB_RGB_COLORS) == capture->height;
    for (unsigned& pixel : capture->pixels) pixel &= 0xFFFFFFu;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

std::vector<unsigned> pixels_in(const Capture& capture, RECT area) {
    RECT clipped{};
    OffsetRect(&area, -capture.area.left, -capture.area.top);
    const RECT bounds{0, 0, capture.width, capture.height};
    IntersectRect(&clipped, &area, &bounds);
    std::vector<unsigned> pixels;
    for (int y = clipped.top; y < clipped.bottom; ++y)
        for (int x = clipped.left; x < clipped.right; ++x) pixels.push_back(capture.at(x, y));
    return pixels;
}

// A top-down 32-bit BMP: the captured 0x00RRGGBB values are already its blue, green, red, unused bytes.
bool save_bitmap(const Capture& capture, const std::string& path) {
    const DWORD size = static_cast<DWORD>(capture.pixels.size() * sizeof(unsigned));
    const BITMAPINFOHEADER info{sizeof info, capture.width, -capture.height, 1, 32, BI_RGB, size, 0, 0, 0, 0};
    constexpr DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER header{0x4D42, offset + size, 0, 0, offset};
    std::string content(reinterpret_cast<const char*>(&header), sizeof header);
    content.append(reinterpret_cast<const char*>(&info), sizeof info);
    content.append(reinterpret_cast<const char*>(capture.pixels.data()), size);
    return write_file(path, content);
}

}  // namespace gui

// Driving setup.exe from outside: process control, window and box reading, clicks and typing,
// registry and file checks, and captures of what the display shows.
#include "gui_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "resource.h"

namespace gui {

// ---- paths and files ---------------------------------------------------------------------

std::string windows_path(const char* host_path) {
    std::string path = "Z:";
    for (const char* p = host_path; *p != '\0'; ++p) path += (*p == '/') ? '\\' : *p;
    return path;
}

std::string windows_dir() {
    char buffer[MAX_PATH] = "sentinel";
    const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return (length > 0 && length < sizeof buffer) ? std::string(buffer) : std::string();
}

std::string join(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '\\') return directory + name;
    return directory + "\\" + name;
}

bool file_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool dir_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool read_file(const std::string& path, std::string* content) {
    content->clear();
    // Share everything: the programs under test may still be writing or renaming the file.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char block[16384];
    DWORD got = 0;
    bool ok = true;
    for (;;) {
        if (!ReadFile(file, block, sizeof block, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        content->append(block, got);
    }
    CloseHandle(file);
    return ok;
}

bool write_file(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

bool file_has_content(const std::string& path, const std::string& content) {
    std::string actual;
    return read_file(path, &actual) && actual == content;
}

bool files_equal(const std::string& first, const std::string& second) {
    std::string a, b;
    return read_file(first, &a) && read_file(second, &b) && a == b;
}

bool copy_file(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

void remove_tree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    // Copies from a disc keep their read-only mark; clear it so the delete goes through.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(join(path, "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
            remove_tree(join(path, found.cFileName));
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool make_dirs(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            const std::string part = path.substr(0, i);
            if (!dir_exists(part) && !CreateDirectoryA(part.c_str(), nullptr)) return false;
        }
    }
    return dir_exists(path);
}

// ---- the uninstall record -----------------------------------------------------------------

void delete_record() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY); }

bool record_exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool write_record_value(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool write_record_string(const char* name, const std::string& value) {
    return write_record_value(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool read_record_string(const char* name, std::string* value) {
    char buffer[1024];
    std::memset(buffer, 'x', sizeof buffer);
    DWORD size = sizeof buffer - 1;
    DWORD type = 0xdeadbeef;
    value->clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
    *value = buffer;
    return true;
}

static std::string app_defaults_key(const char* program) {
    return std::string("Software\\Wine\\AppDefaults\\") + program;
}

bool hide_library_from(const char* program, const char* library) {
    HKEY key = nullptr;
    const std::string path = app_defaults_key(program) + "\\DllOverrides";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    // An empty load order means "do not load".
    const LONG result = RegSetValueExA(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

void unhide_libraries_from(const char* program) {
    RegDeleteTreeA(HKEY_CURRENT_USER, app_defaults_key(program).c_str());
}

// ---- windows of another process -----------------------------------------------------------

std::string window_text(HWND window) {
    char buffer[1024];
    std::strcpy(buffer, "sentinel");
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 3000, &length))
        return "<no answer>";
    buffer[length < sizeof buffer ? length : sizeof buffer - 1] = '\0';
    return buffer;
}

bool window_text_is(HWND window, const std::string& text) { return window_text(window) == text; }

std::string class_name(HWND window) {
    char buffer[256] = "sentinel";
    return GetClassNameA(window, buffer, sizeof buffer) > 0 ? std::string(buffer) : std::string();
}

namespace {

struct WindowSearch {
    DWORD process_id;
    const char* window_class;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_window(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(window, &owner_process);
    if (owner_process != search->process_id || !IsWindowVisible(window)) return TRUE;
    if (search->window_class != nullptr && class_name(window) != search->window_class) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> process_windows(DWORD process_id, const char* window_class) {
    WindowSearch search{process_id, window_class, {}};
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Box read_box(HWND box) {
    Box result;
    result.window = box;
    char caption[512] = "sentinel";
    if (GetWindowTextA(box, caption, sizeof caption) >= 0) result.caption = caption;
    result.text = window_text(GetDlgItem(box, 0xFFFF));
    result.owner = GetWindow(box, GW_OWNER);
    return result;
}

bool press_box_button(HWND box, int button_id) {
    HWND button = GetDlgItem(box, button_id);
    if (button == nullptr) return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

// ---- screens ------------------------------------------------------------------------------

namespace {

// The controls every screen is checked on, with what the screen tables leave unspecified
// filled in as "hidden".
Screen with_rest_hidden(const char* name, std::vector<ControlLook> shown) {
    static const int all[] = {IDC_SLOT1, IDC_SLOT2, IDC_SLOT3, IDC_SLOT4, IDC_SLOT5, IDC_STATUS_LABEL,
                              IDC_PROMPT_LABEL, IDC_INSTALL_DIR, IDC_SECOND_STATUS, IDC_DIR_OK,
                              IDC_DIR_CANCEL, IDC_PROGRESS};
    Screen screen{name, shown};
    for (int id : all) {
        bool listed = false;
        for (const ControlLook& look : shown) listed = listed || look.id == id;
        if (!listed) screen.controls.push_back({id, std::nullopt, false, -1});
    }
    return screen;
}

}  // namespace

Screen not_installed_menu() {
    return with_rest_hidden("main menu, not installed",
                            {{IDC_SLOT1, "Play Quillmoor Demo", true, 0},
                             {IDC_SLOT2, "Install Quillmoor Demo", true, 1},
                             {IDC_SLOT3, "Install Direct X", false, 1},
                             {IDC_SLOT4, "Read Help file", true, 1},
                             {IDC_SLOT5, "Exit Setup", true, 1}});
}

Screen installed_menu() {
    return with_rest_hidden("main menu, installed",
                            {{IDC_SLOT1, "Play Quillmoor Demo", true, 1},
                             {IDC_SLOT2, "Remove Quillmoor Demo", true, 1},
                             {IDC_SLOT3, "Install Direct X", false, 1},
                             {IDC_SLOT4, "Read Help file", true, 1},
                             {IDC_SLOT5, "Exit Setup", true, 1}});
}

Screen directory_screen(const std::string& directory) {
    return with_rest_hidden("install-directory screen",
                            {{IDC_PROMPT_LABEL, "Please type in your Install Directory", true, 1},
                             {IDC_INSTALL_DIR, directory, true, 1},
                             {IDC_DIR_OK, "Ok", true, 1},
                             {IDC_DIR_CANCEL, "Cancel", true, 1}});
}

Screen type_screen() {
    return with_rest_hidden("install-type screen",
                            {{IDC_SLOT1, "Select Typical Install (180mb)", true, 0},
                             {IDC_SLOT2, "Install Quillmoor Demo (160mb)", true, 1},
                             {IDC_SLOT3, "Select Maximum Install (550mb)", true, 0},
                             {IDC_SLOT4, "Cancel", true, 1},
                             {IDC_SLOT5, "Exit Setup", true, 1}});
}

Screen remove_screen() {
    return with_rest_hidden("remove screen",
                            {{IDC_SLOT1, "Play Quillmoor Demo", true, 0},
                             {IDC_SLOT2, "Remove Quillmoor Demo", true, 1},
                             {IDC_SLOT3, "Install Direct X", true, 0},
                             {IDC_SLOT4, "Read Help file", true, 0},
                             {IDC_SLOT5, "Exit Setup", true, 1}});
}

// ---- the set-up program -------------------------------------------------------------------

SetupProgram::~SetupProgram() { terminate(); }

bool SetupProgram::start(const std::string& exe, const std::string& arguments, const std::string& directory) {
    terminate();
    std::string command = "\"" + exe + "\"";
    if (!arguments.empty()) command += " " + arguments;
    std::vector<char> command_buffer(command.begin(), command.end());
    command_buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), command_buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                        &startup, &info_)) {
        info_ = PROCESS_INFORMATION{};
        return false;
    }
    process_id_ = info_.dwProcessId;
    window_ = nullptr;
    return true;
}

bool SetupProgram::wait_window(DWORD timeout_ms) {
    return wait_until(
        [this] {
            for (HWND candidate : process_windows(process_id_, nullptr)) {
                char title[256] = "sentinel";
                GetWindowTextA(candidate, title, sizeof title);
                if (std::strcmp(title, WINDOW_TITLE) == 0) {
                    window_ = candidate;
                    return true;
                }
            }
            return false;
        },
        timeout_ms);
}

bool SetupProgram::running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool SetupProgram::wait_exit(DWORD timeout_ms, DWORD* exit_code) {
    *exit_code = 0xdeadbeef;
    if (info_.hProcess == nullptr) return false;
    if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(info_.hProcess, exit_code) != 0;
}

void SetupProgram::terminate() {
    if (info_.hProcess != nullptr) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, WAIT_MS);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    info_ = PROCESS_INFORMATION{};
    process_id_ = 0;
    window_ = nullptr;
}

bool SetupProgram::click(int id) {
    HWND button = control(id);
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool SetupProgram::post_command(int id) {
    return PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control(id))) != 0;
}

bool SetupProgram::mouse_click(int id) {
    RECT area{};
    if (!GetWindowRect(control(id), &area)) return false;
    if (!SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2)) return false;
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

bool SetupProgram::type_text(int id, const std::string& text) {
    HWND edit = control(id);
    // Select everything and rub it out first, as a user replacing the text would.
    if (edit == nullptr || !PostMessageA(edit, EM_SETSEL, 0, -1) || !PostMessageA(edit, WM_CHAR, '\b', 1))
        return false;
    for (char c : text)
        if (!PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1)) return false;
    return fence();
}

bool SetupProgram::fence() {
    // The progress bar lives on the window's thread, so a position posted to it is handled after
    // everything posted before; reading the position back with a sent message tells when.
    HWND bar = control(IDC_PROGRESS);
    if (bar == nullptr) return !running();
    DWORD_PTR current = 0;
    SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 3000, &current);
    fence_token_ = (fence_token_ % 50) + 11;
    const int token = (static_cast<int>(current) == fence_token_) ? fence_token_ + 1 : fence_token_;
    PostMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(token), 0);
    return wait_until([&] {
        if (!running()) return true;
        DWORD_PTR position = 0;
        return SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &position) &&
               static_cast<int>(position) == token;
    });
}

HWND SetupProgram::find_box() const {
    const std::vector<HWND> boxes = process_windows(process_id_, "#32770");
    for (HWND box : boxes)
        if (box != window_) return box;
    return nullptr;
}

bool SetupProgram::screen_matches(const Screen& screen, std::string* difference) const {
    difference->clear();
    for (const ControlLook& look : screen.controls) {
        HWND item = control(look.id);
        char line[1200];
        if (item == nullptr) {
            std::snprintf(line, sizeof line, "  control %d: missing\n", look.id);
            *difference += line;
            continue;
        }
        const bool visible = IsWindowVisible(item) != 0;
        const bool enabled = IsWindowEnabled(item) != 0;
        const std::string text = window_text(item);
        if (visible != look.visible || (look.enabled >= 0 && enabled != (look.enabled == 1)) ||
            (look.text && text != *look.text)) {
            std::snprintf(line, sizeof line, "  control %d: \"%s\" %s %s, expected \"%s\" %s %s\n", look.id,
                          text.c_str(), visible ? "visible" : "hidden", enabled ? "enabled" : "disabled",
                          look.text ? look.text->c_str() : "(any text)", look.visible ? "visible" : "hidden",
                          look.enabled < 0 ? "" : (look.enabled ? "enabled" : "disabled"));
            *difference += line;
        }
    }
    return difference->empty();
}

// ---- pixels -------------------------------------------------------------------------------

bool capture_window(HWND window, Capture* capture) {
    RECT area{};
    if (!GetWindowRect(window, &area)) return false;
    capture->area = area;
    capture->width = area.right - area.left;
    capture->height = area.bottom - area.top;
    if (capture->width <= 0 || capture->height <= 0) return false;
    capture->pixels.assign(static_cast<size_t>(capture->width * capture->height), 0xdeadbeef);

    // The screen, not the window: what the window shows is what ends up on the display.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = capture->width;
    format.bmiHeader.biHeight = -capture->height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory != nullptr && bitmap != nullptr && bits != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, capture->width, capture->height, screen, area.left, area.top, SRCCOPY) != 0;
        GdiFlush();
        if (ok) {
            const auto* source = static_cast<const unsigned*>(bits);
            for (size_t i = 0; i < capture->pixels.size(); ++i) capture->pixels[i] = source[i] & 0xFFFFFFu;
        }
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

RECT control_area(const Capture& capture, HWND control) {
    RECT area{};
    GetWindowRect(control, &area);
    OffsetRect(&area, -capture.area.left, -capture.area.top);
    RECT bounds{0, 0, capture.width, capture.height};
    RECT clipped{};
    IntersectRect(&clipped, &area, &bounds);
    return clipped;
}

bool save_bitmap(const Capture& capture, const std::string& path) {
    const int row = (capture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file_header{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = capture.width;
    info.biHeight = capture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(row * capture.height);
    file_header.bfType = 0x4D42;
    file_header.bfOffBits = sizeof file_header + sizeof info;
    file_header.bfSize = file_header.bfOffBits + info.biSizeImage;
    std::string content(reinterpret_cast<const char*>(&file_header), sizeof file_header);
    content.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string line(static_cast<size_t>(row), '\0');
    // BMP rows run bottom-up, pixels as blue, green, red.
    for (int y = capture.height - 1; y >= 0; --y) {
        for (int x = 0; x < capture.width; ++x) {
            const unsigned pixel = capture.at(x, y);
            line[static_cast<size_t>(x * 3)] = static_cast<char>(pixel & 0xFF);
            line[static_cast<size_t>(x * 3 + 1)] = static_cast<char>((pixel >> 8) & 0xFF);
            line[static_cast<size_t>(x * 3 + 2)] = static_cast<char>((pixel >> 16) & 0xFF);
        }
        content += line;
    }
    return write_file(path, content);
}

}  // namespace gui

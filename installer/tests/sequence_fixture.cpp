// The sequences' test stage: state, main window, scratch directory and the registry values the
// sequences read and write, each put back after the test.
#include "sequence_fixture.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "INSTALL.h"
#include "Memory.h"
#include "Strings.h"
#include "resource.h"

namespace {

constexpr const char* SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* UNINSTALL_PARENT = "software\\microsoft\\windows\\CURRENTVERSION\\UNINSTALL";

void remove_tree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::optional<std::string> read_string(HKEY root, const char* key_path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    std::vector<char> buffer(4096, '\0');
    DWORD size = static_cast<DWORD>(buffer.size() - 1);
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return std::string(buffer.data());
}

bool write_value(HKEY root, const char* key_path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, key_path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace

void SEQUENCE_FIXTURE::SetUp() {
    saved_directory_ = current_directory();
    saved_programs_ = read_string(HKEY_CURRENT_USER, SHELL_FOLDERS, "Programs");
    delete_record();

    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = std::string(temp) + "quill-sequences-" + test->test_suite_name() + "-" + test->name();
    remove_tree(scratch_);
    ASSERT_TRUE(CreateDirectoryA(scratch_.c_str(), nullptr)) << scratch_;

    // The runs keep their shell-folder paths in tracked allocations.
    MEMORY_initialise();
    local_install_details = {};
    local_install_details.instance = GetModuleHandleA(nullptr);
    STRINGS_copy(local_install_details.product_name, PRODUCT);
    STRINGS_copy(local_install_details.program_files_dir, "C:\\Program Files");
    window_ = CreateDialogParamA(local_install_details.instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                                 INSTALL_dialog_procedure, 0);
    ASSERT_NE(nullptr, window_);
    local_install_details.main_window = window_;
}

void SEQUENCE_FIXTURE::TearDown() {
    if (window_ != nullptr) DestroyWindow(window_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    local_install_details = {};
    MEMORY_deinitialise();

    SetCurrentDirectoryA(saved_directory_.c_str());
    if (saved_programs_) {
        set_programs_value(*saved_programs_);
    } else {
        delete_programs_value();
    }
    delete_record();
    remove_tree(scratch_);
}

bool SEQUENCE_FIXTURE::shown(int id) const {
    return (GetWindowLongPtrA(GetDlgItem(window_, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

int SEQUENCE_FIXTURE::progress_high() const {
    return static_cast<int>(SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_GETRANGE, FALSE, 0));
}
int SEQUENCE_FIXTURE::progress_low() const {
    return static_cast<int>(SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_GETRANGE, TRUE, 0));
}
int SEQUENCE_FIXTURE::progress_position() const {
    return static_cast<int>(SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_GETPOS, 0, 0));
}

std::string SEQUENCE_FIXTURE::make_dir(const std::string& name) const {
    const std::string path = scratch_ + "\\" + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

bool SEQUENCE_FIXTURE::dir_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SEQUENCE_FIXTURE::file_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SEQUENCE_FIXTURE::write_file(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

std::string SEQUENCE_FIXTURE::read_file(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

std::string SEQUENCE_FIXTURE::current_directory() {
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof buffer, buffer);
    return buffer;
}

void SEQUENCE_FIXTURE::set_install_dir(const std::string& directory) {
    STRINGS_copy(local_install_details.install_dir, directory.c_str());
}

bool SEQUENCE_FIXTURE::set_programs_value(const std::string& folder) {
    return write_value(HKEY_CURRENT_USER, SHELL_FOLDERS, "Programs", REG_SZ, folder.c_str(),
                       static_cast<DWORD>(folder.size() + 1));
}

bool SEQUENCE_FIXTURE::delete_programs_value() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SHELL_FOLDERS, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
    const LONG result = RegDeleteValueA(key, "Programs");
    RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool SEQUENCE_FIXTURE::write_record_value(const char* name, const std::string& value) {
    return write_value(HKEY_LOCAL_MACHINE, RECORD_KEY, name, REG_SZ, value.c_str(),
                       static_cast<DWORD>(value.size() + 1));
}

bool SEQUENCE_FIXTURE::write_record_bytes(const char* name, const void* data, DWORD size) {
    return write_value(HKEY_LOCAL_MACHINE, RECORD_KEY, name, REG_BINARY, data, size);
}

std::optional<std::string> SEQUENCE_FIXTURE::read_record_value(const char* name) {
    return read_string(HKEY_LOCAL_MACHINE, RECORD_KEY, name);
}

bool SEQUENCE_FIXTURE::record_exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RECORD_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void SEQUENCE_FIXTURE::delete_record() {
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_PARENT, 0, KEY_WRITE, &parent) != ERROR_SUCCESS) return;
    RegDeleteKeyA(parent, PRODUCT);
    RegCloseKey(parent);
}

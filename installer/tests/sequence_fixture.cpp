// The sequences' test stage: state, main window, scratch directory and the registry values the
// sequences read and write, each put back after the test.
#include "sequence_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Fixed.h"
#include "INSTALL.h"
#include "Memory.h"
#include "Strings.h"
#include "resource.h"

namespace {

std::string record_key() { return std::string(INSTALL_UNINSTALL_PARENT) + "\\" + SEQUENCE_PRODUCT; }

void delete_record() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, record_key().c_str()); }

}  // namespace

bool dir_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool file_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool write_file(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    return static_cast<bool>(file << content);
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

std::string current_directory() {
    char buffer[MAX_PATH] = "sentinel";
    GetCurrentDirectoryA(sizeof buffer, buffer);
    return buffer;
}

void SEQUENCE_FIXTURE::SetUp() {
    saved_directory_ = current_directory();
    char programs[MAX_PATH] = "sentinel";
    DWORD size = sizeof programs;
    if (RegGetValueA(HKEY_CURRENT_USER, INSTALL_SHELL_FOLDERS_KEY, INSTALL_PROGRAMS_VALUE, RRF_RT_REG_SZ, nullptr,
                     programs, &size) == ERROR_SUCCESS)
        saved_programs_ = programs;
    delete_record();

    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = (std::filesystem::temp_directory_path() / "quill-sequences-").string() + test->name();
    std::error_code error;
    std::filesystem::remove_all(scratch_, error);
    ASSERT_TRUE(CreateDirectoryA(scratch_.c_str(), nullptr)) << scratch_;

    // The runs keep their shell-folder paths in tracked allocations.
    MEMORY_initialise();
    local_install_details = {};
    local_install_details.instance = GetModuleHandleA(nullptr);
    STRINGS_copy(local_install_details.product_name, PRODUCT);
    window_ = CreateDialogParamA(local_install_details.instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                                 INSTALL_dialog_procedure, 0);
    ASSERT_NE(nullptr, window_);
    local_install_details.main_window = window_;
}

void SEQUENCE_FIXTURE::TearDown() {
    if (window_ != nullptr) DestroyWindow(window_);
    local_install_details = {};
    MEMORY_deinitialise();
    SetCurrentDirectoryA(saved_directory_.c_str());
    set_programs_value(saved_programs_);
    delete_record();
    std::error_code error;
    std::filesystem::remove_all(scratch_, error);
}

bool SEQUENCE_FIXTURE::shown(int id) const {
    return (GetWindowLongPtrA(GetDlgItem(window_, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string SEQUENCE_FIXTURE::slot_text(int id) const {
    char text[INSTALL_TEXT_SIZE] = "sentinel";
    GetDlgItemTextA(window_, id, text, sizeof text);
    return text;
}

std::string SEQUENCE_FIXTURE::make_dir(const std::string& name) const {
    const std::string path = scratch_ + "\\" + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

bool SEQUENCE_FIXTURE::set_programs_value(const std::optional<std::string>& folder) {
    const LONG result =
        folder ? RegSetKeyValueA(HKEY_CURRENT_USER, INSTALL_SHELL_FOLDERS_KEY, INSTALL_PROGRAMS_VALUE, REG_SZ,
                                 folder->c_str(), static_cast<DWORD>(folder->size() + 1))
               : RegDeleteKeyValueA(HKEY_CURRENT_USER, INSTALL_SHELL_FOLDERS_KEY, INSTALL_PROGRAMS_VALUE);
    return result == ERROR_SUCCESS || (!folder && result == ERROR_FILE_NOT_FOUND);
}

bool SEQUENCE_FIXTURE::write_record_value(const char* name, const void* data, DWORD size, DWORD type) {
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, record_key().c_str(), name, type, data, size) == ERROR_SUCCESS;
}

bool SEQUENCE_FIXTURE::record_exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, record_key().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

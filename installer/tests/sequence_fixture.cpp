// The sequences' test stage: state, main window, scratch directory and the registry values the
// sequences read and write, each put back after the test.
#include "sequence_fixture.h"

#include <filesystem>

#include "Fixed.h"
#include "INSTALL.h"
#include "Memory.h"
#include "Strings.h"
#include "resource.h"

namespace {

const std::string record_key = std::string(INSTALL_UNINSTALL_PARENT) + "\\" + SEQUENCE_PRODUCT;

}  // namespace

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
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, record_key.c_str());

    scratch = (std::filesystem::temp_directory_path() / "quill-sequences-").string() +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    remove_tree(scratch);
    ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), nullptr)) << scratch;

    // The runs keep their shell-folder paths in tracked allocations.
    MEMORY_initialise();
    local_install_details = {};
    local_install_details.instance = GetModuleHandleA(nullptr);
    STRINGS_copy(local_install_details.product_name, PRODUCT);
    window = CreateDialogParamA(local_install_details.instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                                INSTALL_dialog_procedure, 0);
    ASSERT_NE(nullptr, window);
    local_install_details.main_window = window;
}

void SEQUENCE_FIXTURE::TearDown() {
    if (window != nullptr) DestroyWindow(window);
    local_install_details = {};
    MEMORY_deinitialise();
    SetCurrentDirectoryA(saved_directory_.c_str());
    set_programs_value(saved_programs_);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, record_key.c_str());
    remove_tree(scratch);
}

std::string SEQUENCE_FIXTURE::make_dir(const std::string& name) const {
    const std::string path = scratch + "\\" + name;
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

bool SEQUENCE_FIXTURE::write_record_value(const char* name, const std::string& data) {
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, record_key.c_str(), name, REG_SZ, data.data(),
                           static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool SEQUENCE_FIXTURE::record_exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, record_key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

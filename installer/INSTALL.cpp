// The set-up program's entry point: start-up in a fixed order, the first screen, the message loop
// and shutdown.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "COPYFLST.h"
#include "Fixed.h"
#include "INSTALL.h"
#include "Memory.h"
#include "Strings.h"
#include "WINUTILS.h"
#include "resource.h"

namespace {

constexpr int CSIDL_PROGRAM_FILES_CREATE = 0x8026;  // CSIDL_PROGRAM_FILES | CSIDL_FLAG_CREATE
constexpr DWORD OWN_PATH_SIZE = 1024;

// Paths that only start-up uses.
struct startup_paths {
    char windows_dir[INSTALL_PATH_SIZE];
    char own_path[OWN_PATH_SIZE];
    char dsetup_source[INSTALL_PATH_SIZE];
    char dsetup_target[INSTALL_PATH_SIZE];
    char dsetup32_target[INSTALL_PATH_SIZE];
};

// A path that does not fit its buffer is left empty rather than cut: a cut path would name some
// other file, while an empty one is never used.
void startup_format_path(char* buffer, std::size_t size, const char* pattern, ...) STRINGS_PRINTF(3, 4);
void startup_format_path(char* buffer, std::size_t size, const char* pattern, ...) {
    std::va_list arguments;
    va_start(arguments, pattern);
    if (!STRINGS_vformat(buffer, size, pattern, arguments)) buffer[0] = '\0';
    va_end(arguments);
}

void startup_find_program_files(void) {
    INSTALL_DETAILS& details = local_install_details;
    details.get_folder_path = COPYFLST_get_folder_path_function();
    if (details.get_folder_path == nullptr) {
        STRINGS_copy(details.program_files_dir, INSTALL_FALLBACK_PROGRAM_FILES);
        return;
    }
    // Only E_INVALIDARG replaces the answer; other failures keep what the call wrote.
    HRESULT result =
        details.get_folder_path(nullptr, CSIDL_PROGRAM_FILES_CREATE, nullptr, 0, details.program_files_dir);
    if (result == E_INVALIDARG) STRINGS_copy(details.program_files_dir, INSTALL_FALLBACK_PROGRAM_FILES);
    details.program_files_dir[sizeof details.program_files_dir - 1] = '\0';
}

void startup_check_version(void) {
    OSVERSIONINFOA version = {};
    static_assert(sizeof version == 148, "the version record has the size the version query expects");
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) {
        MessageBoxA(local_install_details.main_window, INSTALL_VERSION_FAILED_TEXT, INSTALL_ERROR_CAPTION, MB_OK);
    }
}

// A drive root such as D:\ is kept as D: so that "<SRC>\data" gives D:\data.
void startup_cut_drive_root(char* directory) {
    if (std::strlen(directory) == 3 && directory[1] == ':') directory[2] = '\0';
}

// Clears a read-only mark the disc may have given the program file, so that its copies are
// writable and the next start can overwrite them.
void startup_clear_read_only(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    std::fclose(file);
}

void startup_copy(const char* source, const char* target) {
    if (source[0] == '\0' || target[0] == '\0') return;
    CopyFileA(source, target, FALSE);
}

// The uninstall record decides between the two main menus; its value is not kept.
void startup_show_first_screen(void) {
    INSTALL_DETAILS& details = local_install_details;
    if (details.remove_mode) {
        details.installed = 1;
        INSTALL_show_remove_screen();
        return;
    }
    char key_path[INSTALL_PATH_SIZE];
    char scratch[WINUTILS_REGISTRY_BUFFER_SIZE] = {};
    bool found = STRINGS_format(key_path, sizeof key_path, INSTALL_UNINSTALL_KEY_PATTERN, details.product_name) &&
                 WINUTILS_get_registry_entry(WINUTILS_ROOT_LOCAL_MACHINE, key_path, INSTALL_TARGET_DIR_VALUE, scratch);
    if (found) {
        details.installed = 1;
        INSTALL_show_installed_menu();
    } else {
        details.installed = 0;
        INSTALL_show_install_menu();
    }
    details.at_main_menu = 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line, int show_command) {
    (void)previous_instance;
    (void)show_command;
    INSTALL_DETAILS& details = local_install_details;
    static startup_paths paths = {};

    MEMORY_initialise();
    details.language_offset = 0;
    InitCommonControls();
    std::setlocale(LC_ALL, INSTALL_LOCALE);
    CoInitialize(nullptr);
    OleInitialize(nullptr);
    startup_find_program_files();
    const UINT windows_length = GetWindowsDirectoryA(paths.windows_dir, sizeof paths.windows_dir);
    if (windows_length == 0 || windows_length >= sizeof paths.windows_dir) paths.windows_dir[0] = '\0';
    details.instance = instance;
    INSTALL_load_text(MSG_APPLICATION_NAME, details.product_name, sizeof details.product_name);
    HWND owner = GetDesktopWindow();
    INSTALL_load_skin();
    // The program's own path, read once: the command line's tail is taken after it, and the
    // uninstaller copy is made from it. Older systems leave a full buffer unterminated.
    GetModuleFileNameA(nullptr, paths.own_path, OWN_PATH_SIZE);
    paths.own_path[OWN_PATH_SIZE - 1] = '\0';
    const char* tail = INSTALL_command_tail(GetCommandLineA(), paths.own_path, command_line);
    details.remove_mode = tail != nullptr && std::strcmp(tail, INSTALL_REMOVE_COMMAND) == 0 ? 1 : 0;

    details.quit_requested = 0;
    details.main_window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), owner,
                                             INSTALL_dialog_procedure, 0);
    if (GetCurrentDirectoryA(sizeof details.src_dir, details.src_dir) >= sizeof details.src_dir) {
        details.src_dir[0] = '\0';
    }
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    SetClassLongPtrA(details.main_window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    ShowWindow(details.main_window, SW_SHOW);
    SetWindowTextA(details.main_window, INSTALL_WINDOW_TITLE);
    startup_check_version();

    startup_cut_drive_root(details.src_dir);
    // A directory that is not known leaves its paths empty too: they would name files at the root of
    // the current drive.
    if (paths.windows_dir[0] != '\0') {
        startup_format_path(details.uninstaller_path, sizeof details.uninstaller_path, INSTALL_UNINSTALLER_PATTERN,
                            paths.windows_dir, details.product_name);
        startup_format_path(paths.dsetup_target, sizeof paths.dsetup_target, INSTALL_DSETUP_PATTERN, paths.windows_dir);
        startup_format_path(paths.dsetup32_target, sizeof paths.dsetup32_target, INSTALL_DSETUP32_PATTERN,
                            paths.windows_dir);
    }
    if (details.src_dir[0] != '\0')
        startup_format_path(paths.dsetup_source, sizeof paths.dsetup_source, INSTALL_DSETUP_PATTERN, details.src_dir);
    startup_clear_read_only(paths.own_path);
    // Every start refreshes the uninstaller copy and the DirectX set-up library; failures do not
    // matter (no library on the disc, a write-protected Windows directory, the uninstaller
    // copying itself onto itself).
    startup_copy(paths.own_path, details.uninstaller_path);
    startup_copy(paths.dsetup_source, paths.dsetup_target);
    startup_copy(paths.dsetup_source, paths.dsetup32_target);

    startup_show_first_screen();

    // No dialog-message call: Tab and Escape do nothing in this window.
    while (GetMessageA(&details.message, nullptr, 0, 0) != 0) {
        if (details.quit_requested) break;
        TranslateMessage(&details.message);
        DispatchMessageA(&details.message);
    }

    MEMORY_deinitialise();
    OleUninitialize();
    CoUninitialize();
    return static_cast<int>(details.message.wParam);
}

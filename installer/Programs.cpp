// The Start menu's Programs folder as the shell records it for the current user: the folder in
// which the game's own Start-menu folder is made and removed.
#include <shlobj.h>

#include <cstring>

#include "Fixed.h"
#include "Handles.h"
#include "INSTALL.h"
#include "Sequences.h"
#include "Strings.h"

namespace {

// Takes a Programs folder into the field. One that would fit the field only cut is no folder: the
// field keeps what it held.
BOOL8 take_programs_folder(const char* folder) {
    if (std::strlen(folder) >= sizeof local_install_details.start_menu_folder) return FALSE;
    return STRINGS_copy(local_install_details.start_menu_folder, folder);
}

}  // namespace

BOOL8 get_programs_folder(void) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, INSTALL_SHELL_FOLDERS_KEY, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return FALSE;
    }
    WINUTILS_REGISTRY_KEY key(opened);
    // A failed read (a value too long, say) may leave part of it in the buffer, while the field
    // must keep what it held: read into a scratch buffer and copy only what was read whole. One
    // byte beyond what is offered gives a value stored without its terminator one.
    char folder[INSTALL_PATH_SIZE + 1];
    DWORD size = INSTALL_PATH_SIZE;
    if (RegQueryValueExA(key.get(), INSTALL_PROGRAMS_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(folder),
                         &size) != ERROR_SUCCESS) {
        return FALSE;
    }
    // An empty value is read like any other; the install asks the shell instead of using it.
    folder[size <= INSTALL_PATH_SIZE ? size : INSTALL_PATH_SIZE] = '\0';
    return take_programs_folder(folder);
}

BOOL8 programs_folder_from_shell(void) {
    INSTALL_DETAILS& details = local_install_details;
    char folder[MAX_PATH];
    if (details.get_folder_path == nullptr || details.get_folder_path(nullptr, CSIDL_PROGRAMS, nullptr, 0, folder) != S_OK)
        return FALSE;
    folder[MAX_PATH - 1] = '\0';
    return folder[0] != '\0' && take_programs_folder(folder);
}

// Starting the installed game from its registered directory, and opening the disc's help file.
#include <cstdio>
#include <process.h>

#include "Fixed.h"
#include "Handles.h"
#include "INSTALL.h"
#include "Strings.h"
#include "resource.h"

void INSTALL_play_game(void) {
    if (INSTALL_run_installed_program(local_install_details.product_name, INSTALL_GAME_PROGRAM)) {
        // The game runs on by itself; the installer ends.
        PostQuitMessage(0);
        return;
    }
    char text[INSTALL_SHORT_TEXT_SIZE];
    char caption[INSTALL_SHORT_TEXT_SIZE];
    INSTALL_load_text(MSG_FAILEDSTARTGAME, text, sizeof text);
    INSTALL_load_text(MSG_INFO, caption, sizeof caption);
    MessageBoxA(GetDesktopWindow(), text, caption, MB_OK);
}

BOOL8 INSTALL_read_recorded_directory(const char* product_name, char (&directory)[INSTALL_PATH_SIZE + 1]) {
    char key_path[INSTALL_PATH_SIZE];
    HKEY opened = nullptr;
    if (!STRINGS_format(key_path, sizeof key_path, INSTALL_UNINSTALL_KEY_PATTERN, product_name) ||
        RegOpenKeyA(HKEY_LOCAL_MACHINE, key_path, &opened) != ERROR_SUCCESS)
        return FALSE;
    WINUTILS_REGISTRY_KEY key(opened);
    DWORD size = INSTALL_PATH_SIZE;
    if (RegQueryValueExA(key.get(), INSTALL_TARGET_DIR_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(directory),
                         &size) != ERROR_SUCCESS)
        return FALSE;
    directory[size <= INSTALL_PATH_SIZE ? size : INSTALL_PATH_SIZE] = '\0';
    return TRUE;
}

BOOL8 INSTALL_run_installed_program(const char* product_name, const char* program_name) {
    char path[INSTALL_PATH_SIZE + 1];
    if (!INSTALL_read_recorded_directory(product_name, path)) return FALSE;

    SetCurrentDirectoryA(path);
    BOOL8 fits = STRINGS_append(path, INSTALL_PATH_SIZE, "\\");
    if (fits) fits = STRINGS_append(path, INSTALL_PATH_SIZE, program_name);
    // A path cut short would name some other file; such a start simply does not happen, which
    // the caller cannot tell from a start that failed.
    if (fits) {
        // No argument at all, not even the program's own name: the game gets an empty command line.
        _spawnl(_P_NOWAIT, path, static_cast<const char*>(nullptr));
    }
    return TRUE;
}

void INSTALL_show_help(void) {
    std::FILE* file = std::fopen(INSTALL_HELP_FILE, "r");
    if (file != nullptr) {
        std::fclose(file);
        WinExec(INSTALL_HELP_COMMAND, SW_SHOW);
        return;
    }
    char caption[INSTALL_TEXT_SIZE];
    char text[INSTALL_TEXT_SIZE];
    char message[INSTALL_TEXT_SIZE];
    INSTALL_load_text(MSG_ERROR, caption, sizeof caption);
    INSTALL_load_text(MSG_UNABLETOOPEN, text, sizeof text);
    STRINGS_format(message, sizeof message, INSTALL_HELP_MISSING_PATTERN, text);
    MessageBoxA(local_install_details.main_window, message, caption, MB_OK);
}

// Windows utility layer: registry access by root index and key path, and shell shortcuts.
#pragma once

#include <windows.h>

#include "CommandLine.h"
#include "Types.h"

// Root index of the registry operations.
enum : std::int32_t {
    WINUTILS_ROOT_CLASSES_ROOT = 0,
    WINUTILS_ROOT_CURRENT_USER = 1,
    WINUTILS_ROOT_LOCAL_MACHINE = 2,
    WINUTILS_ROOT_USERS = 3,
    WINUTILS_ROOT_CURRENT_CONFIG = 4,
    WINUTILS_ROOT_DYN_DATA = 5
};

#define WINUTILS_REGISTRY_BUFFER_SIZE 512

// Writes a string value (text not null) or a 32-bit number (text null), creating missing keys.
BOOL8 WINUTILS_set_registry_entry(std::int32_t root, const char* key_path, const char* value_name,
                                  const char* text, std::uint32_t number);
// With a null value name deletes the key parent\subkey, else the named value inside it.
BOOL8 WINUTILS_clear_registry_entry(std::int32_t root, const char* parent_path, const char* subkey,
                                    const char* value_name);
// Reads a value into a buffer of WINUTILS_REGISTRY_BUFFER_SIZE bytes: a string as it is, a
// number as decimal text. FALSE for a missing value and for every other type.
BOOL8 WINUTILS_get_registry_entry(std::int32_t root, const char* key_path, const char* value_name,
                                  char* buffer);

// Saves a shortcut to target as link_file through the shell's link object. arguments may be null
// for none. The thread must have initialised COM. FALSE only when the link object cannot be
// created: a link that could not be saved (a missing folder, say) still answers TRUE.
BOOL8 WINUTILS_create_file_link(const char* target, const char* link_file, const char* description,
                                const char* working_dir, const char* arguments);

// Modal questions, the message pump and the command-line splitter. Library helpers: the
// installer's own screens do not use them.

// Mode bits of WINUTILS_file_requestor, tried in this order until one dialog is confirmed.
#define WINUTILS_REQUEST_OPEN 1
#define WINUTILS_REQUEST_SAVE_CHECKED 2
#define WINUTILS_REQUEST_SAVE 4
// The file-name buffer WINUTILS_file_requestor works with.
#define WINUTILS_FILE_NAME_SIZE 256

// Asks for one line of text in the dialog template 900. The buffer holds the initial text on
// entry and the answer (at most size - 1 characters) after OK. Cancel or closing the dialog ends
// the program with exit code -1. Always 0.
std::int32_t WINUTILS_get_text_string(const char* title, const char* prompt, char* buffer, std::int32_t size);
// Shows the open and save dialogs the mode bits name, one after the other, until one is
// confirmed; the chosen path is then in file_name (WINUTILS_FILE_NAME_SIZE bytes). The current
// directory is the same afterwards as before. TRUE when a dialog was confirmed.
BOOL8 WINUTILS_file_requestor(const char* title, char* file_name, const char* default_extension,
                              const char* filter_description, const char* filter_pattern,
                              const char* initial_dir, std::uint32_t mode);
// Shows the folder browser; title may be null. path holds at least MAX_PATH bytes. TRUE when a
// folder was chosen, its path then in the buffer.
BOOL8 WINUTILS_folder_requestor(const char* title, char* path);
// Dispatches whatever is waiting in the calling thread's queue; a quit message is taken and ends it.
void WINUTILS_process_messages(void);
// WINUTILS_parse_command_line, the command-line splitter, is declared in CommandLine.h.

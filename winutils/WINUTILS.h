// Windows utility layer: registry access by root index and key path, and shell shortcuts.
#pragma once

#include <windows.h>

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

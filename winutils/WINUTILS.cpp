// Registry access by root index and key path, so that callers never hold registry handles.
#define EBUG_MODULE "WINUTILS"

#include "WINUTILS.h"

#include <cstring>

#include "EBUG.h"
#include "Handles.h"
#include "Strings.h"

namespace {

// Indexed by the root argument of the operations.
HKEY const registry_roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,    HKEY_LOCAL_MACHINE,
                               HKEY_USERS,        HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};
constexpr std::int32_t registry_root_count = static_cast<std::int32_t>(sizeof registry_roots / sizeof registry_roots[0]);

// Every operation refuses an index outside the table rather than read past it; callers pass 0 to 2.
bool registry_root_is_valid(std::int32_t root) { return root >= 0 && root < registry_root_count; }

// A REG_SZ value need not carry its terminator, and one may fill the buffer to the last byte: the
// text is terminated in place when there is room, refused when there is none.
bool registry_terminate_string(char* buffer, DWORD size) {
    if (std::memchr(buffer, '\0', size) != nullptr) return true;
    if (size >= WINUTILS_REGISTRY_BUFFER_SIZE) return false;
    buffer[size] = '\0';
    return true;
}

}  // namespace

BOOL8 WINUTILS_set_registry_entry(std::int32_t root, const char* key_path, const char* value_name,
                                  const char* text, std::uint32_t number) {
    ENTER();
    if (!registry_root_is_valid(root)) EBUG_RETURN(FALSE);

    HKEY opened = nullptr;
    if (RegCreateKeyA(registry_roots[root], key_path, &opened) != ERROR_SUCCESS) EBUG_RETURN(FALSE);
    WINUTILS_REGISTRY_KEY key(opened);

    LONG written;
    if (text != nullptr) {
        std::size_t length = std::strlen(text) + 1;  // the terminator is part of the stored value
        if (length > MAXDWORD) EBUG_RETURN(FALSE);
        written = RegSetValueExA(key.get(), value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(length));
    } else {
        written = RegSetValueExA(key.get(), value_name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                 sizeof number);
    }
    if (written != ERROR_SUCCESS) EBUG_RETURN(FALSE);

    // Flushed at once: the installer's record must survive a crash or a reset right after it.
    LONG flushed = RegFlushKey(key.get());
    key.reset();
    EBUG_RETURN(flushed == ERROR_SUCCESS ? TRUE : FALSE);
}

BOOL8 WINUTILS_clear_registry_entry(std::int32_t root, const char* parent_path, const char* subkey,
                                    const char* value_name) {
    ENTER();
    EBUG_ASSERT(parent_path != nullptr);
    EBUG_ASSERT(subkey != nullptr);
    if (!registry_root_is_valid(root) || parent_path == nullptr || subkey == nullptr) EBUG_RETURN(FALSE);

    // A cut path would name some other key, and deleting that must never happen.
    char full_path[WINUTILS_REGISTRY_BUFFER_SIZE];
    if (!STRINGS_format(full_path, sizeof full_path, "%s\\%s", parent_path, subkey)) EBUG_RETURN(FALSE);

    HKEY opened = nullptr;
    if (value_name == nullptr) {
        // The parent is opened with full access first so that a key we may not change is left alone.
        if (RegOpenKeyExA(registry_roots[root], parent_path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
            EBUG_RETURN(FALSE);
        WINUTILS_REGISTRY_KEY parent(opened);
        if (RegDeleteKeyA(registry_roots[root], full_path) != ERROR_SUCCESS) EBUG_RETURN(FALSE);
        parent.reset();
        EBUG_RETURN(TRUE);
    }

    if (RegOpenKeyExA(registry_roots[root], full_path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        EBUG_RETURN(FALSE);
    WINUTILS_REGISTRY_KEY key(opened);
    if (RegDeleteValueA(key.get(), value_name) != ERROR_SUCCESS) EBUG_RETURN(FALSE);
    LONG flushed = RegFlushKey(key.get());
    key.reset();
    EBUG_RETURN(flushed == ERROR_SUCCESS ? TRUE : FALSE);
}

BOOL8 WINUTILS_get_registry_entry(std::int32_t root, const char* key_path, const char* value_name,
                                  char* buffer) {
    ENTER();
    if (!registry_root_is_valid(root)) EBUG_RETURN(FALSE);

    HKEY opened = nullptr;
    if (RegOpenKeyA(registry_roots[root], key_path, &opened) != ERROR_SUCCESS) EBUG_RETURN(FALSE);
    WINUTILS_REGISTRY_KEY key(opened);

    // A value longer than the buffer fails with ERROR_MORE_DATA and is refused like a missing one.
    DWORD type = REG_NONE;
    DWORD size = WINUTILS_REGISTRY_BUFFER_SIZE;
    LONG queried = RegQueryValueExA(key.get(), value_name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    key.reset();
    if (queried != ERROR_SUCCESS) EBUG_RETURN(FALSE);

    if (type == REG_DWORD) {
        // A short REG_DWORD is read as the bytes it has, the rest zero.
        std::uint32_t stored = 0;
        std::memcpy(&stored, buffer, size < sizeof stored ? size : sizeof stored);
        STRINGS_format(buffer, WINUTILS_REGISTRY_BUFFER_SIZE, "%d", static_cast<int>(stored));
        EBUG_RETURN(TRUE);
    }
    if (type == REG_SZ) EBUG_RETURN(registry_terminate_string(buffer, size) ? TRUE : FALSE);
    EBUG_RETURN(FALSE);
}

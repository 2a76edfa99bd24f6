// The file access layer's system back end for hosts without Win32: the layer's paths use
// backslashes, which become slashes only here, at the edge where the runtime sees them.
#include <dirent.h>

#include <cstring>

#include "EBUG.h"
#include "Strings.h"
#include "efile_internal.h"

namespace {

#define EFILE_WALK_PATH_SIZE 512

// The layer's path in the host's spelling; FALSE when it does not fit (then it is not used).
BOOL8 efile_native_path(char (&native)[EFILE_WALK_PATH_SIZE], const char* path) {
    if (!STRINGS_copy(native, path)) return FALSE;
    for (char* p = native; *p; ++p)
        if (*p == '\\') *p = '/';
    return TRUE;
}

BOOL8 efile_matches(const char* pattern, const char* name) {
    // The walk is only ever asked for every entry; any other pattern is taken literally.
    if (std::strcmp(pattern, "*.*") == 0 || std::strcmp(pattern, "*") == 0) return TRUE;
    return std::strcmp(pattern, name) == 0 ? TRUE : FALSE;
}

BOOL8 efile_is_dot_entry(const char* name) {
    return (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) ? TRUE : FALSE;
}

// The entry's layer path and whether it is a directory; FALSE when the path does not fit.
BOOL8 efile_entry(const char* directory, const char* name, char (&path)[EFILE_WALK_PATH_SIZE], BOOL8* is_directory) {
    if (!STRINGS_format(path, sizeof path, "%s\\%s", directory, name)) return FALSE;
    char native[EFILE_WALK_PATH_SIZE];
    struct stat status;
    if (!efile_native_path(native, path)) return FALSE;
    *is_directory = (stat(native, &status) == 0 && S_ISDIR(status.st_mode)) ? TRUE : FALSE;
    return TRUE;
}

}  // namespace

BOOL8 efile_system_status(const char* path, struct stat* status) {
    char native[EFILE_WALK_PATH_SIZE];
    if (!path || !status || !efile_native_path(native, path)) return FALSE;
    return stat(native, status) == 0 ? TRUE : FALSE;
}

std::FILE* efile_system_open(const char* path, const char* mode) {
    char native[EFILE_WALK_PATH_SIZE];
    if (!efile_native_path(native, path)) return nullptr;
    return std::fopen(native, mode);
}

void efile_walk_directory(const char* pattern, const char* directory, efile_walk_callback callback,
                          std::uint32_t flags) {
    char native[EFILE_WALK_PATH_SIZE];
    if (!pattern || !directory || !callback || !efile_native_path(native, directory)) return;

    callback(nullptr, WALK_TICK);
    DIR* search = opendir(native);
    if (!search) return;
    for (;;) {
        callback(nullptr, WALK_TICK);
        const dirent* entry = readdir(search);
        if (!entry) break;
        if (efile_is_dot_entry(entry->d_name) || !efile_matches(pattern, entry->d_name)) continue;
        char path[EFILE_WALK_PATH_SIZE];
        BOOL8 is_directory = FALSE;
        if (!efile_entry(directory, entry->d_name, path, &is_directory)) continue;
        callback(path, is_directory ? WALK_DIRECTORY : WALK_FILE);
    }
    closedir(search);
    if (!(flags & WALK_RECURSIVE)) return;

    // Descent pass: a level's entries have all been reported before anything below them.
    callback(nullptr, WALK_TICK);
    search = opendir(native);
    if (!search) return;
    for (;;) {
        callback(nullptr, WALK_TICK);
        const dirent* entry = readdir(search);
        if (!entry) break;
        if (efile_is_dot_entry(entry->d_name)) continue;
        char path[EFILE_WALK_PATH_SIZE];
        BOOL8 is_directory = FALSE;
        if (!efile_entry(directory, entry->d_name, path, &is_directory) || !is_directory) continue;
        efile_walk_directory(pattern, path, callback, flags);
    }
    closedir(search);
}

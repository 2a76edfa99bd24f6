// The file access layer's system back end on Windows: status queries and opens through the
// runtime, directory enumeration through FindFirstFileA / FindNextFileA.
#include <windows.h>

#include <cstring>

#include "EBUG.h"
#include "Strings.h"
#include "efile_internal.h"

namespace {

#define EFILE_WALK_PATH_SIZE 512

BOOL8 efile_is_dot_entry(const char* name) {
    return (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) ? TRUE : FALSE;
}

}  // namespace

BOOL8 efile_system_status(const char* path, struct stat* status) {
    if (!path || !status) return FALSE;
    return stat(path, status) == 0 ? TRUE : FALSE;
}

std::FILE* efile_system_open(const char* path, const char* mode) { return std::fopen(path, mode); }

void efile_walk_directory(const char* pattern, const char* directory, efile_walk_callback callback,
                          std::uint32_t flags) {
    if (!pattern || !directory || !callback) return;
    char search_path[EFILE_WALK_PATH_SIZE];
    if (!STRINGS_format(search_path, sizeof search_path, "%s\\%s", directory, pattern)) return;

    WIN32_FIND_DATAA found;
    callback(nullptr, WALK_TICK);
    HANDLE search = FindFirstFileA(search_path, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!efile_is_dot_entry(found.cFileName)) {
                char path[EFILE_WALK_PATH_SIZE];
                // An entry whose path does not fit could not be filed whole: pass it over.
                if (STRINGS_format(path, sizeof path, "%s\\%s", directory, found.cFileName))
                    callback(path, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? WALK_DIRECTORY : WALK_FILE);
            }
            callback(nullptr, WALK_TICK);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (!(flags & WALK_RECURSIVE)) return;

    // Descent pass: a level's entries have all been reported before anything below them.
    if (!STRINGS_format(search_path, sizeof search_path, "%s\\*.*", directory)) return;
    callback(nullptr, WALK_TICK);
    search = FindFirstFileA(search_path, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !efile_is_dot_entry(found.cFileName)) {
            char path[EFILE_WALK_PATH_SIZE];
            if (STRINGS_format(path, sizeof path, "%s\\%s", directory, found.cFileName))
                efile_walk_directory(pattern, path, callback, flags);
        }
        callback(nullptr, WALK_TICK);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

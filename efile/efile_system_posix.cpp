// The file access layer's system back end for hosts without Win32: the layer's paths use
// backslashes, which become slashes only here, at the edge where the runtime sees them.
#define EBUG_MODULE "EFILE"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "EBUG.h"
#include "Strings.h"
#include "efile_internal.h"

namespace {

#define EFILE_NATIVE_PATH_SIZE 512

// The layer's path in the host's spelling; FALSE when it does not fit (then it is not used).
BOOL8 efile_native_path(char (&native)[EFILE_NATIVE_PATH_SIZE], const char* path) {
    if (!STRINGS_copy(native, path)) return FALSE;
    for (char* p = native; *p; ++p)
        if (*p == '\\') *p = '/';
    return TRUE;
}

}  // namespace

BOOL8 efile_system_status(const char* path, struct stat* status) {
    char native[EFILE_NATIVE_PATH_SIZE];
    if (!path || !status || !efile_native_path(native, path)) return FALSE;
    return stat(native, status) == 0 ? TRUE : FALSE;
}

std::FILE* efile_system_open(const char* path, const char* mode) {
    char native[EFILE_NATIVE_PATH_SIZE];
    if (!efile_native_path(native, path)) return nullptr;
    std::FILE* file = std::fopen(native, mode);
    // A directory opens here as a stream that reads nothing; on Windows it does not open at all,
    // and a name that resolves to one must fail the same way on both.
    struct stat status;
    if (file && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

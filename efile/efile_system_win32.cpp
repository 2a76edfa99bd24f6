// The file access layer's system back end on Windows: status queries and opens through the
// runtime, which takes the layer's backslashed paths as they are.
#define EBUG_MODULE "EFILE"

#include "EBUG.h"
#include "efile_internal.h"

BOOL8 efile_system_status(const char* path, struct stat* status) {
    if (!path || !status) return FALSE;
    return stat(path, status) == 0 ? TRUE : FALSE;
}

std::FILE* efile_system_open(const char* path, const char* mode) { return std::fopen(path, mode); }

// The command line the program acts on: the usual tail, or the text after its own unquoted path.
#include <cstring>

#include "INSTALL.h"

// The registered uninstall command is the uninstaller's path, unquoted, with the word after it;
// the path holds blanks, so the usual tail would start inside the path. When the process's line
// starts with the program's own full path, the text after that path (and its blanks) is the tail.
const char* INSTALL_command_tail(const char* process_line, const char* own_path, const char* usual_tail) {
    if (process_line == nullptr || own_path == nullptr || own_path[0] == '\0') return usual_tail;
    const std::size_t length = std::strlen(own_path);
    if (std::strlen(process_line) < length ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, process_line, static_cast<int>(length), own_path,
                       static_cast<int>(length)) != CSTR_EQUAL)
        return usual_tail;
    const char* tail = process_line + length;
    // "...remove.exe" continued by more name characters is some other program's path.
    if (*tail != '\0' && *tail != ' ' && *tail != '\t') return usual_tail;
    while (*tail == ' ' || *tail == '\t') ++tail;
    return tail;
}

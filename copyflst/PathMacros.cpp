// Path macro expansion: each '<' of a path tried against the macro table, replaced by a value
// that must exist, into one fixed buffer that the result must fit whole.
#include "PathMacros.h"

#include <cstdlib>
#include <cstring>

#include "Heap.h"

// The input is read as if it ended at its 511th character, and the whole result must fit the
// 512-byte buffer with its terminator. A result that would not fit is refused (null), never cut:
// a cut path names some other file or directory, and the operations create, copy and delete with
// it. A macro without a value (or with an empty one) refuses the expansion too: the path would
// otherwise start at the root of the current drive.
char* copyflst_expand_macros(const char* path, const COPYFLST_PATH_MACRO* macros, bool* refused) {
    if (refused != nullptr) *refused = false;
    if (path == nullptr) return nullptr;
    char* expanded = static_cast<char*>(HEAP_allocate_runtime(COPYFLST_EXPANSION_SIZE));
    if (expanded == nullptr) return nullptr;
    const auto refuse = [&]() -> char* {
        std::free(expanded);
        if (refused != nullptr) *refused = true;
        return nullptr;
    };

    const std::size_t length = strnlen(path, COPYFLST_EXPANSION_SIZE - 1);
    const std::size_t room = COPYFLST_EXPANSION_SIZE - 1;  // characters before the terminator
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < length) {
        if (path[i] == '<') {
            // Each row once, in table order, at wherever the previous replacement left i: so of
            // two macros back to back the second is replaced only when its row comes later.
            for (const COPYFLST_PATH_MACRO* row = macros; row->name != nullptr; ++row) {
                if (length - i < row->length || std::memcmp(path + i, row->name, row->length) != 0) continue;
                std::size_t value_length = row->value != nullptr ? std::strlen(row->value) : 0;
                if (value_length == 0 || value_length > room - o) return refuse();
                std::memcpy(expanded + o, row->value, value_length);
                o += value_length;
                i += row->length;
            }
            // A replacement that ends the input copies its terminator and ends the scan.
            if (i == length) break;
        }
        // The character after a replacement is copied without a macro test.
        if (o == room) return refuse();
        expanded[o++] = path[i++];
    }
    expanded[o] = '\0';
    return expanded;
}

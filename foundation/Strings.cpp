// Bounded text helpers.
#include "Strings.h"

#include <cstdio>
#include <cstring>

BOOL8 STRINGS_copy(char* buffer, std::size_t size, const char* text) {
    if (size == 0) return FALSE;
    std::size_t length = std::strlen(text);
    BOOL8 fits = length < size ? TRUE : FALSE;
    if (!fits) length = size - 1;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return fits;
}

BOOL8 STRINGS_append(char* buffer, std::size_t size, const char* text) {
    if (size == 0) return FALSE;
    std::size_t used = strnlen(buffer, size);
    if (used == size) {  // not terminated: terminate in place, nothing fits
        buffer[size - 1] = '\0';
        return FALSE;
    }
    return STRINGS_copy(buffer + used, size - used, text);
}

BOOL8 STRINGS_vformat(char* buffer, std::size_t size, const char* format, std::va_list arguments) {
    if (size == 0) return FALSE;
    int written = std::vsnprintf(buffer, size, format, arguments);
    if (written < 0) {
        buffer[0] = '\0';
        return FALSE;
    }
    return static_cast<std::size_t>(written) < size ? TRUE : FALSE;
}

BOOL8 STRINGS_format(char* buffer, std::size_t size, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    BOOL8 result = STRINGS_vformat(buffer, size, format, arguments);
    va_end(arguments);
    return result;
}

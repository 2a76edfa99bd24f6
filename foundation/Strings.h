// Bounded text helpers: every copy and format into a fixed buffer goes through these.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "Types.h"

#if defined(__GNUC__)
#define STRINGS_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define STRINGS_PRINTF(fmt, args)
#endif

// Each writes at most size - 1 characters and a terminator (nothing at all when size is 0) and
// returns TRUE when the whole text fitted, FALSE when it was cut.
BOOL8 STRINGS_copy(char* buffer, std::size_t size, const char* text);
BOOL8 STRINGS_append(char* buffer, std::size_t size, const char* text);
BOOL8 STRINGS_format(char* buffer, std::size_t size, const char* format, ...) STRINGS_PRINTF(3, 4);
BOOL8 STRINGS_vformat(char* buffer, std::size_t size, const char* format, std::va_list arguments)
    STRINGS_PRINTF(3, 0);

template <std::size_t N>
inline BOOL8 STRINGS_copy(char (&buffer)[N], const char* text) {
    return STRINGS_copy(buffer, N, text);
}
template <std::size_t N>
inline BOOL8 STRINGS_append(char (&buffer)[N], const char* text) {
    return STRINGS_append(buffer, N, text);
}

// The command-line splitter of the Windows utility layer, portable on its own.
#pragma once

#include <cstdint>

// Splits text in place into words at blanks outside double quotes. The words point into text;
// the caller frees the array with free(). Null, and count untouched, when there are no words.
char** WINUTILS_parse_command_line(char* text, std::int32_t* count);

// Bounded copies and formats: cutting, termination and the fitted flag.
#include <gtest/gtest.h>

#include <cstring>

#include "Strings.h"

TEST(Strings, CutTerminateAndReportFit) {
    struct strings_case {
        const char* name;
        const char* start;  // buffer contents before the call
        std::size_t size;
        BOOL8 (*call)(char*, std::size_t);
        BOOL8 fitted;
        const char* result;
    };
    const strings_case cases[] = {
        {"copy fits exactly", "", 6, [](char* b, std::size_t n) { return STRINGS_copy(b, n, "abcde"); }, TRUE, "abcde"},
        {"copy cut", "", 6, [](char* b, std::size_t n) { return STRINGS_copy(b, n, "abcdefgh"); }, FALSE, "abcde"},
        {"copy into nothing", "xyz", 0, [](char* b, std::size_t n) { return STRINGS_copy(b, n, "a"); }, FALSE, "xyz"},
        {"append fits", "abc", 8, [](char* b, std::size_t n) { return STRINGS_append(b, n, "defg"); }, TRUE, "abcdefg"},
        {"append cut", "abc", 8, [](char* b, std::size_t n) { return STRINGS_append(b, n, "defgh"); }, FALSE, "abcdefg"},
        {"append to full", "abcdefg", 8, [](char* b, std::size_t n) { return STRINGS_append(b, n, ""); }, TRUE, "abcdefg"},
        {"append to unterminated", "abcdefgh", 8, [](char* b, std::size_t n) { return STRINGS_append(b, n, ""); },
         FALSE, "abcdefg"},
        {"append into nothing", "xyz", 0, [](char* b, std::size_t n) { return STRINGS_append(b, n, "a"); }, FALSE, "xyz"},
        {"format cut", "", 8, [](char* b, std::size_t n) { return STRINGS_format(b, n, "%s\\%s", "Program", "Files"); },
         FALSE, "Program"},
        {"format fits", "", 8, [](char* b, std::size_t n) { return STRINGS_format(b, n, "%d", 1234567); }, TRUE, "1234567"},
        {"format into nothing", "xyz", 0, [](char* b, std::size_t n) { return STRINGS_format(b, n, "%d", 1); }, FALSE,
         "xyz"},
    };
    for (const strings_case& c : cases) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        std::size_t length = std::strlen(c.start);
        std::memcpy(buffer, c.start, length);
        if (length < 8) buffer[length] = '\0';  // "abcdefgh" stays unterminated in its 8 bytes
        EXPECT_EQ(c.fitted, c.call(buffer, c.size)) << c.name;
        EXPECT_STREQ(c.result, buffer) << c.name;
        EXPECT_EQ('#', buffer[c.size == 0 ? 15 : c.size]) << c.name << ": nothing written past the size";
    }
}

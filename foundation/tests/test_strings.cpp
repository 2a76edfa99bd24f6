// Bounded copies and formats: cutting, termination and the fitted flag.
#include <gtest/gtest.h>

#include <cstring>

#include "Strings.h"

TEST(Strings, CutTerminateAndReportFit) {
    // call: 'c'opy, 'a'ppend or 'f'ormat; start: the buffer's contents before the call.
    struct strings_case { const char* name; char call; const char* start; std::size_t size; const char* text;
                          BOOL8 fitted; const char* result; };
    const strings_case cases[] = {
        {"copy fits exactly", 'c', "", 6, "abcde", TRUE, "abcde"},
        {"copy cut", 'c', "", 6, "abcdefgh", FALSE, "abcde"},
        {"copy into nothing", 'c', "xyz", 0, "a", FALSE, "xyz"},
        {"append fits", 'a', "abc", 8, "defg", TRUE, "abcdefg"},
        {"append cut", 'a', "abc", 8, "defgh", FALSE, "abcdefg"},
        {"append to full", 'a', "abcdefg", 8, "", TRUE, "abcdefg"},
        {"append to unterminated", 'a', "abcdefgh", 8, "", FALSE, "abcdefg"},
        {"append into nothing", 'a', "xyz", 0, "a", FALSE, "xyz"},
        {"format cut", 'f', "", 8, "Program\\Files", FALSE, "Program"},
        {"format fits", 'f', "", 8, "1234567", TRUE, "1234567"},
        {"format into nothing", 'f', "xyz", 0, "1", FALSE, "xyz"},
    };
    for (const strings_case& c : cases) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        std::size_t length = std::strlen(c.start);
        std::memcpy(buffer, c.start, length + (length < 8));  // "abcdefgh" stays unterminated in its 8 bytes
        BOOL8 fitted = c.call == 'c'   ? STRINGS_copy(buffer, c.size, c.text)
                       : c.call == 'a' ? STRINGS_append(buffer, c.size, c.text)
                                       : STRINGS_format(buffer, c.size, "%s", c.text);
        EXPECT_EQ(c.fitted, fitted) << c.name;
        EXPECT_STREQ(c.result, buffer) << c.name;
        EXPECT_EQ('#', buffer[c.size == 0 ? 15 : c.size]) << c.name << ": nothing written past the size";
    }
}

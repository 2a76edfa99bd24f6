// Bounded copies and formats: cutting, termination and the fitted flag.
#include <gtest/gtest.h>

#include <cstring>

#include "Strings.h"

TEST(Strings, CopyCutsAndTerminates) {
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(TRUE, STRINGS_copy(buffer, "abcde"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_EQ(FALSE, STRINGS_copy(buffer, "abcdefgh"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_EQ(FALSE, STRINGS_copy(buffer, 0, "a"));
}

TEST(Strings, AppendAndFormatStayInside) {
    char buffer[8] = "abc";
    EXPECT_EQ(TRUE, STRINGS_append(buffer, "def"));
    EXPECT_EQ(FALSE, STRINGS_append(buffer, "ghij"));
    EXPECT_STREQ("abcdefg", buffer);
    EXPECT_EQ(FALSE, STRINGS_format(buffer, sizeof buffer, "%s\\%s", "Program", "Files"));
    EXPECT_STREQ("Program", buffer);
    EXPECT_EQ(TRUE, STRINGS_format(buffer, sizeof buffer, "%d", 300));
    EXPECT_STREQ("300", buffer);
}

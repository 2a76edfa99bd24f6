// Text lookup: the language blocks reached through language_offset, missing rows and cutting.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "INSTALL.h"
#include "resource.h"
#include "texts.h"

namespace {

struct BLOCK_ROW {
    std::int32_t id;
    const char* english;
    const char* regional;  // after the block's mark and a blank
};
#define BLOCK_ROW_OF(id, english, regional) {id, english, regional},
const BLOCK_ROW block_rows[] = {TEXT_BLOCK_ROWS(BLOCK_ROW_OF, BLOCK_ROW_OF)};

class TextLookup : public ::testing::Test {
protected:
    void SetUp() override {
        local_install_details.instance = GetModuleHandleA(nullptr);
        local_install_details.language_offset = 0;
    }
    void TearDown() override { local_install_details.language_offset = 0; }
};

TEST_F(TextLookup, EveryLanguageBlockIsReachedThroughTheOffset) {
    for (std::int32_t language = LANGUAGE_ENGLISH; language <= LANGUAGE_SPANISH; ++language) {
        local_install_details.language_offset = language * LANGUAGE_BLOCK_SIZE;
        for (const BLOCK_ROW& row : block_rows) {
            const std::int32_t id = row.id;
            const std::string expected =
                language == LANGUAGE_ENGLISH ? row.english : std::string{"EFGIS"[language], ' '} + row.regional;
            char buffer[INSTALL_TEXT_SIZE];
            ASSERT_TRUE(INSTALL_load_text(id, buffer, sizeof buffer)) << "language " << language << " id " << id;
            EXPECT_EQ(expected, buffer) << "language " << language << " id " << id;
        }
    }
}

// The buffer holds 15 marks and a terminator; nothing may be written beyond the size given.
TEST_F(TextLookup, MissingRowsAndSmallBuffers) {
    const struct {
        const char* name;
        std::int32_t id, offset, size;
        BOOL8 loaded;
        std::string expected;
    } cases[] = {
        {"cut to the buffer", MSG_PLAY, 0, 8, TRUE, "Play Qu"},
        {"room for the terminator only", MSG_PLAY, 0, 1, FALSE, ""},
        {"no room at all", MSG_PLAY, 0, 0, FALSE, std::string(15, 'x')},
        {"missing row", 16, 0, 15, FALSE, ""},
        {"missing row of the last block", 47, 400, 15, FALSE, ""},
        {"id zero", 0, 100, 15, FALSE, ""},
        {"below the table", -1, 0, 15, FALSE, ""},
    };
    for (const auto& c : cases) {
        local_install_details.language_offset = c.offset;
        char buffer[16];
        std::memset(buffer, 'x', 15);
        buffer[15] = '\0';
        EXPECT_EQ(c.loaded, INSTALL_load_text(c.id, buffer, c.size)) << c.name;
        EXPECT_EQ(c.expected, buffer) << c.name;
        EXPECT_EQ(std::string(static_cast<std::size_t>(15 - c.size), 'x'), buffer + c.size) << c.name;
    }
}

}  // namespace

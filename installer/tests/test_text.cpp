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

TEST_F(TextLookup, MissingRowsGiveFalseAndAnEmptyBuffer) {
    const std::int32_t missing[] = {16, 17, 18, 19, 47, 0};
    for (std::int32_t offset = 0; offset <= 400; offset += 100) {
        local_install_details.language_offset = offset;
        for (std::int32_t id : missing) {
            char buffer[INSTALL_SHORT_TEXT_SIZE];
            std::memset(buffer, 'x', sizeof buffer);
            EXPECT_FALSE(INSTALL_load_text(id, buffer, sizeof buffer)) << "id " << id + offset;
            EXPECT_EQ('\0', buffer[0]) << "id " << id + offset;
        }
    }
}

TEST_F(TextLookup, LongTextsAreCutToTheBuffer) {
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_TRUE(INSTALL_load_text(MSG_PLAY, small, sizeof small));
    EXPECT_STREQ("Play Qu", small);

    char one[1] = {'x'};
    EXPECT_FALSE(INSTALL_load_text(MSG_PLAY, one, sizeof one));
    EXPECT_EQ('\0', one[0]);

    char whole[INSTALL_TEXT_SIZE];
    EXPECT_TRUE(INSTALL_load_text(MSG_NOTENOUGHSPACE, whole, sizeof whole));
    EXPECT_EQ(119u, std::strlen(whole));
}

}  // namespace

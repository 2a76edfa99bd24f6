// Text lookup: the language blocks reached through language_offset, missing rows and cutting.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "INSTALL.h"
#include "resource.h"

namespace {

struct english_row {
    std::int32_t id;
    const char* text;
};

const english_row english[] = {
    {1, "Play Quillmoor Demo"},
    {2, "Install Quillmoor Demo"},
    {3, "Remove Quillmoor Demo"},
    {4, "Read Help file"},
    {5, "Exit Setup"},
    {6, "Cancel"},
    {7, "Install Quillmoor Demo (160mb)"},
    {8, "Select Typical Install (180mb)"},
    {9, "Select Maximum Install (550mb)"},
    {10, "Install Direct X"},
    {11, "Installing, please wait..."},
    {12, "Removing, please wait ..."},
    {13, "You do not have enough disk space to perform Install, please select another destination or Exit "
         "and free up some space."},
    {14, "Please type in your Install Directory"},
    {15, "Install Complete!"},
    {20, "Question!"},
    {21, "Do you have a 3dfx Card Installed?"},
    {22, "Quillmoor Demo"},
    {23, "An Error has occured starting the game, please read the help file."},
    {24, "An Error has occured accessing the Registry, please check user setting, or read the help file."},
    {25, "Warning!"},
    {26, "Error!"},
    {27, "Sorry this is not a Valid directory, please select another."},
    {28, "Error opening key, please try again."},
    {29, "Error opening file :"},
    {30, "Failed to create file Link."},
    {31, "Failed to create Webpage link."},
    {32, "Information"},
    {33, "Do you wish to install DirectX?"},
    {34, "Do you wish to install DirectX Media?"},
    {35, "Unable to write to file:"},
    {36, "Do you want to delete this dir"},
    {37, "Do you want to delete this file"},
    {38, "Uninstall complete"},
    {39, "Are you sure?"},
    {40, "BLANK"},
    {41, "Quillmoor Software"},
    {42, "Quillmoor 3DFX"},
    {43, "Direct X was Successfully Installed."},
    {44, "Direst X Setup successfully.\nPlease restart windows before running the game."},
    {45, "Error Installing DirectX."},
    {46, "Quillmoor Internet Demo"},
};

// The other blocks: mark, blank, the English text with the demo's name replaced, except six ids.
std::string translated(std::int32_t id, const char* english_text, char mark) {
    std::string text;
    switch (id) {
        case 7: text = "Select Compact Install (10mb)"; break;
        case 22: text = "c:\\Brevanor Install"; break;
        case 40: text = "Goto Ostrakon"; break;
        case 41: text = "Brevanor Software"; break;
        case 42: text = "Brevanor 3dfx "; break;
        case 46: text = "Brevanor"; break;
        default: {
            text = english_text;
            std::size_t at = text.find("Quillmoor Demo");
            if (at != std::string::npos) text.replace(at, std::strlen("Quillmoor Demo"), "Brevanor");
        }
    }
    return std::string(1, mark) + " " + text;
}

class TextLookup : public ::testing::Test {
protected:
    void SetUp() override {
        local_install_details.instance = GetModuleHandleA(nullptr);
        local_install_details.language_offset = 0;
    }
    void TearDown() override { local_install_details.language_offset = 0; }
};

TEST_F(TextLookup, EveryLanguageBlockIsReachedThroughTheOffset) {
    const char marks[] = {0, 'F', 'G', 'I', 'S'};
    for (std::int32_t language = 0; language < 5; ++language) {
        local_install_details.language_offset = language * LANGUAGE_BLOCK_SIZE;
        for (const english_row& row : english) {
            char buffer[INSTALL_TEXT_SIZE];
            ASSERT_TRUE(INSTALL_load_text(row.id, buffer, sizeof buffer)) << "language " << language << " id " << row.id;
            std::string expected = language == 0 ? row.text : translated(row.id, row.text, marks[language]);
            EXPECT_EQ(expected, buffer) << "language " << language << " id " << row.id;
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

// Checks the set-up program's resources as linked into this test program: every row of the five
// language blocks and the gaps between them, and the manifest. The
// windows, pictures and icon are checked from outside by the GUI tests.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>

#include "resource.h"
#include "texts.h"

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

const std::string no_row = "<no row>";

// The program's own lookup: one LoadStringA into a 512-byte buffer.
std::string load_text(unsigned id) {
    char buffer[512] = "sentinel";
    const int length = LoadStringA(instance(), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : no_row;
}

// renamed: the regional text is the English one with the demo under its regional name.
struct TEXT_ROW {
    unsigned id;
    const char* name;
    const char* english;
    const char* regional;
    bool renamed;
};
#define RENAMED_ROW(id, english, regional) {id, #id, english, regional, true},
#define OWN_ROW(id, english, regional) {id, #id, english, regional, false},
const TEXT_ROW block_rows[] = {TEXT_BLOCK_ROWS(RENAMED_ROW, OWN_ROW)};
#define SINGLE_ROW(id, text) {id, #id, text, nullptr, false},
const TEXT_ROW single_rows[] = {TEXT_SINGLE_ROWS(SINGLE_ROW)};

std::string renamed(std::string text) {
    const std::string from = "Quillmoor Demo";
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
        text.replace(at, from.size(), "Brevanor");
    return text;
}

// Each block by the rule (the mark, a blank, the English text renamed), ids 1 to 15 and 20 to 46
// in every block and nothing else below 600; the language names and licence once only.
TEST(StringTable, FiveBlocksFollowTheEnglishRowsAndNothingElseIsThere) {
    const char marks[] = "EFGIS";
    std::set<unsigned> present;
    for (const TEXT_ROW& row : block_rows) {
        const std::string regional = row.renamed ? renamed(row.english) : row.regional;
        for (unsigned language = LANGUAGE_ENGLISH; language <= LANGUAGE_SPANISH; ++language) {
            const unsigned id = row.id + LANGUAGE_BLOCK_SIZE * language;
            present.insert(id);
            const std::string expected =
                language == LANGUAGE_ENGLISH ? row.english : std::string{marks[language], ' '} + regional;
            EXPECT_EQ(expected, load_text(id)) << row.name << " in block " << language;
        }
    }
    for (unsigned id = 0; id < 600; ++id) {
        const unsigned english = id % LANGUAGE_BLOCK_SIZE;
        const bool has_row = id < 500 && ((english >= 1 && english <= 15) || (english >= 20 && english <= 46));
        EXPECT_EQ(has_row, present.count(id) == 1) << "id " << id;
        if (!has_row) {
            EXPECT_EQ(no_row, load_text(id)) << "id " << id;
        }
    }
    for (const TEXT_ROW& row : single_rows) {
        EXPECT_EQ(row.english, load_text(row.id)) << row.name;
        EXPECT_EQ(no_row, load_text(row.id + LANGUAGE_BLOCK_SIZE)) << row.name;
    }
    EXPECT_EQ(no_row, load_text(MSG_LICENCE + 1));
    EXPECT_EQ(1, std::ranges::count(load_text(MSG_DIRECTX_RESTART), '\n'));
    EXPECT_EQ("F Play Brevanor", load_text(101));  // the rule's own worked examples
    EXPECT_EQ("S Goto Ostrakon", load_text(440));
}

TEST(Manifest, AsksForAdministrator) {
    HRSRC found = FindResourceA(instance(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(nullptr, found);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(instance(), found))),
                           SizeofResource(instance(), found));
    EXPECT_NE(std::string::npos, text.find("level=\"requireAdministrator\""));
}

}  // namespace

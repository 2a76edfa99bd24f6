// Deleting a tree after the question, and deleting files by pattern, over small real trees.
#include <algorithm>
#include <string>
#include <vector>

#include "Handles.h"
#include "engine_fixture.h"

namespace {

bool is_empty_directory(const std::string& path) {
    if (!directory_exists(path)) return false;
    WIN32_FIND_DATAA found;
    WINUTILS_FIND_HANDLE entries(FindFirstFileA((path + "\\*").c_str(), &found));
    for (bool more = static_cast<bool>(entries); more; more = FindNextFileA(entries.get(), &found) != FALSE)
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") return false;
    return true;
}

class Removal : public EngineTest {};

TEST_F(Removal, TreeGoesFilesFirstThenDirectoriesDeepestFirst) {
    // Read-only files at the top and three levels down, and an empty directory.
    make_tree(root, {"\\dst\\", "\\dst\\a.txt", "\\dst\\one\\", "\\dst\\one\\b.txt", "\\dst\\one\\two\\",
                     "\\dst\\one\\two\\c.txt", "\\dst\\one\\two\\three\\", "\\dst\\one\\two\\three\\d.txt",
                     "\\dst\\empty\\"});
    for (const char* file : {"\\a.txt", "\\one\\b.txt", "\\one\\two\\c.txt", "\\one\\two\\three\\d.txt"})
        SetFileAttributesA((dst + file).c_str(), FILE_ATTRIBUTE_READONLY);
    // Each directory is named on the label just before its removal, when all below it is gone.
    std::vector<std::string> not_empty_when_named;
    on_text = [&](const std::string& text) {
        if (!file_exists(text) && !is_empty_directory(text)) not_empty_when_named.push_back(text);
    };
    boxes.queue({IDYES, IDNO});
    EXPECT_EQ(TRUE, run({{COPY_OP_DELETE_TREE, nullptr, "<DST>"}, {COPY_OP_DELETE_TREE, nullptr, "<SRC>"}}));

    const std::string question = TEXT_QUESTION "|" TEXT_DELDIR " :";
    EXPECT_EQ((std::vector<std::string>{question + dst + "|YN", question + src + "|YN"}), shown_boxes());
    EXPECT_FALSE(directory_exists(dst));
    EXPECT_TRUE(directory_exists(src)) << "deleted after a No";
    EXPECT_TRUE(not_empty_when_named.empty()) << not_empty_when_named.front();

    std::vector<std::string> files(texts.begin(), texts.begin() + 4);
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::string>{dst + "\\a.txt", dst + "\\one\\b.txt", dst + "\\one\\two\\c.txt",
                                        dst + "\\one\\two\\three\\d.txt"}),
              files);
    std::vector<std::string> directories(texts.begin() + 4, texts.end());
    auto position = [&](const std::string& path) { return std::find(directories.begin(), directories.end(), path); };
    ASSERT_EQ(4u, directories.size());
    EXPECT_LT(position(dst + "\\one\\two\\three"), position(dst + "\\one\\two"));
    EXPECT_LT(position(dst + "\\one\\two"), position(dst + "\\one"));
    EXPECT_NE(directories.end(), position(dst + "\\empty"));
}

TEST_F(Removal, PatternDeletesMatchingFilesAtEveryDepthAndNoDirectory) {
    make_tree(root, {"\\dst\\", "\\dst\\x.tmp", "\\dst\\keep.txt", "\\dst\\sub\\", "\\dst\\sub\\y.tmp",
                     "\\dst\\sub\\deeper\\", "\\dst\\sub\\deeper\\z.tmp", "\\dst\\sub\\keep.tmp\\",
                     "\\dst\\sub\\keep.tmp\\w.tmp"});
    SetFileAttributesA((dst + "\\sub\\y.tmp").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(TRUE, run({{COPY_OP_DELETE_FILES, "<DST>", "*.tmp"}}));
    for (const char* file : {"\\x.tmp", "\\sub\\y.tmp", "\\sub\\deeper\\z.tmp", "\\sub\\keep.tmp\\w.tmp"})
        EXPECT_FALSE(file_exists(dst + file)) << file;
    EXPECT_TRUE(file_exists(dst + "\\keep.txt"));
    EXPECT_TRUE(directory_exists(dst + "\\sub\\deeper"));
    EXPECT_TRUE(directory_exists(dst + "\\sub\\keep.tmp"));
    EXPECT_EQ(4u, texts.size());
}

}  // namespace

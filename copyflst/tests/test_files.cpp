// Directory creation and copying over a small real tree: the walk, the tree copy's order, the
// byte copy at its block edges, and what each kind of failure shows and stops.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "Handles.h"
#include "copyflst_private.h"
#include "engine_fixture.h"

namespace {

const std::size_t block = 1024000;

class CopyFiles : public EngineTest {
protected:
    void TearDown() override {
        copyflst_failing_write = 0;
        EngineTest::TearDown();
    }

    // src\t: a file, a subdirectory two deep and a second subdirectory.
    void make_source_tree() {
        make_tree(src, {"\\t\\", "\\t\\a.txt", "\\t\\s1\\", "\\t\\s1\\b.txt", "\\t\\s1\\deep\\",
                        "\\t\\s1\\deep\\c.bin", "\\t\\s2\\", "\\t\\s2\\d.bin"});
    }

    void expect_one_box(const std::string& text) {
        std::vector<SEEN_BOX> seen = boxes.take();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("Error!", seen[0].caption);
        EXPECT_EQ(text, seen[0].text);
        EXPECT_EQ("O", seen[0].buttons);
    }
};

TEST_F(CopyFiles, TreeCopyGoesDepthFirstAndNamesEachDirectoryBeforeItsContent) {
    make_source_tree();
    EXPECT_EQ(TRUE, run({{COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>"},
                         {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\t"},
                         {COPY_OP_COPY_TREE, "<SRC>\\t", "<DST>\\t"}}));
    for (const char* file : {"\\t\\a.txt", "\\t\\s1\\b.txt", "\\t\\s1\\deep\\c.bin", "\\t\\s2\\d.bin"})
        EXPECT_TRUE(file_has_content(dst + file, file_content(src + file)));
    EXPECT_EQ(3, steps());

    std::vector<std::string> shown(texts.begin() + 2, texts.end());
    std::vector<std::string> expected;
    for (const char* name : {"\\a.txt", "\\s1", "\\s1\\b.txt", "\\s1\\deep", "\\s1\\deep\\c.bin", "\\s2", "\\s2\\d.bin"})
        expected.push_back(dst + "\\t" + name);
    std::vector<std::string> sorted = shown;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(expected, sorted);
    // Whatever the enumeration order: each directory comes right before everything below it.
    for (std::size_t k = 0; k < shown.size(); ++k) {
        if (!directory_exists(shown[k])) continue;
        std::size_t end = k + 1;
        while (end < shown.size() && shown[end].rfind(shown[k] + "\\", 0) == 0) ++end;
        for (std::size_t m = end; m < shown.size(); ++m)
            EXPECT_NE(0u, shown[m].rfind(shown[k] + "\\", 0)) << shown[m] << " came apart from " << shown[k];
    }
}

TEST_F(CopyFiles, CopyFilesTakesOnlyThePlainFilesOfItsDirectory) {
    make_source_tree();
    make_directory(dst);
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILES, "<SRC>\\t", "<DST>"}}));
    EXPECT_TRUE(file_has_content(dst + "\\a.txt", "\\t\\a.txt"));
    EXPECT_FALSE(directory_exists(dst + "\\s1"));
    EXPECT_EQ((std::vector<std::string>{dst + "\\a.txt"}), texts);
    // A missing source copies nothing and is no failure; ops 1 and 2 never make their destination.
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILES, "<SRC>\\missing", "<DST>"}, {COPY_OP_COPY_TREE, "<SRC>\\t", "<DST>\\x"}}));
    EXPECT_FALSE(directory_exists(dst + "\\x"));
    boxes.take();  // the tree copy into the missing destination fails at every file
}

TEST_F(CopyFiles, ByteCopyIsExactAtTheBlockEdgesAndOverwritesReadOnlyFiles) {
    const std::size_t sizes[] = {0, 1, block, block + 1, 2 * block + 1};
    make_directory(dst);
    for (std::size_t size : sizes) write_file(src + "\\f" + std::to_string(size), binary_content(size));
    write_file(dst + "\\f1", "older and longer");
    SetFileAttributesA((dst + "\\f1").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((src + "\\f0").c_str(), FILE_ATTRIBUTE_READONLY);

    copyflst_failing_write = 1000;  // far away: only counts the writes
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILES, "<SRC>", "<DST>"}}));
    EXPECT_EQ(1000 - (0 + 1 + 1 + 2 + 3), copyflst_failing_write) << "one write per block of " << block;
    for (std::size_t size : sizes)
        EXPECT_TRUE(file_has_content(dst + "\\f" + std::to_string(size), binary_content(size)));
    // Both marks are cleared before the copy (a privileged process could write through them anyway).
    EXPECT_EQ(0u, GetFileAttributesA((dst + "\\f1").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0u, GetFileAttributesA((src + "\\f0").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(CopyFiles, FileThatCannotBeOpenedStopsCopyFilesButNotCopyTree) {
    make_directory(dst);
    write_file(src + "\\locked.bin", "locked");
    WINUTILS_HANDLE locked(CreateFileA((src + "\\locked.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);

    EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILES, "<SRC>", "<DST>"}, {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    expect_one_box("Error opening file : " + src + "\\locked.bin");
    EXPECT_FALSE(directory_exists(dst + "\\after"));

    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_TREE, "<SRC>", "<DST>"}, {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    expect_one_box("Error opening file : " + src + "\\locked.bin");
    EXPECT_TRUE(directory_exists(dst + "\\after"));

    locked.reset();
    make_directory(dst + "\\locked.bin");  // a destination that cannot be opened for writing
    EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILES, "<SRC>", "<DST>"}}));
    expect_one_box("Error opening file : " + dst + "\\locked.bin");
}

TEST_F(CopyFiles, FailedWriteDeepInATreeStopsTheWholeTreeAtOnce) {
    make_source_tree();
    make_directory(dst);
    make_directory(dst + "\\t");
    const std::string failing = dst + "\\t\\s1\\deep\\c.bin";
    on_text = [&](const std::string& text) {
        if (text == failing) copyflst_failing_write = 1;
    };
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_TREE, "<SRC>\\t", "<DST>\\t"}, {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    expect_one_box("Unable to write to file:, " + failing + "\n");
    auto at = std::find(texts.begin(), texts.end(), failing);
    ASSERT_NE(texts.end(), at);
    ASSERT_NE(texts.end(), at + 1);
    EXPECT_EQ(dst + "\\after", *(at + 1)) << "the tree copy went on after the failure";
    EXPECT_TRUE(file_exists(failing));

    // The same failure in op 1 stops the run.
    EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILES, "<SRC>\\t\\s1\\deep", "<DST>\\t\\s1\\deep"},
                          {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after op 1"}}));
    expect_one_box("Unable to write to file:, " + failing + "\n");
    EXPECT_FALSE(directory_exists(dst + "\\after op 1"));
}

TEST_F(CopyFiles, SourceThatShrinksAfterItsSizeWasTakenEndsTheCopy) {
    make_directory(dst);
    write_file(src + "\\big.bin", binary_content(2 * block));
    on_text = [&](const std::string& text) {
        if (text == dst + "\\big.bin") write_file(src + "\\big.bin", binary_content(1000));
    };
    EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILES, "<SRC>", "<DST>"}}));
    expect_one_box("Error opening file : " + src + "\\big.bin");
    EXPECT_TRUE(file_has_content(dst + "\\big.bin", binary_content(1000)));
}

// Needs a small drive that fills up: QUILL_SMALL_DRIVE names an empty directory on one of at most
// a megabyte (for instance a tmpfs mounted with size=1m and reached through Z:).
TEST_F(CopyFiles, FullDriveIsAFailedWrite) {
    const char* small = std::getenv("QUILL_SMALL_DRIVE");
    if (small == nullptr || !directory_exists(small)) GTEST_SKIP() << "QUILL_SMALL_DRIVE names no directory";
    const std::string target = std::string(small) + "\\big.bin";
    write_file(src + "\\big.bin", binary_content(2 * block));
    COPY_LIST_ENTRY onto_small_drive = {COPY_OP_COPY_FILES, "<SRC>", small};
    EXPECT_EQ(FALSE, run({onto_small_drive}));
    expect_one_box("Unable to write to file:, " + target + "\n");
    DeleteFileA(target.c_str());
}

TEST_F(CopyFiles, CopyFileIntoDirectoriesAndOntoFiles) {
    make_directory(dst);
    make_directory(dst + "\\plain");
    make_directory(dst + "\\hidden");
    write_file(src + "\\game.exe", "program");
    write_file(dst + "\\old.exe", "older");
    // A directory with one more attribute than the directory mark is taken as a file name.
    SetFileAttributesA((dst + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN),
              GetFileAttributesA((dst + "\\hidden").c_str()));

    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILE, "<SRC>\\game.exe", "<DST>\\plain"},
                         {COPY_OP_COPY_FILE, "<SRC>\\game.exe", "<DST>\\old.exe"},
                         {COPY_OP_COPY_FILE, "<SRC>\\game.exe", "<DST>\\hidden"},
                         {COPY_OP_COPY_FILE, "<SRC>\\missing.exe", "<DST>\\plain"}}));
    EXPECT_TRUE(file_has_content(dst + "\\plain\\game.exe", "program"));
    EXPECT_TRUE(file_has_content(dst + "\\old.exe", "program"));
    EXPECT_FALSE(file_exists(dst + "\\hidden\\game.exe"));
    EXPECT_TRUE(directory_exists(dst + "\\hidden"));

    EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILE, "<SRC>", "<DST>\\plain"}, {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    EXPECT_FALSE(directory_exists(dst + "\\after"));
}

}  // namespace

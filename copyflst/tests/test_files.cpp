// Directory creation and copying over a small real tree: the walk, the tree copy's order, the
// byte copy at its block edges, and what each kind of failure shows and stops.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Handles.h"
#include "copyflst_private.h"
#include "engine_fixture.h"

namespace {

const std::size_t block = 1024000;

class CopyFiles : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // src\t: a file, a subdirectory two deep and a second subdirectory.
        make_tree(src, {"\\t\\", "\\t\\a.txt", "\\t\\s1\\", "\\t\\s1\\b.txt", "\\t\\s1\\deep\\",
                        "\\t\\s1\\deep\\c.bin", "\\t\\s2\\", "\\t\\s2\\d.bin"});
    }
    void TearDown() override {
        copyflst_failing_write = 0;
        EngineTest::TearDown();
    }
};

// Each directory is named on the label as it is made, before anything below it is copied.
TEST_F(CopyFiles, TreeCopyTakesEverySubdirectory) {
    EXPECT_EQ(TRUE, run({{COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>"}, {COPY_OP_COPY_TREE, "<SRC>\\t", "<DST>"}}));
    for (const char* file : {"\\a.txt", "\\s1\\b.txt", "\\s1\\deep\\c.bin", "\\s2\\d.bin"})
        EXPECT_TRUE(file_has_content(dst + file, file_content(src + "\\t" + file)));
    EXPECT_EQ(2, steps());
    const auto deep = std::find(texts.begin(), texts.end(), dst + "\\s1\\deep");
    EXPECT_LT(std::find(texts.begin(), texts.end(), dst + "\\s1"), deep);
    EXPECT_LT(deep, std::find(texts.begin(), texts.end(), dst + "\\s1\\deep\\c.bin"));
    EXPECT_EQ(8u, texts.size());
}

// A missing source copies nothing and is no failure; op 1 takes no subdirectory.
TEST_F(CopyFiles, CopyFilesTakesOnlyThePlainFilesOfItsDirectory) {
    make_tree(root, {"\\dst\\"});
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILES, "<SRC>\\t", "<DST>"}, {COPY_OP_COPY_FILES, "<SRC>\\missing", "<DST>"}}));
    EXPECT_TRUE(file_has_content(dst + "\\a.txt", "\\t\\a.txt"));
    EXPECT_EQ((std::vector<std::string>{dst + "\\a.txt"}), texts);
}

TEST_F(CopyFiles, ByteCopyIsExactAtTheBlockEdgesAndOverwritesReadOnlyFiles) {
    const std::size_t sizes[] = {0, 1, block, block + 1, 2 * block + 1};
    make_tree(root, {"\\dst\\"});
    for (std::size_t size : sizes) write_file(src + "\\f" + std::to_string(size), binary_content(size));
    write_file(dst + "\\f1", "older and longer");
    SetFileAttributesA((dst + "\\f1").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((src + "\\f0").c_str(), FILE_ATTRIBUTE_READONLY);

    copyflst_failing_write = 1000;  // far away: only counts the writes
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILES, "<SRC>", "<DST>"}}));
    EXPECT_EQ(1000 - (0 + 1 + 1 + 2 + 3), copyflst_failing_write) << "one write per block of " << block;
    for (std::size_t size : sizes)
        EXPECT_TRUE(file_has_content(dst + "\\f" + std::to_string(size), binary_content(size))) << size;
    EXPECT_EQ(0u, GetFileAttributesA((src + "\\f0").c_str()) & FILE_ATTRIBUTE_READONLY);
}

// Each case copies src\t into a fresh destination of its own, followed by a record that shows
// whether the run went on. The failing file's destination is the last status text before it.
TEST_F(CopyFiles, FailuresAreReportedAndStopTheWalkAtOnce) {
    WINUTILS_HANDLE lock;
    auto lock_a = [&] {
        lock.reset(CreateFileA((src + "\\t\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    };
    auto fail_write_at = [&](const std::string& name) {
        on_text = [this, name](const std::string& text) {
            if (text == dst + name) copyflst_failing_write = 1;
        };
    };
    const std::string open_text = TEXT_UNABLETOOPEN " ", write_text = TEXT_UNABLETOWRITE ", ";
    struct failure_case {
        const char* name;
        std::uint16_t op;
        std::function<void()> prepare;
        const char* failing;  // below dst
        bool source_named;    // the box names the source rather than the destination
        const std::string& text;
        BOOL8 completed;
        const char* line_end;
    } const cases[] = {
        {"locked source, op 1", COPY_OP_COPY_FILES, lock_a, "\\a.txt", true, open_text, FALSE, ""},
        {"locked source, op 2", COPY_OP_COPY_TREE, lock_a, "\\a.txt", true, open_text, TRUE, ""},
        {"unwritable target", COPY_OP_COPY_FILES, [&] { make_tree(dst, {"\\a.txt\\"}); }, "\\a.txt", false,
         open_text, FALSE, ""},
        {"failed write, op 1", COPY_OP_COPY_FILES, [&] { fail_write_at("\\a.txt"); }, "\\a.txt", false, write_text,
         FALSE, "\n"},
        {"failed write deep in a tree", COPY_OP_COPY_TREE, [&] { fail_write_at("\\s1\\deep\\c.bin"); },
         "\\s1\\deep\\c.bin", false, write_text, TRUE, "\n"},
        {"source shrinks after its size was taken", COPY_OP_COPY_FILES,
         [&] {
             on_text = [this](const std::string& text) {
                 if (text == dst + "\\a.txt") write_file(src + "\\t\\a.txt", "abc");
             };
         },
         "\\a.txt", true, open_text, FALSE, ""},
    };
    for (const failure_case& c : cases) {
        SCOPED_TRACE(c.name);
        dst = root + "\\" + std::to_string(&c - cases);
        make_tree(dst, {"\\"});
        texts.clear();
        c.prepare();
        EXPECT_EQ(c.completed, run({{c.op, "<SRC>\\t", "<DST>"}, {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
        const std::string failing = dst + c.failing;
        const std::string named = c.source_named ? src + "\\t" + c.failing : failing;
        EXPECT_EQ((std::vector<std::string>{error_box(c.text + named + c.line_end)}), shown_boxes());
        auto at = std::find(texts.begin(), texts.end(), failing);
        ASSERT_NE(texts.end(), at);
        const std::vector<std::string> after(c.completed ? 1 : 0, dst + "\\after");
        EXPECT_EQ(after, std::vector<std::string>(at + 1, texts.end()));
        lock.reset();
        on_text = nullptr;
        copyflst_failing_write = 0;
    }
}

// Needs a small drive that fills up: QUILL_SMALL_DRIVE names an empty directory on one of at most
// a megabyte (for instance a tmpfs mounted with size=1m and reached through Z:).
TEST_F(CopyFiles, FullDriveIsAFailedWrite) {
    const char* small = std::getenv("QUILL_SMALL_DRIVE");
    if (small == nullptr || !directory_exists(small)) GTEST_SKIP() << "QUILL_SMALL_DRIVE names no directory";
    const std::string target = std::string(small) + "\\big.bin";
    write_file(src + "\\big.bin", binary_content(2 * block));
    EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILES, "<SRC>", small}}));
    EXPECT_EQ((std::vector<std::string>{error_box(TEXT_UNABLETOWRITE ", " + target + "\n")}), shown_boxes());
    DeleteFileA(target.c_str());
}

// A directory with one more attribute than the directory mark is taken as a file name; a
// directory as the source stops the run.
TEST_F(CopyFiles, CopyFileIntoDirectoriesAndOntoFiles) {
    make_tree(root, {"\\dst\\", "\\dst\\plain\\", "\\dst\\hidden\\", "\\dst\\old.exe"});
    SetFileAttributesA((dst + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILE, "<SRC>\\t\\a.txt", "<DST>\\plain"},
                         {COPY_OP_COPY_FILE, "<SRC>\\t\\a.txt", "<DST>\\old.exe"},
                         {COPY_OP_COPY_FILE, "<SRC>\\t\\a.txt", "<DST>\\hidden"},
                         {COPY_OP_COPY_FILE, "<SRC>\\missing.exe", "<DST>\\plain"}}));
    EXPECT_TRUE(file_has_content(dst + "\\plain\\a.txt", "\\t\\a.txt"));
    EXPECT_TRUE(file_has_content(dst + "\\old.exe", "\\t\\a.txt"));
    EXPECT_FALSE(file_exists(dst + "\\hidden\\a.txt"));

    EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILE, "<SRC>", "<DST>\\plain"},
                          {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    EXPECT_FALSE(directory_exists(dst + "\\after"));
}

}  // namespace

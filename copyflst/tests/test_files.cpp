// The byte copy at its block edges, and what each kind of copy failure shows and stops.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "Handles.h"
#include "copyflst_private.h"
#include "engine_fixture.h"

namespace {

const std::size_t block = 1024000;

// Bytes of every value, line ends and the end-of-file mark first, in a pattern that shifts with
// the length so that a misplaced block shows.
std::string binary_content(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 7 + i / 251 + size) & 0xFF);
    const char specials[] = "\r\n\x1A\0\n\r";
    for (std::size_t i = 0; i < sizeof specials - 1 && i < size; ++i) content[i] = specials[i];
    return content;
}

class CopyFiles : public EngineTest {
protected:
    void TearDown() override {
        copyflst_failing_write = 0;
        EngineTest::TearDown();
    }
};

// Op 1 takes the plain files of its directory only, over read-only, hidden and system ones, which
// it leaves plain, and clears the source's read-only mark on the way.
TEST_F(CopyFiles, ByteCopyIsExactAtTheBlockEdges) {
    const std::size_t sizes[] = {0, 1, block, block + 1, 2 * block + 1};
    for (std::size_t size : sizes) write_file(src + "\\f" + std::to_string(size), binary_content(size));
    make_tree(src, {"\\sub\\", "\\sub\\x"});
    write_file(dst + "\\f1", "older and longer");
    write_file(dst + "\\f0", "older");
    SetFileAttributesA((dst + "\\f1").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((dst + "\\f0").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((src + "\\f0").c_str(), FILE_ATTRIBUTE_READONLY);

    copyflst_failing_write = 1000;  // far away: only counts the writes
    EXPECT_EQ(TRUE, run({{COPY_OP_COPY_FILES, "<SRC>", "<DST>"}}));
    EXPECT_EQ(1000 - (0 + 1 + 1 + 2 + 3), copyflst_failing_write) << "one write per block of " << block;
    const DWORD marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (std::size_t size : sizes) {
        const std::string copy = dst + "\\f" + std::to_string(size);
        EXPECT_TRUE(read_file(copy) == binary_content(size)) << size << " bytes";
        EXPECT_EQ(0u, GetFileAttributesA(copy.c_str()) & marks) << size << " bytes";
    }
    EXPECT_EQ("f0 f1 f1024000 f1024001 f2048001", listing(dst));
    EXPECT_EQ(0u, GetFileAttributesA((src + "\\f0").c_str()) & FILE_ATTRIBUTE_READONLY);
}

// A copy into its own folder under another spelling of it finds the source itself as the
// destination: that is refused as a destination that cannot be opened, and the source is whole.
TEST_F(CopyFiles, CopyIntoItsOwnFolderUnderAnotherNameLeavesTheSourceWhole) {
    write_file(src + "\\keep.txt", "kept");
    char short_name[MAX_PATH] = "";
    ASSERT_NE(0u, GetShortPathNameA(src.c_str(), short_name, sizeof short_name));
    ASSERT_NE(src, short_name);
    for (const std::string& spelling : {std::string(short_name), "\\\\?\\" + src}) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(FALSE, run({{COPY_OP_COPY_FILES, "<SRC>", spelling.c_str()}}));
        EXPECT_EQ(std::vector<std::string>{error_box(TEXT_UNABLETOOPEN " " + spelling + "\\keep.txt")}, shown_boxes());
        EXPECT_EQ("kept", read_file(src + "\\keep.txt"));
    }
}

// Each case copies src\t into a fresh destination, followed by a record that shows whether the
// run went on. The failing file's destination is the last status text before it.
TEST_F(CopyFiles, FailuresAreReportedAndStopTheWalkAtOnce) {
    make_tree(src, {"\\t\\", "\\t\\a.txt", "\\t\\s1\\", "\\t\\s1\\b.txt", "\\t\\s1\\deep\\", "\\t\\s1\\deep\\c.bin",
                    "\\t\\s2\\", "\\t\\s2\\d.bin"});
    WINUTILS_HANDLE lock;
    auto lock_a = [&] {
        lock.reset(CreateFileA((src + "\\t\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    };
    auto at_text = [this](const std::string& name, std::function<void()> act) {
        on_text = [this, name, act](const std::string& text) {
            if (text == dst + name) act();
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
        {"failed write, op 1", COPY_OP_COPY_FILES, [&] { at_text("\\a.txt", [] { copyflst_failing_write = 1; }); },
         "\\a.txt", false, write_text, FALSE, "\n"},
        {"failed write deep in a tree", COPY_OP_COPY_TREE,
         [&] { at_text("\\s1\\deep\\c.bin", [] { copyflst_failing_write = 1; }); }, "\\s1\\deep\\c.bin", false,
         write_text, TRUE, "\n"},
        {"source shrinks after its size was taken", COPY_OP_COPY_FILES,
         [&] { at_text("\\a.txt", [this] { write_file(src + "\\t\\a.txt", "abc"); }); }, "\\a.txt", true, open_text,
         FALSE, ""},
    };
    for (const failure_case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_directory(dst);
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

}  // namespace

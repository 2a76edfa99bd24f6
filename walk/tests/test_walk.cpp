// Directory walk: the abort flag and paths that do not fit stop every level; patterns take names
// by their own spelling; links are reported, never entered.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "Walk.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> reports;
std::string abort_at;

void record(const char* path, std::int32_t kind) {
    if (kind == WALK_TICK) return;
    std::string text = path ? path : "<null>";
    std::replace(text.begin(), text.end(), '\\', '/');
    reports.push_back(std::to_string(kind) + " " + text);
    if (text == abort_at) abort_walk();
}

// A fresh tree under the working directory: names ending in / are directories.
void make_tree(const std::vector<std::string>& names) {
    fs::remove_all("walk_tree");
    fs::create_directory("walk_tree");
    for (const std::string& name : names) {
        if (name.back() == '/')
            fs::create_directories("walk_tree/" + name);
        else
            std::ofstream("walk_tree/" + name) << "x";
    }
}

// The reports of one walk of the tree, sorted when asked.
std::vector<std::string> walk(const char* pattern, std::uint32_t flags, BOOL8* result, bool sort = false) {
    reports.clear();
    *result = walk_directory(pattern, "walk_tree", record, flags);
    if (sort) std::sort(reports.begin(), reports.end());
    return reports;
}


}  // namespace

TEST(Walk, AbortAndPathsThatDoNotFitStopEveryLevel) {
    make_tree({"sub/", "sub/inner/", "sub/inner/x.dat", "sub/inner/y.dat"});
    BOOL8 result = TRUE;
    abort_at = "walk_tree/sub/inner/x.dat";
    std::vector<std::string> seen = walk("*.dat", WALK_RECURSIVE, &result);
    abort_at.clear();
    EXPECT_EQ(FALSE, result);
    EXPECT_EQ(std::vector<std::string>{"0 walk_tree/sub/inner/x.dat"}, seen) << "nothing after the abort";
    EXPECT_EQ(2u, walk("*.dat", WALK_RECURSIVE, &result).size());
    EXPECT_EQ(TRUE, result) << "a new walk starts clear";

    reports.clear();
    const std::string long_directory = "walk_tree\\" + std::string(WALK_PATH_SIZE, 'x');
    EXPECT_EQ(FALSE, walk_directory("*.*", long_directory.c_str(), record, 0));
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(0u, reports[0].rfind("3 walk_tree/xxx", 0)) << reports[0];
    EXPECT_EQ(WALK_PATH_SIZE - 1 + 2, reports[0].size()) << "as much of the path as fits";
}

// A pattern takes names by their own spelling, whatever their short forms are ("c.tmpx" and
// "e.tmpl" do not end in ".tmp"), as the system's search matches them: "?" and "." in their DOS
// forms, letters in either case, and nothing else special.
TEST(Walk, PatternMatchesTheNamesThemselves) {
    make_tree({"a.tmp", "c.tmpx", "save", "save1.dat", "a;b", "[x].tmp", "sub/", "sub/d.TMP", "sub/e.tmpl"});
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
        {"*.tmp", {"0 walk_tree/[x].tmp", "0 walk_tree/a.tmp", "0 walk_tree/sub/d.TMP"}},
        {"save*.*", {"0 walk_tree/save", "0 walk_tree/save1.dat"}},
        {"?.tmp", {"0 walk_tree/a.tmp", "0 walk_tree/sub/d.TMP"}},
        {"*.", {"0 walk_tree/a;b", "0 walk_tree/save", "1 walk_tree/sub"}},
        {"a;b", {"0 walk_tree/a;b"}},
        {"[x].tmp", {"0 walk_tree/[x].tmp"}},
    };
    for (const auto& [pattern, expected] : cases) {
        BOOL8 result = FALSE;
        EXPECT_EQ(expected, walk(pattern, WALK_RECURSIVE, &result, true)) << pattern;
    }
}

#if !defined(_WIN32)
TEST(Walk, LinkToADirectoryIsReportedButNotEntered) {
    make_tree({"real/", "real/x.dat"});
    fs::create_directory_symlink(fs::absolute("walk_tree/real"), "walk_tree/link");
    BOOL8 result = FALSE;
    EXPECT_EQ((std::vector<std::string>{"0 walk_tree/real/x.dat", "1 walk_tree/link", "1 walk_tree/real"}),
              walk("*.*", WALK_RECURSIVE, &result, true));
}
#endif

// File tree: building from real directories, growth and its refusals, lookup by component with
// 12-character names, and the dump.
#include <vector>

#include "efile_fixture.h"

namespace {

const EFILE_TREE_DETAILS& slot_details(std::uint32_t index) { return local_efile_details.search_paths[index]; }

std::string find(const char* name) {
    char out[EFILE_PATH_SIZE] = "junk";
    return efile_find_full_path(name, out, slot_details(0).file_tree, 0) ? out : "<none>";
}

std::string dump(const EFILE_TREE_ENTRY* nodes) {
    std::FILE* output = std::fopen("tree.dbg", "w");
    if (output == nullptr) return "<tree.dbg cannot be written>";
    efile_dump_structured_directory(output, nodes, 0, 0);
    std::fclose(output);
    return read_text_file("tree.dbg");
}

}  // namespace

TEST_F(efile_test, empty_and_nested_trees) {
    ASSERT_EQ(TRUE, EFILE_initialise(nullptr));
    std::error_code error;
    std::filesystem::create_directories(host("data"), error);
    ASSERT_EQ(1, EFILE_set_search_paths(1, (slot("data") + "\\").c_str()));
    EXPECT_EQ(1u, slot_details(0).num_entries);
    EXPECT_EQ("<none>", find("x.dat"));
    EXPECT_EQ("<none>", find("\\")) << "the closing node names nothing";

    write_file("data\\maps\\x.dat", "x");
    EXPECT_EQ("<none>", find("maps\\x.dat")) << "the tree is a snapshot until rebuilt";
    ASSERT_EQ(TRUE, EFILE_build_file_tree(0));
    ASSERT_EQ(3u, slot_details(0).num_entries);  // maps, x.dat, and the closing empty node
    const char* const lookups[][2] = {{"\\maps\\x.dat", "maps\\x.dat"}, {"maps\\", "maps"}, {"x.dat", "<none>"},
                                      {"maps\\\\", "<none>"}, {"", "<none>"}};
    for (const auto& lookup : lookups) EXPECT_EQ(lookup[1], find(lookup[0])) << lookup[0];
    EXPECT_EQ("maps\n\tx.dat\n", dump(slot_details(0).file_tree));

    // Deeper levels and siblings, as the walk reports them level by level; long names are kept
    // and matched on their first twelve characters.
    write_files({"data\\a\\deep\\d.dat", "data\\b1.dat", "data\\longdirectoryname\\x.dat", "data\\averylongname.dat"});
    ASSERT_EQ(TRUE, EFILE_build_file_tree(-1));
    EXPECT_EQ(10u, slot_details(0).num_entries);
    const char* const deeper[][2] = {{"a\\deep\\d.dat", "a\\deep\\d.dat"}, {"b1.dat", "b1.dat"}, {"a\\d.dat", "<none>"},
                                     {"averylongnamXYZ", "averylongnam"}, {"averylongna", "<none>"},
                                     {"longdirectoryname\\x.dat", "longdirector\\x.dat"}};
    for (const auto& lookup : deeper) EXPECT_EQ(lookup[1], find(lookup[0])) << lookup[0];
    EXPECT_EQ(slot("data\\averylongnam"), EFILE_make_full_path("AVERYLONGNAME.DAT"));
    EXPECT_NE(std::string::npos, dump(slot_details(0).file_tree).find("a\n\tdeep\n\t\td.dat\n"));

    // A report is filed only whole: cut to a path's size it would name something not on disk.
    const std::string data = slot("data") + "\\";
    for (const std::size_t length : {EFILE_PATH_SIZE - 1, EFILE_PATH_SIZE}) {
        const std::uint32_t before = slot_details(0).num_entries;
        const std::string name(length - data.size(), length < EFILE_PATH_SIZE ? 'y' : 'z');
        efile_file_tree_callback_function((data + name).c_str(), WALK_FILE);
        EXPECT_EQ(before + (length < EFILE_PATH_SIZE), slot_details(0).num_entries) << length;
    }
}

TEST_F(efile_test, tree_growth_and_allocation_refusals) {
    EFILE_DETAILS details = settings(EFILE_DEFAULT_CHUNK_SIZE, 2, 3);
    ASSERT_EQ(TRUE, EFILE_initialise(&details));
    write_files({"data\\f0.dat", "data\\f1.dat", "data\\f2.dat", "data\\f3.dat", "data\\f4.dat", "data\\f5.dat"});
    ASSERT_EQ(1, EFILE_set_search_paths(1, slot("data").c_str()));
    EXPECT_EQ(7u, slot_details(0).num_entries);
    for (const char* name : {"f0.dat", "f1.dat", "f2.dat", "f3.dat", "f4.dat", "f5.dat"}) EXPECT_EQ(name, find(name));

    // Growth refused: what was filed stays, the rest is left out.
    EFILE_TREE_DETAILS& slot0 = local_efile_details.search_paths[0];
    slot0.tree_size = 2;
    ASSERT_EQ(TRUE, efile_allocate_file_tree(&slot0));
    HEAP_fail_after(0);
    efile_walk_directory("*.*", slot0.path, efile_file_tree_callback_function, WALK_RECURSIVE);
    HEAP_fail_after(-1);
    EXPECT_EQ(2u, slot0.num_entries);
    EXPECT_EQ(2u, slot0.tree_size);

    // A slot that was only added has no capacity: its build fails to allocate and lookups pass it.
    efile_clear_search_path(-1);
    EXPECT_EQ(FALSE, EFILE_build_file_tree(0));  // no path
    EXPECT_EQ(FALSE, EFILE_build_file_tree(4));
    efile_clear_search_path(0);
    local_efile_details.search_paths[0].tree_size = 0;
    EFILE_add_search_path(slot("data").c_str());
    EXPECT_EQ(TRUE, EFILE_build_file_tree(-1));
    EXPECT_EQ(nullptr, slot_details(0).file_tree);
    EXPECT_EQ(nullptr, EFILE_make_full_path("f0.dat"));
}

TEST_F(efile_test, lookup_walks_a_long_level_without_nesting) {
    const std::uint32_t count = 200000;
    std::vector<EFILE_TREE_ENTRY> nodes(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        nodes[i].next = i + 1 < count ? i + 1 : EFILE_TREE_NONE;
        nodes[i].child = EFILE_TREE_NONE;
        std::snprintf(nodes[i].name, sizeof nodes[i].name, "n%u", i);
    }
    char out[EFILE_PATH_SIZE];
    ASSERT_EQ(TRUE, efile_find_full_path("n199999", out, nodes.data(), 0));
    EXPECT_STREQ("n199999", out);
    EXPECT_EQ(FALSE, efile_find_full_path("absent", out, nodes.data(), 0));
    EXPECT_EQ(FALSE, efile_find_full_path("n1", out, nullptr, 0));
    ASSERT_EQ(TRUE, efile_find_full_path("n5\\", out, nodes.data(), 0)) << "a trailing separator names the entry";
    EXPECT_STREQ("n5", out);
    // Twenty levels of twelve characters are found but cannot be spelt out: no hit, and nothing in out.
    std::vector<EFILE_TREE_ENTRY> chain(20, EFILE_TREE_ENTRY{EFILE_TREE_NONE, EFILE_TREE_NONE, "abcdefghijkl"});
    std::string deep = "abcdefghijkl";
    for (std::uint32_t i = 1; i < 20; ++i) chain[i - 1].child = i, deep += "\\abcdefghijkl";
    EXPECT_EQ(FALSE, efile_find_full_path(deep.c_str(), out, chain.data(), 0));
    EXPECT_STREQ("", out);
    EXPECT_EQ(FALSE, efile_allocate_file_tree(nullptr));
}

// File access layer: settings, search slots, resolution on disk and through the trees, whole and
// chunked reads with the block checksum, and the refusals the layer owns.
#include "efile_fixture.h"

TEST(efile_names, rooted_names) {
    const struct { const char* name; BOOL8 rooted; } names[] = {{".\\x", TRUE}, {"a\\\\b", TRUE}, {"c:x", TRUE},
        {"ab:", TRUE}, {":", FALSE}, {"a\\b\\", FALSE}, {"abc", FALSE}, {"x", FALSE}};
    for (const auto& n : names) EXPECT_EQ(n.rooted, efile_is_rooted(n.name)) << n.name;
}

TEST_F(efile_test, initialise_states_and_refusals) {
    EXPECT_EQ(nullptr, EFILE_make_full_path("x.dat"));
    EXPECT_EQ(nullptr, EFILE_allocate_and_read_file("abc.dat", nullptr, nullptr));
    ASSERT_EQ(TRUE, EFILE_initialise(nullptr));
    EXPECT_EQ(nullptr, EFILE_get_search_path(4));
    EXPECT_EQ(FALSE, EFILE_initialise(nullptr));
    EXPECT_EQ(TRUE, EFILE_deinitialise());
    EXPECT_EQ(FALSE, EFILE_deinitialise());

    // The record's extension is taken as given; one without terminator refuses the record.
    EFILE_DETAILS details = settings(16);
    std::strcpy(details.extension, ".TXT");
    std::strcpy(details.reserved_text_a, "kept");
    ASSERT_EQ(TRUE, EFILE_initialise(&details));
    EXPECT_STREQ(".TXT", EFILE_get_extension());
    EXPECT_STREQ("kept", local_efile_details.reserved_text_a) << "the record is kept whole";
    EFILE_deinitialise();
    std::memset(details.extension, 'x', sizeof details.extension);
    EXPECT_EQ(FALSE, EFILE_initialise(&details));

    // Slot table refused: initialised all the same, with no slots and tree lookup off.
    HEAP_fail_after(0);
    EXPECT_EQ(FALSE, EFILE_initialise(nullptr));
    HEAP_fail_after(-1);
    EXPECT_EQ(0, EFILE_get_use_tree_to_find_files());
    EXPECT_EQ(-1, EFILE_add_search_path("data\\"));
    EXPECT_EQ(FALSE, EFILE_initialise(nullptr));
}

TEST_F(efile_test, switches_and_slots) {
    ASSERT_EQ(TRUE, EFILE_initialise(nullptr));
    EXPECT_EQ(FALSE, EFILE_set_use_tree_to_find_files(2));
    EXPECT_EQ(1, EFILE_get_use_tree_to_find_files());
    EXPECT_EQ(FALSE, EFILE_set_extension(nullptr));
    EXPECT_EQ(TRUE, EFILE_set_extension(std::string(256, 'E').c_str()));  // lowered and cut to 255
    EXPECT_EQ(std::string(255, 'e'), EFILE_get_extension());
    EXPECT_EQ(nullptr, EFILE_make_full_path(""));
    EXPECT_TRUE(logged("EFILE_make_full_path: String size of zero"));
    EXPECT_EQ(nullptr, EFILE_make_full_path(std::string(253, 'n').c_str()));  // too long with the extension
    EXPECT_TRUE(logged("EFILE_make_full_path failed: name too long"));

    EXPECT_EQ(-1, EFILE_add_search_path(nullptr));
    EXPECT_EQ(0, EFILE_add_search_path("DATA\\"));
    EXPECT_STREQ("data\\", EFILE_get_search_path(0));
    EXPECT_EQ(1, EFILE_add_search_path(std::string(256, 'p').c_str()));  // cut to 255
    EXPECT_EQ(std::string(255, 'p'), EFILE_get_search_path(1));
    for (int i = 2; i < 4; ++i) EXPECT_EQ(i, EFILE_add_search_path("more\\"));
    EXPECT_EQ(-1, EFILE_add_search_path("full\\"));
    for (std::uint8_t use_tree : {0, 1}) {  // every slot is tried, and none beyond the last
        EFILE_set_use_tree_to_find_files(use_tree);
        EXPECT_EQ(nullptr, EFILE_make_full_path("absent.dat")) << int(use_tree);
    }
    efile_clear_search_path(1);
    EXPECT_EQ(1, EFILE_add_search_path("again\\"));

    // Setting starts from empty slots, skips null paths and counts only what was placed.
    const char* a = "c:\\a";
    EXPECT_EQ(4, EFILE_set_search_paths(6, a, static_cast<const char*>(nullptr), a, a, a, a));
    EXPECT_STREQ(a, EFILE_get_search_path(1));
}

TEST_F(efile_test, resolve_on_disk_appends_names_to_slot_paths) {
    ASSERT_EQ(TRUE, EFILE_initialise(nullptr));
    EFILE_set_use_tree_to_find_files(0);
    write_files({"cd\\x.dat", "cd\\w.dat", "datax.dat", "data\\readme", "data\\readme.txt"});
    EFILE_add_search_path((slot("data") + "\\").c_str());
    EFILE_add_search_path((slot("cd") + "\\").c_str());
    EXPECT_EQ(slot("cd\\x.dat"), EFILE_make_full_path("x.dat"));
    EXPECT_EQ(slot("data\\readme"), EFILE_make_full_path("readme"));
    EFILE_set_extension(".txt");
    EXPECT_EQ(slot("data\\readme.txt"), EFILE_make_full_path("readme"));
    EXPECT_EQ(nullptr, EFILE_make_full_path("missing"));

    // Two backslashes root a name: it is tried as it stands; a '.' start that is missing as
    // given is still appended to each slot's path.
    std::string rooted = root + "\\\\datax.dat";
    EXPECT_EQ(rooted, EFILE_make_full_path(rooted.c_str()));
    EXPECT_EQ(slot("cd\\.\\x.dat"), EFILE_make_full_path(".\\x.dat"));

    // No separator is inserted; the walk ends at the first empty slot.
    efile_clear_search_path(-1);
    EFILE_add_search_path(slot("data").c_str());
    EXPECT_EQ(slot("datax.dat"), EFILE_make_full_path("x.dat"));
    EFILE_add_search_path((slot("cd") + "\\").c_str());
    efile_clear_search_path(0);
    EXPECT_EQ(nullptr, EFILE_make_full_path("x.dat")) << "slot 0 is free again, so slot 1 is not reached";

    // A join too long for the buffer passes over that slot.
    efile_clear_search_path(-1);
    EFILE_add_search_path((std::string(250, 'l') + "\\").c_str());
    EFILE_add_search_path((slot("cd") + "\\").c_str());
    const char* first = EFILE_make_full_path("x.dat");
    EXPECT_EQ(slot("cd\\x.dat"), first);
    EXPECT_TRUE(logged("joined path too long in slot 0"));
    EXPECT_EQ(first, EFILE_make_full_path("w.dat")) << "results share one buffer";
    EXPECT_EQ(slot("cd\\w.dat"), first);
}

TEST_F(efile_test, whole_file_reads_checksums_and_refusals) {
    EFILE_DETAILS details = settings(2);
    details.crc_state = 1;
    ASSERT_EQ(TRUE, EFILE_initialise(&details));
    write_file("abc.dat", "abc");
    write_file("empty.dat", "");
    write_file("gone.dat", "soon gone");
    EFILE_set_search_paths(1, root.c_str());

    // Both readers, through the tree and on disk, sum what they read into the running total.
    char buffer[4] = {};
    EXPECT_EQ(1, EFILE_read_file("abc.dat", buffer, 0));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(0x514AFA1Au, EFILE_get_crc_total());
    std::uint32_t got = 99;
    auto* text = static_cast<char*>(EFILE_allocate_and_read_file("abc.dat", nullptr, &got));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(3u, got);
    EXPECT_EQ(0, std::memcmp(text, "abc", 3));
    EXPECT_EQ(0xA295F434u, EFILE_get_crc_total());
    MEMORY_FREE(text);
    EFILE_set_crc_state(2);
    EXPECT_EQ(1, EFILE_read_file("abc.dat", buffer, 2));
    EXPECT_EQ(0xA295F434u, EFILE_get_crc_total()) << "summing switched off";

    EXPECT_EQ(nullptr, EFILE_allocate_and_read_file("missing.dat", nullptr, &got));
    EXPECT_EQ(0u, got);
    EXPECT_EQ(nullptr, EFILE_allocate_and_read_file("empty.dat", nullptr, &got));
    HEAP_fail_after(0);
    EXPECT_EQ(nullptr, EFILE_allocate_and_read_file("abc.dat", nullptr, &got));
    HEAP_fail_after(-1);
    // The tree still names a file removed since the build.
    std::remove(host("gone.dat").c_str());
    EXPECT_EQ(nullptr, EFILE_allocate_and_read_file("gone.dat", nullptr, &got));
    EXPECT_EQ(0, EFILE_read_file("gone.dat", &got, 0));

    EFILE_set_crc_state(1);
    EFILE_set_use_tree_to_find_files(0);
    EFILE_set_search_paths(1, (root + "\\").c_str());
    EXPECT_EQ(1, EFILE_read_file("abc.dat", buffer, 0));
    EXPECT_EQ(0xF3E0EE4Eu, EFILE_get_crc_total());
    std::filesystem::create_directories(host("maps.dir"));
    EXPECT_EQ(0, EFILE_read_file("maps.dir", buffer, 0)) << "a folder is found, but is no file";

    // Chunked reads and the wrappers' refusals, on a stream opened through the slot; opening a
    // missing file and writing are the message store's tests' part.
    EXPECT_NE(0, efile_fclose(nullptr, "Caller.cpp", 79));
    std::FILE* stream = EFILE_FOPEN("abc.dat", "rb", 1);
    ASSERT_NE(nullptr, stream);
    EXPECT_EQ(0u, efile_chunk_fread(buffer, 1, 3, stream, 3, nullptr)) << "a step larger than the chunk buffer is refused";
    static int chunk_calls = 0;
    EXPECT_EQ(3u, efile_chunk_fread(buffer, 2, 4, stream, 2, [] { ++chunk_calls; })) << "a short file gives what it has";
    EXPECT_EQ(2, chunk_calls);
    EXPECT_EQ(0u, EFILE_fread(buffer, 1, 4, nullptr));
    EXPECT_EQ(0u, EFILE_fwrite(nullptr, 1, 4, stream));
    EXPECT_EQ(0, EFILE_FCLOSE(stream));
}

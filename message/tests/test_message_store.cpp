// Store tests: table lifecycle, handles, record operations, the writer and the 16-bit text helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Heap.h"
#include "MessageInternal.h"
#include "message_files.h"

using MessageStore = message_table<2>;

TEST(MessageLifecycle, LoadsNeedAnInitialisedTableWithAFreeEntry) {
    std::string path = message_file("life.ini", message_bytes("[A]\nx\n[E]"));
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));
    EXPECT_FALSE(MESSAGE_initialise(0));
    ASSERT_TRUE(MESSAGE_initialise(2));
    EXPECT_FALSE(MESSAGE_initialise(2));  // a second table would strand the first one's files
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_file(nullptr, 0, nullptr));
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_memory(nullptr, "", 0, 0, nullptr));
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_memory("no bytes", nullptr, 2, 0, nullptr));
    EXPECT_EQ(0, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));
    EXPECT_EQ(1, MESSAGE_allocate_message_file(path.c_str(), 1, nullptr));
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));
    MESSAGE_deallocate_message_file(0);
    EXPECT_EQ(-1, MESSAGE_count_messages(0));
    EXPECT_EQ(1, MESSAGE_count_messages(1));
    MESSAGE_deallocate_message_file(1);
    MESSAGE_deinitialise();
    EXPECT_EQ(-1, MESSAGE_count_messages(0));
}

TEST_F(MessageStore, EditableFilesChange) {
    std::int32_t handle = load_message("[A]\n1\n[B]\n2\n[C]\n3\n[END_OF_FILE]");
    EXPECT_EQ(nullptr, MESSAGE_get_next_message_id(handle, "C"));
    EXPECT_EQ(nullptr, MESSAGE_get_next_message_id(handle, nullptr));
    EXPECT_TRUE(MESSAGE_remove_message(handle, "A"));
    HEAP_fail_after(0, 1);  // a refused request on the way costs no record and no lookup
    EXPECT_TRUE(MESSAGE_insert_message(handle, "D", nullptr));  // no text: a lone CR
    HEAP_fail_after(-1);
    EXPECT_FALSE(MESSAGE_remove_message(handle, "A"));
    EXPECT_FALSE(MESSAGE_insert_message(handle, "B", to_text("other").data()));
    EXPECT_FALSE(MESSAGE_insert_message(handle, nullptr, to_text("other").data()));
    EXPECT_FALSE(MESSAGE_insert_message(handle, "Y", to_text(std::string(200001, 'y')).data()));
    MESSAGE_set_message(handle, "B", to_text("changed").data());
    MESSAGE_set_message(handle, "C", to_text(std::string(200001, 'y')).data());  // refused: unchanged
    MESSAGE_set_message(handle, "Z", to_text("unknown").data());
    std::remove("c:\\retail.dbg");
    EXPECT_EQ("B=changed;C=3;D=\r;", dump(handle));
    // Inserts go past the array loaded at the exact count; the copies outlive the caller's text.
    for (char id = 'E'; id <= 'P'; ++id)
        EXPECT_TRUE(MESSAGE_insert_message(handle, std::string(1, id).c_str(), to_text(std::string(3, id)).data()));
    EXPECT_EQ(15, MESSAGE_count_messages(handle));
    EXPECT_TRUE(MESSAGE_remove_message(handle, "D"));
    EXPECT_EQ("E", std::string(MESSAGE_get_next_message_id(handle, "C")));
    while (MESSAGE_get_first_message_id(handle)) MESSAGE_remove_message(handle, MESSAGE_get_first_message_id(handle));
    EXPECT_EQ(0, MESSAGE_count_messages(handle));
    EXPECT_FALSE(MESSAGE_remove_message(handle, "B"));
}

TEST_F(MessageStore, WriterProducesTheExactImageThatLoadsBack) {
    std::int32_t handle = load_message("");
    ASSERT_TRUE(MESSAGE_insert_message(handle, "A", to_text("Hello").data()));
    ASSERT_TRUE(MESSAGE_insert_message(handle, "B", to_text("").data()));
    std::string path = temp_path("written.ini");
    // Only 1 switches complementing on; the default (1) complements every unit, header included.
    const std::uint8_t states[] = {0, 2, 1};
    std::uint8_t previous = 1;
    for (std::uint8_t state : states) {
        SCOPED_TRACE(state);
        EXPECT_EQ(previous, MESSAGE_set_output_encrypt_state(state));
        previous = state;
        MESSAGE_write_message_file(handle, path.c_str());
        EXPECT_EQ(message_bytes("[A]\nHello\n[B]\n\n[END_OF_FILE]", state == 1), read_bytes(path));
    }
    MESSAGE_write_message_file(handle, nullptr);  // left alone; a path that cannot be opened is a reporting case

    MESSAGE_set_message(handle, "B", to_text("two\nlines").data());
    ASSERT_TRUE(MESSAGE_insert_message(handle, "MSG PLAY", to_text("Play").data()));
    ASSERT_TRUE(MESSAGE_insert_message(handle, "\xE9t\xE9", to_text("high bytes").data()));
    const std::string expected = dump(handle);
    MESSAGE_write_message_file(handle, path.c_str());
    EXPECT_NE(std::string::npos, read_bytes(path).find(to_bytes({0xFFE9, 't'}, true))) << "ids widen as signed bytes";
    std::int32_t again = MESSAGE_allocate_message_file(path.c_str(), 0, nullptr);
    ASSERT_EQ(1, again);
    EXPECT_EQ(expected, dump(again));
}

TEST(MessageText, AppendAndConversions) {
    units buffer(512, 0);
    for (const char* text : {"abc", "", "de"}) MESSAGE_append(buffer.data(), to_text(text).data());
    MESSAGE_append(buffer.data(), to_text(std::string(201, 'x')).data());  // measures 0: nothing
    EXPECT_EQ("abcde", narrow(buffer.data()));
    // A destination over 200 characters measures 0, so the text lands at its start.
    units long_text = to_text(std::string(250, 'y'));
    MESSAGE_append(long_text.data(), to_text("zz").data());
    EXPECT_EQ("zz", narrow(long_text.data()));
    EXPECT_EQ('y', long_text[3]);
    MESSAGE_append(nullptr, to_text("zz").data());

    std::uint16_t* wide = MESSAGE_ascii_to_unicode("ab\xE9");
    ASSERT_NE(nullptr, wide);
    EXPECT_EQ((units{'a', 'b', 0xFFE9, 0x000D, 0}), units(wide, wide + 5));
    char* back = MESSAGE_unicode_to_ascii(wide);
    EXPECT_STREQ("ab\xE9\r", back);
    std::free(back);
    std::free(wide);
    EXPECT_TRUE(!MESSAGE_ascii_to_unicode(nullptr) && !MESSAGE_unicode_to_ascii(nullptr));
}

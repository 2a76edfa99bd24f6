// Store tests: table lifecycle, handles, record operations, the writer and the 16-bit text helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "MessageInternal.h"
#include "message_files.h"

namespace {

class MessageStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MESSAGE_initialise(2)); }
    void TearDown() override {
        for (std::int32_t handle = 0; handle < 2; ++handle) MESSAGE_deallocate_message_file(handle);
        MESSAGE_deinitialise();
    }
    static std::int32_t load(const std::string& name, const std::string& body, std::uint8_t editable) {
        return MESSAGE_allocate_message_file(message_file(name, message_image(body)).c_str(), editable, nullptr);
    }
    static std::string dump(std::int32_t handle) {
        std::string result;
        for (const char* id = MESSAGE_get_first_message_id(handle); id; id = MESSAGE_get_next_message_id(handle, id))
            result += std::string(id) + "=" + narrow(MESSAGE_get_message(handle, id)) + ";";
        return result;
    }
};

TEST(MessageLifecycle, LoadsNeedAnInitialisedTableWithAFreeEntry) {
    std::string path = message_file("life.ini", message_image("[A]\nx\n[E]"));
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));
    EXPECT_FALSE(MESSAGE_initialise(0));
    ASSERT_TRUE(MESSAGE_initialise(2));
    EXPECT_FALSE(MESSAGE_initialise(2));  // a second table would strand the first one's files
    EXPECT_EQ(0, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));
    EXPECT_EQ(1, MESSAGE_allocate_message_file(path.c_str(), 1, nullptr));
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));
    MESSAGE_deallocate_message_file(0);
    EXPECT_EQ(-1, MESSAGE_count_messages(0));
    EXPECT_EQ(0, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));  // the freed entry is reused
    MESSAGE_deallocate_message_file(0);
    MESSAGE_deallocate_message_file(1);
    MESSAGE_deinitialise();
    EXPECT_EQ(-1, MESSAGE_count_messages(0));
    EXPECT_EQ(MESSAGE_NO_FREE_ENTRY, MESSAGE_allocate_message_file(path.c_str(), 0, nullptr));
}

TEST_F(MessageStore, InvalidHandlesGiveNothing) {
    std::uint16_t text[] = {'x', 0};
    for (std::int32_t handle : {-2, -1, 0, 2, 1000}) {
        EXPECT_FALSE(message_valid_handle(handle));
        EXPECT_EQ(nullptr, MESSAGE_get_first_message_id(handle));
        EXPECT_EQ(nullptr, MESSAGE_get_next_message_id(handle, "A"));
        EXPECT_EQ(nullptr, MESSAGE_get_message(handle, "A"));
        EXPECT_FALSE(MESSAGE_insert_message(handle, "A", text));
        EXPECT_FALSE(MESSAGE_remove_message(handle, "A"));
        EXPECT_EQ(-1, MESSAGE_count_messages(handle));
        MESSAGE_set_message(handle, "A", text);
        MESSAGE_write_message_file(handle, temp_path("never.ini").c_str());
        MESSAGE_deallocate_message_file(handle);
    }
    EXPECT_EQ("", read_bytes(temp_path("never.ini")));
}

TEST_F(MessageStore, Iteration) {
    std::int32_t handle = load("iterate.ini", "[A]\n1\n[B]\n2\n[C]\n3\n[END_OF_FILE]", 0);
    EXPECT_STREQ("A", MESSAGE_get_first_message_id(handle));
    EXPECT_STREQ("B", MESSAGE_get_next_message_id(handle, "A"));
    EXPECT_EQ(nullptr, MESSAGE_get_next_message_id(handle, "C"));
    EXPECT_EQ(nullptr, MESSAGE_get_next_message_id(handle, "Z"));
    EXPECT_EQ(nullptr, MESSAGE_get_next_message_id(handle, nullptr));
    EXPECT_EQ(nullptr, MESSAGE_get_message(handle, "Z"));
    EXPECT_EQ("A=1;B=2;C=3;", dump(handle));
}

TEST_F(MessageStore, EditableFilesChange) {
    std::int32_t handle = load("edit.ini", "[A]\n1\n[B]\n2\n[C]\n3\n[END_OF_FILE]", 1);
    EXPECT_TRUE(MESSAGE_remove_message(handle, "A"));
    EXPECT_FALSE(MESSAGE_remove_message(handle, "A"));
    EXPECT_EQ("B=2;C=3;", dump(handle));
    EXPECT_TRUE(MESSAGE_insert_message(handle, "D", nullptr));  // no text: a lone CR
    EXPECT_EQ("\r", narrow(MESSAGE_get_message(handle, "D")));
    EXPECT_FALSE(MESSAGE_insert_message(handle, "B", to_text("other").data()));
    EXPECT_FALSE(MESSAGE_insert_message(handle, nullptr, to_text("other").data()));
    // Inserts go past the array loaded at the exact count; the copies outlive the caller's text.
    for (char id = 'E'; id <= 'P'; ++id) {
        units text = to_text(std::string(3, id));
        EXPECT_TRUE(MESSAGE_insert_message(handle, std::string(1, id).c_str(), text.data()));
    }
    EXPECT_EQ(15, MESSAGE_count_messages(handle));
    EXPECT_EQ("PPP", narrow(MESSAGE_get_message(handle, "P")));
    MESSAGE_set_message(handle, "B", to_text("changed").data());
    MESSAGE_set_message(handle, "Z", to_text("unknown").data());
    EXPECT_EQ("changed", narrow(MESSAGE_get_message(handle, "B")));
    EXPECT_EQ(nullptr, MESSAGE_get_message(handle, "Z"));
    while (MESSAGE_get_first_message_id(handle)) MESSAGE_remove_message(handle, MESSAGE_get_first_message_id(handle));
    EXPECT_EQ(0, MESSAGE_count_messages(handle));
    EXPECT_FALSE(MESSAGE_remove_message(handle, "B"));
}

TEST_F(MessageStore, ReadOnlyFilesOnlyTakeInsertsByReference) {
    std::int32_t handle = load("readonly.ini", "[A]\n1\n[END_OF_FILE]", 0);
    static const std::uint16_t kept[] = {'k', 0};
    static const char kept_id[] = "K";
    EXPECT_TRUE(MESSAGE_insert_message(handle, kept_id, kept));
    EXPECT_EQ(kept, MESSAGE_get_message(handle, "K"));
    EXPECT_EQ(kept_id, MESSAGE_get_next_message_id(handle, "A"));
    MESSAGE_set_message(handle, "A", kept);
    EXPECT_EQ("1", narrow(MESSAGE_get_message(handle, "A")));
    EXPECT_FALSE(MESSAGE_remove_message(handle, "A"));
    std::string path = temp_path("readonly_out.ini");
    std::remove(path.c_str());
    MESSAGE_write_message_file(handle, path.c_str());
    EXPECT_EQ("", read_bytes(path));
    EXPECT_EQ(2, MESSAGE_count_messages(handle));
}

TEST_F(MessageStore, WriterProducesTheExactImage) {
    std::int32_t handle = load("empty_edit.ini", "", 1);
    ASSERT_TRUE(MESSAGE_insert_message(handle, "A", to_text("Hello").data()));
    ASSERT_TRUE(MESSAGE_insert_message(handle, "B", to_text("").data()));
    EXPECT_EQ(1, MESSAGE_set_output_encrypt_state(0));
    std::string path = temp_path("written.ini");
    MESSAGE_write_message_file(handle, path.c_str());
    units expected = message_image("[A]\nHello\n[B]\n\n[END_OF_FILE]");
    ASSERT_EQ(29u, expected.size());
    EXPECT_EQ(expected, read_units(path));

    // Only 1 switches complementing on; the default (1) complements every unit, header included.
    EXPECT_EQ(0, MESSAGE_set_output_encrypt_state(2));
    MESSAGE_write_message_file(handle, path.c_str());
    EXPECT_EQ(expected, read_units(path));
    EXPECT_EQ(2, MESSAGE_set_output_encrypt_state(1));
    MESSAGE_write_message_file(handle, path.c_str());
    EXPECT_EQ(std::string("\x00\x01", 2), read_bytes(path).substr(0, 2));
    EXPECT_EQ(message_image("[A]\nHello\n[B]\n\n[END_OF_FILE]", true), read_units(path));
    // A path that cannot be opened, or none, is left alone.
    MESSAGE_write_message_file(handle, temp_path("no_such_folder/out.ini").c_str());
    MESSAGE_write_message_file(handle, nullptr);
}

TEST_F(MessageStore, WrittenFilesLoadBackTheSame) {
    std::int32_t handle = load("source.ini", "[A]\nHello\n[B]\ntwo\nlines\n[END_OF_FILE]", 1);
    MESSAGE_set_message(handle, "A", to_text("Changed").data());
    ASSERT_TRUE(MESSAGE_insert_message(handle, "MSG PLAY", to_text("Play").data()));
    ASSERT_TRUE(MESSAGE_insert_message(handle, "\xE9t\xE9", to_text("high bytes").data()));
    std::string expected = dump(handle);
    for (std::uint8_t complemented : {0, 1}) {
        SCOPED_TRACE(complemented);
        MESSAGE_set_output_encrypt_state(complemented);
        std::string path = temp_path("roundtrip.ini");
        MESSAGE_write_message_file(handle, path.c_str());
        // The 8-bit id is widened as a signed byte.
        units image = read_units(path);
        if (complemented)
            for (auto& unit : image) unit = static_cast<std::uint16_t>(~unit);
        EXPECT_NE(image.end(), std::find(image.begin(), image.end(), 0xFFE9));
        std::int32_t again = MESSAGE_allocate_message_file(path.c_str(), 0, nullptr);
        ASSERT_EQ(1, again);
        EXPECT_EQ(expected, dump(again));
        MESSAGE_deallocate_message_file(again);
    }
}

TEST(MessageText, Lengths) {
    units text = to_text("abc");
    EXPECT_EQ(4u, unicodelen(text.data()));
    EXPECT_EQ(3u, myunicodelen(text.data()));
    EXPECT_EQ(0u, unicodelen(nullptr));
    EXPECT_EQ(0u, myunicodelen(nullptr));
    EXPECT_EQ(200u, myunicodelen(to_text(std::string(200, 'x')).data()));
    EXPECT_EQ(0u, myunicodelen(to_text(std::string(201, 'x')).data()));
    EXPECT_EQ(200001u, unicodelen(to_text(std::string(200000, 'x')).data()));

    std::remove(fixed_retail_log);
    EXPECT_EQ(0u, unicodelen(to_text(std::string(200001, 'x')).data()));
    std::string log = read_bytes(fixed_retail_log);
    EXPECT_EQ(0u, log.find("Message.cpp ")) << log;
    EXPECT_NE(std::string::npos, log.find(": Length is too big")) << log;
    std::remove(fixed_retail_log);
}

TEST(MessageText, CompareAndCopy) {
    units text = to_text("same");
    EXPECT_TRUE(unicodecmp(text.data(), text.data()));
    EXPECT_TRUE(unicodecmp(text.data(), to_text("same").data()));
    EXPECT_FALSE(unicodecmp(text.data(), to_text("sane").data()));
    EXPECT_FALSE(unicodecmp(text.data(), to_text("same!").data()));
    EXPECT_FALSE(unicodecmp(text.data(), nullptr));
    EXPECT_FALSE(unicodecmp(nullptr, nullptr));
    units copy(8, 0xAAAA);
    unicodecpy(copy.data(), text.data());
    EXPECT_EQ("same", narrow(copy.data()));
    EXPECT_EQ(0xAAAA, copy[5]);
}

TEST(MessageText, Append) {
    units buffer(512, 0);
    MESSAGE_append(buffer.data(), to_text("abc").data());
    MESSAGE_append(buffer.data(), to_text("").data());
    MESSAGE_append(buffer.data(), to_text("de").data());
    EXPECT_EQ("abcde", narrow(buffer.data()));
    MESSAGE_append(buffer.data(), to_text(std::string(201, 'x')).data());  // measures 0: nothing
    EXPECT_EQ("abcde", narrow(buffer.data()));
    // A destination over 200 characters measures 0, so the text lands at its start.
    units long_text = to_text(std::string(250, 'y'));
    long_text.resize(300, 0);
    MESSAGE_append(long_text.data(), to_text("zz").data());
    EXPECT_EQ("zz", narrow(long_text.data()));
    MESSAGE_append(nullptr, to_text("zz").data());
}

TEST(MessageText, Conversions) {
    std::uint16_t* wide = MESSAGE_ascii_to_unicode("ab\xE9");
    ASSERT_NE(nullptr, wide);
    EXPECT_EQ((units{'a', 'b', 0xFFE9, 0x000D, 0}), units(wide, wide + 5));
    char* back = MESSAGE_unicode_to_ascii(wide);
    EXPECT_STREQ("ab\xE9\r", back);
    std::free(back);
    std::free(wide);
    EXPECT_EQ(nullptr, MESSAGE_ascii_to_unicode(nullptr));
    EXPECT_EQ(nullptr, MESSAGE_unicode_to_ascii(nullptr));
}

}  // namespace

// Reader tests: the file format as accepted, the markup check, cutting out entries, odd files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "MessageInternal.h"
#include "message_files.h"

namespace {

class MessageReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MESSAGE_initialise(4)); }
    void TearDown() override {
        for (std::int32_t handle = 0; handle < 4; ++handle) MESSAGE_deallocate_message_file(handle);
        MESSAGE_deinitialise();
    }
    // Loads the body (after the header) and returns the handle.
    std::int32_t load(const std::string& body, std::uint8_t editable = 0, MESSAGE_FILE_ERROR* error = nullptr,
                      bool complemented = false) {
        std::string path = message_file("reader.ini", message_image(body, complemented));
        return MESSAGE_allocate_message_file(path.c_str(), editable, error);
    }
    // All ids and texts in record order, as "id=text;".
    static std::string dump(std::int32_t handle) {
        std::string result;
        for (const char* id = MESSAGE_get_first_message_id(handle); id; id = MESSAGE_get_next_message_id(handle, id))
            result += std::string(id) + "=" + narrow(MESSAGE_get_message(handle, id)) + ";";
        return result;
    }
};

TEST_F(MessageReader, PlainAndComplementedFilesGiveTheSameEntry) {
    for (bool complemented : {false, true}) {
        for (std::uint8_t editable : {0, 1}) {
            std::int32_t handle = load("[A]\nHello\n[END_OF_FILE]", editable, nullptr, complemented);
            ASSERT_GE(handle, 0);
            EXPECT_EQ(1, MESSAGE_count_messages(handle));
            EXPECT_EQ("A=Hello;", dump(handle));
            MESSAGE_STR* record = message_get_list_object(handle, "A");
            ASSERT_NE(nullptr, record);
            EXPECT_EQ(65, record->magic_number);
            MESSAGE_deallocate_message_file(handle);
        }
    }
}

TEST_F(MessageReader, AnyOtherHeaderIsTakenAsPlainAndNeverParsed) {
    units image = to_units("[[A]\nx\n[E]");  // unit 0 is "[", which must not count as a bracket
    std::string path = message_file("header.ini", image);
    std::int32_t handle = MESSAGE_allocate_message_file(path.c_str(), 0, nullptr);
    ASSERT_GE(handle, 0);
    EXPECT_EQ("A=x;", dump(handle));
}

TEST_F(MessageReader, TextShapes) {
    // Empty text, multi-line text, CR LF line ends, a note after the id, spaces in the id,
    // another end marker name, text before the first bracket and after the marker.
    std::int32_t handle = load(
        "preamble\n[A]\n\n[B]\nline one\nline two\n[C]\r\nwindows\r\n[D] note\nnoted\n[MSG PLAY]\nspaced\n"
        "[W]\nHello [STOP]\ntrailing words");
    ASSERT_GE(handle, 0);
    EXPECT_EQ(6, MESSAGE_count_messages(handle));
    // Whitespace before a bracket is cut like the line end.
    EXPECT_EQ("A=;B=line one\nline two;C=windows\r;D=noted;MSG PLAY=spaced;W=Hello;", dump(handle));
}

TEST_F(MessageReader, IdsAreMatchedByNumberThenExactly) {
    // Repeated ids keep the first; equal numbers and other case are still told apart.
    std::int32_t handle = load("[AB]\nfirst\n[BA]\nsecond\n[AB]\nthird\n[END_OF_FILE]", 1);
    EXPECT_EQ(2, MESSAGE_count_messages(handle));
    EXPECT_EQ("AB=first;BA=second;", dump(handle));
    EXPECT_EQ(nullptr, MESSAGE_get_message(handle, "ab"));
    EXPECT_EQ(131, message_calc_message_id_magic_number("AB"));
    EXPECT_EQ(131, message_calc_message_id_magic_number("BA"));
    EXPECT_EQ(636, message_calc_message_id_magic_number("MSG_PLAY"));
    EXPECT_EQ(0, message_calc_message_id_magic_number(""));
    EXPECT_EQ(-128 + 65, message_calc_message_id_magic_number("\x80" "A"));  // bytes are signed
}

TEST_F(MessageReader, IdsKeepTheLowByteOfEachUnit) {
    units image = message_image("[");
    image.push_back(0x4142);  // low byte "B"
    units rest = to_units("]\nx\n[E]");
    image.insert(image.end(), rest.begin(), rest.end());
    std::int32_t handle = MESSAGE_allocate_message_file(message_file("wide.ini", image).c_str(), 0, nullptr);
    EXPECT_EQ("B=x;", dump(handle));
}

struct markup_case {
    const char* body;
    const char* text;
    std::uint32_t position;  // unit index, header = 0
    std::uint32_t line;
};

TEST_F(MessageReader, MarkupErrorsAreReportedWhereTheyHappen) {
    const markup_case cases[] = {
        {"[A]\nHello[B]\n[E]", "Insert newline before '['", 10, 2},
        {"[A]Hello\n[E]", "Insert newline after ']'", 4, 1},
        {"[A[B]\n[E]", "'[' inside '['", 3, 1},
        {"[A]\nx\n\nok]\n[E]", "']' before '['", 10, 4},
        {"[A]\nx\n[E]tail", "Insert newline after ']'", 10, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        MESSAGE_FILE_ERROR error{};
        std::string path = message_file("markup.ini", message_image(c.body));
        EXPECT_EQ(MESSAGE_MARKUP_ERROR, MESSAGE_allocate_message_file(path.c_str(), 1, &error));
        EXPECT_EQ(1, error.error);
        EXPECT_STREQ(c.text, error.text);
        EXPECT_EQ(c.position, error.position);
        EXPECT_EQ(c.line, error.line);
        ASSERT_NE(nullptr, error.file_name);
        EXPECT_EQ(path, error.file_name);
        std::free(error.file_name);
        // Without a record the result is the same, and the entry stayed free for the next load.
        EXPECT_EQ(MESSAGE_MARKUP_ERROR, MESSAGE_allocate_message_file(path.c_str(), 1, nullptr));
        EXPECT_EQ(0, load("[A]\nx\n[E]"));
        MESSAGE_deallocate_message_file(0);
    }
}

TEST_F(MessageReader, FilesWithoutEntriesOpenAsEmptyTables) {
    std::string missing = temp_path("missing.ini");
    std::string folder = temp_path("");
    std::string empty = temp_path("empty.ini");
    write_bytes(empty, "");
    std::string odd = temp_path("odd.ini");
    write_bytes(odd, "\xFF");
    std::string header_only = message_file("header_only.ini", message_image(""));
    std::string marker_only = message_file("marker_only.ini", message_image("[END_OF_FILE]"));
    std::string truncated = message_file("truncated.ini", message_image("[A]\nHello"));
    std::string no_brackets = message_file("plain.ini", message_image("just words\n"));
    for (const std::string& path : {missing, folder, empty, odd, header_only, marker_only, truncated, no_brackets}) {
        SCOPED_TRACE(path);
        MESSAGE_FILE_ERROR error{1, "stale", nullptr, 3, 7};  // a load that finds no error clears it
        std::int32_t handle = MESSAGE_allocate_message_file(path.c_str(), 1, &error);
        ASSERT_EQ(0, handle);
        EXPECT_EQ(0, error.error);
        EXPECT_EQ(nullptr, error.text);
        EXPECT_EQ(MESSAGE_NO_POSITION, error.position);
        EXPECT_EQ(MESSAGE_NO_LINE, error.line);
        EXPECT_EQ(0, MESSAGE_count_messages(handle));
        EXPECT_EQ(nullptr, MESSAGE_get_first_message_id(handle));
        // An empty editable table still takes entries.
        EXPECT_TRUE(MESSAGE_insert_message(handle, "X", to_text("y").data()));
        EXPECT_EQ(1, MESSAGE_count_messages(handle));
        MESSAGE_deallocate_message_file(handle);
    }
}

TEST_F(MessageReader, TruncatedAndOddFilesCutWhatTheyCan) {
    // A trailing odd byte is ignored.
    units image = message_image("[A]\nHello\n[END_OF_FILE]");
    std::string bytes;
    for (auto unit : image) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    std::string path = temp_path("odd_length.ini");
    write_bytes(path, bytes + "Z");
    std::int32_t handle = MESSAGE_allocate_message_file(path.c_str(), 0, nullptr);
    EXPECT_EQ("A=Hello;", dump(handle));
    MESSAGE_deallocate_message_file(handle);

    // An end marker cut short still ends the last entry.
    handle = load("[A]\nHello\n[END_OF");
    EXPECT_EQ("A=Hello;", dump(handle));
    MESSAGE_deallocate_message_file(handle);

    // Layouts the check lets through but the cutter cannot fully use must not run off the end.
    for (const char* body : {"[A][B]\nx\n[E]", "[A][B]", "[A]\n[B]", "[]\n\n[]", "[A]\n[B][C]"}) {
        SCOPED_TRACE(body);
        handle = load(body);
        ASSERT_GE(handle, 0);
        EXPECT_LE(MESSAGE_count_messages(handle), 2);
        MESSAGE_deallocate_message_file(handle);
    }
}

TEST_F(MessageReader, HugeIdsAndTextsDoNotOverflow) {
    std::string long_id(300000, 'i');
    std::string long_text(300000, 't');
    std::int32_t handle = load("[" + long_id + "]\nshort\n[B]\n" + long_text + "\n[C]\nok\n[END_OF_FILE]", 1);
    ASSERT_GE(handle, 0);
    EXPECT_EQ("short", narrow(MESSAGE_get_message(handle, long_id.c_str())));
    // The text beyond the length limit is refused rather than stored.
    EXPECT_EQ(nullptr, MESSAGE_get_message(handle, "B"));
    EXPECT_EQ("ok", narrow(MESSAGE_get_message(handle, "C")));
    std::remove(fixed_retail_log);  // the length helper reported both
}

TEST_F(MessageReader, ComplementingTheOutputChecksTheHeader) {
    std::remove(fixed_retail_log);
    units image = message_image("x");
    message_encrypt_xor(nullptr, image.data(), static_cast<std::int32_t>(image.size()));
    EXPECT_EQ((units{0x0100, 0xFF87}), image);
    message_encrypt_xor(nullptr, image.data(), static_cast<std::int32_t>(image.size()));
    EXPECT_EQ((units{0x0100, 0xFF87}), image);
    units headless = to_units("xy");
    message_encrypt_xor(nullptr, headless.data(), 2);
    EXPECT_EQ(to_units("xy"), headless);
    std::string log = read_bytes(fixed_retail_log);
    EXPECT_NE(std::string::npos, log.find(": Data is already encrypted")) << log;
    EXPECT_NE(std::string::npos, log.find(": Invalid unicode header")) << log;
    EXPECT_EQ(0u, log.find("MessageReader.cpp ")) << log;
    std::remove(fixed_retail_log);

    // Uncomplementing only acts on the complemented header, and then on every unit.
    units plain = message_image("x");
    message_decrypt_xor(nullptr, plain.data(), 2);
    EXPECT_EQ(message_image("x"), plain);
    units stored = message_image("x", true);
    message_decrypt_xor(nullptr, stored.data(), 2);
    EXPECT_EQ(message_image("x"), stored);
}

}  // namespace

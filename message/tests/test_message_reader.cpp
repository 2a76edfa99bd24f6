// Reader tests: the file format as accepted, the markup check, cutting out entries, odd files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Heap.h"
#include "message_files.h"

using MessageReader = message_table<4>;

TEST_F(MessageReader, EntriesAsCutFromTheFile) {
    struct reader_case { const char* name; std::string bytes; const char* dump; };
    const reader_case cases[] = {
        {"plain", message_bytes("[A]\nHello\n[END_OF_FILE]"), "A=Hello;"},
        {"complemented", message_bytes("[A]\nHello\n[END_OF_FILE]", true), "A=Hello;"},
        {"text shapes",
         message_bytes("preamble\n[A]\n\n[B]\nline one\nline two\n[C]\r\nwindows\r\n[D] note\nnoted\n"
                       "[MSG PLAY]\nspaced\n[W]\nHello [STOP]\ntrailing words"),
         "A=;B=line one\nline two;C=windows\r;D=noted;MSG PLAY=spaced;W=Hello;"},
        // BD and DB share the id sum and their first index slot, and are still two ids.
        {"repeated id keeps the first", message_bytes("[BD]\nfirst\n[DB]\nsecond\n[BD]\nthird\n[E]"), "BD=first;DB=second;"},
        {"end marker cut short", message_bytes("[A]\nHello\n[END_OF"), "A=Hello;"},
        {"trailing odd byte", message_bytes("[A]\nHello\n[E]") + "Z", "A=Hello;"},
        {"ids keep each unit's low byte", to_bytes({0xFEFF, '[', 0x4142, ']', '\n', 'x', '\n', '[', 'E', ']'}), "B=x;"},
        {"an id ends at its first zero byte",
         to_bytes({0xFEFF, '[', 'M', 'S', 'G', 0x0100, 'X', 'Y', ']', '\n', 'w', 'o', 'r', 'd', 's', '\n', '[', 'E', 'N', 'D', ']'}),
         "MSG=words;"},
        {"other header: plain, never parsed", to_bytes({'[', '[', 'A', ']', '\n', 'x', '\n', '[', 'E', ']'}), "A=x;"},
        {"other header: never a bracket", to_bytes({']', 'y', '\n', '[', 'A', ']', '\n', 'x', '\n', '[', 'E', ']'}), "A=x;"},
        // Layouts the check lets through: cut what can be, never run off the end.
        {"brackets back to back", message_bytes("[A][B]\nx\n[E]"), "A=x;"},
        {"no text line", message_bytes("[A]\n[B]"), "A=;"},
        {"empty ids", message_bytes("[]\n\n[]"), "=;"},
        {"brackets back to back at the end", message_bytes("[A]\n[B][C]"), "A=;"},
    };
    // Each from the file and from its bytes in memory, read-only and editable.
    for (const reader_case& c : cases) {
        for (std::uint8_t editable : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (editable ? ", editable" : ""));
            const std::int32_t handles[] = {
                MESSAGE_allocate_message_file(message_file("reader.ini", c.bytes).c_str(), editable, nullptr),
                MESSAGE_allocate_message_memory("reader.ini", c.bytes.data(), c.bytes.size(), editable, nullptr)};
            for (std::int32_t handle : {0, 1}) {
                ASSERT_EQ(handle, handles[handle]);
                EXPECT_EQ(c.dump, dump(handle)) << (handle ? "from memory" : "from the file");
                MESSAGE_deallocate_message_file(handle);
            }
        }
    }
}

// Each heap request of a load refused in turn. On its own: without the file text the file opens as
// an empty table; without the cut list (first made, then grown), the records or the index the
// whole file still goes in, the entries then cut out as mark_messages does. With every later
// request refused too, lookups included: the file opens whole or empty, never in part, and
// without an index every id is still found by going through the records. The ids are long
// enough for both halves of the wide cut, and each must still be found by its id.
TEST_F(MessageReader, EachRefusedRequestOfALoad) {
    std::string body;
    for (int n = 0; n < 300; ++n) body += "[MESSAGE_ID_" + std::to_string(n) + "]\ntext " + std::to_string(n) + "\n";
    const std::string bytes = message_bytes(body + "[END_OF_FILE]");
    const auto load = [&] { return MESSAGE_allocate_message_memory("many.ini", bytes.data(), bytes.size(), 0, nullptr); };
    ASSERT_EQ(0, load());
    const std::string whole = dump(0);
    MESSAGE_deallocate_message_file(0);
    for (std::int32_t failures : {1, -1}) {
        int empty_loads = 0;
        for (std::int32_t granted = 0; granted < 8; ++granted) {
            SCOPED_TRACE(std::to_string(granted) + " granted, then " + (failures < 0 ? "all" : "one") + " refused");
            HEAP_fail_after(granted, failures);
            const std::int32_t handle = load();
            const std::string got = handle == 0 ? dump(0) : "no handle";
            HEAP_fail_after(-1);
            MESSAGE_deallocate_message_file(handle);
            if (got.empty())
                ++empty_loads;
            else
                EXPECT_EQ(whole, got);
        }
        if (failures == 1) {
            EXPECT_EQ(1, empty_loads);
        }
    }
}

TEST_F(MessageReader, MarkupErrorsAreReportedWhereTheyHappen) {
    struct markup_case { const char* body; const char* text; std::uint32_t position, line; };  // position: unit, header 0
    const markup_case cases[] = {
        {"[A]\nHello[B]\n[E]", "Insert newline before '['", 10, 2}, {"[A]Hello\n[E]", "Insert newline after ']'", 4, 1},
        {"[A[B]\n[E]", "'[' inside '['", 3, 1},                     {"[A]\nx\n\nok]\n[E]", "']' before '['", 10, 4},
        {"[A]\nx\n[E]tail", "Insert newline after ']'", 10, 3}, {"[A]\nx\n[E]\n]", "']' before '['", 11, 4},
        // The scan takes sixteen units a step from unit 1: an error on either side of a step's edge.
        {"[A]\nabcdefghijk[B]\n[E]", "Insert newline before '['", 16, 2},
        {"[A]\nabcdefghijkl[B]\n[E]", "Insert newline before '['", 17, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        MESSAGE_FILE_ERROR error{};
        std::string path = message_file("markup.ini", message_bytes(c.body));
        EXPECT_EQ(MESSAGE_MARKUP_ERROR, MESSAGE_allocate_message_file(path.c_str(), 1, &error));
        EXPECT_EQ(1, error.error);
        EXPECT_STREQ(c.text, error.text);
        EXPECT_EQ(c.position, error.position);
        EXPECT_EQ(c.line, error.line);
        EXPECT_STREQ(path.c_str(), error.file_name);
        std::free(error.file_name);
        // Without a record the result is the same, and the entry stayed free for the next load.
        EXPECT_EQ(MESSAGE_MARKUP_ERROR, MESSAGE_allocate_message_file(path.c_str(), 1, nullptr));
        EXPECT_EQ(0, load_message("[A]\nx\n[E]", 1, "good.ini"));
        MESSAGE_deallocate_message_file(0);
    }
}

TEST_F(MessageReader, FilesWithoutEntriesOpenAsEmptyTables) {
    const std::string paths[] = {
        temp_path("missing.ini"), temp_path(""), message_file("empty.ini", ""), message_file("odd.ini", "\xFF"),
        message_file("header_only.ini", message_bytes("")), message_file("marker_only.ini", message_bytes("[END_OF_FILE]")),
        message_file("truncated.ini", message_bytes("[A]\nHello")), message_file("plain.ini", message_bytes("just words\n"))};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        MESSAGE_FILE_ERROR error{1, "stale", nullptr, 3, 7};  // a load that finds no error clears it
        std::int32_t handle = MESSAGE_allocate_message_file(path.c_str(), 1, &error);
        ASSERT_EQ(0, handle);
        EXPECT_EQ(0, error.error);
        EXPECT_EQ(nullptr, error.text);
        EXPECT_EQ(MESSAGE_NO_POSITION, error.position);
        EXPECT_EQ(MESSAGE_NO_LINE, error.line);
        EXPECT_TRUE(MESSAGE_insert_message(handle, "X", to_text("y").data()));  // still takes entries
        EXPECT_EQ("X=y;", dump(handle));
        MESSAGE_deallocate_message_file(handle);
    }
}

TEST_F(MessageReader, HugeIdsAndTextsDoNotOverflow) {
    std::string long_id(300000, 'i');
    std::string body = "[" + long_id + "]\nshort\n[B]\n" + std::string(300000, 't') + "\n[C]\nok\n[END_OF_FILE]";
    std::int32_t handle = load_message(body);
    ASSERT_GE(handle, 0);
    EXPECT_EQ("short", narrow(MESSAGE_get_message(handle, long_id.c_str())));
    EXPECT_EQ(nullptr, MESSAGE_get_message(handle, "B")) << "a text beyond the length limit is refused";
    EXPECT_EQ("ok", narrow(MESSAGE_get_message(handle, "C")));
    std::remove("c:\\retail.dbg");  // the length helper reported both
}

// msgfile: the file the example session writes unit for unit, the check's findings, listing and
// getting, edits in place, and what a bad command line or a bad file gets.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../../message/tests/message_files.h"
#include "msgfile.h"

namespace {

struct outcome { int status; std::string out, err; };

std::string drain(std::FILE* stream) {
    std::string text;
    std::rewind(stream);
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

outcome run(std::vector<std::string> words) {
    words.insert(words.begin(), "msgfile");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status = MSGFILE_run(static_cast<int>(argv.size()), argv.data(), argv.data(), out, err);
    return {status, drain(out), drain(err)};
}

std::string write_units(const std::string& name, const std::string& body, bool complemented = false) {
    return message_file(name, message_bytes(body, complemented));
}

}  // namespace

TEST(Msgfile, ExampleSessionWritesTheDocumentedImage) {
    const std::string file = temp_path("example.msg"), plain = temp_path("example_plain.msg");
    EXPECT_EQ(0, run({"new", file}).status);
    EXPECT_EQ(std::string("\x00\x01", 2), read_bytes(file).substr(0, 2)) << "written complemented";
    EXPECT_EQ(1, run({"new", file}).status) << "an existing file is not replaced";
    EXPECT_EQ(0, run({"set", file, "A", "Hello"}).status);
    EXPECT_EQ(0, run({"set", file, "B", ""}).status);
    EXPECT_EQ(0, run({"convert", "--plain", file, plain}).status);
    EXPECT_EQ(message_bytes("[A]\nHello\n[B]\n\n[END_OF_FILE]"), read_bytes(plain));
}

TEST(Msgfile, CheckReportsEveryFileWithTheReadersText) {
    // The four kinds of markup error are the reader's to find; two files show how they are told.
    struct check_case { const char* name; const char* body; const char* finding; };  // finding: after "FILE:"
    const check_case cases[] = {
        {"good", "[A]\nHello\n[STOP]", ""},
        {"after", "[A]\n\n[B]Hello\n[END_OF_FILE]", "3: Insert newline after ']'"},
        {"before", "[A]\nHello[B]\n[END_OF_FILE]", "2: Insert newline before '['"},
    };
    std::vector<std::string> all = {"check"};
    std::string findings;
    for (const check_case& c : cases) {
        std::string file = write_units(std::string(c.name) + ".msg", c.body, c.name[0] == 'b');
        outcome result = run({"check", file});
        std::string expected = c.finding[0] ? file + ":" + c.finding + "\n" : "";
        EXPECT_EQ(expected, result.out) << c.name;
        EXPECT_EQ(c.finding[0] ? 1 : 0, result.status) << c.name;
        all.push_back(file);
        findings += expected;
    }
    outcome together = run(all);
    EXPECT_EQ(findings, together.out);
    EXPECT_EQ(1, together.status);
}

TEST(Msgfile, ListAndGetShowTextsAsUtf8) {
    std::string file = write_units("list.msg", "[MSG PLAY]\nPlay\nnow\n[E]\n\n[T]\na\tb\\c\n[END_OF_FILE]", true);
    outcome listed = run({"list", file});
    EXPECT_EQ(0, listed.status);
    EXPECT_EQ("MSG PLAY\tPlay\\nnow\nE\t\nT\ta\\tb\\\\c\n", listed.out);
    EXPECT_EQ("Play\nnow\n", run({"get", file, "MSG PLAY"}).out);
    // Texts outside ASCII go in and come out as UTF-8, whatever plane they are on.
    const std::string text = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB2";
    ASSERT_EQ(0, run({"set", "--plain", file, "U", text + "\\n2"}).status);
    EXPECT_EQ(text + "\n2\n", run({"get", file, "U"}).out);
    EXPECT_EQ('\xFF', read_bytes(file)[0]) << "written plain";
}

TEST(Msgfile, EditsAndTheirRefusals) {
    std::string file = write_units("edit.msg", "[A]\nold\n[B]\nb\n[END_OF_FILE]");
    // The reader narrows the id's unit 0x015B to '[', which the writer cannot put back.
    units carried{0xFEFF, '[', 'A', 0x015B, ']', '\n', 'x', '\n'};
    for (char c : std::string("[END_OF_FILE]")) carried.push_back(static_cast<std::uint16_t>(c));
    const std::string uncarried_bytes = to_bytes(carried), uncarried = message_file("uncarried.msg", uncarried_bytes);
    EXPECT_EQ(0, run({"set", file, "A", "new"}).status);
    EXPECT_EQ(0, run({"remove", file, "B"}).status);
    EXPECT_EQ("A\tnew\n", run({"list", file}).out);
    struct refusal_case { const char* name; std::vector<std::string> words; int status; const char* said; };
    const refusal_case cases[] = {
        {"get a missing id", {"get", file, "NONE"}, 1, "no entry 'NONE'"},
        {"remove a missing id", {"remove", file, "B"}, 1, "no entry 'B'"},
        {"text with a bracket", {"set", file, "A", "a[b"}, 2, "'[' or ']'"},
        {"id with a bracket", {"set", file, "A]", "x"}, 2, "an id is one line"},
        {"text not UTF-8", {"set", file, "A", "\xC3"}, 2, "not UTF-8"},
        {"missing file", {"list", temp_path("none.msg")}, 1, "cannot open"},
        {"directory", {"list", temp_path("")}, 1, "not a file"},
        {"unwritable output", {"convert", file, temp_path("no/such/folder.msg")}, 1, "cannot write"},
        {"new in a missing folder", {"new", temp_path("no/such/new.msg")}, 1, "cannot write"},
        {"an id the writer cannot carry", {"set", uncarried, "B", "y"}, 1, "cannot write"},
        {"markup error on edit", {"set", write_units("broken.msg", "[A]x\n[END_OF_FILE]"), "A", "x"}, 1,
         ":1: Insert newline after ']'"},
        {"unknown command", {"frobnicate", file}, 2, "usage:"},
        {"missing argument", {"get", file}, 2, "usage:"},
    };
    for (const refusal_case& c : cases) {
        outcome result = run(c.words);
        EXPECT_EQ(c.status, result.status) << c.name;
        EXPECT_NE(std::string::npos, result.err.find(c.said)) << c.name << ": " << result.err;
    }
    EXPECT_EQ("A\tnew\n", run({"list", file}).out) << "refusals leave the file alone";
    EXPECT_EQ(uncarried_bytes, read_bytes(uncarried)) << "a write that would not read back leaves the file alone";
    outcome help = run({"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("[END_OF_FILE]"));
}

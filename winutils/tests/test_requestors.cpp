// The requestor helpers and the command-line splitter. The dialogs are answered
// from a second thread the way a user would: typing into the edit control, pressing a button.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "Handles.h"
#include "WINUTILS.h"
#include "box_answerer.h"
#include "requestors_private.h"
#include "scratch_files.h"

namespace {

typedef std::vector<std::string> WORDS;

// Runs call while a second thread answers each dialog that comes up with the next answer (one
// beyond them is cancelled, so that a test never hangs). What each dialog showed: its title, then
// the texts of its labels and text fields.
WORDS answering(const std::vector<BOX_ANSWER>& answers, const std::function<void()>& call) {
    BOX_ANSWERER answerer(answers);
    call();
    WORDS seen;
    for (const SEEN_BOX& box : answerer.finish()) seen.push_back(box.caption + box.labels);
    return seen;
}

// No words: null, and the count untouched. A lone quote counts as a word but holds nothing once
// split. Tabs and line breaks separate words when counting, not when splitting. A closing quote
// ends a word that the count runs on through: the split keeps to the counted slots.
TEST(ParseCommandLine, SplitsInPlaceAtBlanksOutsideQuotes) {
    const struct { const char* line; WORDS words; } cases[] = {
        {"a  b", {"a", "b"}}, {"\"hello world\" next", {"hello world", "next"}}, {" a", {"a"}},
        {"a b   ", {"a", "b"}}, {"x \"a  b\"", {"x", "a  b"}}, {"x \"y z", {"x", "y z"}},
        {"", {}}, {" \t\r\n ", {}}, {"\"", {}}, {" \"\" ", {}},
        {"a\tb", {"a\tb"}}, {"a\r\nb c", {"a\r\nb", "c"}},
        {"\"a\"b", {"a"}}, {"\"a\"b \"c\"d", {"a", "b"}},
    };
    for (const auto& c : cases) {
        std::string text(c.line);
        std::int32_t count = -7;
        char** words = WINUTILS_parse_command_line(text.data(), &count);
        WORDS split;
        for (std::int32_t i = 0; words != nullptr && i < count; ++i) {
            EXPECT_TRUE(words[i] >= text.data() && words[i] < text.data() + text.size()) << c.line << " word " << i;
            split.push_back(words[i]);
        }
        EXPECT_EQ(c.words, split) << c.line;
        EXPECT_EQ(c.words.empty() ? -7 : static_cast<std::int32_t>(c.words.size()), count) << c.line;
        EXPECT_EQ(c.words.empty(), words == nullptr) << c.line;
        std::free(words);
    }
    EXPECT_EQ(nullptr, WINUTILS_parse_command_line(nullptr, nullptr));
}

void abandon_text_entry(int button) {
    char buffer[32] = "";
    answering({{button, nullptr}}, [&] { WINUTILS_get_text_string("t", "p", buffer, sizeof buffer); });
    std::exit(0);  // only reached if the dialog returned to its caller
}

TEST(GetTextStringDeathTest, CancelOrCloseEndsTheProgramWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(abandon_text_entry(IDCANCEL), testing::ExitedWithCode(-1), "");
    EXPECT_EXIT(abandon_text_entry(WM_CLOSE), testing::ExitedWithCode(-1), "");
}

// Each call answers its dialogs, in turn, with the case's answers; a result is the return value and
// what the buffer holds. The file dialogs of the mode bits come up in order (open, checked save,
// save) until one is confirmed. Refused calls show no dialog. No call moves the current directory.
TEST(Requestors, ShowTheirDialogsAndGiveBackTheAnswer) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string scratch = std::string(temp) + "requestor_tests", chosen = scratch + "\\chosen.sav",
                      existing = scratch + "\\existing.sav";
    CreateDirectoryA(scratch.c_str(), nullptr);
    DeleteFileA(chosen.c_str());
    ASSERT_TRUE(static_cast<bool>(
        WINUTILS_HANDLE(CreateFileA(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr))));

    // The text entry reads into 17 bytes that start as "start" then '#'s; the result shows the
    // byte at the size given too, which no answer may reach.
    const auto entry = [](std::int32_t size) {
        char buffer[17];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, "start");
        const std::int32_t result = WINUTILS_get_text_string("Name?", "Type a name", buffer, size);
        return std::to_string(result) + " " + buffer + " " + buffer[size];
    };
    const std::string huge(winutils_filter_size, 'd');
    const auto file = [&](std::uint32_t mode, bool with_buffer = true, const char* description = "Saves") {
        char name[WINUTILS_FILE_NAME_SIZE] = "";
        return std::to_string(WINUTILS_file_requestor("Pick a file", with_buffer ? name : nullptr, "sav", description,
                                                      "*.sav", scratch.c_str(), mode)) + " " + name;
    };
    const auto folder = [](const char* title, bool with_buffer = true) {
        char path[MAX_PATH] = "";
        return std::to_string(WINUTILS_folder_requestor(title, with_buffer ? path : nullptr));
    };
    const std::uint32_t open = WINUTILS_REQUEST_OPEN, checked = WINUTILS_REQUEST_SAVE_CHECKED;
    const BOX_ANSWER cancel = IDCANCEL;
    // seen: a text each dialog shows, in turn.
    const struct { const char* label; std::vector<BOX_ANSWER> answers; std::function<std::string()> call; std::string result; WORDS seen; } cases[] = {
        {"text typed", {{IDOK, "typed answer"}}, [&] { return entry(16); }, "0 typed answer #", {"Name?|Type a name|start"}},
        {"text cut", {{IDOK, "a much longer answer"}}, [&] { return entry(8); }, "0 a much  #", {"Name?|Type a name|start"}},
        {"text emptied", {{IDOK, ""}}, [&] { return entry(16); }, "0  #", {"Name?|Type a name|start"}},
        {"save after a cancelled open", {cancel, {IDOK, chosen.c_str()}}, [&] { return file(open | WINUTILS_REQUEST_SAVE); },
         "1 " + chosen, {"Pick a file", "Pick a file"}},
        // The checked save asks before overwriting an existing file.
        {"checked save of an existing file", {cancel, {IDOK, existing.c_str()}, {IDYES, nullptr}},
         [&] { return file(open | checked); }, "1 " + existing, {"Pick a file", "Pick a file", ""}},
        {"all cancelled", {}, [&] { return file(open | checked | WINUTILS_REQUEST_SAVE); }, "0 ",
         {"Pick a file", "Pick a file", "Pick a file"}},
        {"no mode", {}, [&] { return file(0); }, "0 ", {}},
        {"no file name buffer", {}, [&] { return file(open, false); }, "0 ", {}},
        {"filter too long", {}, [&] { return file(open, true, huge.c_str()); }, "0 ", {}},
        {"folder, untitled", {}, [&] { return folder(nullptr); }, "0", {"|Choose a folder"}},
        {"folder, titled", {}, [&] { return folder("Where to?"); }, "0", {"|Where to?"}},
        {"folder, no path buffer", {}, [&] { return folder("t", false); }, "0", {}},
    };
    const std::string before = current_directory();
    for (const auto& c : cases) {
        std::string result;
        const WORDS seen = answering(c.answers, [&] { result = c.call(); });
        EXPECT_STRCASEEQ(c.result.c_str(), result.c_str()) << c.label;
        EXPECT_EQ(c.seen.size(), seen.size()) << c.label;
        for (std::size_t i = 0; i < seen.size() && i < c.seen.size(); ++i)
            EXPECT_NE(std::string::npos, seen[i].find(c.seen[i])) << c.label << ": " << seen[i];
        EXPECT_EQ(before, current_directory()) << c.label;
    }
    DeleteFileA(existing.c_str());
    CoUninitialize();
}

}  // namespace

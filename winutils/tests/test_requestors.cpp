// The requestor helpers, the message pump and the command-line splitter. The dialogs are answered
// from a second thread the way a user would: typing into the edit control, pressing a button.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Handles.h"
#include "WINUTILS.h"
#include "box_answerer.h"
#include "requestors_private.h"

namespace {

typedef std::vector<std::string> WORDS;

// One answer to a dialog: text typed into its text field first (when not null), then a button
// pressed, or WM_CLOSE sent.
struct STEP {
    int button;
    const char* typed;
};

// The dialog's title and the texts of its labels and edit fields, in order.
std::string describe(HWND dialog) {
    std::string seen = TEST_window_text(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char kind[16] = "";
        GetClassNameA(child, kind, sizeof kind);
        const std::string text = TEST_window_text(child);
        if ((lstrcmpiA(kind, "Static") == 0 || lstrcmpiA(kind, "Edit") == 0) && !text.empty())
            seen.append(1, '|').append(text);
    }
    return seen;
}

// Answers each dialog that comes up, in turn, with the next step, once the dialog's thread is
// pumping its messages (and so done setting the dialog up); a dialog beyond the steps is
// cancelled so that a test never hangs. Keeps what each dialog showed.
class DIALOG_DRIVER {
public:
    explicit DIALOG_DRIVER(std::vector<STEP> steps) : steps_(std::move(steps)), worker_([this] { run(); }) {}
    ~DIALOG_DRIVER() { finish(); }
    DIALOG_DRIVER(const DIALOG_DRIVER&) = delete;
    DIALOG_DRIVER& operator=(const DIALOG_DRIVER&) = delete;

    // Stops answering; what each dialog showed, in turn.
    WORDS finish() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
        return seen_;
    }

private:
    void run() {
        HWND previous = nullptr;
        for (; !stop_; Sleep(10)) {
            HWND dialog = TEST_find_visible_dialog();
            // A dialog already answered may linger for a moment while it closes.
            if (dialog == nullptr || (dialog == previous && IsWindow(dialog))) continue;
            DWORD_PTR ignored;
            if (SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) == 0) continue;
            const STEP step = seen_.size() < steps_.size() ? steps_[seen_.size()] : STEP{IDCANCEL, nullptr};
            seen_.push_back(describe(dialog));
            // The file dialogs' name field is a combo box with an edit in newer dialogs, an edit in older ones.
            for (int field : {911, 0x47c, 0x480})
                if (step.typed != nullptr && SetDlgItemTextA(dialog, field, step.typed)) break;
            if (step.button == WM_CLOSE)
                PostMessageA(dialog, WM_CLOSE, 0, 0);
            else
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step.button, BN_CLICKED), 0);
            previous = dialog;
        }
    }

    std::vector<STEP> steps_;
    WORDS seen_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// ---- command-line splitter ----

TEST(ParseCommandLine, SplitsInPlaceAtBlanksOutsideQuotes) {
    // No words: null, and the count untouched. A lone quote counts as a word but holds nothing once
    // split. Tabs and line breaks separate words when counting, not when splitting. A closing quote
    // ends a word that the count runs on through: the split keeps to the counted slots.
    const struct {
        const char* line;
        WORDS words;
    } cases[] = {
        {"a  b", {"a", "b"}}, {"\"hello world\" next", {"hello world", "next"}}, {" a", {"a"}},
        {"a b   ", {"a", "b"}}, {"x \"a  b\"", {"x", "a  b"}}, {"x \"y z", {"x", "y z"}},
        {"", {}}, {" \t\r\n ", {}}, {"\"", {}}, {" \"\" ", {}},
        {"a\tb", {"a\tb"}}, {"a\r\nb c", {"a\r\nb", "c"}},
        {"\"a\"b", {"a"}}, {"\"a\"b \"c\"d", {"a", "b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<char> text(c.line, c.line + std::strlen(c.line) + 1);
        std::int32_t count = -7;
        char** words = WINUTILS_parse_command_line(text.data(), &count);
        WORDS split;
        for (std::int32_t i = 0; words != nullptr && i < count; ++i) {
            EXPECT_TRUE(words[i] >= text.data() && words[i] < text.data() + text.size()) << "word " << i;
            split.push_back(words[i]);
        }
        EXPECT_EQ(c.words, split);
        EXPECT_EQ(c.words.empty(), words == nullptr);
        if (words == nullptr) {
            EXPECT_EQ(-7, count);
        }
        std::free(words);
    }
    EXPECT_EQ(nullptr, WINUTILS_parse_command_line(nullptr, nullptr));
}

// ---- file-dialog filter ----

// Each case shows the filter built, with the byte after it, which stays untouched.
TEST(FileRequestorFilter, IsOnePairEndingInThreeNulsOrRefused) {
    const auto built = [](const char* description, const char* pattern, std::size_t size) {
        char filter[winutils_filter_size + 1];
        std::memset(filter, 'x', sizeof filter);
        if (!winutils_build_filter(filter, size, description, pattern)) return std::string("refused");
        return std::string(filter, std::strlen(description ? description : "") + std::strlen(pattern ? pattern : "") + 5);
    };
    const std::string full(winutils_filter_size - 5, 'd');
    EXPECT_EQ(std::string("Text files\0*.txt\0\0\0x", 20), built("Text files", "*.txt", winutils_filter_size));
    EXPECT_EQ(std::string("\0\0\0\0x", 5), built(nullptr, nullptr, winutils_filter_size));
    EXPECT_EQ(full + std::string("\0*\0\0\0x", 6), built(full.c_str(), "*", winutils_filter_size));
    EXPECT_EQ("refused", built(full.c_str(), "**", winutils_filter_size));
    EXPECT_EQ("refused", built("", "", 3));
}

// ---- message pump ----

std::vector<UINT> dispatched;

LRESULT CALLBACK recording_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= WM_APP) dispatched.push_back(message);
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST(ProcessMessages, DispatchesTheQueueAndStopsAtQuit) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = recording_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "RequestorPumpTest";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("RequestorPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    MSG left;
    while (PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE)) {
    }
    PostMessageA(window, WM_APP + 1, 0, 0);
    PostMessageA(window, WM_APP + 2, 0, 0);
    WINUTILS_process_messages();
    EXPECT_EQ((std::vector<UINT>{WM_APP + 1, WM_APP + 2}), dispatched);
    EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));

    // The quit message is taken, not dispatched, and what follows it stays queued.
    dispatched.clear();
    PostMessageA(window, WM_APP + 3, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 5, 0);
    PostMessageA(window, WM_APP + 4, 0, 0);
    WINUTILS_process_messages();
    EXPECT_EQ((std::vector<UINT>{WM_APP + 3}), dispatched);
    ASSERT_TRUE(PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_APP + 4), left.message);
    DestroyWindow(window);
}

// ---- text entry ----

// The dialog shows the title, the prompt and the buffer's text; OK leaves the answer in the
// buffer, cut to the size given, and not a byte past it.
TEST(GetTextString, OkReturnsTheTypedTextWithinTheGivenSize) {
    const struct {
        const char* typed;
        std::int32_t size;
        const char* answer;
    } cases[] = {{"typed answer", 16, "typed answer"}, {"a much longer answer", 8, "a much "}, {"", 16, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        char buffer[17];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, "start");
        DIALOG_DRIVER driver({{IDOK, c.typed}});
        EXPECT_EQ(0, WINUTILS_get_text_string("Name?", "Type a name", buffer, c.size));
        EXPECT_EQ(WORDS{"Name?|Type a name|start"}, driver.finish());
        EXPECT_STREQ(c.answer, buffer);
        EXPECT_EQ('#', buffer[c.size]);
    }
}

void abandon_text_entry(int button) {
    char buffer[32] = "";
    DIALOG_DRIVER driver({{button, nullptr}});
    WINUTILS_get_text_string("t", "p", buffer, sizeof buffer);
    std::exit(0);  // only reached if the dialog returned to its caller
}

TEST(GetTextStringDeathTest, CancelOrCloseEndsTheProgramWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(abandon_text_entry(IDCANCEL), testing::ExitedWithCode(-1), "");
    EXPECT_EXIT(abandon_text_entry(WM_CLOSE), testing::ExitedWithCode(-1), "");
}

// ---- file and folder requestors ----

std::string current_directory() {
    char path[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

// The dialogs the mode bits name come up in turn (open, checked save, save) until one is
// confirmed; the current directory is the same afterwards.
TEST(FileRequestor, TriesEachDialogOfTheModeUntilOneIsConfirmed) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string scratch = std::string(temp) + "requestor_tests";
    CreateDirectoryA(scratch.c_str(), nullptr);
    const std::string chosen = scratch + "\\chosen.sav";
    const std::string existing = scratch + "\\existing.sav";
    DeleteFileA(chosen.c_str());
    WINUTILS_HANDLE made(CreateFileA(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(static_cast<bool>(made));
    made.reset();

    const std::uint32_t open = WINUTILS_REQUEST_OPEN;
    const STEP cancel = {IDCANCEL, nullptr};
    const struct {
        const char* label;
        std::uint32_t mode;
        std::vector<STEP> steps;
        const char* chosen;  // null: nothing confirmed
    } cases[] = {
        {"save after a cancelled open", open | WINUTILS_REQUEST_SAVE, {cancel, {IDOK, chosen.c_str()}}, chosen.c_str()},
        // The checked save asks before overwriting an existing file.
        {"checked save of an existing file", open | WINUTILS_REQUEST_SAVE_CHECKED,
         {cancel, {IDOK, existing.c_str()}, {IDYES, nullptr}}, existing.c_str()},
        {"all cancelled", open | WINUTILS_REQUEST_SAVE_CHECKED | WINUTILS_REQUEST_SAVE, {cancel, cancel, cancel}, nullptr},
        {"no mode", 0, {}, nullptr},
    };
    const std::string before = current_directory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        char name[WINUTILS_FILE_NAME_SIZE] = "";
        DIALOG_DRIVER driver(c.steps);
        EXPECT_EQ(c.chosen != nullptr, WINUTILS_file_requestor("Pick a file", name, "sav", "Saves", "*.sav",
                                                               scratch.c_str(), c.mode) == TRUE);
        const WORDS seen = driver.finish();
        EXPECT_EQ(c.steps.size(), seen.size());
        for (const std::string& shown : seen) EXPECT_EQ(0u, shown.find("Pick a file")) << shown;
        EXPECT_STRCASEEQ(c.chosen != nullptr ? c.chosen : "", name);
        EXPECT_EQ(before, current_directory());
    }
    // Refusals, before any dialog: no buffer, a filter that would not fit.
    const std::string huge(winutils_filter_size, 'd');
    char name[WINUTILS_FILE_NAME_SIZE] = "";
    EXPECT_FALSE(WINUTILS_file_requestor("t", nullptr, nullptr, "All", "*.*", scratch.c_str(), open));
    EXPECT_FALSE(WINUTILS_file_requestor("t", name, nullptr, huge.c_str(), "*", scratch.c_str(), open));
    EXPECT_EQ(before, current_directory());
    DeleteFileA(existing.c_str());
}

TEST(FolderRequestor, ShowsItsTitleOrChooseAFolderAndCancelIsFalse) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    char path[MAX_PATH] = "";
    DIALOG_DRIVER driver({{IDCANCEL, nullptr}, {IDCANCEL, nullptr}});
    EXPECT_FALSE(WINUTILS_folder_requestor(nullptr, path));
    EXPECT_FALSE(WINUTILS_folder_requestor("Where to?", path));
    const WORDS seen = driver.finish();
    ASSERT_EQ(2u, seen.size());
    EXPECT_NE(std::string::npos, seen[0].find("|Choose a folder")) << seen[0];
    EXPECT_NE(std::string::npos, seen[1].find("|Where to?")) << seen[1];
    EXPECT_FALSE(WINUTILS_folder_requestor("t", nullptr));
    CoUninitialize();
}

}  // namespace

// The requestor helpers, the message pump and the command-line splitter. The dialogs are answered
// from a second thread the way a user would: typing into the edit control, pressing a button.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "WINUTILS.h"
#include "box_answerer.h"
#include "requestors_private.h"

namespace {

// ---- driving this process's dialogs from a second thread ----

struct child_search {
    const char* text;
    bool found;
};

BOOL CALLBACK find_child_text(HWND child, LPARAM search) {
    auto* wanted = reinterpret_cast<child_search*>(search);
    if (TEST_window_text(child) == wanted->text) wanted->found = true;
    return wanted->found ? FALSE : TRUE;
}

bool has_child_text(HWND dialog, const char* text) {
    child_search search = {text, false};
    EnumChildWindows(dialog, find_child_text, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Hands each dialog that comes up, in turn, to the next step; a dialog beyond the steps is
// cancelled so that a test never hangs. What each step saw is kept for the test.
class DIALOG_DRIVER {
public:
    typedef std::function<void(HWND)> STEP;
    explicit DIALOG_DRIVER(std::vector<STEP> steps) : steps_(std::move(steps)), worker_([this] { run(); }) {}
    ~DIALOG_DRIVER() {
        stop_ = true;
        worker_.join();
    }
    DIALOG_DRIVER(const DIALOG_DRIVER&) = delete;
    DIALOG_DRIVER& operator=(const DIALOG_DRIVER&) = delete;
    int handled() const { return handled_; }

private:
    void run() {
        HWND previous = nullptr;
        for (; !stop_; Sleep(10)) {
            HWND dialog = TEST_find_visible_dialog();
            // A dialog already answered may linger for a moment while it closes.
            if (dialog == nullptr || (dialog == previous && IsWindow(dialog))) continue;
            Sleep(100);  // let the dialog finish setting itself up
            std::size_t index = static_cast<std::size_t>(handled_);
            if (index < steps_.size())
                steps_[index](dialog);
            else
                press(dialog, IDCANCEL);
            ++handled_;
            previous = dialog;
        }
    }

    std::vector<STEP> steps_;
    std::atomic<bool> stop_{false};
    std::atomic<int> handled_{0};
    std::thread worker_;
};

// ---- command-line splitter ----

struct split_result {
    bool none;
    std::vector<std::string> words;
};

split_result split(const char* line) {
    std::vector<char> text(line, line + std::strlen(line) + 1);
    std::int32_t count = -7;
    char** words = WINUTILS_parse_command_line(text.data(), &count);
    split_result result = {words == nullptr, {}};
    if (words == nullptr) {
        EXPECT_EQ(count, -7) << "count written for no words: " << line;
        return result;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        // Every word lies inside the caller's text.
        EXPECT_GE(words[i], text.data());
        EXPECT_LT(words[i], text.data() + text.size());
        result.words.push_back(words[i]);
    }
    std::free(words);
    return result;
}

typedef std::vector<std::string> WORDS;

TEST(ParseCommandLine, SplitsAtSpacesAndKeepsQuotedBlanks) {
    EXPECT_EQ(split("a  b").words, (WORDS{"a", "b"}));
    EXPECT_EQ(split("\"hello world\" next").words, (WORDS{"hello world", "next"}));
    EXPECT_EQ(split(" a").words, (WORDS{"a"}));
    EXPECT_EQ(split("remove").words, (WORDS{"remove"}));
    EXPECT_EQ(split("a b   ").words, (WORDS{"a", "b"}));
    EXPECT_EQ(split("x \"a  b\"").words, (WORDS{"x", "a  b"}));
}

TEST(ParseCommandLine, BlankOnlyTextsGiveNone) {
    EXPECT_TRUE(split("").none);
    EXPECT_TRUE(split("    ").none);
    EXPECT_TRUE(split(" \t\r\n ").none);
    // A lone quote counts as a word but holds nothing once split.
    EXPECT_TRUE(split("\"").none);
    EXPECT_TRUE(split(" \"\" ").none);
    EXPECT_TRUE(WINUTILS_parse_command_line(nullptr, nullptr) == nullptr);
}

TEST(ParseCommandLine, TabsAndLineBreaksDoNotSplitTheText) {
    // They separate words when counting, not when splitting: fewer words than counted.
    EXPECT_EQ(split("a\tb").words, (WORDS{"a\tb"}));
    EXPECT_EQ(split("a\r\nb c").words, (WORDS{"a\r\nb", "c"}));
}

TEST(ParseCommandLine, MoreSplitWordsThanCountedStopAtTheArray) {
    // A closing quote ends a word the count runs on through: the split keeps to the counted slots.
    EXPECT_EQ(split("\"a\"b").words, (WORDS{"a"}));
    EXPECT_EQ(split("\"a\"b \"c\"d").words, (WORDS{"a", "b"}));
    // An unclosed quote runs to the end of the text.
    EXPECT_EQ(split("x \"y z").words, (WORDS{"x", "y z"}));
}

TEST(ParseCommandLine, LongAndManyWordsStayInPlace) {
    std::string long_word(70000, 'w');
    EXPECT_EQ(split(long_word.c_str()).words, (WORDS{long_word}));
    std::string many;
    WORDS expected;
    for (int i = 0; i < 5000; ++i) {
        many += std::to_string(i) + "  ";
        expected.push_back(std::to_string(i));
    }
    EXPECT_EQ(split(many.c_str()).words, expected);
}

// ---- file-dialog filter ----

TEST(FileRequestorFilter, IsOnePairEndingInNuls) {
    char filter[winutils_filter_size];
    std::memset(filter, 'x', sizeof filter);
    ASSERT_TRUE(winutils_build_filter(filter, sizeof filter, "Text files", "*.txt"));
    EXPECT_EQ(std::memcmp(filter, "Text files\0*.txt\0\0\0", 19), 0);
    EXPECT_EQ(filter[19], 'x');

    ASSERT_TRUE(winutils_build_filter(filter, sizeof filter, nullptr, nullptr));
    EXPECT_EQ(std::memcmp(filter, "\0\0\0\0", 4), 0);

    // Exactly full fits; one more character is refused rather than losing the NULs.
    std::string description(sizeof filter - 4 - 1, 'd');
    EXPECT_TRUE(winutils_build_filter(filter, sizeof filter, description.c_str(), "*"));
    EXPECT_EQ(std::memcmp(filter + sizeof filter - 4, "*\0\0\0", 4), 0);
    EXPECT_FALSE(winutils_build_filter(filter, sizeof filter, description.c_str(), "**"));
    EXPECT_FALSE(winutils_build_filter(filter, 3, "", ""));
}

// ---- message pump ----

std::vector<UINT> dispatched;

LRESULT CALLBACK recording_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= WM_APP) dispatched.push_back(message);
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST(ProcessMessages, DispatchesQueueAndStopsAtQuit) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = recording_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "RequestorPumpTest";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("RequestorPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    MSG left;
    while (PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE)) {
    }

    dispatched.clear();
    PostMessageA(window, WM_APP + 1, 0, 0);
    PostMessageA(window, WM_APP + 2, 0, 0);
    WINUTILS_process_messages();
    EXPECT_EQ(dispatched, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
    EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));

    // The quit message is taken, not dispatched, and what follows it stays queued.
    dispatched.clear();
    PostMessageA(window, WM_APP + 3, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 5, 0);
    PostMessageA(window, WM_APP + 4, 0, 0);
    WINUTILS_process_messages();
    EXPECT_EQ(dispatched, (std::vector<UINT>{WM_APP + 3}));
    ASSERT_TRUE(PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(left.message, static_cast<UINT>(WM_APP + 4));

    // An empty queue returns at once.
    WINUTILS_process_messages();
    DestroyWindow(window);
}

// ---- text entry ----

struct entry_seen {
    std::string title, prompt, initial;
};

DIALOG_DRIVER::STEP answer_entry(entry_seen& seen, const char* typed, int button) {
    return [&seen, typed, button](HWND dialog) {
        seen = {TEST_window_text(dialog), TEST_window_text(GetDlgItem(dialog, 910)), TEST_window_text(GetDlgItem(dialog, 911))};
        if (typed != nullptr) SendDlgItemMessageA(dialog, 911, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
        press(dialog, button);
    };
}

TEST(GetTextString, OkReturnsTheTypedTextWithinTheBuffer) {
    entry_seen seen;
    char buffer[16] = "start";
    {
        DIALOG_DRIVER driver({answer_entry(seen, "typed answer", IDOK)});
        EXPECT_EQ(WINUTILS_get_text_string("Name?", "Type a name", buffer, sizeof buffer), 0);
        EXPECT_EQ(driver.handled(), 1);
    }
    EXPECT_EQ(seen.title, "Name?");
    EXPECT_EQ(seen.prompt, "Type a name");
    EXPECT_EQ(seen.initial, "start");
    EXPECT_STREQ(buffer, "typed answer");

    // A longer answer is cut to the buffer; the bytes past the given size are not touched.
    char small[12];
    std::memset(small, '#', sizeof small);
    small[0] = '\0';
    {
        DIALOG_DRIVER driver({answer_entry(seen, "a much longer answer", IDOK)});
        WINUTILS_get_text_string("t", "p", small, 8);
    }
    EXPECT_STREQ(small, "a much ");
    EXPECT_EQ(small[8], '#');

    // OK on an emptied edit control leaves an empty text.
    {
        DIALOG_DRIVER driver({answer_entry(seen, "", IDOK)});
        WINUTILS_get_text_string("t", "p", buffer, sizeof buffer);
    }
    EXPECT_STREQ(buffer, "");
}

void cancel_text_entry(int button) {
    entry_seen seen;
    char buffer[32] = "";
    DIALOG_DRIVER driver({[&seen, button](HWND dialog) {
        seen.title = TEST_window_text(dialog);
        if (button == WM_CLOSE)
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        else
            press(dialog, button);
    }});
    WINUTILS_get_text_string("t", "p", buffer, sizeof buffer);
    // Only reached if the dialog returned to its caller.
    std::exit(0);
}

TEST(GetTextStringDeathTest, CancelOrCloseEndsTheProgramWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(cancel_text_entry(IDCANCEL), testing::ExitedWithCode(-1), "");
    EXPECT_EXIT(cancel_text_entry(WM_CLOSE), testing::ExitedWithCode(-1), "");
}

// ---- file and folder requestors ----

std::string current_directory() {
    char path[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

std::string scratch_directory() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + "requestor_tests";
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

// The file-name field: a combo box with an edit in newer dialogs, a plain edit in older ones.
DIALOG_DRIVER::STEP type_file_name(const std::string& name, std::vector<std::string>& titles) {
    return [name, &titles](HWND dialog) {
        titles.push_back(TEST_window_text(dialog));
        HWND field = GetDlgItem(dialog, 0x47c);
        if (field == nullptr) field = GetDlgItem(dialog, 0x480);
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        press(dialog, IDOK);
    };
}

DIALOG_DRIVER::STEP cancel_dialog(std::vector<std::string>& titles) {
    return [&titles](HWND dialog) {
        titles.push_back(TEST_window_text(dialog));
        press(dialog, IDCANCEL);
    };
}

// Confirms the overwrite question the checked save asks about an existing file.
DIALOG_DRIVER::STEP answer_yes() {
    return [](HWND dialog) { press(dialog, IDYES); };
}

TEST(FileRequestor, CancelledOpenBringsUpTheSaveAndItsPathIsReturned) {
    std::string scratch = scratch_directory();
    std::string before = current_directory();
    std::string target = scratch + "\\chosen.sav";
    DeleteFileA(target.c_str());

    std::vector<std::string> titles;
    char name[WINUTILS_FILE_NAME_SIZE] = "";
    {
        DIALOG_DRIVER driver({cancel_dialog(titles), type_file_name(target, titles)});
        EXPECT_TRUE(WINUTILS_file_requestor("Pick a file", name, "sav", "Saves", "*.sav", scratch.c_str(),
                                            WINUTILS_REQUEST_OPEN | WINUTILS_REQUEST_SAVE));
        EXPECT_EQ(driver.handled(), 2);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Pick a file", "Pick a file"}));
    EXPECT_STRCASEEQ(name, target.c_str());
    EXPECT_EQ(current_directory(), before);
}

TEST(FileRequestor, CheckedSaveOfAnExistingFileAsksBeforeConfirming) {
    std::string scratch = scratch_directory();
    std::string before = current_directory();
    std::string target = scratch + "\\existing.sav";
    HANDLE made = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);

    std::vector<std::string> titles;
    char name[WINUTILS_FILE_NAME_SIZE] = "";
    {
        DIALOG_DRIVER driver({cancel_dialog(titles), type_file_name(target, titles), answer_yes()});
        EXPECT_TRUE(WINUTILS_file_requestor("Save", name, "sav", "Saves", "*.sav", scratch.c_str(),
                                            WINUTILS_REQUEST_OPEN | WINUTILS_REQUEST_SAVE_CHECKED));
        EXPECT_EQ(driver.handled(), 3);
    }
    EXPECT_STRCASEEQ(name, target.c_str());
    EXPECT_EQ(current_directory(), before);
    DeleteFileA(target.c_str());
}

TEST(FileRequestor, NothingConfirmedIsFalseWithTheDirectoryRestored) {
    std::string scratch = scratch_directory();
    std::string before = current_directory();
    std::vector<std::string> titles;
    char name[WINUTILS_FILE_NAME_SIZE] = "";
    {
        DIALOG_DRIVER driver({cancel_dialog(titles), cancel_dialog(titles), cancel_dialog(titles)});
        EXPECT_FALSE(WINUTILS_file_requestor("All", name, nullptr, "All", "*.*", scratch.c_str(),
                                             WINUTILS_REQUEST_OPEN | WINUTILS_REQUEST_SAVE_CHECKED |
                                                 WINUTILS_REQUEST_SAVE));
        EXPECT_EQ(driver.handled(), 3);
    }
    EXPECT_EQ(current_directory(), before);

    // No mode bit shows nothing.
    {
        DIALOG_DRIVER driver({});
        EXPECT_FALSE(WINUTILS_file_requestor("None", name, nullptr, "All", "*.*", scratch.c_str(), 0));
        EXPECT_EQ(driver.handled(), 0);
    }
    EXPECT_EQ(current_directory(), before);
    // Refusals: no buffer, a filter that would not fit.
    std::string huge(winutils_filter_size, 'd');
    EXPECT_FALSE(WINUTILS_file_requestor("t", nullptr, nullptr, "All", "*.*", scratch.c_str(), WINUTILS_REQUEST_OPEN));
    EXPECT_FALSE(WINUTILS_file_requestor("t", name, nullptr, huge.c_str(), "*", scratch.c_str(), WINUTILS_REQUEST_OPEN));
    EXPECT_EQ(current_directory(), before);
}

TEST(FolderRequestor, UntitledShowsChooseAFolderAndCancelIsFalse) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    bool default_title = false;
    bool given_title = false;
    char path[MAX_PATH] = "";
    {
        DIALOG_DRIVER driver({[&default_title](HWND dialog) {
                                  default_title = has_child_text(dialog, "Choose a folder");
                                  press(dialog, IDCANCEL);
                              },
                              [&given_title](HWND dialog) {
                                  given_title = has_child_text(dialog, "Where to?");
                                  press(dialog, IDCANCEL);
                              }});
        EXPECT_FALSE(WINUTILS_folder_requestor(nullptr, path));
        EXPECT_FALSE(WINUTILS_folder_requestor("Where to?", path));
        EXPECT_EQ(driver.handled(), 2);
    }
    EXPECT_TRUE(default_title);
    EXPECT_TRUE(given_title);
    EXPECT_FALSE(WINUTILS_folder_requestor("t", nullptr));
    CoUninitialize();
}

}  // namespace

// Answers this process's message boxes from a second thread and records what they said.
#include "box_answerer.h"

#include <utility>

namespace {

constexpr int BOX_TEXT_ID = 0xFFFF;     // the static control that carries a box's text
constexpr WORD QUESTION_ICON = 32514;   // IDI_QUESTION

// A message box is a visible dialog-class window of this process; the tests' own main windows are
// dialogs too, but they are never shown.
BOOL CALLBACK find_box(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char class_name[16] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    if (process != GetCurrentProcessId() || std::string(class_name) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

SEEN_BOX read_box(HWND box) {
    SEEN_BOX seen;
    seen.caption = TEST_window_text(box);
    seen.text = TEST_window_text(GetDlgItem(box, BOX_TEXT_ID));
    seen.owner = GetWindow(box, GW_OWNER);
    for (auto [id, mark] : {std::pair{IDOK, "O"}, {IDYES, "Y"}, {IDNO, "N"}})
        if (GetDlgItem(box, id) != nullptr) seen.buttons += mark;
    seen.yes_no = seen.buttons.find('Y') != std::string::npos && seen.buttons.find('N') != std::string::npos;
    HICON question = LoadIconA(nullptr, MAKEINTRESOURCEA(QUESTION_ICON));
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == question) seen.question_icon = true;
    return seen;
}

}  // namespace

HWND TEST_find_visible_dialog(void) {
    HWND found = nullptr;
    EnumWindows(find_box, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string TEST_window_text(HWND window) {
    char buffer[2048] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

BOX_ANSWERER::BOX_ANSWERER(std::initializer_list<int> answers) : answers_(answers), worker_([this] { run(); }) {}

BOX_ANSWERER::~BOX_ANSWERER() { finish(); }

void BOX_ANSWERER::queue(std::initializer_list<int> answers) {
    std::lock_guard<std::mutex> guard(lock_);
    answers_.insert(answers_.end(), answers);
}

std::vector<SEEN_BOX> BOX_ANSWERER::take() {
    std::lock_guard<std::mutex> guard(lock_);
    return std::exchange(seen_, {});
}

const std::vector<SEEN_BOX>& BOX_ANSWERER::finish() {
    stop_ = true;
    if (worker_.joinable()) {
        worker_.join();
        finished_ = take();
    }
    return finished_;
}

void BOX_ANSWERER::run() {
    for (; !stop_; Sleep(5)) {
        HWND box = TEST_find_visible_dialog();
        if (box == nullptr) continue;
        // The text is set while the box is being made; give it a moment before reading.
        Sleep(20);
        SEEN_BOX seen = read_box(box);
        int button = seen.buttons.find('N') != std::string::npos ? IDNO : IDOK;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!answers_.empty()) {
                button = answers_.front();
                answers_.erase(answers_.begin());
            }
            seen_.push_back(seen);
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        for (int wait = 0; IsWindow(box) && wait < 2000; ++wait) Sleep(5);  // one answer per box
    }
}

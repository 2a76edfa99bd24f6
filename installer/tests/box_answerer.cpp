// Answers this thread's message boxes from a second thread and records what they said.
#include "box_answerer.h"

namespace {

// The static control that carries a message box's text.
constexpr int BOX_TEXT_ID = 0xFFFF;

struct box_search {
    HWND found = nullptr;
    HWND last_answered = nullptr;
};

// A message box is a visible dialog-class window; the main window of the tests is a dialog too,
// but it is never shown.
BOOL CALLBACK find_box(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<box_search*>(parameter);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window) || window == search->last_answered) return TRUE;
    search->found = window;
    return FALSE;
}

std::string text_of(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

}  // namespace

BOX_ANSWERER::BOX_ANSWERER(std::vector<int> answers)
    : thread_id_(GetCurrentThreadId()), answers_(std::move(answers)), worker_([this] { run(); }) {}

BOX_ANSWERER::~BOX_ANSWERER() { finish(); }

const std::vector<SEEN_BOX>& BOX_ANSWERER::finish() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    return seen_;
}

void BOX_ANSWERER::run() {
    box_search search;
    while (!stop_) {
        search.found = nullptr;
        EnumThreadWindows(thread_id_, find_box, reinterpret_cast<LPARAM>(&search));
        // A box that was answered may linger for a moment; the same handle is not answered twice.
        if (search.found == nullptr || !IsWindow(search.found)) {
            Sleep(5);
            continue;
        }
        HWND box = search.found;
        // The text is set while the box is created; give it a moment before reading.
        Sleep(20);
        SEEN_BOX seen;
        seen.caption = text_of(box);
        seen.text = text_of(GetDlgItem(box, BOX_TEXT_ID));
        seen.owner = GetWindow(box, GW_OWNER);
        seen.yes_no = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr;
        seen.question_icon = false;
        // The icon is a static control showing the system's question icon.
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            if (icon != nullptr && icon == LoadIconA(nullptr, MAKEINTRESOURCEA(32514))) seen.question_icon = true;
        }
        const std::size_t index = seen_.size();
        int button = index < answers_.size() ? answers_[index] : (seen.yes_no ? IDNO : IDOK);
        seen_.push_back(seen);
        search.last_answered = box;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    }
}

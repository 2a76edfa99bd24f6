// Answers this process's message boxes from a second thread and records what they said.
#include "box_answerer.h"

#include <utility>

namespace {

constexpr int BOX_TEXT_ID = 0xFFFF;    // the static control that carries a box's text
constexpr DWORD POLL_MS = 5;
constexpr DWORD BOX_CLOSE_MS = 10000;

}  // namespace

// The tests' own main windows are dialogs too, but they are never shown.
HWND TEST_find_visible_dialog(void) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

std::string TEST_window_text(HWND window) {
    char buffer[2048] = "";
    DWORD_PTR length = 0;
    // WM_GETTEXT crosses process boundaries; the time limit keeps a hung window from blocking us.
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             3000, &length))
        return "";
    buffer[length < sizeof buffer ? length : sizeof buffer - 1] = '\0';
    return buffer;
}

// A box becomes visible only after its dialog initialisation has set its texts and buttons.
SEEN_BOX TEST_read_box(HWND box) {
    SEEN_BOX seen;
    seen.caption = TEST_window_text(box);
    seen.text = TEST_window_text(GetDlgItem(box, BOX_TEXT_ID));
    seen.owner = GetWindow(box, GW_OWNER);
    for (auto [id, mark] : {std::pair{IDOK, "O"}, {IDYES, "Y"}, {IDNO, "N"}})
        if (GetDlgItem(box, id) != nullptr) seen.buttons += mark;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char kind[16] = "";
        GetClassNameA(child, kind, sizeof kind);
        const std::string text = TEST_window_text(child);
        if ((!lstrcmpiA(kind, "Static") || !lstrcmpiA(kind, "Edit")) && !text.empty()) seen.labels += "|" + text;
    }
    return seen;
}

BOX_ANSWERER::BOX_ANSWERER(std::vector<BOX_ANSWER> answers)
    : answers_(std::move(answers)), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), worker_([this] { run(); }) {}

BOX_ANSWERER::~BOX_ANSWERER() {
    finish();
    CloseHandle(stop_);
}

std::vector<SEEN_BOX> BOX_ANSWERER::take() {
    std::lock_guard<std::mutex> guard(lock_);
    return std::exchange(seen_, {});
}

void BOX_ANSWERER::queue(const std::vector<BOX_ANSWER>& answers) {
    std::lock_guard<std::mutex> hold(lock_);
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

const std::vector<SEEN_BOX>& BOX_ANSWERER::finish() {
    SetEvent(stop_);
    if (worker_.joinable()) {
        worker_.join();
        finished_ = take();
    }
    return finished_;
}

void BOX_ANSWERER::run() {
    for (HWND answered = nullptr; WaitForSingleObject(stop_, POLL_MS) == WAIT_TIMEOUT;) {
        HWND box = TEST_find_visible_dialog();
        DWORD_PTR ignored = 0;
        // An answered box may linger for a moment while it closes. A box answers a message sent to
        // it once its thread pumps them, and so is done setting it up.
        if (box == nullptr || (box == answered && IsWindow(box)) ||
            !SendMessageTimeoutA(box, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, BOX_CLOSE_MS, &ignored))
            continue;
        SEEN_BOX seen = TEST_read_box(box);
        BOX_ANSWER answer = GetDlgItem(box, IDNO) ? IDNO : GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.erase(answers_.begin());
            }
            seen_.push_back(seen);
        }
        // The text entry's field, and the file dialogs' name field in their newer and older forms.
        for (int field : {911, 0x47c, 0x480})
            if (answer.typed != nullptr && SetDlgItemTextA(box, field, answer.typed)) break;
        PostMessageA(box, answer.button == WM_CLOSE ? WM_CLOSE : WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, answer.button)));
        // One answer per box: the next one is looked for once this one has gone, or once another
        // box shows over it (a question that a file dialog asks before it closes).
        answered = box;
        const ULONGLONG deadline = GetTickCount64() + BOX_CLOSE_MS;
        while (IsWindow(box) && TEST_find_visible_dialog() == box && GetTickCount64() < deadline &&
               WaitForSingleObject(stop_, POLL_MS) == WAIT_TIMEOUT) {
        }
    }
}

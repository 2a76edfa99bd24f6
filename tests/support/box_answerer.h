// Answers the message boxes and dialogs that the code under test shows, from a second thread, the
// way a user would, and keeps what each box said so that a test can check it afterwards.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The first visible dialog-class window of this process (message boxes, requestors, the
// text-entry dialog), or null.
HWND TEST_find_visible_dialog(void);
// A window's text, up to 2047 characters; also of another thread's or another process's window.
std::string TEST_window_text(HWND window);

struct SEEN_BOX {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    std::string buttons;  // "O" for OK alone, "YN" for Yes and No
    std::string labels;   // the texts of its labels and text fields, each after a '|'
};

// One answer to a box: text put into its text or file-name field first (when not null), then a
// button pressed, or the box closed when the button is WM_CLOSE.
struct BOX_ANSWER {
    BOX_ANSWER(int pressed, const char* text = nullptr) : button(pressed), typed(text) {}
    int button;
    const char* typed;
};

// What a shown message box says, of this process or another one.
SEEN_BOX TEST_read_box(HWND box);

// Watches every visible box of this process, each once its thread is done setting it up. Boxes
// get the queued answers in turn; any box beyond them gets No, else Cancel, else OK, so that an
// unexpected box never confirms anything and never blocks a test.
class BOX_ANSWERER {
public:
    explicit BOX_ANSWERER(std::vector<BOX_ANSWER> answers = {});
    ~BOX_ANSWERER();
    BOX_ANSWERER(const BOX_ANSWERER&) = delete;
    BOX_ANSWERER& operator=(const BOX_ANSWERER&) = delete;

    // The boxes seen since the last call. Boxes are modal, so once the code under test returned,
    // each of its boxes was answered and is in here.
    std::vector<SEEN_BOX> take();
    // Queues answers for the boxes still to come, after those queued before.
    void queue(const std::vector<BOX_ANSWER>& answers);
    // Stops answering; the boxes seen since the last take.
    const std::vector<SEEN_BOX>& finish();

private:
    void run();

    std::mutex lock_;
    std::vector<BOX_ANSWER> answers_;
    std::vector<SEEN_BOX> seen_;
    std::vector<SEEN_BOX> finished_;
    HANDLE stop_;  // set by finish; the worker's waits end on it
    std::thread worker_;
};

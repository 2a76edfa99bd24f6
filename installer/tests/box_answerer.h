// Answers the message boxes that the code under test shows on this thread, from a second thread,
// the way a user would, and keeps what each box said so that the test can check it afterwards.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct SEEN_BOX {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    bool yes_no = false;         // offers Yes and No rather than OK
    bool question_icon = false;  // shows the question-mark icon
};

class BOX_ANSWERER {
public:
    // Boxes get the given buttons in turn; any box beyond them gets No, or OK where there is no
    // No, so that an unexpected box never confirms anything.
    explicit BOX_ANSWERER(std::vector<int> answers = {});
    ~BOX_ANSWERER();
    BOX_ANSWERER(const BOX_ANSWERER&) = delete;
    BOX_ANSWERER& operator=(const BOX_ANSWERER&) = delete;

    // Stops answering and gives every box seen, in order. Call once the code under test returned:
    // its boxes are modal, so by then each was answered.
    const std::vector<SEEN_BOX>& finish();

private:
    void run();

    DWORD thread_id_;
    std::vector<int> answers_;
    std::vector<SEEN_BOX> seen_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

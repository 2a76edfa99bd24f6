// What the engine's tests share: a small real tree in a scratch directory, a main window with the
// progress bar and the status label the engine talks to, and a second thread that answers the
// message boxes the engine shows, the way a user would.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "COPYFLST.h"
#include "box_answerer.h"
#include "texts.h"

bool file_exists(const std::string& path);
bool directory_exists(const std::string& path);
std::string file_content(const std::string& path);  // the bytes; empty when it cannot be read
void write_file(const std::string& path, const std::string& content);
// Makes the entries below base, in order: one ending in a backslash is a directory, any other a
// file that holds its own name.
void make_tree(const std::string& base, std::initializer_list<const char*> entries);
::testing::AssertionResult file_has_content(const std::string& path, const std::string& content);
// Bytes of every value, line ends and the end-of-file mark first, in a pattern that shifts with
// the length so that a misplaced block shows.
std::string binary_content(std::size_t size);

class EngineTest : public ::testing::Test {
public:
    void note_text(const std::string& text);  // the label's procedure hands each text here

protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the records with an end record added; the run's directories are src, dst and menu.
    BOOL8 run(const std::vector<COPY_LIST_ENTRY>& records, std::uint8_t install_run = 0);
    // The same on a thread of its own, while this one serves the window the run talks to.
    BOOL8 run_on_new_thread(const std::vector<COPY_LIST_ENTRY>& records);

    // Progress steps since SetUp.
    int steps() const;
    // The boxes shown since the last call, each as "caption|text|buttons".
    std::vector<std::string> shown_boxes();

    // The texts the status label was given, in order.
    std::vector<std::string> texts;
    // Called with each text as the label receives it: the moment between a file's size being
    // taken and its opening, or just before a directory's removal.
    std::function<void(const std::string&)> on_text;

    std::string root, src, dst, menu;  // the scratch directory, <SRC>, <DST>, <STARTMENU>
    BOX_ANSWERER boxes;
    HWND window = nullptr;
};

// The engine's error box about a path, as shown_boxes gives it.
std::string error_box(const std::string& text);

// What the engine's tests share: a scratch directory, a main window with the progress bar and the
// status label the engine talks to, and a second thread that answers the engine's message boxes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "COPYFLST.h"
#include "box_answerer.h"
#include "scratch_files.h"
#include "texts.h"

// Makes the entries below base, in order: one ending in a backslash is a directory, any other a
// file that holds its own name.
void make_tree(const std::string& base, const std::vector<const char*>& entries);
void fresh_directory(const std::string& path);  // empty, whatever it held
// The engine's error box, as shown_boxes gives it.
inline std::string error_box(const std::string& text) { return TEXT_ERROR "|" + text + "|O"; }

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the records with an end record added, in src, dst and menu.
    BOOL8 run(const std::vector<COPY_LIST_ENTRY>& records, std::uint8_t install_run = 0);
    int steps() const;  // progress steps since SetUp
    // The boxes shown since the last call, each as "caption|text|buttons".
    std::vector<std::string> shown_boxes();

public:
    // The status label's texts in order, and a hook called with each as it comes: the moment
    // between a file's size being taken and its opening.
    std::vector<std::string> texts;
    std::function<void(const std::string&)> on_text;

protected:
    std::string root, src, dst, menu;  // the scratch directory, <SRC>, <DST>, <STARTMENU>
    BOX_ANSWERER boxes;
    HWND window = nullptr;
};

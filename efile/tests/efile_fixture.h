// Shared set-up of the file access layer's tests: allocator and debug lines on, a fresh scratch
// directory spelt the layer's way, and a leak check of the tracked allocator after each test.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "EBUG.h"
#include "EFILE.h"
#include "Heap.h"
#include "Memory.h"
#include "efile_internal.h"
#include "../../foundation/tests/log_files.h"

class efile_test : public ::testing::Test {
protected:
    std::string root;  // lower case, backslashes, no trailing separator

    void SetUp() override {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::path base = fs::temp_directory_path(error);
#if !defined(_WIN32)
        // Slot paths are lowered, so on a case-sensitive host the root must already be lower case.
        for (char c : base.string())
            if (std::isupper(static_cast<unsigned char>(c))) base = "/tmp";
#endif
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        fs::path scratch = base / ("efile_" + std::string(test->name()));
        fs::remove_all(scratch, error);
        fs::create_directories(scratch, error);
        root = scratch.string();
        for (char& c : root) c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        ASSERT_EQ(TRUE, MEMORY_initialise());
        ASSERT_EQ(TRUE, EBUG_initialise(0, 0, 0, EBUG_FLAG_MESSAGE, EBUG_OUTPUT_DEVELOP_FILE));
        remove_file(develop_log);
    }
    void TearDown() override {
        HEAP_fail_after(-1);
        EFILE_deinitialise();
        EXPECT_EQ(0, MEMORY_get_allocated_bytes()) << "the layer left tracked blocks behind";
        EBUG_deinitialise();
        MEMORY_deinitialise();
        std::error_code error;
        std::filesystem::remove_all(host(""), error);
    }

    std::string slot(const std::string& relative) const { return root + "\\" + relative; }
    std::string host(const std::string& relative) const {
        std::string path = relative.empty() ? root : slot(relative);
#if !defined(_WIN32)
        for (char& c : path)
            if (c == '\\') c = '/';
#endif
        return path;
    }
    void write_file(const std::string& relative, const std::string& contents) const {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(host(relative)).parent_path(), error);
        std::ofstream(host(relative), std::ios::binary) << contents;
    }
    // Refusals whose result alone would not show that the path was refused rather than missed.
    static bool logged(const std::string& text) { return read_text_file(develop_log).find(text) != std::string::npos; }
    // Files that hold their own names, where the contents do not matter.
    void write_files(std::initializer_list<const char*> names) const {
        for (const char* name : names) write_file(name, name);
    }
    // The default settings with a few changed, as a caller fills the record.
    static EFILE_DETAILS settings(std::uint32_t chunk_size, std::uint32_t tree_size = 5000, std::uint32_t step = 1000) {
        EFILE_DETAILS details{};
        details.num_search_paths = EFILE_DEFAULT_NUM_SEARCH_PATHS;
        details.initial_tree_size = tree_size, details.tree_size_increment = step, details.chunk_size = chunk_size;
        return details;
    }
};

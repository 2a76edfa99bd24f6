// Small helpers for the foundation tests: reading back and checking the log files the modules write.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

inline const char develop_log[] = "develop.dbg";
inline const char retail_log[] = "retail.dbg";

// The whole file ("" when it does not exist).
inline std::string read_text_file(const char* path) {
    std::string text;
    if (std::FILE* file = std::fopen(path, "r")) {
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
        std::fclose(file);
    }
    return text;
}

inline bool file_exists(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (file) std::fclose(file);
    return file != nullptr;
}

inline void remove_file(const char* path) { std::remove(path); }

// The log with the line number of each "[    name,line] " prefix dropped, so that lines from
// library code read "[    name] text" whatever line they come from.
inline std::string log_without_line_numbers(const char* path) {
    std::string text = read_text_file(path), result;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        if (line.size() > 16 && line[0] == '[' && line[9] == ',' && line[15] == ']') line.erase(9, 6);
        result += line;
        start = end;
    }
    return result;
}

// Compares a log with the expected text, then removes it; a failure names the caller's line.
inline void expect_log_at(const char* file, int line, const char* path, const std::string& expected,
                          bool numbered) {
    ::testing::ScopedTrace trace(file, line, path);
    EXPECT_EQ(expected, numbered ? read_text_file(path) : log_without_line_numbers(path));
    remove_file(path);
}
#define EXPECT_LOG(path, expected) expect_log_at(__FILE__, __LINE__, (path), (expected), true)
#define EXPECT_LOG_UNNUMBERED(path, expected) expect_log_at(__FILE__, __LINE__, (path), (expected), false)

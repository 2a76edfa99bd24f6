// Small helpers for the foundation tests: reading back and checking the log files the modules write.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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

inline void remove_file(const char* path) { std::remove(path); }

// Compares a log with the expected text, then removes it; a failure names the caller's line.
// Unnumbered, each "[    name,line] " prefix loses its line number, so that lines from library
// code read "[    name] text" whatever line they come from.
inline void expect_log_at(const char* file, int line, const char* path, const std::string& expected, bool numbered) {
    ::testing::ScopedTrace trace(file, line, path);
    std::string text = read_text_file(path);
    for (std::size_t start = 0; !numbered && start < text.size(); start = std::min(text.find('\n', start), text.size()) + 1)
        if (text.size() > start + 16 && text[start] == '[' && text[start + 9] == ',' && text[start + 15] == ']')
            text.erase(start + 9, 6);
    EXPECT_EQ(expected, text);
    remove_file(path);
}
#define EXPECT_LOG(path, expected) expect_log_at(__FILE__, __LINE__, (path), (expected), true)
#define EXPECT_LOG_UNNUMBERED(path, expected) expect_log_at(__FILE__, __LINE__, (path), (expected), false)

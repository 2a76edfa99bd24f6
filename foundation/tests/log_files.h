// Small helpers for the foundation tests: reading back the log files the modules write.
#pragma once

#include <string>
#include <vector>

// The whole file in text mode ("" when it does not exist).
std::string read_text_file(const char* path);
// The file's lines without their line ends.
std::vector<std::string> read_lines(const char* path);
bool file_exists(const char* path);
void remove_file(const char* path);
bool starts_with(const std::string& text, const std::string& prefix);
bool ends_with(const std::string& text, const std::string& suffix);

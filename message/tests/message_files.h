// Helpers for the message store tests: 16-bit texts and small message files in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Message.h"

using units = std::vector<std::uint16_t>;

// A NUL-terminated 16-bit text of the ASCII text.
inline units to_text(const std::string& text) {
    units result(text.begin(), text.end());
    result.push_back(0);
    return result;
}

// The units of a NUL-terminated text narrowed to ASCII ("<null>" for none).
inline std::string narrow(const std::uint16_t* text) {
    std::string result = text ? "" : "<null>";
    for (; text && *text; ++text) result.push_back(static_cast<char>(*text & 0xFF));
    return result;
}

// The units as little-endian bytes, complemented when asked.
inline std::string to_bytes(const units& image, bool complemented = false) {
    std::string bytes;
    for (std::uint16_t unit : image) {
        if (complemented) unit = static_cast<std::uint16_t>(~unit);
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    return bytes;
}

// A file's bytes: header 0xFEFF and the ASCII body.
inline std::string message_bytes(const std::string& body, bool complemented = false) {
    units image{0xFEFF};
    image.insert(image.end(), body.begin(), body.end());
    return to_bytes(image, complemented);
}

// A path in the run's own folder, removed with everything in it when the test program ends.
inline std::string temp_path(const std::string& name) {
    static const struct folder {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("quill_message_tests_" + std::to_string(std::random_device()()));
        folder() { std::filesystem::create_directories(path); }
        ~folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } run_folder;
    return (run_folder.path / name).string();
}

inline std::string read_bytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// Writes the bytes to a temporary file and returns its path.
inline std::string message_file(const std::string& name, const std::string& bytes) {
    std::string path = temp_path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Loads a file of the ASCII body, editable unless asked otherwise.
inline std::int32_t load_message(const std::string& body, std::uint8_t editable = 1, const std::string& name = "load.ini") {
    return MESSAGE_allocate_message_file(message_file(name, message_bytes(body)).c_str(), editable, nullptr);
}

// Every record in order as "id=text;".
inline std::string dump(std::int32_t handle) {
    std::string result;
    for (const char* id = MESSAGE_get_first_message_id(handle); id; id = MESSAGE_get_next_message_id(handle, id))
        result += std::string(id) + "=" + narrow(MESSAGE_get_message(handle, id)) + ";";
    return result;
}

// A table of `files` entries for each test, every file freed and the table gone after it.
template <std::int32_t files>
class message_table : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MESSAGE_initialise(files)); }
    void TearDown() override {
        for (std::int32_t handle = 0; handle < files; ++handle) MESSAGE_deallocate_message_file(handle);
        MESSAGE_deinitialise();
    }
};

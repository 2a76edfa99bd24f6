// A clean stage for the sequences: the run-wide state under a product name of the tests' own (so
// that its uninstall record is the tests' own too), a hidden main window from the real template,
// a scratch directory, and the shell's Programs value, the current directory and the record put
// back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "texts.h"

inline constexpr const char* SEQUENCE_PRODUCT = "Quillmoor Sequence Test";

bool dir_exists(const std::string& path);
bool file_exists(const std::string& path);
bool write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);  // "<missing>" when it cannot be read
std::string current_directory();

class SEQUENCE_FIXTURE : public ::testing::Test {
protected:
    static constexpr const char* PRODUCT = SEQUENCE_PRODUCT;

    void SetUp() override;
    void TearDown() override;

    HWND window() const { return window_; }
    bool shown(int id) const;
    std::string slot_text(int id) const;

    // The test's own empty directory, and directories below it.
    std::string scratch() const { return scratch_; }
    std::string make_dir(const std::string& name) const;

    // The shell's record of the Start menu's Programs folder, under HKEY_CURRENT_USER; none
    // deletes it.
    static bool set_programs_value(const std::optional<std::string>& folder);

    // The tests' uninstall record under HKEY_LOCAL_MACHINE.
    static bool write_record_value(const char* name, const void* data, DWORD size, DWORD type = REG_SZ);
    static bool write_record_text(const char* name, const std::string& text) {
        return write_record_value(name, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    static bool record_exists();

private:
    HWND window_ = nullptr;
    std::string scratch_;
    std::string saved_directory_;
    std::optional<std::string> saved_programs_;
};

// A clean stage for the sequences: the run-wide state under a product name of the tests' own (so
// that its uninstall record is the tests' own too), a hidden main window from the real template,
// a scratch directory, and the shell's Programs value, the current directory and the record put
// back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

class SEQUENCE_FIXTURE : public ::testing::Test {
protected:
    static constexpr const char* PRODUCT = "Quillmoor Sequence Test";
    static constexpr const char* RECORD_KEY =
        "software\\microsoft\\windows\\CURRENTVERSION\\UNINSTALL\\Quillmoor Sequence Test";

    void SetUp() override;
    void TearDown() override;

    HWND window() const { return window_; }
    bool shown(int id) const;
    // The progress bar's bounds and position as the control reports them.
    int progress_high() const;
    int progress_low() const;
    int progress_position() const;

    // The test's own empty directory, and directories and files below it.
    std::string scratch() const { return scratch_; }
    std::string make_dir(const std::string& name) const;
    static bool dir_exists(const std::string& path);
    static bool file_exists(const std::string& path);
    static bool write_file(const std::string& path, const std::string& content);
    static std::string read_file(const std::string& path);
    static std::string current_directory();
    static void set_install_dir(const std::string& directory);

    // The shell's record of the Start menu's Programs folder, under HKEY_CURRENT_USER.
    static bool set_programs_value(const std::string& folder);
    static bool delete_programs_value();

    // The tests' uninstall record under HKEY_LOCAL_MACHINE.
    static bool write_record_value(const char* name, const std::string& value);
    static bool write_record_bytes(const char* name, const void* data, DWORD size);
    static std::optional<std::string> read_record_value(const char* name);
    static bool record_exists();
    static void delete_record();

private:
    HWND window_ = nullptr;
    std::string scratch_;
    std::string saved_directory_;
    std::optional<std::string> saved_programs_;
};

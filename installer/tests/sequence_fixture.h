// A clean stage for the sequences: the run-wide state under a product name of the tests' own (so
// that its uninstall record is the tests' own too), a hidden main window from the real template,
// a scratch directory, and the shell's Programs value, the current directory and the record put
// back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "scratch_files.h"
#include "texts.h"

inline constexpr const char* SEQUENCE_PRODUCT = "Quillmoor Sequence Test";

std::string current_directory();

class SEQUENCE_FIXTURE : public ::testing::Test {
protected:
    static constexpr const char* PRODUCT = SEQUENCE_PRODUCT;

    void SetUp() override;
    void TearDown() override;

    // A new directory below the test's own empty one.
    std::string make_dir(const std::string& name) const;
    // The shell's record of the Start menu's Programs folder, under HKEY_CURRENT_USER; none
    // deletes it.
    static bool set_programs_value(const std::optional<std::string>& folder);
    // A value of the tests' uninstall record under HKEY_LOCAL_MACHINE: the bytes given, with no
    // terminator added.
    static bool write_record_value(const char* name, const std::string& data);
    static bool record_exists();

    HWND window = nullptr;
    std::string scratch;

private:
    std::string saved_directory_;
    std::optional<std::string> saved_programs_;
};

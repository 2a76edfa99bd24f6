// How the message store and the file layer report: the module each debug line names, and the
// store's files opened, written and closed through the file layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "EBUG.h"
#include "EFILE.h"
#include "MessageInternal.h"
#include "message_files.h"

namespace {

const char develop_log[] = "develop.dbg";

// The develop log's text after the action ran with debug lines on.
std::string lines_of(const std::function<void()>& action) {
    EBUG_set_develop_file(develop_log);
    EBUG_set_output(EBUG_OUTPUT_DEVELOP_FILE);
    EBUG_message_on();
    action();
    EBUG_message_off();
    EBUG_set_output(EBUG_OUTPUT_NONE);
    return read_bytes(develop_log);
}

// Loads the source as an editable file, adds an entry and writes it to the target.
void load_and_write(const char* source, const char* target) {
    std::int32_t handle = MESSAGE_allocate_message_file(source, 1, nullptr);
    MESSAGE_insert_message(handle, "A", to_text("Hello").data());
    MESSAGE_write_message_file(handle, target);
    MESSAGE_deallocate_message_file(handle);
}

}  // namespace

TEST(Reporting, DebugLinesNameTheirModule) {
    ASSERT_EQ(TRUE, MESSAGE_initialise(2));
    const std::string missing = temp_path("missing.msg");
    const std::string unwritable = temp_path("no_folder/out.msg");
    const std::string huge = message_file("huge.msg", "");
    std::filesystem::resize_file(huge, 0x40000000u);  // sparse: past what the reader will hold
    struct line_case { const char* name; std::function<void()> action; std::vector<std::string> expected; };
    const line_case cases[] = {
        {"reader and layer on a missing file",
         [&] { MESSAGE_deallocate_message_file(MESSAGE_allocate_message_file(missing.c_str(), 1, nullptr)); },
         {"[ MESSAGE,", "] Cannot open file or access " + missing, "[   EFILE,",
          "] Failed to open '" + missing + "' ('" + missing + "') in MessageReader.cpp at line "}},
        {"a file and an image too big to hold",
         [&] {
             MESSAGE_deallocate_message_file(MESSAGE_allocate_message_file(huge.c_str(), 1, nullptr));
             MESSAGE_deallocate_message_file(MESSAGE_allocate_message_memory("huge image", "", 0x40000000u, 1, nullptr));
         },
         {"] malloc crash: stat_size = 1073741824", "] FAILED to read file: " + huge, "] FAILED to read file: huge image"}},
        {"writer through the layer", [&] { load_and_write(missing.c_str(), unwritable.c_str()); },
         {"] Failed to open '" + unwritable + "' ('" + unwritable + "') in MessageReader.cpp at line "}},
        {"file tree",
         [] {
             EFILE_initialise(nullptr);
             EFILE_TREE_DETAILS slot{};
             efile_allocate_file_tree(&slot);
             EFILE_deinitialise();
         },
         {"[   EFILE,"}},
#if !defined(_WIN32)
        // /dev/full opens and takes the write, then fails to flush.
        {"failed close of a written file", [] { load_and_write("/dev/null", "/dev/full"); },
         {"[   EFILE,", "] Failed to close file in MessageReader.cpp at line "}},
#endif
    };
    for (const line_case& c : cases) {
        std::string log = lines_of(c.action);
        for (const std::string& expected : c.expected)
            EXPECT_NE(std::string::npos, log.find(expected)) << c.name << ": " << expected << "\n" << log;
        EXPECT_EQ(std::string::npos, log.find(".cpp,")) << c.name << ": a file name in a prefix\n" << log;
    }
    MESSAGE_deinitialise();
}

// The interpreter: ends, stops, skips, progress steps, the shell-folder paths' lifetime, macro
// values inside and after a run, and the progress pump's handling of queued messages.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "INSTALL.h"
#include "Memory.h"
#include "engine_fixture.h"
#include "resource.h"

namespace {

const std::int32_t folder_paths_bytes = 5 * MAX_PATH;  // five shell folders of 260 bytes each

const COPY_LIST_ENTRY make_a = {COPY_OP_CREATE_FOLDER, "<DST>\\a", nullptr};
const COPY_LIST_ENTRY make_b = {COPY_OP_CREATE_FOLDER, "<DST>\\b", nullptr};
const COPY_LIST_ENTRY if_missing = {COPY_OP_IF_EXISTS, "<SRC>\\missing.txt", nullptr};
const COPY_LIST_ENTRY beyond_end = {13, nullptr, nullptr};
const COPY_LIST_ENTRY make_dst = {COPY_OP_CREATE_FOLDER, "<DST>", nullptr};
const std::vector<COPY_LIST_ENTRY> run_tail = {if_missing, make_a, make_b};

std::vector<COPY_LIST_ENTRY> repeated(std::size_t count, const COPY_LIST_ENTRY& entry) {
    return std::vector<COPY_LIST_ENTRY>(count, entry);
}
std::vector<COPY_LIST_ENTRY> operator+(std::vector<COPY_LIST_ENTRY> head, const std::vector<COPY_LIST_ENTRY>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct run_case {
    const char* name;
    std::vector<COPY_LIST_ENTRY> records;
    std::uint8_t install_run;
    BOOL8 completed;
    int steps;
    const char* made;    // the directories below <DST> the run leaves, as "a", "b", "ab" or ""
    std::int32_t held;   // tracked bytes left after the run
};

const run_case run_cases[] = {
    {"end only", {}, 0, TRUE, 0, "", 0},
    {"end only, install run", {}, 1, TRUE, 0, "", 0},
    {"missing file skips", {if_missing, make_a, make_b}, 0, TRUE, 2, "b", 0},
    {"present file runs on", {{COPY_OP_IF_EXISTS, "<SRC>\\here.txt", nullptr}, make_a, make_b}, 0, TRUE, 3, "ab", 0},
    {"a directory does not open", {{COPY_OP_IF_EXISTS, "<SRC>", nullptr}, beyond_end, make_b}, 0, TRUE, 2, "b", 0},
    {"skip never skips the end", {if_missing}, 0, TRUE, 1, "", 0},
    // The skip at index 18 moves on to 19 before the step is decided: that record steps.
    {"install run steps from record 19", repeated(18, make_dst) + run_tail, 1, TRUE, 2, "b", 0},
    {"other runs step every record", repeated(18, make_dst) + run_tail, 0, TRUE, 20, "b", 0},
    // Last: the paths it keeps stay held until the allocator ends.
    {"op above the end stops", {make_a, beyond_end, make_b}, 0, FALSE, 1, "a", folder_paths_bytes},
};

class ProcessList : public EngineTest {};

TEST_F(ProcessList, Runs) {
    make_tree(root, {"\\dst\\", "\\src\\here.txt"});
    for (const run_case& c : run_cases) {
        SCOPED_TRACE(c.name);
        const int before = steps();
        EXPECT_EQ(c.completed, run(c.records, c.install_run));
        EXPECT_EQ(c.steps, steps() - before);
        std::string made;
        for (const char* name : {"a", "b"})
            if (RemoveDirectoryA((dst + "\\" + name).c_str())) made += name;
        EXPECT_EQ(c.made, made);
        EXPECT_EQ(c.held, MEMORY_get_allocated_bytes());
    }
    EXPECT_TRUE(texts.empty());
}

TEST_F(ProcessList, SystemAndFolderMacrosHaveValuesOnlyInsideTheRun) {
    char system_dir[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system_dir, sizeof system_dir), 0u);
    char personal[MAX_PATH] = "sentinel";
    COPYFLST_GET_FOLDER_PATH folder_path = COPYFLST_get_folder_path_function();
    ASSERT_NE(nullptr, folder_path);
    ASSERT_EQ(S_OK, folder_path(nullptr, 0x8005, nullptr, 0, personal));

    EXPECT_EQ(TRUE, run({{COPY_OP_CREATE_DIRECTORY, nullptr, "<WINSYSTEM>"},
                         {COPY_OP_CREATE_DIRECTORY, nullptr, "<CSIDL_PERSONAL>"}}));
    EXPECT_EQ((std::vector<std::string>{system_dir, personal}), texts);

    char* after = COPYFLST_expand_path("<DST>");
    EXPECT_EQ(nullptr, after) << "expanded outside a run to " << after;
    std::free(after);
}

TEST_F(ProcessList, PumpDispatchesUpToTheQuitAndConsumesIt) {
    PostMessageA(GetDlgItem(window, IDC_PROGRESS), PBM_STEPIT, 0, 0);
    PostQuitMessage(0);
    progress_pump("a status");
    EXPECT_EQ(1, steps());  // the queued step ran; a text makes no step of its own
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), local_install_details.message.message);
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ((std::vector<std::string>{"a status"}), texts);

    progress_pump(nullptr);
    EXPECT_EQ(2, steps());
    EXPECT_EQ(1u, texts.size());
}

}  // namespace

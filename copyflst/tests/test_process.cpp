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

class ProcessList : public EngineTest {};

TEST_F(ProcessList, EndOnlyListResolvesFoldersAndReleasesThem) {
    const COPY_LIST_ENTRY end_only[] = {{COPY_OP_END, nullptr, nullptr}};
    EXPECT_EQ(TRUE, run_list(end_only, 1));
    EXPECT_EQ(TRUE, run_list(end_only, 0));
    EXPECT_EQ(0, steps());
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(0, MEMORY_get_allocated_bytes());
}

TEST_F(ProcessList, OpAbove12StopsAfterWhatCameBeforeAndKeepsFolderPaths) {
    EXPECT_EQ(FALSE, run({{COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>"},
                          {13, nullptr, "<DST>\\never"},
                          {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    EXPECT_TRUE(directory_exists(dst));
    EXPECT_FALSE(directory_exists(dst + "\\never"));
    EXPECT_FALSE(directory_exists(dst + "\\after"));
    EXPECT_EQ(1, steps());
    EXPECT_EQ(folder_paths_bytes, MEMORY_get_allocated_bytes());

    // The next run allocates anew over the kept paths, which stay held until the allocator ends.
    EXPECT_EQ(TRUE, run({}));
    EXPECT_EQ(folder_paths_bytes, MEMORY_get_allocated_bytes());
}

TEST_F(ProcessList, SkipNextNeverSkipsTheEndRecord) {
    write_file(src + "\\present.txt", "here");
    EXPECT_EQ(TRUE, run({{COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>"},
                         {COPY_OP_IF_EXISTS, "<SRC>\\missing.txt", nullptr},
                         {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\skipped"},
                         {COPY_OP_IF_EXISTS, "<SRC>\\present.txt", nullptr},
                         {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\kept"},
                         {COPY_OP_IF_EXISTS, "<SRC>", nullptr},  // a directory does not open
                         {13, nullptr, nullptr},                 // skipped, so never looked at
                         {COPY_OP_IF_EXISTS, "<SRC>\\missing.txt", nullptr}}));
    EXPECT_FALSE(directory_exists(dst + "\\skipped"));
    EXPECT_TRUE(directory_exists(dst + "\\kept"));
    EXPECT_EQ(6, steps());  // one per record run; a skipped record has none
    EXPECT_EQ((std::vector<std::string>{dst, dst + "\\kept"}), texts);
}

TEST_F(ProcessList, InstallRunStepsOnlyFromRecordIndex19) {
    std::vector<std::string> paths;
    for (int k = 0; k < 23; ++k) paths.push_back("<DST>\\d" + std::to_string(k));
    std::vector<COPY_LIST_ENTRY> list;
    list.push_back({COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>"});
    for (int k = 1; k < 18; ++k) list.push_back({COPY_OP_CREATE_DIRECTORY, nullptr, paths[k].c_str()});
    // The skip at index 18 moves i to 19 before the step is decided: that record steps.
    list.push_back({COPY_OP_IF_EXISTS, "<SRC>\\missing", nullptr});
    list.push_back({COPY_OP_CREATE_DIRECTORY, nullptr, paths[19].c_str()});
    list.push_back({COPY_OP_CREATE_DIRECTORY, nullptr, paths[20].c_str()});
    list.push_back({COPY_OP_END, nullptr, nullptr});

    EXPECT_EQ(TRUE, run_list(list.data(), 1));
    EXPECT_EQ(2, steps());
    EXPECT_FALSE(directory_exists(dst + "\\d19"));
    EXPECT_TRUE(directory_exists(dst + "\\d20"));

    EXPECT_EQ(TRUE, run_list(list.data(), 0));
    EXPECT_EQ(2 + 20, steps());
}

TEST_F(ProcessList, SystemAndFolderMacrosHaveValuesOnlyInsideTheRun) {
    char system_dir[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system_dir, sizeof system_dir), 0u);
    char personal[MAX_PATH];
    COPYFLST_GET_FOLDER_PATH folder_path = COPYFLST_get_folder_path_function();
    ASSERT_NE(nullptr, folder_path);
    ASSERT_EQ(S_OK, folder_path(nullptr, 0x8005, nullptr, 0, personal));

    EXPECT_EQ(TRUE, run({{COPY_OP_CREATE_DIRECTORY, nullptr, "<WINSYSTEM>"},
                         {COPY_OP_CREATE_DIRECTORY, nullptr, "<CSIDL_PERSONAL>"},
                         {COPY_OP_CREATE_FOLDER, "<DST>", nullptr},
                         {COPY_OP_CREATE_FOLDER, "<DST>\\unshown", nullptr}}));
    EXPECT_EQ((std::vector<std::string>{system_dir, personal}), texts);
    EXPECT_TRUE(directory_exists(dst + "\\unshown"));

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

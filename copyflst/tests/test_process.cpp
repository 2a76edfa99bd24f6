// The interpreter and the records the product's own lists never use: ends, stops, skips, progress
// steps, what each record leaves in <DST> and in the registry (shortcuts as the shell reads them
// back), the folder paths a run keeps and what it does when their memory cannot be had, and the
// progress pump.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "Heap.h"
#include "INSTALL.h"
#include "Memory.h"
#include "copyflst_private.h"
#include "engine_fixture.h"
#include "resource.h"

namespace {

const COPY_LIST_ENTRY make_a = {COPY_OP_CREATE_FOLDER, "<DST>\\a", nullptr};
const COPY_LIST_ENTRY make_b = {COPY_OP_CREATE_FOLDER, "<DST>\\b", nullptr};
const COPY_LIST_ENTRY if_missing = {COPY_OP_IF_EXISTS, "<SRC>\\missing.txt", nullptr};
const COPY_LIST_ENTRY beyond_end = {13, nullptr, nullptr};
const char web_address[] = "http://www.quillmoor.com/";

std::vector<COPY_LIST_ENTRY> eighteen_then_skip() {
    std::vector<COPY_LIST_ENTRY> list(18, {COPY_OP_CREATE_FOLDER, "<DST>", nullptr});
    list.insert(list.end(), {if_missing, make_a, make_b});
    return list;
}

struct record_case {
    const char* name = nullptr;
    std::vector<COPY_LIST_ENTRY> records = {};
    BOOL8 completed = TRUE;
    std::string left = {};  // what is below <DST> after the run, as listing gives it
    std::vector<std::string> boxes = {};
    int steps = -1;                        // not checked when negative
    std::string a_holds = {};              // <DST>\a's content, when given
    int held_paths = 0;                    // folder paths of MAX_PATH bytes the run leaves allocated
    std::vector<const char*> before = {};  // made below <DST> first
    std::uint8_t install_run = 0;
    std::int32_t heap_grants = -1;  // heap requests granted before the rest fail
    std::vector<BOX_ANSWER> answers = {};  // for the boxes in turn; any other box gets No or OK
    // Keys under HKEY_CLASSES_ROOT and their default values; "(none)" for a key that must be missing.
    std::vector<std::pair<std::string, std::string>> keys = {};
    // <DST>\a.lnk as the shell reads it back, when given: see link_properties.
    std::string link = {};
};

// A shortcut's working directory, description and arguments, then its target, joined by "|"; the
// target only when asked for (a web address becomes whatever the system makes of it as a path).
std::string link_properties(const std::string& path, bool with_target) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    std::string properties = "(no link)";
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
        char directory[MAX_PATH] = "?", description[MAX_PATH] = "?", arguments[MAX_PATH] = "?", target[MAX_PATH] = "?";
        link->GetWorkingDirectory(directory, MAX_PATH);
        link->GetDescription(description, MAX_PATH);
        link->GetArguments(arguments, MAX_PATH);
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        properties = std::string(directory) + "|" + description + "|" + arguments;
        if (with_target) properties += std::string("|") + target;
    }
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    return properties;
}

std::string class_value(const std::string& key) {
    char value[1024];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "(none)";
    return value;
}

void delete_class_keys(const std::vector<std::pair<std::string, std::string>>& keys) {
    for (const auto& key : keys) RegDeleteTreeA(HKEY_CLASSES_ROOT, key.first.substr(0, key.first.find('\\')).c_str());
}

class ProcessList : public EngineTest {};

// A stopped run keeps its folder paths.
TEST_F(ProcessList, Records) {
    char system_dir[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system_dir, sizeof system_dir), 0u);
    const std::string program = dst + "\\q.exe", too_long = "<DST>\\" + std::string(505, 'x');
    const std::string too_long_association = ".qmx:QmTest.Long:" + std::string(COPYFLST_PATH_SIZE, 'd');
    const std::string memory_box = "Error|Failed to allcoate memory for path|O";
    const std::string open_box = error_box(TEXT_UNABLETOOPEN);
    const std::string tree_question = TEXT_QUESTION "|" TEXT_DELDIR " :" + dst + "\\t|YN";
    make_tree(src, {"\\here.txt"});
    const record_case cases[] = {
        {.name = "end only", .steps = 0},
        {.name = "missing file skips", .records = {if_missing, make_a, make_b}, .left = "b\\", .steps = 2},
        {.name = "present file runs on", .records = {{COPY_OP_IF_EXISTS, "<SRC>\\here.txt", nullptr}, make_a, make_b},
         .left = "a\\ b\\", .steps = 3},
        {.name = "a directory does not open", .records = {{COPY_OP_IF_EXISTS, "<SRC>", nullptr}, beyond_end, make_b},
         .left = "b\\"},
        {.name = "skip never skips the end", .records = {if_missing}, .steps = 1},
        // The skip at index 18 moves on to 19 before the step is decided: that record steps.
        {.name = "install run steps from record 19", .records = eighteen_then_skip(), .left = "b\\", .steps = 2,
         .install_run = 1},
        {.name = "other runs step every record", .records = eighteen_then_skip(), .left = "b\\", .steps = 20},
        // The run goes on past the refused folder path, to a path it cannot expand.
        {.name = "folder paths without memory from the fifth",
         .records = {{COPY_OP_WRITE_PATH_FILE, "<DST>\\a", "<CSIDL_PERSONAL>"}},
         .completed = FALSE, .boxes = {memory_box, open_box}, .held_paths = 4, .heap_grants = 4},
        {.name = "tree removal after a Yes", .records = {{COPY_OP_DELETE_TREE, nullptr, "<DST>\\t"}},
         .boxes = {tree_question}, .before = {"\\t\\", "\\t\\x", "\\t\\s\\", "\\t\\s\\y"}, .answers = {IDYES}},
        {.name = "tree removal without memory for its folder list deletes only the files",
         .records = {{COPY_OP_DELETE_TREE, nullptr, "<DST>\\t"}}, .left = "t\\ t\\s\\", .boxes = {tree_question},
         .before = {"\\t\\", "\\t\\x", "\\t\\s\\", "\\t\\s\\y"}, .heap_grants = 6, .answers = {IDYES}},
        {.name = "op above the end stops", .records = {make_a, beyond_end, make_b}, .completed = FALSE,
         .left = "a\\", .steps = 1, .held_paths = 5},
        // A path that cannot be expanded is named as written in the box.
        {.name = "tree copy from no directory goes on", .records = {{COPY_OP_COPY_TREE, nullptr, "<DST>"}, make_b},
         .left = "b\\", .boxes = {error_box(TEXT_UNABLETOOPEN " ")}},
        {.name = "copy to a refused path stops", .records = {{COPY_OP_COPY_FILES, "<SRC>", too_long.c_str()}, make_b},
         .completed = FALSE, .boxes = {error_box(TEXT_UNABLETOOPEN " " + too_long)}, .held_paths = 5},
        {.name = "copy from a refused path stops", .records = {{COPY_OP_COPY_FILES, too_long.c_str(), "<DST>"}, make_b},
         .completed = FALSE, .boxes = {error_box(TEXT_UNABLETOOPEN " " + too_long)}, .held_paths = 5},
        {.name = "copy without memory for its block stops", .records = {{COPY_OP_COPY_FILES, "<SRC>", "<DST>"}, make_b},
         .completed = FALSE, .left = "here.txt", .boxes = {error_box(TEXT_UNABLETOWRITE ", " + dst + "\\here.txt\n")},
         .held_paths = 5, .heap_grants = 7},
        {.name = "missing directory copies nothing", .records = {{COPY_OP_COPY_FILES, "<SRC>\\none", "<DST>"}, make_b},
         .left = "b\\"},
        {.name = "file copies into a directory or onto a name",
         .records = {{COPY_OP_COPY_FILE, "<SRC>\\here.txt", "<DST>\\a"},
                     {COPY_OP_COPY_FILE, "<SRC>\\here.txt", "<DST>\\b"},
                     {COPY_OP_COPY_FILE, "<SRC>\\none", "<DST>\\a"}},
         .left = "a\\ a\\here.txt b", .before = {"\\a\\"}},
        {.name = "a directory as the file to copy stops", .records = {{COPY_OP_COPY_FILE, "<SRC>", "<DST>\\a"}, make_b},
         .completed = FALSE, .held_paths = 5},
        {.name = "system directory", .records = {{COPY_OP_WRITE_PATH_FILE, "<DST>\\a", "<WINSYSTEM>"}}, .left = "a",
         .a_holds = system_dir + std::string("\\")},
        {.name = "path file that cannot be made stops",
         .records = {{COPY_OP_WRITE_PATH_FILE, "<DST>\\no\\a", "<DST>"}, make_b}, .completed = FALSE,
         .boxes = {open_box}, .held_paths = 5},
        {.name = "internet shortcut", .records = {{COPY_OP_INTERNET_SHORTCUT, "<DST>\\a", web_address}}, .left = "a",
         .a_holds = "[InternetShortcut]\r\nURL =" + std::string(web_address) + "\r\n"},
        {.name = "web link to a refused path goes on",
         .records = {{COPY_OP_INTERNET_SHORTCUT, "<DST>\\a", too_long.c_str()}, make_b}, .left = "b\\",
         .boxes = {error_box(TEXT_FAILEDURL)}},
        // The working directory is the target's folder; a target without a backslash has none.
        {.name = "shortcut to a file", .records = {{COPY_OP_FILE_SHORTCUT, "<DST>\\a.lnk", "<DST>\\s\\q.exe"}},
         .left = "a.lnk", .link = dst + "\\s|file shortcut||" + dst + "\\s\\q.exe"},
        {.name = "shortcut to a web address", .records = {{COPY_OP_FILE_SHORTCUT, "<DST>\\a.lnk", web_address}},
         .left = "a.lnk", .link = "|file shortcut|"},
        // Nowhere to save it, as with a link whose save fails: nothing is said.
        {.name = "shortcut to a refused path is skipped",
         .records = {{COPY_OP_FILE_SHORTCUT, "<DST>\\a.lnk", too_long.c_str()}, make_b}, .left = "b\\"},
        {.name = "shortcut without memory for its path stops",
         .records = {{COPY_OP_FILE_SHORTCUT, "<DST>\\a.lnk", "<DST>\\q.exe"}, make_b}, .completed = FALSE,
         .boxes = {error_box(TEXT_FAILEDLINK)}, .held_paths = 5, .heap_grants = 5},
        {.name = "pattern deletes files at every depth, never a directory",
         .records = {{COPY_OP_DELETE_FILES, "<DST>", "*.tmp"}}, .left = "keep.txt s\\ s\\d\\ s\\k.tmp\\",
         .before = {"\\x.tmp", "\\keep.txt", "\\s\\", "\\s\\y.tmp", "\\s\\d\\", "\\s\\d\\z.tmp", "\\s\\k.tmp\\",
                    "\\s\\k.tmp\\w.tmp"}},
        // b holds extension, program id and description, joined by colons.
        {.name = "association of three fields",
         .records = {{COPY_OP_FILE_ASSOCIATION, "<DST>\\q.exe", ".qmt:QmTest.Save:Saved game"}},
         .keys = {{".qmt", "QmTest.Save"}, {"QmTest.Save", "Saved game"}, {"QmTest.Save\\DefaultIcon", program + ",0"},
                  {"QmTest.Save\\shell", "Saved game"}, {"QmTest.Save\\shell\\open", "Saved game"},
                  {"QmTest.Save\\shell\\open\\command", "\"" + program + " \" %1"}}},
        {.name = "association of the first four characters, colon and all",
         .records = {{COPY_OP_FILE_ASSOCIATION, "<DST>\\q.exe", ".qa:QmTest.Two:Two"}},
         .keys = {{".qa:", "QmTest.Two"}, {"QmTest.Two", "Two"}}},
        {.name = "association with colons in a row",
         .records = {{COPY_OP_FILE_ASSOCIATION, "<DST>\\q.exe", ".qmu::QmTest.Rows:::Rows"}},
         .keys = {{".qmu", "QmTest.Rows"}, {"QmTest.Rows\\shell\\open", "Rows"}}},
        {.name = "association without a description stops",
         .records = {{COPY_OP_FILE_ASSOCIATION, "<DST>\\q.exe", ".qmv:QmTest.Half"}}, .completed = FALSE,
         .held_paths = 5, .keys = {{".qmv", "(none)"}, {"QmTest.Half", "(none)"}}},
        {.name = "association with a description too long for its field stops",
         .records = {{COPY_OP_FILE_ASSOCIATION, "<DST>\\q.exe", too_long_association.c_str()}}, .completed = FALSE,
         .held_paths = 5, .keys = {{".qmx", "(none)"}}},
        {.name = "association without a program id stops",
         .records = {{COPY_OP_FILE_ASSOCIATION, "<DST>\\q.exe", ".qmw"}},
         .completed = FALSE, .held_paths = 5, .keys = {{".qmw", "(none)"}}},
    };
    for (const record_case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_directory(dst);
        make_tree(dst, c.before);
        const int before = steps();
        const std::int32_t held = MEMORY_get_allocated_bytes();
        delete_class_keys(c.keys);
        boxes.queue(c.answers);
        HEAP_fail_after(c.heap_grants);
        EXPECT_EQ(c.completed, run(c.records, c.install_run));
        HEAP_fail_after(-1);
        EXPECT_EQ(c.steps, c.steps < 0 ? c.steps : steps() - before);
        EXPECT_EQ(c.left, listing(dst));
        EXPECT_EQ(c.boxes, shown_boxes());
        EXPECT_EQ(c.a_holds, c.a_holds.empty() ? "" : read_file(dst + "\\a"));
        EXPECT_EQ(c.held_paths * MAX_PATH, MEMORY_get_allocated_bytes() - held);
        for (const auto& [key, value] : c.keys) EXPECT_EQ(value, class_value(key)) << key;
        if (!c.link.empty()) {
            EXPECT_EQ(c.link, link_properties(dst + "\\a.lnk", c.link.back() != '|'));
        }
        delete_class_keys(c.keys);
    }
    char* after = COPYFLST_expand_path("<DST>");
    EXPECT_EQ(nullptr, after) << "expanded outside a run to " << after;
    std::free(after);
}

// A close request during a run does not end the program.
TEST_F(ProcessList, PumpDispatchesUpToTheQuitAndConsumesIt) {
    PostMessageA(GetDlgItem(window, IDC_PROGRESS), PBM_STEPIT, 0, 0);
    PostQuitMessage(0);
    progress_pump("a status");
    EXPECT_EQ(1, steps());  // the queued step ran; a text makes no step of its own
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), local_install_details.message.message);
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    progress_pump(nullptr);
    EXPECT_EQ(2, steps());
    EXPECT_EQ((std::vector<std::string>{"a status"}), texts);
}

}  // namespace

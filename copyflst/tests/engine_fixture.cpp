// The engine tests' scratch tree and main window.
#include "engine_fixture.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "INSTALL.h"
#include "Memory.h"
#include "resource.h"

namespace {

const int progress_step = 10;    // the bar's default step, which the engine never changes
EngineTest* current_test = nullptr;
WNDPROC label_default = nullptr;  // the static control's own procedure

LRESULT CALLBACK record_label(HWND label, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETTEXT && current_test != nullptr) current_test->note_text(reinterpret_cast<const char*>(lparam));
    return CallWindowProcA(label_default, label, message, wparam, lparam);
}

// Read-only marks first, or the removal stops at them.
void remove_tree(const std::string& path) {
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(path, error), end; !error && it != end; it.increment(error))
        SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path, error);
}

}  // namespace

bool file_exists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool directory_exists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string file_content(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    EXPECT_TRUE(static_cast<bool>(file << content)) << path;
}

void make_tree(const std::string& base, std::initializer_list<const char*> entries) {
    for (std::string entry : entries) {
        if (entry.back() == '\\')
            EXPECT_TRUE(CreateDirectoryA((base + entry).c_str(), nullptr)) << base + entry;
        else
            write_file(base + entry, entry);
    }
}

::testing::AssertionResult file_has_content(const std::string& path, const std::string& content) {
    if (!file_exists(path)) return ::testing::AssertionFailure() << path << " does not exist";
    const std::string found = file_content(path);
    if (found == content) return ::testing::AssertionSuccess();
    const auto differ = std::mismatch(found.begin(), found.end(), content.begin(), content.end()).first - found.begin();
    return ::testing::AssertionFailure() << path << " holds " << found.size() << " bytes, first difference at "
                                         << differ;
}

std::string binary_content(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 7 + i / 251 + size) & 0xFF);
    const char specials[] = "\r\n\x1A\0\n\r";
    for (std::size_t i = 0; i < sizeof specials - 1 && i < size; ++i) content[i] = specials[i];
    return content;
}

void EngineTest::SetUp() {
    ASSERT_EQ(TRUE, MEMORY_initialise());
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    local_install_details = {};
    local_install_details.instance = GetModuleHandleA(nullptr);
    window = CreateWindowExA(0, "STATIC", "engine test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr,
                             nullptr, nullptr);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 200, 10, window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PROGRESS)), nullptr, nullptr);
    HWND label = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 20, 200, 10, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SECOND_STATUS)), nullptr, nullptr);
    ASSERT_TRUE(window != nullptr && bar != nullptr && label != nullptr);
    SendMessageA(bar, PBM_SETRANGE32, 0, 100000);
    label_default = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record_label)));
    local_install_details.main_window = window;
    current_test = this;

    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    root = std::string(temp) + "quill-copyflst-" + std::to_string(GetCurrentProcessId());
    remove_tree(root);
    src = root + "\\src";
    dst = root + "\\dst";
    menu = root + "\\menu";
    make_tree(root, {"\\", "\\src\\"});
}

void EngineTest::TearDown() {
    for (const std::string& box : shown_boxes()) ADD_FAILURE() << "unexpected box " << box;
    if (window != nullptr) DestroyWindow(window);
    current_test = nullptr;
    local_install_details = {};
    remove_tree(root);
    CoUninitialize();
    MEMORY_deinitialise();
}

void EngineTest::note_text(const std::string& text) {
    texts.push_back(text);
    if (on_text) on_text(text);
}

BOOL8 EngineTest::run(const std::vector<COPY_LIST_ENTRY>& records, std::uint8_t install_run) {
    std::vector<COPY_LIST_ENTRY> list(records);
    // The end, then a record that fails a run reading past it.
    list.insert(list.end(), {{COPY_OP_END, nullptr, nullptr}, {13, nullptr, nullptr}, {COPY_OP_END, nullptr, nullptr}});
    return COPYFLST_process_list(list.data(), src.c_str(), dst.c_str(), menu.c_str(), install_run);
}

BOOL8 EngineTest::run_on_new_thread(const std::vector<COPY_LIST_ENTRY>& records) {
    BOOL8 result = FALSE;
    std::atomic<bool> done{false};
    std::thread runner([&] {
        result = run(records);
        done = true;
    });
    for (MSG message; !done; MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT))
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    runner.join();
    return result;
}

int EngineTest::steps() const {
    return static_cast<int>(SendDlgItemMessageA(window, IDC_PROGRESS, PBM_GETPOS, 0, 0)) / progress_step;
}

std::vector<std::string> EngineTest::shown_boxes() {
    std::vector<std::string> shown;
    for (const SEEN_BOX& box : boxes.take()) shown.push_back(box.caption + "|" + box.text + "|" + box.buttons);
    return shown;
}

std::string error_box(const std::string& text) { return TEXT_ERROR "|" + text + "|O"; }

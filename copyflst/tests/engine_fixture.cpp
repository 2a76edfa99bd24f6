// The engine tests' scratch tree and main window.
#include "engine_fixture.h"

#include <commctrl.h>
#include <objbase.h>

#include <filesystem>

#include "INSTALL.h"
#include "Memory.h"
#include "resource.h"

namespace fs = std::filesystem;

namespace {

EngineTest* current_test = nullptr;
WNDPROC label_default = nullptr;

LRESULT CALLBACK record_label(HWND label, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETTEXT && current_test != nullptr) {
        current_test->texts.push_back(reinterpret_cast<const char*>(lparam));
        if (current_test->on_text) current_test->on_text(current_test->texts.back());
    }
    return CallWindowProcA(label_default, label, message, wparam, lparam);
}

HWND make_child(const char* type, HWND parent, int id) {
    return CreateWindowExA(0, type, "", WS_CHILD, 0, 0, 200, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

void make_tree(const std::string& base, const std::vector<const char*>& entries) {
    for (std::string entry : entries) {
        if (entry.back() != '\\') EXPECT_TRUE(write_file(base + entry, entry)) << base + entry;
        else EXPECT_TRUE(CreateDirectoryA((base + entry).c_str(), nullptr)) << base + entry;
    }
}

void fresh_directory(const std::string& path) {
    remove_tree(path);
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

void EngineTest::SetUp() {
    ASSERT_EQ(TRUE, MEMORY_initialise());
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    local_install_details = {};
    window = CreateWindowExA(0, "STATIC", "engine test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr,
                             nullptr, nullptr);
    HWND bar = make_child(PROGRESS_CLASSA, window, IDC_PROGRESS);
    HWND label = make_child("STATIC", window, IDC_SECOND_STATUS);
    ASSERT_TRUE(window != nullptr && bar != nullptr && label != nullptr);
    SendMessageA(bar, PBM_SETRANGE32, 0, 100000);
    label_default = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record_label)));
    local_install_details.instance = GetModuleHandleA(nullptr);
    local_install_details.main_window = window;
    current_test = this;

    root = (fs::temp_directory_path() / "quill-copyflst-").string() + std::to_string(GetCurrentProcessId());
    fresh_directory(root);
    src = root + "\\src", dst = root + "\\dst", menu = root + "\\menu";
    make_tree(root, {"\\src\\", "\\dst\\"});
}

void EngineTest::TearDown() {
    run({});  // gives back the folder paths a stopped run kept, for the tests that follow
    for (const std::string& box : shown_boxes()) ADD_FAILURE() << "unexpected box " << box;
    if (window != nullptr) DestroyWindow(window);
    current_test = nullptr;
    local_install_details = {};
    fresh_directory(root);
    RemoveDirectoryA(root.c_str());
    CoUninitialize();
    MEMORY_deinitialise();
}

BOOL8 EngineTest::run(const std::vector<COPY_LIST_ENTRY>& records, std::uint8_t install_run) {
    std::vector<COPY_LIST_ENTRY> list(records);
    // The end, then a record that fails a run reading past it.
    list.insert(list.end(), {{COPY_OP_END, nullptr, nullptr}, {13, nullptr, nullptr}, {COPY_OP_END, nullptr, nullptr}});
    return COPYFLST_process_list(list.data(), src.c_str(), dst.c_str(), menu.c_str(), install_run);
}

// Each step moves the bar by its default, which the engine never changes.
int EngineTest::steps() const {
    return static_cast<int>(SendDlgItemMessageA(window, IDC_PROGRESS, PBM_GETPOS, 0, 0)) / 10;
}

std::vector<std::string> EngineTest::shown_boxes() {
    std::vector<std::string> shown;
    for (const SEEN_BOX& box : boxes.take()) shown.push_back(box.caption + "|" + box.text + "|" + box.buttons);
    return shown;
}

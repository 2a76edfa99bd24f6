// Drives setup.exe through a compact install or a removal the way a user does, and times the
// other Windows-side contenders of the install benchmark. One job per start:
//
//   install_driver install SETUP_EXE DISC_DIR DEST   time from the compact button to "Install Complete!"
//   install_driver remove SETUP_EXE DISC_DIR TREE    time the deletion of TREE by the program's removal
//   install_driver commands LIST_FILE                time each command line of a file, net of a process start
//   install_driver empty                             does nothing: the process start that "commands" nets out
//
// Each prints "NAME VALUE" lines for scripts/bench install to collect. While an install runs a
// second thread sends WM_NULL to the main window every few milliseconds and keeps the longest
// round trip: the longest the window went without answering.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char window_title[] = "Install v1.0047";
const char uninstall_key[] = "software\\microsoft\\windows\\CURRENTVERSION\\UNINSTALL\\Quillmoor Internet Demo";
// Controls of the main window (resources/resource.h).
const int install_button = 1002;  // install on the menu, compact on the type screen, remove when installed
const int directory_edit = 1011;
const int directory_ok = 1;
const DWORD wait_ms = 120000;

double now_ms() {
    static const double ticks_per_ms = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticks_per_ms;
}

struct window_search {
    DWORD process_id;
    HWND skip;        // the main window, when looking for a box
    const char* title;  // null: any visible dialog of the process but skip
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<window_search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || window == search->skip || !IsWindowVisible(window)) return TRUE;
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") != 0) return TRUE;
    if (search->title != nullptr) {
        char title[128] = "";
        GetWindowTextA(window, title, sizeof title);
        if (std::strcmp(title, search->title) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

// Polls about once a millisecond; null when the process ended or the time ran out.
HWND wait_window(HANDLE process, DWORD process_id, HWND skip, const char* title) {
    const double deadline = now_ms() + wait_ms;
    while (now_ms() < deadline) {
        window_search search{process_id, skip, title, nullptr};
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

// A message box's text: its static control (id 0xFFFF).
void box_text(HWND box, char* text, int size) {
    text[0] = '\0';
    GetDlgItemTextA(box, 0xFFFF, text, size);
}

void press(HWND window, int id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// Waits until the box is gone, so that the next search cannot find it again.
void answer(HWND box, int id) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    const double deadline = now_ms() + 10000.0;
    while (IsWindow(box) && IsWindowVisible(box) && now_ms() < deadline) Sleep(1);
}

class setup_process {
public:
    bool start(const char* setup_exe, const char* disc_dir) {
        char command[MAX_PATH + 4];
        std::snprintf(command, sizeof command, "\"%s\"", setup_exe);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(setup_exe, command, nullptr, nullptr, FALSE, 0, nullptr, disc_dir, &startup, &info_)) {
            std::fprintf(stderr, "cannot start %s (error %lu)\n", setup_exe, GetLastError());
            return false;
        }
        main_ = wait_window(info_.hProcess, info_.dwProcessId, nullptr, window_title);
        if (main_ == nullptr) std::fprintf(stderr, "setup.exe never showed its window\n");
        return main_ != nullptr;
    }
    ~setup_process() {
        if (info_.hProcess == nullptr) return;
        if (main_ != nullptr && IsWindow(main_)) PostMessageA(main_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(info_.hProcess, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    setup_process() = default;
    setup_process(const setup_process&) = delete;
    setup_process& operator=(const setup_process&) = delete;

    HWND main() const { return main_; }
    // The next message box, with its text; null when none came.
    HWND next_box(char* text, int size) {
        HWND box = wait_window(info_.hProcess, info_.dwProcessId, main_, nullptr);
        if (box != nullptr) box_text(box, text, size);
        return box;
    }
    // Waits until the given control is visible and enabled, and the other one (if any) hidden:
    // the screen they tell apart is up.
    bool wait_control(int id, int hidden = 0) {
        const double deadline = now_ms() + wait_ms;
        while (now_ms() < deadline) {
            HWND control = GetDlgItem(main_, id);
            const bool shown = control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control);
            if (shown && (hidden == 0 || !IsWindowVisible(GetDlgItem(main_, hidden)))) return true;
            Sleep(1);
        }
        return false;
    }

private:
    PROCESS_INFORMATION info_{};
    HWND main_ = nullptr;
};

// Round trips of WM_NULL to the window from a thread of its own; the longest is the stall.
class stall_sampler {
public:
    explicit stall_sampler(HWND window) : window_(window) {
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    }
    ~stall_sampler() { stop(); }
    stall_sampler(const stall_sampler&) = delete;
    stall_sampler& operator=(const stall_sampler&) = delete;
    void stop() {
        if (thread_ == nullptr) return;
        running_ = false;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    double longest_ms() const { return longest_; }
    // When the longest round trip began, on now_ms's clock.
    double longest_at_ms() const { return longest_at_; }
    int samples() const { return samples_; }

private:
    static DWORD WINAPI run(void* parameter) {
        auto* self = static_cast<stall_sampler*>(parameter);
        while (self->running_) {
            DWORD_PTR result = 0;
            const double sent = now_ms();
            SendMessageTimeoutA(self->window_, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
            const double took = now_ms() - sent;
            if (took > self->longest_) {
                self->longest_ = took;
                self->longest_at_ = sent;
            }
            ++self->samples_;
            Sleep(2);
        }
        return 0;
    }

    HWND window_;
    HANDLE thread_ = nullptr;
    std::atomic<bool> running_{true};
    double longest_ = 0.0;
    double longest_at_ = 0.0;
    int samples_ = 0;
};

void delete_uninstall_record() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstall_key);
}

bool write_target_dir(const char* tree) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, uninstall_key, &key) != ERROR_SUCCESS) return false;
    const LONG result = RegSetValueExA(key, "TargetDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(tree),
                                       static_cast<DWORD>(std::strlen(tree) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int run_install(const char* setup_exe, const char* disc_dir, const char* destination) {
    // With a record the program starts at the installed menu, which offers no install.
    delete_uninstall_record();
    setup_process setup;
    if (!setup.start(setup_exe, disc_dir)) return 1;
    HWND main = setup.main();
    press(main, install_button);
    if (!setup.wait_control(directory_edit)) {
        std::fprintf(stderr, "no install-directory screen\n");
        return 1;
    }
    // Typed as a user would, so that the box's notifications hand each change to the program; the
    // Ok posted after the keys is taken after them.
    HWND edit = GetDlgItem(main, directory_edit);
    PostMessageA(edit, EM_SETSEL, 0, -1);
    PostMessageA(edit, WM_CHAR, '\b', 1);
    for (const char* c = destination; *c != '\0'; ++c) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 1);
    press(main, directory_ok);
    // The type screen hides the edit box and shows the compact button.
    if (!setup.wait_control(install_button, directory_edit)) {
        std::fprintf(stderr, "no install-type screen for %s\n", destination);
        return 1;
    }
    stall_sampler sampler(main);
    Sleep(20);
    const double pressed = now_ms();
    press(main, install_button);
    char text[512];
    HWND box = setup.next_box(text, sizeof text);
    const double done = now_ms();
    sampler.stop();
    if (box == nullptr) {
        std::fprintf(stderr, "no box after the install\n");
        return 1;
    }
    if (std::strcmp(text, "Install Complete!") != 0) {
        std::fprintf(stderr, "the install ended with \"%s\"\n", text);
        answer(box, IDOK);
        return 1;
    }
    answer(box, IDOK);
    // Where in the install the longest stall began tells a slow start (shell folders), a large
    // file and the shortcuts at the end apart.
    std::printf("install_ms %.1f\nmax_stall_ms %.1f\nmax_stall_at_ms %.1f\nstall_samples %d\n", done - pressed,
                sampler.longest_ms(), sampler.longest_at_ms() - pressed, sampler.samples());
    return 0;
}

int run_remove(const char* setup_exe, const char* disc_dir, const char* tree) {
    if (!write_target_dir(tree)) {
        std::fprintf(stderr, "cannot write the uninstall record\n");
        return 1;
    }
    setup_process setup;
    if (!setup.start(setup_exe, disc_dir)) return 1;
    HWND main = setup.main();
    if (!setup.wait_control(install_button)) return 1;
    const double pressed = now_ms();
    press(main, install_button);
    char text[512];
    double deletion_ms = -1.0;
    double deletion_started = 0.0;
    // "Are you sure?", then a question per folder, then "Uninstall complete".
    for (int boxes = 0; boxes < 6; ++boxes) {
        HWND box = setup.next_box(text, sizeof text);
        const double shown = now_ms();
        if (box == nullptr) {
            std::fprintf(stderr, "the removal showed no further box\n");
            return 1;
        }
        if (deletion_started > 0.0 && deletion_ms < 0.0) deletion_ms = shown - deletion_started;
        if (std::strcmp(text, "Uninstall complete") == 0) {
            answer(box, IDOK);
            std::printf("remove_ms %.1f\nremove_whole_ms %.1f\n", deletion_ms, shown - pressed);
            return deletion_ms >= 0.0 ? 0 : 1;
        }
        // The install folder's question: its Yes starts the deletion that is timed.
        const bool install_folder = std::strstr(text, tree) != nullptr && deletion_started == 0.0;
        answer(box, IDYES);
        if (install_folder) deletion_started = now_ms();
    }
    std::fprintf(stderr, "too many boxes during the removal\n");
    return 1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Milliseconds from CreateProcess to the process's end; negative when it could not start. The
// command's output goes nowhere, so that no contender pays for a console.
double time_process(char* command) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE nowhere = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                 OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nowhere;
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION info{};
    const double started = now_ms();
    const BOOL created = CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
    if (!created) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", command, GetLastError());
        return -1.0;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    const double took = now_ms() - started;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return took;
}

// Every line of the file is one command; the sum of their times less one empty process start
// each (the median of several, taken around them) is what the commands themselves took.
int run_commands(const char* list_file) {
    std::FILE* list = std::fopen(list_file, "r");
    if (list == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", list_file);
        return 1;
    }
    std::vector<std::vector<char>> commands;
    char line[2048];
    while (std::fgets(line, sizeof line, list) != nullptr) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0] != '\0') commands.emplace_back(line, line + std::strlen(line) + 1);
    }
    std::fclose(list);

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    char empty[MAX_PATH + 16];
    std::snprintf(empty, sizeof empty, "\"%s\" empty", self);
    std::vector<double> empties;
    for (int i = 0; i < 3; ++i) empties.push_back(time_process(empty));
    double total = 0.0;
    for (std::vector<char>& command : commands) {
        const double took = time_process(command.data());
        if (took < 0) return 1;
        total += took;
    }
    for (int i = 0; i < 3; ++i) empties.push_back(time_process(empty));
    const double start_cost = median(empties);
    std::printf("commands %d\ncommands_ms %.1f\nempty_start_ms %.1f\nnet_ms %.1f\n", static_cast<int>(commands.size()),
                total, start_cost, total - start_cost * static_cast<double>(commands.size()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "empty") == 0) return 0;
    if (argc == 5 && std::strcmp(argv[1], "install") == 0) return run_install(argv[2], argv[3], argv[4]);
    if (argc == 5 && std::strcmp(argv[1], "remove") == 0) return run_remove(argv[2], argv[3], argv[4]);
    if (argc == 3 && std::strcmp(argv[1], "commands") == 0) return run_commands(argv[2]);
    std::fprintf(stderr,
                 "usage: install_driver install SETUP_EXE DISC_DIR DEST | remove SETUP_EXE DISC_DIR TREE |"
                 " commands LIST_FILE | empty\n");
    return 2;
}

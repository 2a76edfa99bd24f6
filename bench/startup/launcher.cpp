// Measures how long setup.exe takes from its start to a visible main window, against a minimal
// dialog program started the same way: N runs of each, alternating, after one warm-up run each.
// Every run starts the program, polls about once a millisecond for its visible window, then
// closes it and waits for it to end. Prints the runs, a table and the median ratio.
//
//   startup_launcher RUNS SETUP_EXE SETUP_DIRECTORY MINIMAL_EXE
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Program {
    const char* name;
    const char* path;
    const char* directory;
    const char* title;
    std::vector<double> times;
};

struct Search {
    DWORD process_id;
    const char* title;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window)) return TRUE;
    char title[128] = "";
    GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(title, search->title) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

double seconds_now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start: milliseconds to the visible window, or a negative value when it never came.
double time_start(const Program& program) {
    char command[MAX_PATH + 4];
    std::snprintf(command, sizeof command, "\"%s\"", program.path);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double started = seconds_now();
    if (!CreateProcessA(program.path, command, nullptr, nullptr, FALSE, 0, nullptr, program.directory, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", program.path, GetLastError());
        return -1.0;
    }
    Search search{process.dwProcessId, program.title, nullptr};
    double elapsed = -1.0;
    while (seconds_now() - started < 30.0) {
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            elapsed = (seconds_now() - started) * 1000.0;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (search.found != nullptr) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: startup_launcher RUNS SETUP_EXE SETUP_DIRECTORY MINIMAL_EXE\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    if (runs < 1 || runs > 1000) {
        std::fprintf(stderr, "RUNS must be 1 to 1000\n");
        return 2;
    }
    Program setup{"setup.exe", argv[2], argv[3], "Install v1.0047", {}};
    Program minimal{"minimal dialog", argv[4], argv[3], "Startup Minimal Dialog", {}};

    // The first start of each pays for loading what later starts find cached.
    if (time_start(setup) < 0 || time_start(minimal) < 0) {
        std::fprintf(stderr, "a program never showed its window\n");
        return 1;
    }
    for (int run = 0; run < runs; ++run) {
        Program* order[2] = {&setup, &minimal};
        if (run % 2) std::swap(order[0], order[1]);
        for (Program* program : order) {
            const double ms = time_start(*program);
            if (ms < 0) {
                std::fprintf(stderr, "%s never showed its window\n", program->name);
                return 1;
            }
            program->times.push_back(ms);
            std::printf("run %2d  %-15s %8.1f ms\n", run + 1, program->name, ms);
        }
    }

    std::printf("\n%-15s %6s %10s %10s %10s\n", "program", "runs", "median ms", "min ms", "max ms");
    for (const Program* program : {&setup, &minimal}) {
        const auto [low, high] = std::minmax_element(program->times.begin(), program->times.end());
        std::printf("%-15s %6d %10.1f %10.1f %10.1f\n", program->name, static_cast<int>(program->times.size()),
                    median(program->times), *low, *high);
    }
    std::printf("\nratio startup_vs_minimal_dialog %.3f\n", median(setup.times) / median(minimal.times));
    return 0;
}

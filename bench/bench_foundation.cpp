// Foundation benchmark: tracked allocation against the plain heap, and the pointer stack.
// Prints a table and one "ratio" or "figure" line per headline number.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "Estack.h"
#include "Memory.h"

namespace {

const int max_live = 32;      // the most blocks held at once
const int pairs_per_timing = 600000;
const int repeats = 9;         // timings; the fastest counts

volatile unsigned char sink;

// Called through volatile pointers so that the compiler cannot pair up and remove the plain calls.
void* (*volatile plain_malloc)(std::size_t) = std::malloc;
void (*volatile plain_free)(void*) = std::free;

double now_ns() {
    return static_cast<double>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

// Nanoseconds per allocate+free pair, fastest of the repeats. `live` blocks are taken, touched
// and given back per batch: 1 is a plain pair, more is a caller holding a few buffers at once.
template <typename Batch>
double time_pairs(int live, Batch batch) {
    const int batches = pairs_per_timing / live;
    double best = 1e300;
    for (int r = 0; r < repeats; ++r) {
        double start = now_ns();
        for (int i = 0; i < batches; ++i) batch(live);
        double per_pair = (now_ns() - start) / (static_cast<double>(batches) * live);
        if (per_pair < best) best = per_pair;
    }
    return best;
}

double time_malloc(int size, int live) {
    return time_pairs(live, [size](int count) {
        void* blocks[max_live];
        for (int b = 0; b < count; ++b) {
            blocks[b] = plain_malloc(static_cast<std::size_t>(size));
            static_cast<unsigned char*>(blocks[b])[0] = static_cast<unsigned char>(b);
        }
        for (int b = 0; b < count; ++b) {
            sink = static_cast<unsigned char*>(blocks[b])[0];
            plain_free(blocks[b]);
        }
    });
}

double time_tracked(int size, int live, std::uint8_t level) {
    MEMORY_set_check_level(level);
    MEMORY_initialise();
    double result = time_pairs(live, [size](int count) {
        void* blocks[max_live];
        for (int b = 0; b < count; ++b) {
            blocks[b] = nullptr;
            MEMORY_ALLOCATE(blocks[b], size, 0, "bench block");
            static_cast<unsigned char*>(blocks[b])[0] = static_cast<unsigned char>(b);
        }
        for (int b = 0; b < count; ++b) {
            sink = static_cast<unsigned char*>(blocks[b])[0];
            MEMORY_FREE(blocks[b]);
        }
    });
    MEMORY_deinitialise();
    return result;
}

double time_estack() {
    ESTACK* stack = ESTACK_allocate(max_live, 4);
    double result = time_pairs(max_live, [stack](int count) {
        for (std::int32_t b = 0; b < count; ++b) ESTACK_push(stack, &b);
        std::int32_t out;
        for (int b = 0; b < count; ++b) {
            ESTACK_pop(stack, &out);
            sink = static_cast<unsigned char>(out);
        }
    });
    ESTACK_deallocate(&stack);
    return result;
}

}  // namespace

int main() {
#if defined(__GLIBC__)
    // Keep glibc from trimming and re-growing the heap top between batches: that cost depends on
    // where a batch happens to cross the trim threshold, not on the allocator under test.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
#endif
#if defined(_WIN32)
    const char* platform = "Windows";
#else
    const char* platform = "native";
#endif
    std::printf("Foundation benchmark (%s build): ns per allocate+free pair, best of %d timings\n\n", platform,
                repeats);
    std::printf("%-7s %-6s %-5s %12s %12s %8s\n", "block", "level", "live", "tracked ns", "malloc ns", "ratio");

    struct Row {
        int size;
        std::uint8_t level;
        int live;
        const char* name;
    };
    // The first row is the headline: 64-byte pairs at the default check level.
    const Row rows[] = {{64, 1, 1, "tracked_alloc_vs_malloc"},
                        {64, 0, 1, "tracked_alloc_vs_malloc_guarded"},
                        {4096, 1, 1, "tracked_alloc_vs_malloc_4k"},
                        {4096, 0, 1, "tracked_alloc_vs_malloc_4k_guarded"},
                        {64, 1, max_live, "tracked_alloc_vs_malloc_32_live"},
                        {4096, 1, max_live, "tracked_alloc_vs_malloc_4k_32_live"}};
    const int row_count = static_cast<int>(sizeof rows / sizeof rows[0]);
    double ratios[row_count];
    for (int i = 0; i < row_count; ++i) {
        const Row& row = rows[i];
        double plain = time_malloc(row.size, row.live);
        double tracked = time_tracked(row.size, row.live, row.level);
        ratios[i] = tracked / plain;
        std::printf("%-7d %-6d %-5d %12.1f %12.1f %8.2f\n", row.size, row.level, row.live, tracked, plain, ratios[i]);
    }
    double stack_ns = time_estack();
    std::printf("\nESTACK push+pop pair: %.1f ns\n\n", stack_ns);

    for (int i = 0; i < row_count; ++i) std::printf("ratio %s %.2f\n", rows[i].name, ratios[i]);
    std::printf("figure estack_push_pop %.1f ns\n", stack_ns);
    return 0;
}

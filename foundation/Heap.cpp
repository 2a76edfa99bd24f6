// The foundation's heap door: aligned blocks and the test countdown.
#include "Heap.h"

#include <cstddef>
#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif

namespace {

std::int32_t heap_countdown = -1;
std::int32_t heap_failures_left = -1;  // negative: no end to the failures

// TRUE when the countdown says this request must fail.
bool heap_should_fail() {
    if (heap_countdown < 0) return false;
    if (heap_countdown > 0) {
        --heap_countdown;
        return false;
    }
    if (heap_failures_left == 0) return false;
    if (heap_failures_left > 0) --heap_failures_left;
    return true;
}

}  // namespace

#if defined(_WIN32)
// The 32-bit runtime's malloc aligns to 8 bytes only; the aligned family gives 16 on both builds.
void* HEAP_allocate(std::size_t size) {
    if (heap_should_fail()) return nullptr;
    return _aligned_malloc(size, 16);
}
void* HEAP_resize(void* block, std::size_t size) {
    if (heap_should_fail()) return nullptr;
    return _aligned_realloc(block, size, 16);
}
void HEAP_release(void* block) { _aligned_free(block); }
#else
static_assert(alignof(std::max_align_t) >= 16, "the native heap must align to 16 bytes");
void* HEAP_allocate(std::size_t size) {
    if (heap_should_fail()) return nullptr;
    return std::malloc(size);
}
void* HEAP_resize(void* block, std::size_t size) {
    if (heap_should_fail()) return nullptr;
    return std::realloc(block, size);
}
void HEAP_release(void* block) { std::free(block); }
#endif

void* HEAP_allocate_runtime(std::size_t size) {
    if (heap_should_fail()) return nullptr;
    return std::malloc(size);
}

void* HEAP_allocate_zeroed_runtime(std::size_t count, std::size_t size) {
    if (heap_should_fail()) return nullptr;
    return std::calloc(count, size);
}

void* HEAP_resize_runtime(void* block, std::size_t size) {
    if (heap_should_fail()) return nullptr;
    return std::realloc(block, size);
}

void HEAP_fail_after(std::int32_t count, std::int32_t failures) {
    heap_countdown = count;
    heap_failures_left = failures;
}

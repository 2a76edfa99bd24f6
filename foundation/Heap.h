// The foundation's one door to the system heap: 16-byte aligned blocks and a failure countdown
// with which tests make the Nth heap request fail, so that every refusal path can be run.
#pragma once

#include <cstddef>
#include <cstdint>

void* HEAP_allocate(std::size_t size);
void* HEAP_resize(void* block, std::size_t size);  // null on failure; the old block then stays valid
void HEAP_release(void* block);
// Blocks of the runtime's own malloc, calloc and realloc, under the same countdown: for blocks
// released with free, as the standard allocator's blocks are.
void* HEAP_allocate_runtime(std::size_t size);
void* HEAP_allocate_zeroed_runtime(std::size_t count, std::size_t size);
void* HEAP_resize_runtime(void* block, std::size_t size);  // null on failure; the old block then stays valid

// After `count` more successful requests, the next `failures` requests fail (a negative number:
// every one until the countdown is reset with a negative count, the default: never fail).
void HEAP_fail_after(std::int32_t count, std::int32_t failures = -1);

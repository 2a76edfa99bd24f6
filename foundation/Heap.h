// The foundation's one door to the system heap: 16-byte aligned blocks and a failure countdown
// with which tests make the Nth heap request fail, so that every refusal path can be run.
#pragma once

#include <cstddef>
#include <cstdint>

void* HEAP_allocate(std::size_t size);
void* HEAP_resize(void* block, std::size_t size);  // null on failure; the old block then stays valid
void HEAP_release(void* block);
// A block from the runtime's own malloc, under the same countdown: for a block handed to a caller
// who releases it with free, as the standard allocator's blocks are released.
void* HEAP_allocate_runtime(std::size_t size);

// After `count` more successful requests, allocate and resize fail until the countdown is reset
// with a negative count (the default: never fail).
void HEAP_fail_after(std::int32_t count);

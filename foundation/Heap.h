// The foundation's one door to the system heap: 16-byte aligned blocks and a failure countdown
// with which tests make the Nth heap request fail, so that every refusal path can be run.
#pragma once

#include <cstddef>
#include <cstdint>

void* HEAP_allocate(std::size_t size);
void* HEAP_resize(void* block, std::size_t size);  // null on failure; the old block then stays valid
void HEAP_release(void* block);

// After `count` more successful requests, allocate and resize fail until the countdown is reset
// with a negative count (the default: never fail).
void HEAP_fail_after(std::int32_t count);

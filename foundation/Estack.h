// Pointer stack: a LIFO of fixed-size entries copied by value, record and entries in one heap block.
#pragma once

#include "Types.h"

struct ESTACK {
    std::uint32_t entry_size;  // bytes per entry
    std::int32_t stack_size;   // capacity in bytes
    std::uint8_t* bottom;      // first entry, directly behind this record in the same block
    std::uint8_t* top;         // one past the last used entry
};

ESTACK* ESTACK_allocate(std::uint32_t count, std::uint32_t entry_size);
void ESTACK_deallocate(ESTACK** stack);
// Grows the stack; on success only the returned pointer is valid, on failure the old one stays.
ESTACK* ESTACK_reallocate(ESTACK* stack, std::uint32_t new_count);
void ESTACK_make_empty(ESTACK* stack);
BOOL8 ESTACK_is_empty(const ESTACK* stack);
BOOL8 ESTACK_is_full(const ESTACK* stack);
BOOL8 ESTACK_push(ESTACK* stack, const void* data);
BOOL8 ESTACK_pop(ESTACK* stack, void* out);
// Removes the first entry equal to *data; TRUE whether or not one was found (FALSE only when empty).
BOOL8 ESTACK_remove_stack_entry(ESTACK* stack, const void* data);

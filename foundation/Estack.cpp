// Pointer stack: a LIFO of fixed-size entries copied by value, record and entries in one heap block.
#define EBUG_MODULE "Estack"

#include "Estack.h"

#include <cstring>

#include "EBUG.h"
#include "Heap.h"

namespace {

std::uint8_t* estack_first_entry(ESTACK* stack) { return reinterpret_cast<std::uint8_t*>(stack + 1); }

// Capacity in bytes, or -1 when it would not fit the record's 32-bit field.
std::int64_t estack_capacity(std::uint32_t count, std::uint32_t entry_size) {
    std::uint64_t bytes = static_cast<std::uint64_t>(count) * entry_size;
    return bytes > 0x7FFFFFFFu ? -1 : static_cast<std::int64_t>(bytes);
}

}  // namespace

ESTACK* ESTACK_allocate(std::uint32_t count, std::uint32_t entry_size) {
    ENTER();
    std::int64_t capacity = estack_capacity(count, entry_size);
    ESTACK* stack = nullptr;
    if (capacity >= 0)
        stack = static_cast<ESTACK*>(HEAP_allocate(sizeof(ESTACK) + static_cast<std::size_t>(capacity)));
    if (!stack) {
        EBUG_MESSAGE("ESTACK_allocate failed to allocate memory for stack\n");
        EBUG_RETURN(nullptr);
    }
    stack->entry_size = entry_size;
    stack->stack_size = static_cast<std::int32_t>(capacity);
    stack->bottom = estack_first_entry(stack);
    stack->top = stack->bottom;
    EBUG_RETURN(stack);
}

void ESTACK_deallocate(ESTACK** stack) {
    ENTER();
    EBUG_ASSERT(*stack != NULL);
    if (*stack) HEAP_release(*stack);
    *stack = nullptr;
    LEAVE();
}

ESTACK* ESTACK_reallocate(ESTACK* stack, std::uint32_t new_count) {
    ENTER();
    if (!stack) {
        EBUG_MESSAGE("ESTACK_reallocate: stack pointer is NULL");
        EBUG_RETURN(nullptr);
    }
    std::int64_t capacity = estack_capacity(new_count, stack->entry_size);
    if (capacity <= stack->stack_size) {
        EBUG_MESSAGE("ESTACK_reallocate: cannot realloc less than currentsize!");
        EBUG_RETURN(nullptr);
    }
    std::ptrdiff_t used = stack->top - stack->bottom;
    ESTACK* moved = static_cast<ESTACK*>(HEAP_resize(stack, sizeof(ESTACK) + static_cast<std::size_t>(capacity)));
    if (!moved) {
        EBUG_MESSAGE("ESTACK_reallocate failed to reallocate memory forstack\n");
        EBUG_RETURN(nullptr);
    }
    moved->stack_size = static_cast<std::int32_t>(capacity);
    moved->bottom = estack_first_entry(moved);
    moved->top = moved->bottom + used;
    EBUG_RETURN(moved);
}

void ESTACK_make_empty(ESTACK* stack) {
    ENTER();
    EBUG_ASSERT(stack != NULL);
    stack->top = stack->bottom;
    LEAVE();
}

BOOL8 ESTACK_is_empty(const ESTACK* stack) {
    ENTER();
    EBUG_ASSERT(stack != NULL);
    EBUG_RETURN(stack->top == stack->bottom ? TRUE : FALSE);
}

BOOL8 ESTACK_is_full(const ESTACK* stack) {
    ENTER();
    EBUG_ASSERT(stack != NULL);
    EBUG_RETURN(stack->top >= stack->bottom + stack->stack_size ? TRUE : FALSE);
}

BOOL8 ESTACK_push(ESTACK* stack, const void* data) {
    ENTER();
    EBUG_ASSERT(stack != NULL);
    if (!data) {
        if (ebug_flags & EBUG_FLAG_MESSAGE) {
            EBUG_message(EBUG_SOURCE, static_cast<std::uint16_t>(__LINE__),
                         "STACK ERROR: data pointer is NULL cannot push it!\n");
            EBUG_dump_trace_buffer();
        }
        EBUG_RETURN(FALSE);
    }
    if (stack->top >= stack->bottom + stack->stack_size) EBUG_RETURN(FALSE);
    std::memcpy(stack->top, data, stack->entry_size);
    stack->top += stack->entry_size;
    EBUG_RETURN(TRUE);
}

BOOL8 ESTACK_pop(ESTACK* stack, void* out) {
    ENTER();
    EBUG_ASSERT(stack != NULL);
    if (stack->top == stack->bottom) EBUG_RETURN(FALSE);
    stack->top -= stack->entry_size;
    std::memcpy(out, stack->top, stack->entry_size);
    EBUG_RETURN(TRUE);
}

BOOL8 ESTACK_remove_stack_entry(ESTACK* stack, const void* data) {
    ENTER();
    EBUG_ASSERT(stack != NULL);
    if (stack->top == stack->bottom) EBUG_RETURN(FALSE);
    for (std::uint8_t* entry = stack->bottom; entry < stack->top; entry += stack->entry_size) {
        if (std::memcmp(entry, data, stack->entry_size) == 0) {
            std::uint8_t* next = entry + stack->entry_size;
            std::memmove(entry, next, static_cast<std::size_t>(stack->top - next));
            stack->top -= stack->entry_size;
            break;
        }
    }
    EBUG_RETURN(TRUE);
}

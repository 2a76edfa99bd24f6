// Tracked allocator: heap blocks with a header, optional guards, a live-block table and leak report.
//
// Block layout from the block address (the address kept in the table and shown by MEMORY_usage):
//   0 magic, 4 description[24], 28 size, 32 index, 36 file[9], 45 line, 49 lead guard[128],
//   177 caller's data[size], 177 + size tail guard[128].
// The heap allocation starts MEMORY_FRONT_PADDING bytes before the block so that the caller's data
// is aligned to 16 bytes, whatever the type kept there.
#pragma once

#include "EBUG.h"
#include "Types.h"

#define MEMORY_MAGIC 0x004D454Du
#define MEMORY_GUARD_SIZE 128
#define MEMORY_GUARD_WORD 0xDEADBEEFu
#define MEMORY_DESCRIPTION_SIZE 24
#define MEMORY_FILE_SIZE 9
#define MEMORY_OFFSET_DESCRIPTION 4
#define MEMORY_OFFSET_SIZE 28
#define MEMORY_OFFSET_INDEX 32
#define MEMORY_OFFSET_FILE 36
#define MEMORY_OFFSET_LINE 45
#define MEMORY_OFFSET_LEAD 49
#define MEMORY_OFFSET_DATA 177
#define MEMORY_OVERHEAD 305    // header, lead and tail guard
#define MEMORY_FRONT_PADDING 15  // 15 + 177 = 192, a multiple of 16
#define MEMORY_DATA_ALIGNMENT 16

#define MEMORY_FILL_ZERO 1
#define MEMORY_FILL_FF 128

#define MEMORY_DEFAULT_NUM_ENTRIES 50
#define MEMORY_DEFAULT_REALLOC_STEP 50

BOOL8 MEMORY_initialise(void);
BOOL8 MEMORY_deinitialise(void);
void* MEMORY_allocate(void* previous, std::int32_t size, std::uint16_t fill, const char* description,
                      const char* file, std::int32_t line);
BOOL8 MEMORY_deallocate(void** pointer, const char* file, std::int32_t line);
void* MEMORY_reallocate(void* pointer, std::int32_t new_size);
BOOL8 MEMORY_change_description(void* pointer, const char* description);
BOOL8 MEMORY_check_lead_and_tail(void* pointer);
BOOL8 MEMORY_check(void);
void MEMORY_usage(void);
BOOL8 MEMORY_set_default_num_entries(void);
std::int32_t MEMORY_get_default_num_entries(void);
BOOL8 MEMORY_set_module_realloc_step_size(std::int32_t step);
std::int32_t MEMORY_get_module_realloc_step_size(void);
void MEMORY_set_check_level(std::uint8_t level);
std::uint8_t MEMORY_get_check_level(void);
// Live bytes ("currently allocated"), kept after MEMORY_deinitialise until the next initialise.
std::int32_t MEMORY_get_allocated_bytes(void);

// The calling convention: the pointer's current value goes in as the previous value, so that a
// forgotten block is reported, and MEMORY_FREE nulls the caller's pointer.
template <typename T>
inline T* memory_allocate_typed(T* previous, std::int32_t size, std::uint16_t fill, const char* description,
                                const char* file, std::int32_t line) {
    return static_cast<T*>(MEMORY_allocate(previous, size, fill, description, file, line));
}
template <typename T>
inline BOOL8 memory_deallocate_typed(T*& pointer, const char* file, std::int32_t line) {
    void* untyped = pointer;
    BOOL8 result = MEMORY_deallocate(&untyped, file, line);
    pointer = static_cast<T*>(untyped);
    return result;
}
#define MEMORY_ALLOCATE(pointer, size, fill, description) \
    ((pointer) = memory_allocate_typed((pointer), (size), (fill), (description), EBUG_SOURCE, __LINE__))
#define MEMORY_FREE(pointer) memory_deallocate_typed((pointer), EBUG_SOURCE, __LINE__)

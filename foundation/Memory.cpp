// Tracked allocator: blocks with a header, optional guards, a table of live blocks and a leak report.
#define EBUG_MODULE "Memory"

#include "Memory.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "EBUG.h"
#include "Estack.h"
#include "Heap.h"
#include "Strings.h"

namespace {

#define MEMORY_USAGE_LINE_SIZE 512

struct memory_state_record {
    std::int32_t state;  // 0 not initialised, 1 initialised, 2 something allocated since
    std::uint8_t** table;
    ESTACK* free_stack;
    std::int32_t allocated_bytes;
    std::int32_t default_num_entries;
    std::int32_t realloc_step_size;
    std::uint8_t check_level;
};

memory_state_record memory = {0, nullptr, nullptr, 0, MEMORY_DEFAULT_NUM_ENTRIES, MEMORY_DEFAULT_REALLOC_STEP, 1};

// Header fields are read and written byte-wise: the header is packed and its 32-bit fields are
// not aligned.
std::uint32_t memory_read_u32(const std::uint8_t* block, std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}
std::int32_t memory_read_i32(const std::uint8_t* block, std::size_t offset) {
    std::int32_t value;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}
template <typename T>
void memory_write(std::uint8_t* block, std::size_t offset, T value) {
    std::memcpy(block + offset, &value, sizeof value);
}

std::uint8_t* memory_block_of(void* pointer) { return static_cast<std::uint8_t*>(pointer) - MEMORY_OFFSET_DATA; }
void* memory_heap_of(std::uint8_t* block) { return block - MEMORY_FRONT_PADDING; }
std::size_t memory_heap_size(std::int32_t size) {
    return MEMORY_FRONT_PADDING + MEMORY_OVERHEAD + static_cast<std::size_t>(size);
}

BOOL8 memory_set_head_foot_check(std::uint8_t* address) {
    for (std::size_t word = 0; word < MEMORY_GUARD_SIZE / 4; ++word) memory_write(address, word * 4, MEMORY_GUARD_WORD);
    return TRUE;
}

BOOL8 memory_check_head_foot_check(const std::uint8_t* address) {
    for (std::size_t word = 0; word < MEMORY_GUARD_SIZE / 4; ++word)
        if (memory_read_u32(address, word * 4) != MEMORY_GUARD_WORD) return FALSE;
    return TRUE;
}

// TRUE when the index names a live table entry that belongs to this block.
bool memory_entry_consistent(const std::uint8_t* block, std::uint32_t index) {
    if (!memory.table || index >= static_cast<std::uint32_t>(memory.default_num_entries)) return false;
    const std::uint8_t* entry = memory.table[index];
    return entry == block && memory_read_u32(entry, MEMORY_OFFSET_INDEX) == index;
}

// The header's file field: the name after the last backslash, cut at its last full stop, then at
// most 8 characters. This runs on every allocation, so it takes one pass over the path and writes
// the few bytes straight into the header: a library call or a staging copy costs more than the
// copy itself.
void memory_write_file_name(std::uint8_t* block, const char* file) {
    const char* base = file;
    const char* stop = nullptr;
    const char* p = file;
    for (; *p; ++p) {
        if (*p == '\\') {
            base = p + 1;
            stop = nullptr;
        } else if (*p == '.') {
            stop = p;
        }
    }
    std::size_t length = static_cast<std::size_t>((stop ? stop : p) - base);
    if (length > MEMORY_FILE_SIZE - 1) length = MEMORY_FILE_SIZE - 1;
    std::uint8_t* field = block + MEMORY_OFFSET_FILE;
    for (std::size_t i = 0; i < length; ++i) field[i] = static_cast<std::uint8_t>(base[i]);
    field[length] = '\0';
}

// The description field: at most 23 characters, the rest of the field cleared.
void memory_write_description(std::uint8_t* block, const char* description) {
    std::uint8_t* field = block + MEMORY_OFFSET_DESCRIPTION;
    std::size_t i = 0;
    for (; i < MEMORY_DESCRIPTION_SIZE - 1 && description[i]; ++i) field[i] = static_cast<std::uint8_t>(description[i]);
    for (; i < MEMORY_DESCRIPTION_SIZE; ++i) field[i] = 0;
}

}  // namespace

// Validates a caller pointer (is_block_address 0) or a block address (1); the entry index or -1.
static std::int32_t memory_check_entry(void* pointer, std::uint8_t is_block_address) {
    ENTER();
    // A null pointer has no header in front of it to read.
    std::uint8_t* block = !pointer                ? nullptr
                          : is_block_address == 1 ? static_cast<std::uint8_t*>(pointer)
                                                  : memory_block_of(pointer);
    if (!block || memory_read_u32(block, 0) != MEMORY_MAGIC) {
        EBUG_MESSAGE("MEMORY_check_entry: Not valid memory block or corruption");
        EBUG_RETURN(-1);
    }
    std::uint32_t index = memory_read_u32(block, MEMORY_OFFSET_INDEX);
    if (!memory_entry_consistent(block, index)) {
        EBUG_MESSAGE("MEMORY_check_entry: memory corruption");
        EBUG_RETURN(-1);
    }
    if (memory.check_level == 0) {
        if (!memory_check_head_foot_check(block + MEMORY_OFFSET_LEAD)) {
            EBUG_MESSAGE("MEMORY_check_entry: lead corruption");
            EBUG_RETURN(-1);
        }
        std::int32_t size = memory_read_i32(block, MEMORY_OFFSET_SIZE);
        if (!memory_check_head_foot_check(block + MEMORY_OFFSET_DATA + size)) {
            EBUG_MESSAGE("MEMORY_check_entry: foot corruption");
            EBUG_RETURN(-1);
        }
    }
    EBUG_RETURN(static_cast<std::int32_t>(index));
}

// Grows the table and the free stack by one step; the new indices go on top of the free ones.
static BOOL8 memory_realloc_num_indices(void) {
    ENTER();
    if (memory.state == 0) EBUG_RETURN(FALSE);
    const std::int32_t old_count = memory.default_num_entries;
    // A count past the signed range, or a table too big to be sized (a 32-bit build's byte count
    // would wrap), is a growth the heap refuses.
    const std::int64_t wanted = std::int64_t{old_count} + memory.realloc_step_size;
    const bool sizable = wanted <= INT32_MAX && static_cast<std::uint64_t>(wanted) <= SIZE_MAX / sizeof(std::uint8_t*);
    auto** table = sizable ? static_cast<std::uint8_t**>(
                                 HEAP_resize(memory.table, sizeof(std::uint8_t*) * static_cast<std::size_t>(wanted)))
                           : nullptr;
    if (!table) {
        EBUG_MESSAGE("memory_realloc_num_indices: realloc call failed");
        EBUG_RETURN(FALSE);
    }
    const auto new_count = static_cast<std::int32_t>(wanted);
    memory.table = table;
    ESTACK* stack = ESTACK_reallocate(memory.free_stack, static_cast<std::uint32_t>(new_count));
    if (!stack) {
        EBUG_MESSAGE("memory_realloc_num_indices: ESTACK realloc failed");
        EBUG_RETURN(FALSE);
    }
    memory.free_stack = stack;
    for (std::int32_t i = old_count; i < new_count; ++i) {
        memory.table[i] = nullptr;
        ESTACK_push(memory.free_stack, &i);
    }
    memory.default_num_entries = new_count;
    EBUG_RETURN(TRUE);
}

BOOL8 MEMORY_initialise(void) {
    ENTER();
    if (memory.state != 0) {
        EBUG_MESSAGE("MEMORY_initialise failed: already initialised");
        EBUG_RETURN(FALSE);
    }
    std::int32_t count = memory.default_num_entries;
    memory.table = static_cast<std::uint8_t**>(HEAP_allocate(sizeof(std::uint8_t*) * static_cast<std::size_t>(count)));
    memory.free_stack = memory.table ? ESTACK_allocate(static_cast<std::uint32_t>(count), 4) : nullptr;
    if (!memory.free_stack) {
        EBUG_MESSAGE("MEMORY_initialise failed: no memory for the block table");
        HEAP_release(memory.table);
        memory.table = nullptr;
        EBUG_RETURN(FALSE);
    }
    for (std::int32_t i = 0; i < count; ++i) {
        memory.table[i] = nullptr;
        ESTACK_push(memory.free_stack, &i);
    }
    memory.allocated_bytes = 0;
    memory.state = 1;
    EBUG_RETURN(TRUE);
}

void* MEMORY_allocate(void* previous, std::int32_t size, std::uint16_t fill, const char* description,
                      const char* file, std::int32_t line) {
    ENTER();
    if (memory.state == 0) {
        EBUG_RETAIL("MEMORY_allocate failed (%s, %d): data not initialised", file, line);
        EBUG_RETURN(nullptr);
    }
    if (!description) description = "No Description";
    if (size <= 0) {
        EBUG_RETAIL("MEMORY_allocate failed (%s, %d): %s size = %d", file, line, description, size);
        EBUG_RETURN(nullptr);
    }
    if (previous) EBUG_RETAIL("MEMORY_allocate (%s, %d): previous data not freed %s", file, line, description);

    std::int32_t index;
    if (!ESTACK_pop(memory.free_stack, &index)) {
        if (!memory_realloc_num_indices()) {
            EBUG_RETAIL("MEMORY_allocate failed (%s, %d): stack empty, realloc failed", file, line);
            EBUG_RETURN(nullptr);
        }
        ESTACK_pop(memory.free_stack, &index);
    }

    auto* heap = static_cast<std::uint8_t*>(HEAP_allocate(memory_heap_size(size)));
    if (!heap) {
        ESTACK_push(memory.free_stack, &index);  // the index stays free
        EBUG_RETAIL("MEMORY_allocate failed (%s, %d): malloc failed, %s size = %d", file, line, description, size);
        EBUG_RETURN(nullptr);
    }
    std::uint8_t* block = heap + MEMORY_FRONT_PADDING;
    memory_write(block, 0, MEMORY_MAGIC);
    memory_write(block, MEMORY_OFFSET_SIZE, size);
    memory_write(block, MEMORY_OFFSET_INDEX, static_cast<std::uint32_t>(index));
    memory_write_file_name(block, file);
    memory_write(block, MEMORY_OFFSET_LINE, line);
    if (memory.check_level == 0) {
        memory_set_head_foot_check(block + MEMORY_OFFSET_LEAD);
        memory_set_head_foot_check(block + MEMORY_OFFSET_DATA + size);
    }
    memory.table[index] = block;
    std::uint8_t* data = block + MEMORY_OFFSET_DATA;
    if (fill == MEMORY_FILL_ZERO)
        std::memset(data, 0x00, static_cast<std::size_t>(size));
    else if (fill == MEMORY_FILL_FF)
        std::memset(data, 0xFF, static_cast<std::size_t>(size));
    memory.allocated_bytes += size;
    memory.state = 2;
    // The block was just entered in the table, so the description goes straight in: the same
    // result as MEMORY_change_description without its consistency test.
    memory_write_description(block, description);
    EBUG_RETURN(data);
}

BOOL8 MEMORY_deallocate(void** pointer, const char* file, std::int32_t line) {
    ENTER();
    if (memory.state == 0) {
        EBUG_RETAIL("MEMORY_deallocate failed (%s, %d): data not initialised", file, line);
        EBUG_RETURN(FALSE);
    }
    if (!*pointer) {
        EBUG_RETAIL("MEMORY_deallocate failed (%s, %d): mem block parameter NULL", file, line);
        EBUG_RETURN(FALSE);
    }
    std::int32_t index = memory_check_entry(*pointer, 0);
    if (index == -1) {
        EBUG_RETAIL("MEMORY_deallocate error (%s, %d): not a valid memory pointer", file, line);
        EBUG_RETAIL("Or Corruption has occured.");
        EBUG_RETURN(TRUE);
    }
    std::uint8_t* block = memory_block_of(*pointer);
    memory.allocated_bytes -= memory_read_i32(block, MEMORY_OFFSET_SIZE);
    HEAP_release(memory_heap_of(block));
    memory.table[index] = nullptr;
    if (!ESTACK_push(memory.free_stack, &index))
        EBUG_RETAIL("MEMORY_deallocate error (%s, %d): push onto free stack failed", file, line);
    *pointer = nullptr;
    EBUG_RETURN(TRUE);
}

void* MEMORY_reallocate(void* pointer, std::int32_t new_size) {
    ENTER();
    if (memory.state == 0) {
        EBUG_MESSAGE("MEMORY_reallocate failed: data not initialised");
        EBUG_RETURN(nullptr);
    }
    if (!pointer) {
        EBUG_MESSAGE("MEMORY_reallocate failed: mem block parameter NULL");
        EBUG_RETURN(nullptr);
    }
    std::int32_t index = memory_check_entry(pointer, 0);
    if (index == -1) {
        EBUG_RETAIL("MEMORY_reallocate error: not a valid memory pointer");
        EBUG_RETAIL("Or Corruption has occured.");
        EBUG_RETURN(nullptr);
    }
    std::uint8_t* block = memory_block_of(pointer);
    std::int32_t old_size = memory_read_i32(block, MEMORY_OFFSET_SIZE);
    if (new_size < old_size) {
        EBUG_MESSAGE("MEMORY_reallocate error: new size %d is less than old size %dextra memory not allocated",
                     new_size, old_size);
        EBUG_RETURN(pointer);
    }
    auto* heap = static_cast<std::uint8_t*>(HEAP_resize(memory_heap_of(block), memory_heap_size(new_size)));
    if (!heap) {
        EBUG_MESSAGE("MEMORY_reallocate error: realloc failed!");
        EBUG_RETURN(nullptr);
    }
    block = heap + MEMORY_FRONT_PADDING;
    memory.table[index] = block;
    memory_set_head_foot_check(block + MEMORY_OFFSET_DATA + new_size);
    memory_write(block, MEMORY_OFFSET_SIZE, new_size);
    memory.allocated_bytes += new_size - old_size;
    EBUG_RETURN(block + MEMORY_OFFSET_DATA);
}

BOOL8 MEMORY_change_description(void* pointer, const char* description) {
    ENTER();
    if (!pointer) {
        EBUG_MESSAGE("MEMORY_change_description failed: mem_block is NULL");
        EBUG_RETURN(FALSE);
    }
    if (!description) {
        EBUG_MESSAGE("MEMORY_change_description failed: description is NULL");
        EBUG_RETURN(FALSE);
    }
    std::uint8_t* block = memory_block_of(pointer);
    // Without a table no block is live, and its header may already be freed: it is not read.
    if (!memory.table || !memory_entry_consistent(block, memory_read_u32(block, MEMORY_OFFSET_INDEX))) {
        EBUG_MESSAGE("MEMORY_change_description failed: memory corrupt");
        EBUG_RETURN(FALSE);
    }
    memory_write_description(block, description);
    EBUG_RETURN(TRUE);
}

BOOL8 MEMORY_check_lead_and_tail(void* pointer) {
    ENTER();
    if (memory.state == 0) {
        EBUG_MESSAGE("MEMORY_check_lead_and_tail failed: memory not initialised");
        EBUG_RETURN(FALSE);
    }
    EBUG_RETURN(memory_check_entry(pointer, 0) != -1 ? TRUE : FALSE);
}

BOOL8 MEMORY_check(void) {
    ENTER();
    if (memory.state == 0) {
        EBUG_MESSAGE("MEMORY_check failed: memory not initialised");
        EBUG_RETURN(FALSE);
    }
    BOOL8 all_good = TRUE;
    for (std::int32_t i = 0; i < memory.default_num_entries; ++i)
        if (memory.table[i] && memory_check_entry(memory.table[i], 1) == -1) all_good = FALSE;
    EBUG_RETURN(all_good);
}

void MEMORY_usage(void) {
    ENTER();
    if (memory.state == 0) {
        EBUG_MESSAGE("MEMORY_usage failed: memory not initialised");
        EBUG_RETURN();
    }
    char text[MEMORY_USAGE_LINE_SIZE];
    STRINGS_format(text, sizeof text,
                   "----------------------------------------------------------------------\n"
                   "            Memory usage:: currently allocated = %d bytes\n"
                   "----------------------------------------------------------------------\n",
                   memory.allocated_bytes);
    EBUG_retail_printf("%s", text);
    for (std::int32_t i = 0; i < memory.default_num_entries; ++i) {
        const std::uint8_t* block = memory.table[i];
        if (!block) continue;
        char file[MEMORY_FILE_SIZE];
        char description[MEMORY_DESCRIPTION_SIZE];
        std::memcpy(file, block + MEMORY_OFFSET_FILE, sizeof file);
        std::memcpy(description, block + MEMORY_OFFSET_DESCRIPTION, sizeof description);
        file[MEMORY_FILE_SIZE - 1] = '\0';
        description[MEMORY_DESCRIPTION_SIZE - 1] = '\0';
        STRINGS_format(text, sizeof text, "[%8s, %5d] size: %9d; name: %-24s; addr: %p\n", file,
                       memory_read_i32(block, MEMORY_OFFSET_LINE), memory_read_i32(block, MEMORY_OFFSET_SIZE),
                       description, static_cast<const void*>(block));
        EBUG_retail_printf("%s", text);
    }
    LEAVE();
}

BOOL8 MEMORY_set_default_num_entries(void) {
    ENTER();
    EBUG_RETURN(memory_realloc_num_indices());
}

std::int32_t MEMORY_get_default_num_entries(void) {
    ENTER();
    EBUG_RETURN(memory.default_num_entries);
}

BOOL8 MEMORY_set_module_realloc_step_size(std::int32_t step) {
    ENTER();
    if (step <= 0) EBUG_RETURN(FALSE);
    memory.realloc_step_size = step;
    EBUG_RETURN(TRUE);
}

std::int32_t MEMORY_get_module_realloc_step_size(void) {
    ENTER();
    EBUG_RETURN(memory.realloc_step_size);
}

void MEMORY_set_check_level(std::uint8_t level) {
    ENTER();
    if (memory.state == 2) {
        EBUG_MESSAGE("MEMORY_set_check_level : Can't change after an allocate");
        EBUG_RETURN();
    }
    memory.check_level = level;
    LEAVE();
}

std::uint8_t MEMORY_get_check_level(void) {
    ENTER();
    EBUG_RETURN(memory.check_level);
}

std::int32_t MEMORY_get_allocated_bytes(void) {
    ENTER();
    EBUG_RETURN(memory.allocated_bytes);
}

BOOL8 MEMORY_deinitialise(void) {
    ENTER();
    if (memory.state == 0) {
        EBUG_MESSAGE("MEMORY_deinitialise failed: not initialised");
        EBUG_RETURN(FALSE);
    }
    if (!ESTACK_is_full(memory.free_stack)) EBUG_MESSAGE("MEMORY_deinitialise error: memory leaks detected");
    ESTACK_deallocate(&memory.free_stack);
    for (std::int32_t i = 0; i < memory.default_num_entries; ++i)
        if (memory.table[i]) HEAP_release(memory_heap_of(memory.table[i]));
    HEAP_release(memory.table);
    memory.table = nullptr;
    memory.state = 0;
    EBUG_RETURN(TRUE);
}

// File access layer: settings, search-path slots, name resolution, reads and the stream wrappers.
#define EBUG_MODULE "EFILE"

#include <cctype>
#include <cstdarg>
#include <cstring>

#include "EBUG.h"
#include "EFILE.h"
#include "Memory.h"
#include "Strings.h"
#include "efile_internal.h"

efile_module_state local_efile_details;

namespace {

// The checksum tables: CRC-16 with the polynomial 0x1021, most significant bit first. entry[0] is
// the table of the definition; entry[k][x] is the checksum of the byte x followed by k zero bytes,
// so that eight bytes can be taken in one step ("slicing by eight").
struct efile_crc_tables {
    std::uint16_t entry[8][256];
    constexpr efile_crc_tables() : entry() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t crc = i << 8;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000u) ? ((crc << 1) ^ 0x1021u) : (crc << 1);
            entry[0][i] = static_cast<std::uint16_t>(crc & 0xFFFFu);
        }
        for (int k = 1; k < 8; ++k)
            for (std::uint32_t i = 0; i < 256; ++i) {
                std::uint16_t previous = entry[k - 1][i];
                entry[k][i] = static_cast<std::uint16_t>((previous << 8) ^ entry[0][previous >> 8]);
            }
    }
};
constexpr efile_crc_tables crc_tables;

std::uint16_t efile_crc_step(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>(crc_tables.entry[0][((crc >> 8) ^ byte) & 0xFFu] ^ ((crc & 0xFFu) << 8));
}

// Eight bytes b[0] (first) to b[7] in one step: the checksum's two bytes meet the first two.
std::uint16_t efile_crc_eight(std::uint16_t crc, const std::uint8_t (&b)[8]) {
    const auto& t = crc_tables.entry;
    return static_cast<std::uint16_t>(t[7][b[0] ^ (crc >> 8)] ^ t[6][b[1] ^ (crc & 0xFFu)] ^ t[5][b[2]] ^ t[4][b[3]] ^
                                      t[3][b[4]] ^ t[2][b[5]] ^ t[1][b[6]] ^ t[0][b[7]]);
}

// The extent of a text within a fixed record field; EFILE_PATH_SIZE when it is not terminated there.
std::size_t efile_field_length(const char* field) {
    const void* end = std::memchr(field, 0, EFILE_PATH_SIZE);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : EFILE_PATH_SIZE;
}

void efile_add_crc(const void* bytes, std::uint32_t length) {
    if (local_efile_details.crc_state == 1) local_efile_details.crc_total += CRC_calc_block(bytes, length);
}

}  // namespace

BOOL8 efile_is_rooted(const char* name) {
    if (name[0] == '.') return TRUE;
    std::size_t length = std::strlen(name);
    for (std::size_t i = 0; i + 1 < length; ++i) {
        if (name[i] == '\\' && name[i + 1] == '\\') return TRUE;
        if (name[i] == ':' || name[i + 1] == ':') return TRUE;
    }
    return FALSE;
}

BOOL8 EFILE_initialise(const EFILE_DETAILS* details) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (state.initialised) EBUG_RETURN(FALSE);
    // A record whose extension runs past its field cannot be taken as given: refuse it whole.
    if (details && efile_field_length(details->extension) >= EFILE_PATH_SIZE) {
        EBUG_MESSAGE("EFILE_initialise failed: extension not terminated");
        EBUG_RETURN(FALSE);
    }
    state.initialised = TRUE;
    state.extension[0] = '\0';
    state.use_tree = TRUE;
    if (details) {
        state.num_search_paths = details->num_search_paths;
        state.initial_tree_size = details->initial_tree_size;
        STRINGS_copy(state.extension, details->extension);
        state.tree_size_increment = details->tree_size_increment;
        state.chunk_size = details->chunk_size;
        state.process_function = details->process_function;
        state.reserved_value = details->reserved_value;
        state.reserved_bytes[0] = details->reserved_bytes[0];
        state.reserved_bytes[1] = details->reserved_bytes[1];
        state.crc_state = details->crc_state;
        std::memcpy(state.reserved_text_a, details->reserved_text_a, EFILE_PATH_SIZE);
        std::memcpy(state.reserved_text_b, details->reserved_text_b, EFILE_PATH_SIZE);
        state.reserved_text_a[EFILE_PATH_SIZE - 1] = '\0';
        state.reserved_text_b[EFILE_PATH_SIZE - 1] = '\0';
        state.reserved_value_b = details->reserved_value_b;
    } else {
        state.num_search_paths = EFILE_DEFAULT_NUM_SEARCH_PATHS;
        state.initial_tree_size = EFILE_DEFAULT_INITIAL_TREE_SIZE;
        state.tree_size_increment = EFILE_DEFAULT_TREE_SIZE_INCREMENT;
        state.chunk_size = EFILE_DEFAULT_CHUNK_SIZE;
        state.process_function = nullptr;
        state.crc_state = 0;
    }
    // Sizes beyond the allocator's signed range are refused like any other failed request.
    std::uint64_t table_bytes = static_cast<std::uint64_t>(state.num_search_paths) * sizeof(EFILE_TREE_DETAILS);
    std::int32_t request = table_bytes > 0x7FFFFFFFu ? 0 : static_cast<std::int32_t>(table_bytes);
    state.search_paths = nullptr;
    MEMORY_ALLOCATE(state.search_paths, request, MEMORY_FILL_ZERO, "EFILE: local_efile_details.search_paths");
    if (!state.search_paths) {
        state.num_search_paths = 0;
        state.use_tree = FALSE;
        EBUG_MESSAGE("EFILE_initialise: Failed to allocate memory size:");
        EBUG_RETURN(FALSE);
    }
    std::int32_t chunk_request =
        state.chunk_size > 0x7FFFFFFFu ? 0 : static_cast<std::int32_t>(state.chunk_size);
    state.chunck_buffer = nullptr;
    MEMORY_ALLOCATE(state.chunck_buffer, chunk_request, MEMORY_FILL_ZERO, "EFILE: chunck_buffer");
    state.crc_total = 0;
    EBUG_RETURN(TRUE);
}

BOOL8 EFILE_deinitialise(void) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (state.chunck_buffer) MEMORY_FREE(state.chunck_buffer);
    state.initialised = FALSE;
    if (!state.search_paths) EBUG_RETURN(FALSE);
    efile_clear_search_path(-1);
    MEMORY_FREE(state.search_paths);
    EBUG_RETURN(TRUE);
}

BOOL8 efile_copy_string(char* destination, const char* source, std::uint32_t size) {
    ENTER();
    if (!destination || !source || size == 0) EBUG_RETURN(FALSE);
    std::uint32_t i = 0;
    for (; i + 1 < size && source[i] != '\0'; ++i)
        destination[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(source[i])));
    destination[i] = '\0';
    EBUG_RETURN(TRUE);
}

char* EFILE_make_full_path(const char* name) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (!state.initialised) {
        EBUG_MESSAGE("EFILE_make_full_path: EFILE not initialised");
        EBUG_RETURN(nullptr);
    }
    if (!name || name[0] == '\0') {
        EBUG_MESSAGE("EFILE_make_full_path: String size of zero");
        EBUG_RETURN(nullptr);
    }
    BOOL8 has_dot = std::strchr(name, '.') ? TRUE : FALSE;
    BOOL8 rooted = efile_is_rooted(name);

    // A candidate that does not fit is refused: a cut name could resolve to some other file.
    BOOL8 fitted = STRINGS_copy(state.full_path, name);
    if (fitted && !has_dot) fitted = STRINGS_append(state.full_path, state.extension);
    if (!fitted) {
        EBUG_MESSAGE("EFILE_make_full_path failed: name too long '%.64s'", name);
        EBUG_RETURN(nullptr);
    }
    if (rooted && efile_system_status(state.full_path, &state.last_status)) EBUG_RETURN(state.full_path);
    if (!state.search_paths) EBUG_RETURN(nullptr);

    if (state.use_tree) {
        char candidate[EFILE_PATH_SIZE];
        efile_copy_string(candidate, state.full_path, EFILE_PATH_SIZE);
        for (std::uint32_t slot = 0; slot < state.num_search_paths; ++slot) {
            const EFILE_TREE_DETAILS& details = state.search_paths[slot];
            if (!details.file_tree) continue;
            if (!efile_find_full_path(candidate, state.search_buffer, details.file_tree, 0)) continue;
            std::size_t path_length = std::strlen(details.path);
            BOOL8 separator = state.search_buffer[0] != '\\' &&
                              !(path_length > 0 && details.path[path_length - 1] == '\\');
            char joined[EFILE_PATH_SIZE];
            BOOL8 fits = STRINGS_copy(joined, details.path);
            if (fits && separator) fits = STRINGS_append(joined, "\\");
            if (fits) fits = STRINGS_append(joined, state.search_buffer);
            if (!fits) {
                // The hit cannot be named in full under this slot; a later slot may still hold it.
                EBUG_MESSAGE("EFILE_make_full_path failed: joined path too long in slot %u", slot);
                continue;
            }
            STRINGS_copy(state.full_path, joined);
            EBUG_RETURN(state.full_path);
        }
        EBUG_RETURN(nullptr);
    }

    for (std::uint32_t slot = 0; slot < state.num_search_paths; ++slot) {
        const EFILE_TREE_DETAILS& details = state.search_paths[slot];
        if (details.path[0] == '\0') break;
        if (!STRINGS_copy(state.search_buffer, details.path) ||
            !STRINGS_append(state.search_buffer, state.full_path)) {
            EBUG_MESSAGE("EFILE_make_full_path failed: joined path too long in slot %u", slot);
            continue;
        }
        if (efile_system_status(state.search_buffer, &state.last_status)) EBUG_RETURN(state.search_buffer);
    }
    EBUG_RETURN(nullptr);
}

std::uint8_t EFILE_read_file(const char* name, void* destination, std::uint32_t byte_count) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (!state.initialised || !destination) EBUG_RETURN(0);
    const char* path = EFILE_make_full_path(name);
    if (!path) EBUG_RETURN(0);
    if (byte_count == 0 && !state.process_function && state.use_tree &&
        !efile_system_status(path, &state.last_status))
        EBUG_RETURN(0);
    std::FILE* stream = EFILE_FOPEN(path, "rb", 0);
    if (!stream) EBUG_RETURN(0);
    if (byte_count == 0 && !state.process_function) {
        std::size_t size = static_cast<std::size_t>(state.last_status.st_size);
        std::size_t got = std::fread(destination, 1, size, stream);
        // Only the bytes actually read are summed; a file cut short since its query adds no
        // bytes the read never delivered.
        efile_add_crc(destination, static_cast<std::uint32_t>(got));
    } else {
        std::uint32_t got =
            efile_chunk_fread(destination, 1, byte_count, stream, state.chunk_size, efile_process);
        efile_add_crc(destination, got);
    }
    EFILE_FCLOSE(stream);
    EBUG_RETURN(1);
}

void* EFILE_allocate_and_read_file(const char* name, void* previous, std::uint32_t* bytes_read) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (bytes_read) *bytes_read = 0;
    if (!state.initialised) {
        EBUG_MESSAGE("EFILE_allocate_and_read_file: EFILE not active");
        EBUG_RETURN(nullptr);
    }
    const char* path = EFILE_make_full_path(name);
    if (!path) EBUG_RETURN(nullptr);
    if (state.use_tree && !efile_system_status(path, &state.last_status)) {
        EBUG_MESSAGE("EFILE_allocate_and_read_file: Coudlnt get file stat data");
        EBUG_RETURN(nullptr);
    }
    // A file beyond the allocator's signed range gets the same refusal as an empty one.
    std::int64_t size = static_cast<std::int64_t>(state.last_status.st_size);
    std::int32_t request = (size <= 0 || size > 0x7FFFFFFF) ? 0 : static_cast<std::int32_t>(size);
    std::uint8_t* buffer = static_cast<std::uint8_t*>(previous);
    MEMORY_ALLOCATE(buffer, request, MEMORY_FILL_ZERO, "EFILE_allocate_and_read_file");
    if (!buffer) {
        EBUG_MESSAGE("EFILE_allocate_and_read_file: Failed to allocate memory");
        EBUG_RETURN(nullptr);
    }
    std::FILE* stream = EFILE_FOPEN(path, "rb", 0);
    if (!stream) {
        MEMORY_FREE(buffer);
        EBUG_RETURN(nullptr);
    }
    std::uint32_t got = efile_chunk_fread(buffer, 1, static_cast<std::size_t>(request), stream, state.chunk_size,
                                          efile_process);
    if (bytes_read) *bytes_read = got;
    efile_add_crc(buffer, got);
    EFILE_FCLOSE(stream);
    EBUG_RETURN(buffer);
}

std::uint32_t efile_chunk_fread(void* destination, std::size_t element_size, std::size_t element_count,
                                std::FILE* stream, std::uint32_t chunk_bytes, EFILE_PROCESS_FUNCTION per_chunk) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (!destination || !stream) EBUG_RETURN(0);
    // The chunks pass through the one chunk buffer; a step it cannot hold would overrun it.
    if (!state.chunck_buffer || chunk_bytes == 0 || chunk_bytes > state.chunk_size) {
        EBUG_MESSAGE("efile_chunk_fread failed: chunk of %u bytes, buffer of %u", chunk_bytes,
                     state.chunck_buffer ? state.chunk_size : 0u);
        EBUG_RETURN(0);
    }
    std::uint64_t total = static_cast<std::uint64_t>(element_size) * element_count;
    if (total > 0xFFFFFFFFu) total = 0xFFFFFFFFu;
    if (std::feof(stream)) EBUG_RETURN(0);
    auto* out = static_cast<std::uint8_t*>(destination);
    std::uint32_t count = 0;
    while (count < total && !std::feof(stream)) {
        std::uint64_t remaining = total - count;
        std::size_t step = remaining < chunk_bytes ? static_cast<std::size_t>(remaining) : chunk_bytes;
        std::size_t got = std::fread(state.chunck_buffer, 1, step, stream);
        if (got == 0) break;  // nothing came: no chunk to report either
        std::memcpy(out + count, state.chunck_buffer, got);
        count += static_cast<std::uint32_t>(got);
        if (per_chunk) per_chunk();
    }
    EBUG_RETURN(count);
}

void efile_process(void) {
    ENTER();
    if (local_efile_details.initialised && local_efile_details.process_function)
        local_efile_details.process_function();
    LEAVE();
}

std::uint32_t CRC_calc_block(const void* bytes, std::uint32_t length) {
    ENTER();
    if (length == 0 || !bytes) EBUG_RETURN(0u);
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    // The forward run from the first byte and the backward run from the last, eight bytes a step
    // each and side by side, then the bytes left over one at a time.
    std::uint16_t forward = 0xFFFF;
    std::uint16_t backward = 0x4110;
    std::uint32_t front = 0;
    std::uint32_t back = length;
    for (; back >= 8 && front + 8 <= length; front += 8, back -= 8) {
        std::uint8_t ahead[8];
        std::uint8_t behind[8];
        std::memcpy(ahead, data + front, 8);
        for (int k = 0; k < 8; ++k) behind[k] = data[back - 1 - static_cast<std::uint32_t>(k)];
        forward = efile_crc_eight(forward, ahead);
        backward = efile_crc_eight(backward, behind);
    }
    for (; front < length; ++front) forward = efile_crc_step(forward, data[front]);
    for (; back > 0; --back) backward = efile_crc_step(backward, data[back - 1]);
    EBUG_RETURN((static_cast<std::uint32_t>(forward) << 16) | backward);
}

BOOL8 EFILE_set_use_tree_to_find_files(std::uint8_t value) {
    ENTER();
    if (value > 1) EBUG_RETURN(FALSE);
    local_efile_details.use_tree = value;
    EBUG_RETURN(TRUE);
}

std::uint8_t EFILE_get_use_tree_to_find_files(void) {
    ENTER();
    EBUG_RETURN(local_efile_details.use_tree);
}

BOOL8 EFILE_set_extension(const char* extension) {
    ENTER();
    if (!extension) EBUG_RETURN(FALSE);
    // Stored lowered and cut to 255 characters, like every text the layer keeps.
    efile_copy_string(local_efile_details.extension, extension, EFILE_PATH_SIZE);
    EBUG_RETURN(TRUE);
}

const char* EFILE_get_extension(void) {
    ENTER();
    EBUG_RETURN(local_efile_details.extension);
}

std::int32_t EFILE_add_search_path(const char* path) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (!path || !state.search_paths) EBUG_RETURN(-1);
    // The path is kept lowered and cut to 255 characters; a resolved path that then does not fit
    // its buffer is refused when names are joined to it.
    for (std::uint32_t slot = 0; slot < state.num_search_paths; ++slot) {
        if (state.search_paths[slot].path[0] != '\0') continue;
        efile_copy_string(state.search_paths[slot].path, path, EFILE_PATH_SIZE);
        EBUG_RETURN(static_cast<std::int32_t>(slot));
    }
    EBUG_RETURN(-1);
}

std::int32_t EFILE_set_search_paths(std::int32_t count, ...) {
    ENTER();
    efile_module_state& state = local_efile_details;
    efile_clear_search_path(-1);
    std::int32_t placed = 0;
    std::va_list arguments;
    va_start(arguments, count);
    for (std::int32_t i = 0; i < count; ++i) {
        const char* path = va_arg(arguments, const char*);
        if (!path) {
            EBUG_MESSAGE("string is NULL");
            continue;
        }
        std::int32_t slot = EFILE_add_search_path(path);
        if (slot < 0) continue;
        state.search_paths[slot].tree_size = state.initial_tree_size;
        EFILE_build_file_tree(slot);
        ++placed;
    }
    va_end(arguments);
    EBUG_RETURN(placed);
}

const char* EFILE_get_search_path(std::int32_t index) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (!state.search_paths || index < 0 || static_cast<std::uint32_t>(index) >= state.num_search_paths)
        EBUG_RETURN(nullptr);
    EBUG_RETURN(state.search_paths[index].path);
}

void efile_clear_search_path(std::int32_t index) {
    ENTER();
    efile_module_state& state = local_efile_details;
    if (!state.search_paths) {
        LEAVE();
        return;
    }
    for (std::uint32_t slot = 0; slot < state.num_search_paths; ++slot) {
        if (index != -1 && static_cast<std::uint32_t>(index) != slot) continue;
        EFILE_TREE_DETAILS& details = state.search_paths[slot];
        details.path[0] = '\0';
        efile_free_tree_index(&details);
        if (details.file_tree) MEMORY_FREE(details.file_tree);
    }
    LEAVE();
}

std::size_t EFILE_fread(void* buffer, std::size_t element_size, std::size_t element_count, std::FILE* stream) {
    ENTER();
    if (!stream || !buffer) EBUG_RETURN(0u);
    EBUG_RETURN(std::fread(buffer, element_size, element_count, stream));
}

std::size_t EFILE_fwrite(const void* buffer, std::size_t element_size, std::size_t element_count,
                         std::FILE* stream) {
    ENTER();
    if (!stream || !buffer) EBUG_RETURN(0u);
    EBUG_RETURN(std::fwrite(buffer, element_size, element_count, stream));
}

int EFILE_fseek(std::FILE* stream, long offset, int origin) {
    ENTER();
    if (!stream) EBUG_RETURN(-1);
    EBUG_RETURN(std::fseek(stream, offset, origin));
}

std::uint8_t EFILE_set_crc_state(std::uint8_t state) {
    ENTER();
    std::uint8_t previous = local_efile_details.crc_state;
    local_efile_details.crc_state = state;
    EBUG_RETURN(previous);
}

void EFILE_set_crc_total(std::uint32_t total) {
    ENTER();
    local_efile_details.crc_total = total;
    LEAVE();
}

std::uint32_t EFILE_get_crc_total(void) {
    ENTER();
    EBUG_RETURN(local_efile_details.crc_total);
}

std::FILE* efile_fopen(const char* name, const char* mode, std::uint8_t use_search_paths, const char* file,
                       std::int32_t line) {
    ENTER();
    if (!name || !mode) {
        EBUG_MESSAGE("efile_fopen failed: no name or mode in %s at line %d", file ? file : "?", line);
        EBUG_RETURN(nullptr);
    }
    const char* path = name;
    if (use_search_paths == 1 && local_efile_details.initialised) {
        const char* resolved = EFILE_make_full_path(name);
        if (resolved) path = resolved;
    }
    std::FILE* stream = efile_system_open(path, mode);
    if (!stream)
        EBUG_MESSAGE("Failed to open '%s' ('%s') in %s at line %d", path, name, file ? file : "?", line);
    EBUG_RETURN(stream);
}

std::uint8_t efile_fclose(std::FILE* stream, const char* file, std::int32_t line) {
    ENTER();
    int result = stream ? std::fclose(stream) : EOF;
    if (result != 0) EBUG_MESSAGE("Failed to close file in %s at line %d", file ? file : "?", line);
    EBUG_RETURN(static_cast<std::uint8_t>(result & 0xFF));
}

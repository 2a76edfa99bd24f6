// Message store: the table of loaded message files, record operations, the writer and text helpers.
#define EBUG_MODULE "MESSAGE"

#include <cstdlib>
#include <cstring>

#include "EBUG.h"
#include "Heap.h"
#include "MessageInternal.h"

namespace {

constexpr std::uint16_t message_header = 0xFEFF;
constexpr std::uint16_t message_lf = 0x000A;
constexpr std::uint16_t message_cr = 0x000D;
constexpr char message_end_marker[] = "[END_OF_FILE]";
constexpr std::size_t message_end_marker_length = sizeof message_end_marker - 1;
// Records added to a full array at a time.
constexpr std::uint32_t message_growth = 5;

// A file's records by id: open addressing over record indices, so that loading and inserting do
// not compare every id with every other. It answers exactly as the scan in record order would,
// ids being unique within a file; it is trusted only while it holds as many records as the file,
// and is made again from the records otherwise (after a removal). Without it, lookups scan.
struct message_index {
    std::uint32_t* slots;    // record index + 1; 0 = empty
    std::uint32_t capacity;  // a power of two, at least twice the records held
    std::uint32_t count;     // records indexed
};

struct message_state_record {
    BOOL8 initialised;
    MESSAGE_FILE* table;
    message_index* indexes;  // one per table entry
    std::uint32_t max_message_files;
    std::uint8_t output_encrypt_state;
};

message_state_record message_state = {FALSE, nullptr, nullptr, 0, 1};

std::uint32_t message_hash(const char* id) {
    return message_digest_id(id).hash;
}

void message_index_reset(std::int32_t handle) {
    if (!message_state.indexes) return;
    std::free(message_state.indexes[handle].slots);
    message_state.indexes[handle] = message_index{nullptr, 0, 0};
}

void message_index_put_hashed(message_index& index, std::uint32_t hash, std::uint32_t record) {
    std::uint32_t slot = hash & (index.capacity - 1);
    while (index.slots[slot]) slot = (slot + 1) & (index.capacity - 1);
    index.slots[slot] = record + 1;
    ++index.count;
}

void message_index_put(message_index& index, const MESSAGE_STR* records, std::uint32_t record) {
    message_index_put_hashed(index, message_hash(records[record].id), record);
}

// Makes room for the file's records plus one more, indexing them all afresh; FALSE without memory.
BOOL8 message_index_rebuild(std::int32_t handle, std::uint32_t wanted) {
    message_index& index = message_state.indexes[handle];
    const MESSAGE_FILE& entry = message_state.table[handle];
    std::uint32_t capacity = 16;
    while (capacity < 0x40000000u && capacity < wanted * 2 + 2) capacity *= 2;
    std::uint32_t* slots = static_cast<std::uint32_t*>(HEAP_allocate_zeroed_runtime(capacity, sizeof(std::uint32_t)));
    if (!slots) return FALSE;
    std::free(index.slots);
    index = message_index{slots, capacity, 0};
    for (std::uint32_t record = 0; record < entry.num_messages; ++record)
        message_index_put(index, entry.messages, record);
    return TRUE;
}

// The record index of the id: -1 when the file has no such record, -2 when there is no index.
std::int64_t message_index_find(std::int32_t handle, const char* id, std::int32_t magic) {
    if (!message_state.indexes) return -2;
    message_index& index = message_state.indexes[handle];
    const MESSAGE_FILE& entry = message_state.table[handle];
    if ((!index.slots || index.count != entry.num_messages) && !message_index_rebuild(handle, entry.num_messages)) {
        // An index that could not be made again is dropped: after a removal and an insert its count
        // would match the file's again while its slots still pointed at the records as they were.
        message_index_reset(handle);
        return -2;
    }
    for (std::uint32_t slot = message_hash(id) & (index.capacity - 1); index.slots[slot];
         slot = (slot + 1) & (index.capacity - 1)) {
        const MESSAGE_STR& record = entry.messages[index.slots[slot] - 1];
        if (record.magic_number == magic && std::strcmp(record.id, id) == 0) return index.slots[slot] - 1;
    }
    return -1;
}

// Files the record just appended; an index that cannot grow is dropped, to be made again later.
void message_index_add(std::int32_t handle) {
    if (!message_state.indexes) return;
    message_index& index = message_state.indexes[handle];
    const MESSAGE_FILE& entry = message_state.table[handle];
    if (!index.slots || index.count + 1 != entry.num_messages) return;  // made afresh when next asked
    if ((index.count + 1) * 2 > index.capacity && !message_index_rebuild(handle, entry.num_messages)) {
        message_index_reset(handle);
        return;
    }
    if (index.count + 1 == entry.num_messages) message_index_put(index, entry.messages, entry.num_messages - 1);
}

MESSAGE_FILE* message_entry(std::int32_t handle) {
    return message_valid_handle(handle) ? &message_state.table[handle] : nullptr;
}

std::uint16_t* message_copy_text(const std::uint16_t* text) {
    std::uint32_t length = unicodelen(text);
    if (length == 0) return nullptr;
    std::uint16_t* copy = static_cast<std::uint16_t*>(HEAP_allocate_runtime(length * sizeof(std::uint16_t)));
    if (copy) unicodecpy(copy, text);
    return copy;
}

// The id and text a new record of the entry keeps: in an editable file copies of its own, a missing
// text becoming the one-character text CR; in a read-only file the given pointers. FALSE, with
// nothing kept, when a copy cannot be had.
bool message_strings_to_store(const MESSAGE_FILE& entry, const char* id, const std::uint16_t* text, char** id_to_store,
                              std::uint16_t** text_to_store) {
    if (entry.editable != 1) {
        *id_to_store = const_cast<char*>(id);
        *text_to_store = const_cast<std::uint16_t*>(text);
        return true;
    }
    static const std::uint16_t carriage_return[] = {message_cr, 0};
    const std::size_t id_length = std::strlen(id) + 1;
    char* id_copy = static_cast<char*>(HEAP_allocate_runtime(id_length));
    std::uint16_t* text_copy = message_copy_text(text ? text : carriage_return);
    if (!id_copy || !text_copy) {
        std::free(id_copy);
        std::free(text_copy);
        return false;
    }
    std::memcpy(id_copy, id, id_length);
    *id_to_store = id_copy;
    *text_to_store = text_copy;
    return true;
}

// Widens one id byte as a signed value, as the file format stores ids.
std::uint16_t message_widen(char byte) {
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(static_cast<signed char>(byte)));
}

}  // namespace

BOOL8 MESSAGE_initialise(std::uint32_t number_of_files) {
    ENTER();
    if (message_state.initialised) {
        // A second table would strand the files the first one still holds.
        EBUG_MESSAGE("MESSAGE_initialise failed: already initialised");
        EBUG_RETURN(FALSE);
    }
    if (number_of_files == 0) {
        EBUG_MESSAGE("MESSAGE_initialise failed: no table entries");
        EBUG_RETURN(FALSE);
    }
    MESSAGE_FILE* table =
        static_cast<MESSAGE_FILE*>(HEAP_allocate_zeroed_runtime(number_of_files, sizeof(MESSAGE_FILE)));
    if (!table) {
        EBUG_MESSAGE("MESSAGE_initialise failed: cannot allocate the table");
        EBUG_RETURN(FALSE);
    }
    message_state.table = table;
    // Without the indexes the store still works, by scanning.
    message_state.indexes =
        static_cast<message_index*>(HEAP_allocate_zeroed_runtime(number_of_files, sizeof(message_index)));
    message_state.max_message_files = number_of_files;
    message_state.output_encrypt_state = 1;
    message_state.initialised = TRUE;
    EBUG_RETURN(TRUE);
}

void MESSAGE_deinitialise(void) {
    ENTER();
    // Files still loaded are not released here; their owners release them first.
    for (std::uint32_t index = 0; message_state.indexes && index < message_state.max_message_files; ++index)
        message_index_reset(static_cast<std::int32_t>(index));
    std::free(message_state.indexes);
    message_state.indexes = nullptr;
    std::free(message_state.table);
    message_state.table = nullptr;
    message_state.max_message_files = 0;
    message_state.initialised = FALSE;
    LEAVE();
}

std::int32_t message_handle_of(const MESSAGE_FILE* entry) {
    if (!message_state.table || entry < message_state.table ||
        entry >= message_state.table + message_state.max_message_files)
        return -1;
    return static_cast<std::int32_t>(entry - message_state.table);
}

BOOL8 message_valid_handle(std::int32_t handle) {
    ENTER();
    if (!message_state.initialised || handle < 0 ||
        static_cast<std::uint32_t>(handle) >= message_state.max_message_files)
        EBUG_RETURN(FALSE);
    EBUG_RETURN(message_state.table[handle].in_use ? TRUE : FALSE);
}

namespace {

// The first free table entry, reset; -1 when none is free.
std::int32_t message_free_handle(MESSAGE_FILE_ERROR* error) {
    std::int32_t handle = -1;
    for (std::uint32_t index = 0; message_state.initialised && index < message_state.max_message_files; ++index) {
        if (!message_state.table[index].in_use) {
            handle = static_cast<std::int32_t>(index);
            break;
        }
    }
    if (handle < 0) return -1;
    std::memset(&message_state.table[handle], 0, sizeof(MESSAGE_FILE));
    message_index_reset(handle);
    // The record is reset here as well as by the markup check, which an empty file never reaches.
    if (error) {
        error->error = 0;
        error->text = nullptr;
        error->file_name = nullptr;
        error->position = MESSAGE_NO_POSITION;
        error->line = MESSAGE_NO_LINE;
    }
    return handle;
}

// Inserts one entry the reader cut out of the file being loaded, as MESSAGE_insert_message would:
// the id's number and hash come with the cut, one probe answers whether the id is new and leaves
// the slot for it, and a text already known to be within the length limit is not measured again.
void message_insert_loaded(std::int32_t handle, const message_cut_entry_result& cut) {
    const char* id = cut.id;
    const std::uint16_t* text = cut.text;
    MESSAGE_FILE& entry = message_state.table[handle];
    message_index* index = message_state.indexes ? &message_state.indexes[handle] : nullptr;
    if (!index || !index->slots || index->count != entry.num_messages || entry.num_messages >= entry.capacity ||
        (index->count + 1) * 2 > index->capacity) {
        MESSAGE_insert_message(handle, id, text);
        return;
    }
    const std::int32_t magic = cut.digest.magic;
    std::uint32_t slot = cut.digest.hash & (index->capacity - 1);
    for (; index->slots[slot]; slot = (slot + 1) & (index->capacity - 1)) {
        const MESSAGE_STR& record = entry.messages[index->slots[slot] - 1];
        if (record.magic_number == magic && std::strcmp(record.id, id) == 0) return;  // the first one stays
    }
    if (!cut.text_within_limit && unicodelen(text) == 0) return;
    char* id_to_store = nullptr;
    std::uint16_t* text_to_store = nullptr;
    if (!message_strings_to_store(entry, id, text, &id_to_store, &text_to_store)) return;
    MESSAGE_STR& record = entry.messages[entry.num_messages];
    record.id = id_to_store;
    record.text = text_to_store;
    record.magic_number = magic;
    index->slots[slot] = entry.num_messages + 1;
    ++index->count;
    ++entry.num_messages;
}

// Checks and cuts the units the entry's file text holds, wherever they came from, and takes the
// entry into use; MESSAGE_MARKUP_ERROR (the entry left free) on a markup error.
std::int32_t message_take_units(std::int32_t handle, std::int32_t units, const char* name, std::uint8_t editable,
                                MESSAGE_FILE_ERROR* error) {
    MESSAGE_FILE* entry = &message_state.table[handle];
    std::int32_t entries = 0;
    message_cut_list cuts{nullptr, 0, 0, TRUE};
    if (units > 0) {
        message_decrypt_xor(entry, entry->file_text, units);
        entries = message_scan(entry, units, error, &cuts);
    }
    if (entries == -2) {
        std::free(cuts.items);
        if (error) {
            std::size_t length = std::strlen(name) + 1;
            error->file_name = static_cast<char*>(HEAP_allocate_runtime(length));
            if (error->file_name) std::memcpy(error->file_name, name, length);
        }
        std::free(entry->file_text);
        entry->file_text = nullptr;
        return MESSAGE_MARKUP_ERROR;
    }
    entry->editable = editable;
    entry->in_use = 1;
    if (entries > 0) {
        // Without the array the entries still go in: insertion grows it a few records at a time.
        entry->messages = static_cast<MESSAGE_STR*>(
            HEAP_allocate_zeroed_runtime(static_cast<std::size_t>(entries), sizeof(MESSAGE_STR)));
        entry->capacity = entry->messages ? static_cast<std::uint32_t>(entries) : 0;
        if (!cuts.usable) {
            mark_messages(entry, units, entries);
        } else if (entry->file_text[0] != 0) {  // a zero header cuts nothing, as mark_messages has it
            // Sized once for every entry, the index never has to grow while the file goes in.
            if (message_state.indexes) message_index_rebuild(handle, static_cast<std::uint32_t>(entries));
            for (std::size_t index = 0; index < cuts.count; ++index) {
                message_cut_entry_result cut{};
                message_cut_entry(entry->file_text, units, cuts.items[index], &cut);
                message_insert_loaded(handle, cut);
            }
        }
    }
    std::free(cuts.items);
    return handle;
}

}  // namespace

std::int32_t MESSAGE_allocate_message_file(const char* file_name, std::uint8_t editable, MESSAGE_FILE_ERROR* error) {
    ENTER();
    std::int32_t handle = message_free_handle(error);
    if (handle < 0) {
        EBUG_MESSAGE("MESSAGE_allocate_message_file failed: no free entry");
        EBUG_RETURN(MESSAGE_NO_FREE_ENTRY);
    }
    if (!file_name) {
        EBUG_MESSAGE("MESSAGE_allocate_message_file failed: no file name");
        EBUG_RETURN(MESSAGE_NO_FREE_ENTRY);
    }
    std::int32_t units = message_read_message_file(&message_state.table[handle], file_name);
    if (units < 0) {
        EBUG_MESSAGE("FAILED to read file: %s", file_name);
        units = 0;
    }
    EBUG_RETURN(message_take_units(handle, units, file_name, editable, error));
}

std::int32_t MESSAGE_allocate_message_memory(const char* name, const void* bytes, std::size_t size,
                                             std::uint8_t editable, MESSAGE_FILE_ERROR* error) {
    ENTER();
    std::int32_t handle = message_free_handle(error);
    if (handle < 0 || !name || (!bytes && size)) {
        EBUG_MESSAGE("MESSAGE_allocate_message_memory failed: no free entry, name or bytes");
        EBUG_RETURN(MESSAGE_NO_FREE_ENTRY);
    }
    std::int32_t units = message_units_from_bytes(bytes, size, &message_state.table[handle].file_text);
    if (units < 0) {
        EBUG_MESSAGE("FAILED to read file: %s", name);
        units = 0;
    }
    EBUG_RETURN(message_take_units(handle, units, name, editable, error));
}

void MESSAGE_deallocate_message_file(std::int32_t handle) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry) {
        LEAVE();
        return;
    }
    std::free(entry->file_text);
    if (entry->editable == 1)
        for (std::uint32_t index = 0; index < entry->num_messages; ++index)
            message_deallocate_message_str(&entry->messages[index]);
    std::free(entry->messages);
    std::memset(entry, 0, sizeof *entry);
    message_index_reset(handle);
    LEAVE();
}

std::uint16_t* message_build_image(std::int32_t handle, std::size_t* count) {
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry) return nullptr;
    std::size_t total = 1 + message_end_marker_length;
    for (std::uint32_t index = 0; index < entry->num_messages; ++index) {
        const MESSAGE_STR& record = entry->messages[index];
        std::uint32_t text_units = unicodelen(record.text);
        total += std::strlen(record.id) + (text_units ? text_units - 1 : 0) + 4;
    }
    std::uint16_t* image =
        total <= 0x7FFFFFFFu ? static_cast<std::uint16_t*>(HEAP_allocate_runtime(total * sizeof(std::uint16_t))) : nullptr;
    if (!image) {
        EBUG_MESSAGE("MESSAGE_write_message_file failed: cannot allocate %u units", static_cast<unsigned>(total));
        return nullptr;
    }
    std::size_t at = 0;
    image[at++] = message_header;
    for (std::uint32_t index = 0; index < entry->num_messages; ++index) {
        const MESSAGE_STR& record = entry->messages[index];
        image[at++] = '[';
        for (const char* byte = record.id; *byte; ++byte) image[at++] = message_widen(*byte);
        image[at++] = ']';
        image[at++] = message_lf;
        if (unicodelen(record.text))
            for (const std::uint16_t* unit = record.text; *unit; ++unit) image[at++] = *unit;
        image[at++] = message_lf;
    }
    for (std::size_t index = 0; index < message_end_marker_length; ++index)
        image[at++] = static_cast<std::uint16_t>(message_end_marker[index]);
    EBUG_ASSERT(at == total);
    if (message_state.output_encrypt_state == 1)
        message_encrypt_xor(entry, image, static_cast<std::int32_t>(total));
    *count = total;
    return image;
}

void MESSAGE_write_message_file(std::int32_t handle, const char* file_name) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry || entry->editable != 1 || !file_name) {
        LEAVE();
        return;
    }
    // The image is built before the file is opened, so a failed allocation leaves the old file.
    std::size_t count = 0;
    std::uint16_t* image = message_build_image(handle, &count);
    if (image) message_save_units(file_name, image, count);
    std::free(image);
    LEAVE();
}

MESSAGE_STR* message_get_list_object(std::int32_t handle, const char* id) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry || !id) EBUG_RETURN(nullptr);
    std::int32_t magic = message_calc_message_id_magic_number(id);
    std::int64_t found = message_index_find(handle, id, magic);
    if (found != -2) EBUG_RETURN(found >= 0 ? &entry->messages[found] : nullptr);
    for (std::uint32_t index = 0; index < entry->num_messages; ++index) {
        MESSAGE_STR* record = &entry->messages[index];
        if (record->magic_number == magic && std::strcmp(record->id, id) == 0) EBUG_RETURN(record);
    }
    EBUG_RETURN(nullptr);
}

const char* MESSAGE_get_first_message_id(std::int32_t handle) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry || entry->num_messages == 0) EBUG_RETURN(nullptr);
    EBUG_RETURN(entry->messages[0].id);
}

const char* MESSAGE_get_next_message_id(std::int32_t handle, const char* id) {
    ENTER();
    MESSAGE_STR* record = message_get_list_object(handle, id);
    if (!record) EBUG_RETURN(nullptr);
    MESSAGE_FILE* entry = &message_state.table[handle];
    std::uint32_t next = static_cast<std::uint32_t>(record - entry->messages) + 1;
    if (next >= entry->num_messages) EBUG_RETURN(nullptr);
    EBUG_RETURN(entry->messages[next].id);
}

const std::uint16_t* MESSAGE_get_message(std::int32_t handle, const char* id) {
    ENTER();
    MESSAGE_STR* record = message_get_list_object(handle, id);
    EBUG_RETURN(record ? record->text : nullptr);
}

void MESSAGE_set_message(std::int32_t handle, const char* id, const std::uint16_t* text) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    MESSAGE_STR* record = message_get_list_object(handle, id);
    if (!entry || entry->editable != 1 || !record) {
        LEAVE();
        return;
    }
    // The old text goes only once the copy exists: a text that is refused changes nothing.
    std::uint16_t* copy = message_copy_text(text);
    if (copy) {
        std::free(record->text);
        record->text = copy;
    }
    LEAVE();
}

MESSAGE_STR* message_get_new_message_str(std::int32_t handle) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry) EBUG_RETURN(nullptr);
    if (entry->num_messages >= entry->capacity) {
        std::uint64_t capacity = static_cast<std::uint64_t>(entry->capacity) + message_growth;
        if (capacity > 0xFFFFFFFFu / sizeof(MESSAGE_STR)) EBUG_RETURN(nullptr);
        MESSAGE_STR* grown = static_cast<MESSAGE_STR*>(
            HEAP_resize_runtime(entry->messages, static_cast<std::size_t>(capacity) * sizeof(MESSAGE_STR)));
        if (!grown) EBUG_RETURN(nullptr);
        std::memset(grown + entry->capacity, 0, message_growth * sizeof(MESSAGE_STR));
        entry->messages = grown;
        entry->capacity = static_cast<std::uint32_t>(capacity);
    }
    EBUG_RETURN(&entry->messages[entry->num_messages]);
}

void message_deallocate_message_str(MESSAGE_STR* record) {
    ENTER();
    if (record) {
        std::free(record->id);
        std::free(record->text);
        record->id = nullptr;
        record->text = nullptr;
    }
    LEAVE();
}

BOOL8 MESSAGE_insert_message(std::int32_t handle, const char* id, const std::uint16_t* text) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry || !id || message_get_list_object(handle, id)) EBUG_RETURN(FALSE);
    // Texts beyond the length limit are refused in either kind of file: nothing could copy or
    // write them later.
    if (text && unicodelen(text) == 0) EBUG_RETURN(FALSE);
    char* id_to_store = nullptr;
    std::uint16_t* text_to_store = nullptr;
    if (!message_strings_to_store(*entry, id, text, &id_to_store, &text_to_store)) EBUG_RETURN(FALSE);
    MESSAGE_STR* record = message_get_new_message_str(handle);
    if (!record) {
        if (entry->editable == 1) {
            std::free(id_to_store);
            std::free(text_to_store);
        }
        EBUG_RETURN(FALSE);
    }
    record->id = id_to_store;
    record->text = text_to_store;
    record->magic_number = message_calc_message_id_magic_number(id_to_store);
    ++entry->num_messages;
    message_index_add(handle);
    EBUG_RETURN(TRUE);
}

BOOL8 MESSAGE_remove_message(std::int32_t handle, const char* id) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry || entry->editable != 1 || entry->num_messages == 0) EBUG_RETURN(FALSE);
    MESSAGE_STR* record = message_get_list_object(handle, id);
    if (!record) EBUG_RETURN(FALSE);
    message_deallocate_message_str(record);
    std::size_t after = entry->num_messages - static_cast<std::uint32_t>(record - entry->messages) - 1;
    std::memmove(record, record + 1, after * sizeof(MESSAGE_STR));
    --entry->num_messages;
    std::memset(&entry->messages[entry->num_messages], 0, sizeof(MESSAGE_STR));
    EBUG_RETURN(TRUE);
}

std::int32_t MESSAGE_count_messages(std::int32_t handle) {
    ENTER();
    MESSAGE_FILE* entry = message_entry(handle);
    if (!entry) EBUG_RETURN(-1);
    EBUG_RETURN(static_cast<std::int32_t>(entry->num_messages));
}

std::uint8_t MESSAGE_set_output_encrypt_state(std::uint8_t state) {
    ENTER();
    std::uint8_t previous = message_state.output_encrypt_state;
    message_state.output_encrypt_state = state;
    EBUG_RETURN(previous);
}

std::uint32_t unicodelen(const std::uint16_t* text) {
    ENTER();
    if (!text) EBUG_RETURN(0u);
    for (std::uint32_t index = 0; index <= MESSAGE_MAX_TEXT_LENGTH; ++index)
        if (text[index] == 0) EBUG_RETURN(index + 1);
    EBUG_RETAIL_LINE("Length is too big");
    EBUG_RETURN(0u);
}

std::uint32_t myunicodelen(const std::uint16_t* text) {
    ENTER();
    if (!text) EBUG_RETURN(0u);
    for (std::uint32_t index = 0; index <= MESSAGE_MAX_APPEND_LENGTH; ++index)
        if (text[index] == 0) EBUG_RETURN(index);
    EBUG_RETURN(0u);
}

BOOL8 unicodecmp(const std::uint16_t* first, const std::uint16_t* second) {
    ENTER();
    if (!first || !second) EBUG_RETURN(FALSE);
    std::uint32_t length = unicodelen(first);
    // Texts too long to measure are never taken as equal.
    if (length == 0 || length != unicodelen(second)) EBUG_RETURN(FALSE);
    EBUG_RETURN(std::memcmp(first, second, length * sizeof(std::uint16_t)) == 0 ? TRUE : FALSE);
}

void unicodecpy(std::uint16_t* destination, const std::uint16_t* text) {
    ENTER();
    std::size_t index = 0;
    for (; text[index]; ++index) destination[index] = text[index];
    destination[index] = 0;
    LEAVE();
}

void MESSAGE_append(std::uint16_t* destination, const std::uint16_t* text) {
    ENTER();
    std::uint32_t length = myunicodelen(text);
    if (!destination || length == 0) {
        LEAVE();
        return;
    }
    // A destination over 200 characters measures 0, so the text then lands at its start.
    std::uint32_t at = myunicodelen(destination);
    std::memcpy(destination + at, text, length * sizeof(std::uint16_t));
    destination[at + length] = 0;
    LEAVE();
}

char* MESSAGE_unicode_to_ascii(const std::uint16_t* text) {
    ENTER();
    std::uint32_t length = unicodelen(text);
    if (length == 0) EBUG_RETURN(nullptr);
    char* narrow = static_cast<char*>(HEAP_allocate_runtime(length));
    if (!narrow) EBUG_RETURN(nullptr);
    for (std::uint32_t index = 0; index < length; ++index) narrow[index] = static_cast<char>(text[index] & 0xFF);
    EBUG_RETURN(narrow);
}

std::uint16_t* MESSAGE_ascii_to_unicode(const char* text) {
    ENTER();
    if (!text) EBUG_RETURN(nullptr);
    std::size_t length = std::strlen(text);
    std::uint16_t* wide = static_cast<std::uint16_t*>(HEAP_allocate_runtime((length + 2) * sizeof(std::uint16_t)));
    if (!wide) EBUG_RETURN(nullptr);
    for (std::size_t index = 0; index < length; ++index) wide[index] = message_widen(text[index]);
    wide[length] = message_cr;
    wide[length + 1] = 0;
    EBUG_RETURN(wide);
}

// Module-private operations of the message store, shared by its two source files and its tests.
#pragma once

#include <cstdint>

#include "Message.h"

// Longest text the length helper accepts, in characters.
#define MESSAGE_MAX_TEXT_LENGTH 200000u
// Longest text the append helper measures, in characters.
#define MESSAGE_MAX_APPEND_LENGTH 200u

// The four markup error texts.
extern const char message_error_bracket_in_bracket[];
extern const char message_error_close_before_open[];
extern const char message_error_newline_before[];
extern const char message_error_newline_after[];

// An entry as mark_messages cuts it: unit indices of the id's "[" and "]", of the text's first unit
// and of the "[" after the text.
struct message_cut {
    std::int32_t open, close, text_start, next;
};
// The cuts a scan found, in file order; not usable when the list could not grow.
struct message_cut_list {
    message_cut* items;
    std::size_t count;
    std::size_t capacity;
    BOOL8 usable;
};

// Reader.
std::int32_t message_read_message_file(MESSAGE_FILE* entry, const char* file_name);
void message_decrypt_xor(MESSAGE_FILE* entry, std::uint16_t* units, std::int32_t count);
std::int32_t message_count(MESSAGE_FILE* entry, std::int32_t count, MESSAGE_FILE_ERROR* error);
void mark_messages(MESSAGE_FILE* entry, std::int32_t count, std::int32_t number_of_entries);
// message_count, and in the same pass the entries mark_messages would cut, when cuts is given.
std::int32_t message_scan(MESSAGE_FILE* entry, std::int32_t count, MESSAGE_FILE_ERROR* error, message_cut_list* cuts);
// An id's number and the store's index hash.
struct message_id_digest {
    std::int32_t magic;
    std::uint32_t hash;
};
message_id_digest message_digest_id(const char* id);
// One entry as the reader cuts it out: id, text, the id's digest, and whether the text is surely
// within the length limit.
struct message_cut_entry_result {
    const char* id;
    const std::uint16_t* text;
    message_id_digest digest;
    BOOL8 text_within_limit;
};
// Cuts one entry out in place as mark_messages does, from the file text of count units.
void message_cut_entry(std::uint16_t* units, std::int32_t count, const message_cut& cut, message_cut_entry_result* result);
void message_convert_marked_ids(std::uint16_t* id);
void message_encrypt_xor(MESSAGE_FILE* entry, std::uint16_t* image, std::int32_t count);
std::int32_t message_calc_message_id_magic_number(const char* id);

// Store.
std::int32_t message_handle_of(const MESSAGE_FILE* entry);
BOOL8 message_valid_handle(std::int32_t handle);
MESSAGE_STR* message_get_list_object(std::int32_t handle, const char* id);
MESSAGE_STR* message_get_new_message_str(std::int32_t handle);
void message_deallocate_message_str(MESSAGE_STR* record);

// 16-bit text helpers.
std::uint32_t unicodelen(const std::uint16_t* text);
std::uint32_t myunicodelen(const std::uint16_t* text);
BOOL8 unicodecmp(const std::uint16_t* first, const std::uint16_t* second);
void unicodecpy(std::uint16_t* destination, const std::uint16_t* text);

// File access through the file layer: the whole file as units, and a whole image written back
// (in place: the image is the caller's scratch). Result of a load: units read, or -1 with the
// reason already reported.
std::int32_t message_load_units(const char* file_name, std::uint16_t** units);
BOOL8 message_save_units(const char* file_name, std::uint16_t* units, std::size_t count);
// The same units from bytes already in memory, as a file holding them would give; -1 when no
// buffer could be had.
std::int32_t message_units_from_bytes(const void* bytes, std::size_t size, std::uint16_t** units);
// The writer's image of a loaded file (complemented when output complementing is on), in a new
// buffer the caller frees; null for an invalid handle or when no buffer can be had.
std::uint16_t* message_build_image(std::int32_t handle, std::size_t* count);

// Message store: tables of localised 16-bit texts loaded from message files, addressed by handle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Types.h"

// A failed load: no table entry is free, or the module is not initialised.
#define MESSAGE_NO_FREE_ENTRY (-1)
// A failed load: the file's bracket markup is broken (the error record says where).
#define MESSAGE_MARKUP_ERROR (-2)

// Position value of an error record that holds no position.
#define MESSAGE_NO_POSITION 0xFFFFFFFFu
// Line value of an error record that holds no line.
#define MESSAGE_NO_LINE 0xFFFFFFFFu

// Filled by a load whose markup check fails.
struct MESSAGE_FILE_ERROR {
    std::uint8_t error;        // 1 when a markup error was found
    const char* text;          // one of the four markup error texts, or null
    char* file_name;           // copy of the file name; the caller releases it with free()
    std::uint32_t position;    // index of the offending unit in the file (header = unit 0)
    std::uint32_t line;        // line of the offending unit, counted from 1
};

// One entry of a loaded file.
struct MESSAGE_STR {
    char* id;                   // 8-bit id
    std::int32_t magic_number;  // sum of the id's signed bytes: a cheap first test in lookups
    std::uint16_t* text;        // 16-bit NUL-terminated text
};

// One slot of the table of loaded files.
struct MESSAGE_FILE {
    std::uint8_t in_use;
    std::uint16_t* file_text;   // the file's units as read; read-only entries point into it
    MESSAGE_STR* messages;
    std::uint32_t num_messages;
    std::uint32_t capacity;
    std::uint32_t editable;     // 1 = records own copies and may change; else read-only
};

BOOL8 MESSAGE_initialise(std::uint32_t number_of_files);
void MESSAGE_deinitialise(void);

std::int32_t MESSAGE_allocate_message_file(const char* file_name, std::uint8_t editable,
                                           MESSAGE_FILE_ERROR* error);
// The same load from a file's bytes already in memory; name stands for the file in the error record.
std::int32_t MESSAGE_allocate_message_memory(const char* name, const void* bytes, std::size_t size,
                                             std::uint8_t editable, MESSAGE_FILE_ERROR* error);
void MESSAGE_deallocate_message_file(std::int32_t handle);
void MESSAGE_write_message_file(std::int32_t handle, const char* file_name);

const char* MESSAGE_get_first_message_id(std::int32_t handle);
const char* MESSAGE_get_next_message_id(std::int32_t handle, const char* id);
const std::uint16_t* MESSAGE_get_message(std::int32_t handle, const char* id);
void MESSAGE_set_message(std::int32_t handle, const char* id, const std::uint16_t* text);
// In a read-only file the id and text are kept by reference: the caller keeps them alive.
BOOL8 MESSAGE_insert_message(std::int32_t handle, const char* id, const std::uint16_t* text);
BOOL8 MESSAGE_remove_message(std::int32_t handle, const char* id);
std::int32_t MESSAGE_count_messages(std::int32_t handle);
std::uint8_t MESSAGE_set_output_encrypt_state(std::uint8_t state);

// Texts of at most 200 characters each; the destination must have room.
void MESSAGE_append(std::uint16_t* destination, const std::uint16_t* text);
// Both give a new buffer that the caller releases with free(), or null.
char* MESSAGE_unicode_to_ascii(const std::uint16_t* text);
std::uint16_t* MESSAGE_ascii_to_unicode(const char* text);

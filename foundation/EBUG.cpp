// Debug module: the switchable debug output (lines, trace ring, watches, call stack, assertions)
// and the two logs that are always written (the retail log and the fixed-path retail line).
#define EBUG_MODULE "EBUG"

#include "EBUG.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "Heap.h"
#include "Strings.h"

#if defined(_WIN32)
#include <windows.h>
#endif

std::uint32_t ebug_flags = 0;

namespace {

#define EBUG_PREFIX_SIZE 1024
#define EBUG_LINE_SIZE 2048
#define EBUG_SHORT_NAME_SIZE 9

const char ebug_trace_notice[] =
    "You must call EBUG_initialise with a size to initialise the trace buffer, or EBUG_deinitialise was "
    "called which freed the buffer.\n";
const char ebug_watch_notice[] =
    "You must call EBUG_initialise with a size to initialise the watch_data \nbuffer, or EBUG_deinitialise "
    "was called which freed the buffer.\n";
const char ebug_callstack_notice[] =
    "You must call EBUG_initialise with a size to initialise the callstack_data \nbuffer, or "
    "EBUG_deinitialise was called which freed the buffer.\n";
const char ebug_fixed_retail_path[] = "c:\\retail.dbg";
const std::uint8_t ebug_trace_empty = 0xFF;

struct ebug_state_record {
    std::uint8_t initialised;
    std::uint8_t output;
    EBUG_WATCH* watch_data;
    std::int32_t watch_size;
    EBUG_CALLSTACK_ENTRY* callstack_data;
    std::int32_t callstack_size;
    std::int32_t current_callstack_depth;
    std::uint8_t* trace_buffer;
    std::uint32_t trace_size;
    std::uint32_t trace_position;
    EBUG_EXIT_FUNCTION exit_function;
    char develop_file_name[EBUG_FILE_NAME_SIZE];
    char retail_file_name[EBUG_FILE_NAME_SIZE];
};

ebug_state_record ebug = {0, 0, nullptr, 0, nullptr, 0, -1, nullptr, 0, 0, nullptr, "develop.dbg", "retail.dbg"};

// The module's own assertions name their expression exactly as the library documents it.
#define ebug_check(condition, text)                                                          \
    do {                                                                                     \
        if (ebug_flags & EBUG_FLAG_ASSERT)                                                   \
            EBUG_assert((condition) ? 1 : 0, text, EBUG_MODULE,                              \
                        static_cast<std::uint16_t>(__LINE__), "%s", "");                     \
    } while (0)

// Source path to the short name of a prefixed line: the text after the last backslash, at most
// 8 characters of it, then cut at its last full stop.
void ebug_short_file_name(const char* path, char (&name)[EBUG_SHORT_NAME_SIZE]) {
    const char* base = std::strrchr(path, '\\');
    base = base ? base + 1 : path;
    STRINGS_copy(name, base);
    char* stop = std::strrchr(name, '.');
    if (stop) *stop = '\0';
}

// A log opened for appending for the length of one write, closed on every path. Logs are never
// held open between lines, so that a crash loses nothing already reported.
class ebug_append_file {
public:
    explicit ebug_append_file(const char* name) : file(std::fopen(name, "a")) {}
    ~ebug_append_file() {
        if (file) std::fclose(file);
    }
    ebug_append_file(const ebug_append_file&) = delete;
    ebug_append_file& operator=(const ebug_append_file&) = delete;
    std::FILE* get() const { return file; }
    explicit operator bool() const { return file != nullptr; }

private:
    std::FILE* file;
};

// Appends a fixed text to the develop log; used for the not-initialised notices.
void ebug_develop_write(const char* text) {
    ebug_append_file log(ebug.develop_file_name);
    if (log) std::fputs(text, log.get());
}

// The shape every dump shares: the notice when the module is not initialised, else the body
// between its two banners in the develop log.
template <typename Body>
void ebug_dump(const char* notice, const char* start_banner, const char* end_banner, Body body) {
    if (!ebug.initialised) {
        ebug_develop_write(notice);
        return;
    }
    ebug_append_file log(ebug.develop_file_name);
    if (!log) return;
    std::fputs(start_banner, log.get());
    body(log.get());
    std::fputs(end_banner, log.get());
}

void ebug_trace_store(const char* text) {
    for (const char* p = text; *p; ++p) {
        ebug.trace_buffer[ebug.trace_position] = static_cast<std::uint8_t>(*p);
        ebug.trace_position = (ebug.trace_position + 1) & (ebug.trace_size - 1);
    }
}

// Hands a finished line to the output target.
void ebug_output_line(const char* line) {
    switch (ebug.output) {
        case EBUG_OUTPUT_DEVELOP_FILE: {
            ebug_append_file log(ebug.develop_file_name);
            if (!log) return;
            std::fputs(line, log.get());
            std::fputs("\n", log.get());
            return;
        }
        case EBUG_OUTPUT_TRACE_BUFFER:
            if (!ebug.initialised) {
                ebug_develop_write(ebug_trace_notice);
                return;
            }
            ebug_trace_store(line);
            ebug_trace_store("\n");
            return;
        case EBUG_OUTPUT_DEBUGGER:
#if defined(_WIN32)
            OutputDebugStringA(line);
            OutputDebugStringA("\n");
#endif
            return;
        case EBUG_OUTPUT_STDERR:
            std::fputs(line, stderr);
            std::fputs("\n", stderr);
            return;
        default:  // none, quiet and unknown targets drop the line
            return;
    }
}

// Prefix, then the formatted message, then out to the target.
void ebug_emit(const char* prefix, const char* format, std::va_list arguments) EBUG_PRINTF(2, 0);
void ebug_emit(const char* prefix, const char* format, std::va_list arguments) {
    char message[EBUG_STRING_SIZE];
    char line[EBUG_LINE_SIZE];
    STRINGS_vformat(message, sizeof message, format, arguments);
    STRINGS_copy(line, prefix);
    STRINGS_append(line, message);
    ebug_output_line(line);
}

template <typename T>
T* ebug_allocate_table(std::int32_t count) {
    const std::size_t entries = static_cast<std::size_t>(count > 0 ? count : 1);
    // A table too big to be sized at all (a 32-bit build's byte count would wrap) is refused.
    if (entries > SIZE_MAX / sizeof(T)) return nullptr;
    const std::size_t bytes = sizeof(T) * entries;
    T* table = static_cast<T*>(HEAP_allocate(bytes));
    if (table) std::memset(static_cast<void*>(table), 0, bytes);
    return table;
}

BOOL8 ebug_initialise_fail() {
    ebug.initialised = 0;
    return FALSE;
}

}  // namespace

BOOL8 EBUG_initialise(std::int32_t watch_count, std::int32_t callstack_size, std::int32_t trace_exponent,
                      std::uint32_t flags, std::uint8_t output) {
    // Negative sizes have no meaning, and the watch table needs one entry more than asked for;
    // both are refused like a failed allocation.
    if (watch_count < 0 || watch_count == INT32_MAX || callstack_size < 0 || trace_exponent < 0)
        return ebug_initialise_fail();

    if (ebug.watch_data) return ebug_initialise_fail();
    ebug.watch_data = ebug_allocate_table<EBUG_WATCH>(watch_count + 1);
    if (!ebug.watch_data) return ebug_initialise_fail();
    ebug.watch_size = watch_count + 1;
    for (std::int32_t i = 0; i < ebug.watch_size; ++i) {
        ebug.watch_data[i].description = nullptr;
        ebug.watch_data[i].type = EBUG_WATCH_UNUSED;
    }

    if (ebug.callstack_data) return ebug_initialise_fail();
    ebug.callstack_data = ebug_allocate_table<EBUG_CALLSTACK_ENTRY>(callstack_size);
    if (!ebug.callstack_data) return ebug_initialise_fail();
    ebug.callstack_size = callstack_size;
    ebug.current_callstack_depth = -1;

    if (ebug.trace_buffer) return ebug_initialise_fail();
    if (trace_exponent > EBUG_MAX_TRACE_EXPONENT) trace_exponent = EBUG_MAX_TRACE_EXPONENT;
    std::uint32_t trace_size = 1u << trace_exponent;
    ebug.trace_buffer = static_cast<std::uint8_t*>(HEAP_allocate(trace_size));
    if (!ebug.trace_buffer) return ebug_initialise_fail();
    ebug.trace_size = trace_size;
    std::memset(ebug.trace_buffer, ebug_trace_empty, trace_size);
    ebug.trace_position = 0;

    ebug_flags = flags;
    ebug.output = output;
    ebug.initialised = 1;
    return TRUE;
}

void EBUG_deinitialise(void) {
    if (ebug.watch_data) {
        if (ebug_flags & EBUG_FLAG_WATCH) EBUG_dump_watches();
        HEAP_release(ebug.watch_data);
        ebug.watch_data = nullptr;
    }
    if (ebug.callstack_data) {
        if (ebug_flags & EBUG_FLAG_CALLSTACK) EBUG_dump_callstack();
        HEAP_release(ebug.callstack_data);
        ebug.callstack_data = nullptr;
    }
    if (ebug.trace_buffer) {
        if (ebug_flags & EBUG_FLAG_MESSAGE) EBUG_dump_trace_buffer();
        HEAP_release(ebug.trace_buffer);
        ebug.trace_buffer = nullptr;
    }
    ebug_flags = 0;
    ebug.output = EBUG_OUTPUT_NONE;
    ebug.initialised = 0;
}

std::uint8_t EBUG_is_initialised(void) { return ebug.initialised; }

void EBUG_assert_on(void) { ebug_flags |= EBUG_FLAG_ASSERT; }
void EBUG_assert_off(void) { ebug_flags &= ~EBUG_FLAG_ASSERT; }
void EBUG_message_on(void) { ebug_flags |= EBUG_FLAG_MESSAGE; }
void EBUG_message_off(void) { ebug_flags &= ~EBUG_FLAG_MESSAGE; }
void EBUG_watch_on(void) { ebug_flags |= EBUG_FLAG_WATCH; }
void EBUG_watch_off(void) { ebug_flags &= ~EBUG_FLAG_WATCH; }
void EBUG_callstack_on(void) { ebug_flags |= EBUG_FLAG_CALLSTACK; }
void EBUG_callstack_off(void) { ebug_flags &= ~EBUG_FLAG_CALLSTACK; }
void EBUG_set_output(std::uint8_t target) { ebug.output = target; }

void EBUG_set_exit_function(EBUG_EXIT_FUNCTION function) { ebug.exit_function = function; }

void EBUG_call_exit_function(std::int32_t code) {
    if (ebug.exit_function) ebug.exit_function(code);
}

namespace {

void ebug_start_log(char (&name)[EBUG_FILE_NAME_SIZE], const char* file_name, const char* banner) {
    STRINGS_copy(name, file_name);
    std::FILE* file = std::fopen(name, "w");
    if (!file) return;
    std::fputs(banner, file);
    std::fclose(file);
}

}  // namespace

void EBUG_set_develop_file(const char* file_name) {
    ebug_start_log(ebug.develop_file_name, file_name, "Development Debug\n\n");
}

void EBUG_set_retail_file(const char* file_name) {
    ebug_start_log(ebug.retail_file_name, file_name, "Release Debug\n\n");
}

void EBUG_message(const char* file, std::uint16_t line, const char* format, ...) {
    char name[EBUG_SHORT_NAME_SIZE];
    char prefix[EBUG_PREFIX_SIZE];
    ebug_short_file_name(file, name);
    STRINGS_format(prefix, sizeof prefix, "[%8s,%5d] ", name, line);
    std::va_list arguments;
    va_start(arguments, format);
    ebug_emit(prefix, format, arguments);
    va_end(arguments);
}

void EBUG_assert(std::uint8_t condition, const char* expression, const char* file, std::uint16_t line,
                 const char* format, ...) {
    if (condition) return;
    char name[EBUG_SHORT_NAME_SIZE];
    char prefix[EBUG_LINE_SIZE];
    ebug_short_file_name(file, name);
    STRINGS_format(prefix, sizeof prefix, "[%8s,%5d] (ASSERT FAILURE: %s) ", name, line, expression);
    std::va_list arguments;
    va_start(arguments, format);
    ebug_emit(prefix, format, arguments);
    va_end(arguments);
    if (ebug.exit_function) {
        EBUG_deinitialise();
        ebug.exit_function(1);
    }
}

void EBUG_enter(const char* function, const char* file, std::int32_t line) {
    if (!ebug.initialised) {
        ebug_develop_write(ebug_callstack_notice);
        return;
    }
    ++ebug.current_callstack_depth;
    if (ebug.current_callstack_depth < ebug.callstack_size) {
        EBUG_CALLSTACK_ENTRY& entry = ebug.callstack_data[ebug.current_callstack_depth];
        entry.function = function;
        entry.file = file;
        entry.line = line;
        return;
    }
    EBUG_MESSAGE("Callstack full. Unmatched ENTER/LEAVE or more than %d (the initialised size of the "
                 "callstack). ",
                 ebug.callstack_size);
    ebug.current_callstack_depth = -1;
}

void EBUG_leave(const char*, const char*, std::int32_t) {
    if (!ebug.initialised) {
        ebug_develop_write(ebug_callstack_notice);
        return;
    }
    --ebug.current_callstack_depth;
    if (ebug.current_callstack_depth < -1) {
        EBUG_MESSAGE("Stack empty. Too many LEAVE's. Resetting current_callstack_depth.\n");
        ebug.current_callstack_depth = -1;
    }
}

namespace {

// The range checks shared by the watch operations; TRUE when the index may be used.
bool ebug_watch_index_ok(std::int32_t index) {
    ebug_check(index >= 0, "index >= 0");
    ebug_check(index < ebug.watch_size, "index < watch_size");
    return index >= 0 && index < ebug.watch_size;
}

}  // namespace

BOOL8 EBUG_add_watch(std::int32_t index, const char* description, std::uint8_t type) {
    std::size_t length = description ? std::strlen(description) : 0;
    bool index_ok = ebug_watch_index_ok(index);
    ebug_check(length < EBUG_STRING_SIZE, "strlen(description) < EBUG_STRING_SIZE");
    if (!index_ok || !description || length > EBUG_STRING_SIZE) return FALSE;
    if (!ebug.initialised) {
        ebug_develop_write(ebug_watch_notice);
        return FALSE;
    }
    EBUG_WATCH& watch = ebug.watch_data[index];
    watch.description = description;
    watch.type = type;
    switch (type) {
        case EBUG_WATCH_STRING:
            watch.string_value[0] = '\0';
            return TRUE;
        case EBUG_WATCH_INT:
            watch.int_value = 0;
            return TRUE;
        default:
            EBUG_MESSAGE("Unknown value type in when adding watch\n");
            return FALSE;
    }
}

void EBUG_set_watch_string(std::int32_t index, const char* value) {
    if (!ebug_watch_index_ok(index)) return;
    if (!ebug.initialised) {
        ebug_develop_write(ebug_watch_notice);
        return;
    }
    STRINGS_copy(ebug.watch_data[index].string_value, value ? value : "");
}

void EBUG_set_watch_int(std::int32_t index, std::int32_t value) {
    if (!ebug_watch_index_ok(index)) return;
    if (!ebug.initialised) {
        ebug_develop_write(ebug_watch_notice);
        return;
    }
    ebug.watch_data[index].int_value = value;
}

void EBUG_dump_trace_buffer(void) {
    ebug_check(ebug.trace_buffer != nullptr, "trace_buffer != NULL");
    if (ebug.initialised && ebug.output != EBUG_OUTPUT_TRACE_BUFFER) return;
    // Oldest text first: the walk starts at the next byte to be written and wraps once round.
    ebug_dump(ebug_trace_notice, "~~~~~~~~START OF TRACE BUFFER DUMP~~~~~~~\n",
              "~~~~~~~~END OF TRACE BUFFER DUMP~~~~~~~\n", [](std::FILE* file) {
                  std::uint32_t position = ebug.trace_position;
                  for (std::uint32_t visited = 0; visited < ebug.trace_size; ++visited) {
                      std::uint8_t byte = ebug.trace_buffer[position];
                      if (byte != ebug_trace_empty) std::fputc(byte, file);
                      position = (position + 1) & (ebug.trace_size - 1);
                  }
              });
}

void EBUG_dump_watches(void) {
    // The walk stops at the first unused entry: watches defined after a gap are not written.
    ebug_dump(ebug_watch_notice, "~~~~~~~ START OF WATCH DATA OUTPUT ~~~~~~~\n",
              "~~~~~~~ END OF WATCH DATA OUTPUT ~~~~~~~\n", [](std::FILE* file) {
                  for (std::int32_t i = 0; i < ebug.watch_size; ++i) {
                      const EBUG_WATCH& watch = ebug.watch_data[i];
                      if (watch.type == EBUG_WATCH_UNUSED) break;
                      if (watch.type == EBUG_WATCH_STRING)
                          std::fprintf(file, "%s = %s\n", watch.description, watch.string_value);
                      else if (watch.type == EBUG_WATCH_INT)
                          std::fprintf(file, "%s = %d\n", watch.description, watch.int_value);
                  }
              });
}

void EBUG_dump_callstack(void) {
    ebug_dump(ebug_callstack_notice, "~~~~~~~~START OF CALLSTACK DUMP - most recent calls~~~~~~~\n",
              "~~~~~~~~END OF CALLSTACK DUMP - older calls~~~~~~~\n", [](std::FILE* file) {
                  std::int32_t depth = ebug.current_callstack_depth;
                  if (depth > ebug.callstack_size - 1) depth = ebug.callstack_size - 1;
                  if (depth < -1) depth = -1;
                  for (std::int32_t i = depth; i >= 0; --i) {
                      const EBUG_CALLSTACK_ENTRY& entry = ebug.callstack_data[i];
                      char line[EBUG_STRING_SIZE];
                      STRINGS_format(line, sizeof line, "File: %s,  Function: %s, Line: %d\n",
                                     entry.file ? entry.file : "", entry.function ? entry.function : "",
                                     entry.line);
                      std::fputs(line, file);
                  }
              });
}

void EBUG_retail_message(const char* file, std::uint16_t line, const char* format, ...) {
    ebug_append_file log(ebug.retail_file_name);
    if (!log) return;
    char name[EBUG_SHORT_NAME_SIZE];
    ebug_short_file_name(file, name);
    std::fprintf(log.get(), "[%8s,%5d] ", name, line);
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(log.get(), format, arguments);
    va_end(arguments);
    std::fputs("\n", log.get());
}

void EBUG_retail_printf(const char* format, ...) {
    ebug_append_file log(ebug.retail_file_name);
    if (!log) return;
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(log.get(), format, arguments);
    va_end(arguments);
}

void EBUG_retail_line(const char* file, std::int32_t line, const char* text) {
    ebug_append_file log(ebug_fixed_retail_path);
    if (log) std::fprintf(log.get(), "%s %d: %s\n", file, line, text);
}

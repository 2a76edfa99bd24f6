// Debug module: debug lines, trace ring, watches, call stack, assertions and the retail logs.
//
// Library modules never call the switchable operations directly; they use the macros at the end
// of this header, which test one bit of ebug_flags at the call site. With the flag word 0 a
// trace bracket, debug line or assertion costs that one test and calls nothing.
#pragma once

#include "Types.h"

// Bits of ebug_flags.
#define EBUG_FLAG_ASSERT    1u  // assertions are evaluated
#define EBUG_FLAG_MESSAGE   2u  // debug lines are produced; deinitialise dumps the trace ring
#define EBUG_FLAG_WATCH     4u  // deinitialise dumps the watch table
#define EBUG_FLAG_CALLSTACK 8u  // ENTER/LEAVE are called; deinitialise dumps the call stack

// Values of the output target: where a finished debug or assertion line goes.
enum : std::uint8_t {
    EBUG_OUTPUT_NONE = 0,          // dropped
    EBUG_OUTPUT_DEVELOP_FILE = 1,  // appended to the develop log
    EBUG_OUTPUT_TRACE_BUFFER = 2,  // copied into the trace ring
    EBUG_OUTPUT_DEBUGGER = 3,      // OutputDebugStringA (dropped on builds without Windows)
    EBUG_OUTPUT_QUIET = 4,         // accepted and dropped
    EBUG_OUTPUT_STDERR = 5         // standard error stream
};

// Watch value types.
enum : std::uint8_t { EBUG_WATCH_STRING = 0, EBUG_WATCH_INT = 1, EBUG_WATCH_UNUSED = 2 };

#define EBUG_STRING_SIZE 1024
#define EBUG_FILE_NAME_SIZE 1024
#define EBUG_MAX_TRACE_EXPONENT 20

struct EBUG_WATCH {
    const char* description;  // the caller's text, kept by reference
    std::uint8_t type;
    char string_value[EBUG_STRING_SIZE];
    std::int32_t int_value;
};

struct EBUG_CALLSTACK_ENTRY {
    const char* function;  // the caller's literals, kept by reference
    const char* file;
    std::int32_t line;
};

// The flag word, tested at every call site of the macros below.
extern std::uint32_t ebug_flags;

typedef void (*EBUG_EXIT_FUNCTION)(std::int32_t code);

#if defined(__GNUC__)
#define EBUG_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define EBUG_PRINTF(fmt, args)
#endif

BOOL8 EBUG_initialise(std::int32_t watch_count, std::int32_t callstack_size, std::int32_t trace_exponent,
                      std::uint32_t flags, std::uint8_t output);
void EBUG_deinitialise(void);
std::uint8_t EBUG_is_initialised(void);

void EBUG_assert_on(void);
void EBUG_assert_off(void);
void EBUG_message_on(void);
void EBUG_message_off(void);
void EBUG_watch_on(void);
void EBUG_watch_off(void);
void EBUG_callstack_on(void);
void EBUG_callstack_off(void);
void EBUG_set_output(std::uint8_t target);

void EBUG_set_exit_function(EBUG_EXIT_FUNCTION function);
void EBUG_call_exit_function(std::int32_t code);

// Both start their log afresh with a banner; names longer than 1023 characters are cut.
void EBUG_set_develop_file(const char* file_name);
void EBUG_set_retail_file(const char* file_name);

void EBUG_message(const char* file, std::uint16_t line, const char* format, ...) EBUG_PRINTF(3, 4);
void EBUG_assert(std::uint8_t condition, const char* expression, const char* file, std::uint16_t line,
                 const char* format, ...) EBUG_PRINTF(5, 6);

void EBUG_enter(const char* function, const char* file, std::int32_t line);
void EBUG_leave(const char* function, const char* file, std::int32_t line);

BOOL8 EBUG_add_watch(std::int32_t index, const char* description, std::uint8_t type);
void EBUG_set_watch_string(std::int32_t index, const char* value);
void EBUG_set_watch_int(std::int32_t index, std::int32_t value);

void EBUG_dump_trace_buffer(void);
void EBUG_dump_watches(void);
void EBUG_dump_callstack(void);

// The retail logs work whatever the flags say and without initialisation.
void EBUG_retail_message(const char* file, std::uint16_t line, const char* format, ...) EBUG_PRINTF(3, 4);
void EBUG_retail_printf(const char* format, ...) EBUG_PRINTF(1, 2);
void EBUG_retail_line(const char* file, std::int32_t line, const char* text);

// The module a line's "[%8s,%5d] " prefix names. Each source file of a library module defines
// EBUG_MODULE as its module's name before its first include, so that every file of a module (the
// file layer's tree as well as the layer itself) reports under that one name; a file that does
// not is named after itself.
#ifndef EBUG_MODULE
#define EBUG_MODULE __FILE_NAME__
#endif
// The caller's own file, without the build machine's folders: what the call stack, the
// allocator's records and the stream wrappers note beside a line number.
#define EBUG_SOURCE __FILE_NAME__

// Trace bracket: ENTER() at the top of a library function, LEAVE() before each of its returns.
#define ENTER()                                                                  \
    do {                                                                         \
        if (ebug_flags & EBUG_FLAG_CALLSTACK) EBUG_enter(__func__, EBUG_SOURCE, __LINE__); \
    } while (0)
#define LEAVE()                                                                  \
    do {                                                                         \
        if (ebug_flags & EBUG_FLAG_CALLSTACK) EBUG_leave(__func__, EBUG_SOURCE, __LINE__); \
    } while (0)

// Closes the trace bracket when it goes out of scope: after a return's value has been computed.
struct EBUG_LEAVE_GUARD {
    const char* function;
    const char* file;
    std::int32_t line;
    ~EBUG_LEAVE_GUARD() {
        if (ebug_flags & EBUG_FLAG_CALLSTACK) EBUG_leave(function, file, line);
    }
};
// Returns and leaves the trace bracket; the bracket's line is the line of the return. The result
// is computed first, so a call made in the return statement still runs inside this function's
// bracket and shows in a call-stack dump taken there.
#define EBUG_RETURN(...)                                                          \
    do {                                                                          \
        const EBUG_LEAVE_GUARD ebug_leave_{__func__, EBUG_SOURCE, __LINE__};  \
        return __VA_ARGS__;                                                       \
    } while (0)

// A debug line, produced only while EBUG_FLAG_MESSAGE is set.
#define EBUG_MESSAGE(...)                                                                   \
    do {                                                                                    \
        if (ebug_flags & EBUG_FLAG_MESSAGE)                                                 \
            EBUG_message(EBUG_MODULE, static_cast<std::uint16_t>(__LINE__), __VA_ARGS__);   \
    } while (0)

// An assertion, evaluated only while EBUG_FLAG_ASSERT is set; its line ends after the expression.
#define EBUG_ASSERT(condition)                                                              \
    do {                                                                                    \
        if (ebug_flags & EBUG_FLAG_ASSERT)                                                  \
            EBUG_assert((condition) ? 1 : 0, #condition, EBUG_MODULE,                       \
                        static_cast<std::uint16_t>(__LINE__), "%s", "");                    \
    } while (0)

// A line for the retail log, written whatever the flags say.
#define EBUG_RETAIL(...) EBUG_retail_message(EBUG_MODULE, static_cast<std::uint16_t>(__LINE__), __VA_ARGS__)

// A line for the fixed-path retail log "c:\retail.dbg", naming the source file as the compiler
// was given it, folders and all.
#define EBUG_RETAIL_LINE(text) EBUG_retail_line(__FILE__, __LINE__, (text))

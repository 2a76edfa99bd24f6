// Message file reader: loading, uncomplementing, the markup check and cutting entries out in place.
#define EBUG_MODULE "MESSAGE"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <bit>
// The wide paths need SSE2. Without it (the 32-bit x86 build), or with MESSAGE_PLAIN_SCAN (so that
// native tests run them as well), only the plain paths are built; both give the same results.
#if defined(__SSE2__) && !defined(MESSAGE_PLAIN_SCAN)
#define MESSAGE_WIDE_SCAN 1
#include <emmintrin.h>
#else
#define MESSAGE_WIDE_SCAN 0
#endif
#include <cstring>

#include "EBUG.h"
#include "EFILE.h"
#include "Heap.h"
#include "MessageInternal.h"

const char message_error_bracket_in_bracket[] = "'[' inside '['";
const char message_error_close_before_open[] = "']' before '['";
const char message_error_newline_before[] = "Insert newline before '['";
const char message_error_newline_after[] = "Insert newline after ']'";

namespace {

constexpr std::uint16_t message_header = 0xFEFF;
constexpr std::uint16_t message_complemented_header = 0x0100;
constexpr std::uint16_t message_tab = 0x0009;
constexpr std::uint16_t message_lf = 0x000A;
constexpr std::uint16_t message_cr = 0x000D;
constexpr std::uint16_t message_space = 0x0020;
constexpr std::uint16_t message_open = 0x005B;
constexpr std::uint16_t message_close = 0x005D;

// Files beyond this size are refused: twice the size must still be a sane allocation and the
// unit count must fit the signed results.
constexpr std::uint64_t message_max_file_bytes = 0x3FFFFFFFu;

void message_complement(std::uint16_t* units, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) units[index] = static_cast<std::uint16_t>(~units[index]);
}

// Index of the first unit at or after start that equals wanted, or count when there is none.
std::int32_t message_find(const std::uint16_t* units, std::int32_t start, std::int32_t count, std::uint16_t wanted) {
    while (start < count && units[start] != wanted) ++start;
    return start;
}

// The low byte of each unit up to the first zero unit, written over the units themselves: byte i
// lands inside unit i/2, which has already been read, so nothing is overwritten before it is used.
void message_narrow_in_place(std::uint16_t* units) {
    char* bytes = reinterpret_cast<char*>(units);
    for (std::size_t index = 0;; ++index) {
        const std::uint16_t unit = units[index];
        bytes[index] = static_cast<char>(unit & 0xFF);
        if (unit == 0) break;
    }
}

// The index hash takes an id sixteen bytes at a time, as two 64-bit words (first byte lowest), so
// that every short id costs the same and no chain of work runs through its bytes one by one; the
// id's length goes in first.
std::uint64_t message_hash_block(std::uint64_t state, std::uint64_t low, std::uint64_t high) {
    return ((state ^ low) * 0x9E3779B97F4A7C15ull) ^ std::rotl(high * 0xC2B2AE3D27D4EB4Full, 31);
}

std::uint32_t message_hash_final(std::uint64_t state) {
    state ^= state >> 32;
    state *= 0xD6E8FEB86659FD93ull;
    return static_cast<std::uint32_t>(state ^ (state >> 32));
}

// Up to eight bytes as one word, the missing ones zero.
std::uint64_t message_hash_word(const char* bytes, std::size_t available) {
    std::uint64_t word = 0;
    for (std::size_t index = available < 8 ? available : 8; index-- > 0;)
        word = (word << 8) | static_cast<unsigned char>(bytes[index]);
    return word;
}

// The number and hash of an id of the given length, which holds no zero byte.
message_id_digest message_digest_bytes(const char* bytes, std::size_t length) {
    std::uint32_t magic = 0;  // unsigned arithmetic wraps where a signed sum of a huge id would overflow
    for (std::size_t index = 0; index < length; ++index)
        magic += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(bytes[index])));
    std::uint64_t state = length;
    std::size_t done = 0;
    do {
        const std::size_t left = length - done;
        state = message_hash_block(state, message_hash_word(bytes + done, left),
                                   left > 8 ? message_hash_word(bytes + done + 8, left - 8) : 0);
        done += 16;
    } while (done < length);
    return message_id_digest{static_cast<std::int32_t>(magic), message_hash_final(state)};
}

#if MESSAGE_WIDE_SCAN
// Narrows and digests an id of 3 to 15 units, as the byte loop and message_digest_bytes would,
// from two reads of eight units: all sixteen are read before any byte is written over them. The
// id ends at its first zero byte, and every byte after that end is written as zero, so the id is
// terminated. The write covers the id's own units only: eight bytes (four units) for an id of
// fewer than eight units, the fourth being the closing bracket of a three-unit id, which becomes
// a terminator anyway; sixteen bytes (eight units) for a longer one.
message_id_digest message_narrow_short_id(std::uint16_t* id_units, std::int32_t length) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low_bytes = _mm_set1_epi16(0x00FF);
    const __m128i* source = static_cast<const __m128i*>(static_cast<const void*>(id_units));
    __m128i bytes = _mm_packus_epi16(_mm_and_si128(_mm_loadu_si128(source), low_bytes),
                                     _mm_and_si128(_mm_loadu_si128(source + 1), low_bytes));
    const auto zeros = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)));
    const int end = std::countr_zero(zeros | (1u << length));
    const __m128i positions = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    bytes = _mm_and_si128(bytes, _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(end)), positions));
    // Each byte with its top bit flipped is its signed value plus 128, for all sixteen bytes.
    const __m128i sums = _mm_sad_epu8(_mm_xor_si128(bytes, _mm_set1_epi8(static_cast<char>(0x80))), zero);
    const std::int32_t magic = _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4) - 16 * 128;
    alignas(16) unsigned char narrow[16];
    _mm_store_si128(static_cast<__m128i*>(static_cast<void*>(narrow)), bytes);
    std::uint64_t low = 0, high = 0;
    std::memcpy(&low, narrow, 8);
    std::memcpy(&high, narrow + 8, 8);
    void* target = id_units;
    if (length >= 8)
        _mm_storeu_si128(static_cast<__m128i*>(target), bytes);
    else
        _mm_storel_epi64(static_cast<__m128i*>(target), bytes);
    return message_id_digest{magic, message_hash_final(message_hash_block(static_cast<std::uint64_t>(end), low, high))};
}
#endif

// Units are little-endian on disk whatever the host: on a big-endian host each is swapped as it
// comes in or goes out; elsewhere this is nothing.
void message_units_from_disk(std::uint16_t* units, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big)
        for (std::size_t index = 0; index < count; ++index)
            units[index] = static_cast<std::uint16_t>((units[index] >> 8) | (units[index] << 8));
    (void)units;
    (void)count;
}

// The byte size of an open stream that is a plain file; FALSE for anything else (a directory
// opens as a stream on some systems, and reads nothing).
BOOL8 message_regular_file_size(std::FILE* stream, std::uint64_t* size) {
#if defined(_WIN32)
    struct _stat64 status;
    if (_fstat64(_fileno(stream), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) return FALSE;
#else
    struct stat status;
    if (fstat(fileno(stream), &status) != 0 || !S_ISREG(status.st_mode)) return FALSE;
#endif
    *size = static_cast<std::uint64_t>(status.st_size);
    return TRUE;
}

}  // namespace

std::int32_t message_load_units(const char* file_name, std::uint16_t** units) {
    *units = nullptr;
    std::FILE* stream = EFILE_FOPEN(file_name, "rb", 0);
    // The size comes from the open stream itself, so that it is the size of what is read.
    std::uint64_t size = 0;
    if (!stream || !message_regular_file_size(stream, &size)) {
        if (stream) EFILE_FCLOSE(stream);
        EBUG_MESSAGE("Cannot open file or access %s", file_name);
        return -1;
    }
    // Twice the byte size as the format has always asked for, plus one zero unit so that the
    // text stays terminated whatever the file holds.
    std::uint16_t* text = nullptr;
    if (size <= message_max_file_bytes)
        text = static_cast<std::uint16_t*>(HEAP_allocate_runtime(static_cast<std::size_t>(size) * 2 + 2));
    if (!text) {
        EFILE_FCLOSE(stream);
        EBUG_MESSAGE("malloc crash: stat_size = %d", static_cast<int>(size > 0x7FFFFFFFu ? 0x7FFFFFFFu : size));
        return -1;
    }
    // A trailing odd byte is not a unit, and is not read.
    std::size_t count = EFILE_fread(text, sizeof(std::uint16_t), static_cast<std::size_t>(size / 2), stream);
    EFILE_FCLOSE(stream);
    message_units_from_disk(text, count);
    text[count] = 0;
    *units = text;
    return static_cast<std::int32_t>(count);
}

std::int32_t message_units_from_bytes(const void* bytes, std::size_t size, std::uint16_t** units) {
    *units = nullptr;
    if (size > message_max_file_bytes) return -1;
    std::size_t count = size / 2;
    std::uint16_t* text = static_cast<std::uint16_t*>(HEAP_allocate_runtime(count * 2 + 2));
    if (!text) return -1;
    if (count) std::memcpy(text, bytes, count * 2);
    message_units_from_disk(text, count);
    text[count] = 0;
    *units = text;
    return static_cast<std::int32_t>(count);
}

BOOL8 message_save_units(const char* file_name, std::uint16_t* units, std::size_t count) {
    std::FILE* stream = EFILE_FOPEN(file_name, "wb", 0);
    if (!stream) return FALSE;
    message_units_from_disk(units, count);  // the same swap, on the hosts that need one
    BOOL8 written = EFILE_fwrite(units, sizeof(std::uint16_t), count, stream) == count ? TRUE : FALSE;
    if (EFILE_FCLOSE(stream) != 0) written = FALSE;
    return written;
}

std::int32_t message_read_message_file(MESSAGE_FILE* entry, const char* file_name) {
    ENTER();
    std::uint16_t* units = nullptr;
    std::int32_t count = message_load_units(file_name, &units);
    if (count < 0) EBUG_RETURN(-1);
    entry->file_text = units;
    EBUG_RETURN(count);
}

void message_decrypt_xor(MESSAGE_FILE* entry, std::uint16_t* units, std::int32_t count) {
    ENTER();
    (void)entry;
    if (units && count >= 1 && units[0] == message_complemented_header)
        message_complement(units, static_cast<std::size_t>(count));
    LEAVE();
}

namespace {

// Tab, CR and space are whitespace; LF and the brackets are the units the check acts on; any other
// unit is "other", which may not touch a bracket from outside.
bool message_is_other(std::uint16_t unit) {
    return unit != message_tab && unit != message_lf && unit != message_cr && unit != message_space &&
           unit != message_open && unit != message_close;
}

// Where mark_messages stands between two entries: looking for the id's "[", its "]", the LF that
// ends the id's line, then the "[" that ends the text (and opens the next id).
enum class message_cut_state { open, close, line_end, next };

BOOL8 message_add_cut(message_cut_list* cuts, const message_cut& cut) {
    if (cuts->count == cuts->capacity) {
        std::size_t capacity = cuts->capacity ? cuts->capacity * 2 : 256;
        message_cut* grown = static_cast<message_cut*>(HEAP_resize_runtime(cuts->items, capacity * sizeof(message_cut)));
        if (!grown) return FALSE;
        cuts->items = grown;
        cuts->capacity = capacity;
    }
    cuts->items[cuts->count++] = cut;
    return TRUE;
}

// The markup check and the cutting, driven by the brackets alone. An "other" unit can only fail
// next to a bracket, so its checks are made from the bracket: before a "[" by looking back, after
// a "]" by looking ahead. Line feeds matter only twice: the first one after an id's "]" starts its
// text, found when the next "[" comes; and the line of an error, counted once it is known. Each
// error is still the one the unit-by-unit check would stop on first, at the same unit and line.
struct message_scanner {
    const std::uint16_t* units;
    std::int32_t count;
    message_cut_list* cuts;
    bool inside;
    std::int32_t brackets;
    const char* failure;
    std::int32_t position;
    message_cut_state state;
    message_cut cut;
    std::int32_t searched;  // units before this one hold no line feed the cut still wants

    bool fail(const char* text, std::int32_t at) {
        failure = text;
        position = at;
        return false;
    }

    // The first line feed after the id's "]" and before the bracket at limit, if there is one: each
    // unit is looked at once, however many brackets pass before it comes.
    void find_line_end(std::int32_t limit) {
        const std::int32_t line_end = message_find(units, searched, limit, message_lf);
        searched = limit;
        if (line_end < limit) {
            cut.text_start = line_end + 1;
            state = message_cut_state::next;
        }
    }

    // FALSE when the bracket at index ends the scan with an error.
    bool bracket(std::int32_t index) {
        if (units[index] == message_open) {
            if (!inside && index > 1 && message_is_other(units[index - 1]))
                return fail(message_error_newline_before, index);
            ++brackets;
            if (inside) return fail(message_error_bracket_in_bracket, index);
            inside = true;
            if (state == message_cut_state::line_end) find_line_end(index);
            if (state == message_cut_state::next) {
                cut.next = index;
                if (cuts && cuts->usable && !message_add_cut(cuts, cut)) cuts->usable = FALSE;
            }
            if (state == message_cut_state::open || state == message_cut_state::next) {
                cut.open = index;
                state = message_cut_state::close;
            }
            return true;
        }
        if (!inside) return fail(message_error_close_before_open, index);
        inside = false;
        if (state == message_cut_state::close) {
            cut.close = index;
            searched = index + 1;
            state = message_cut_state::line_end;
        }
        if (index + 1 < count && message_is_other(units[index + 1])) {
            if (index + 2 < count && units[index + 2] == message_open)
                return fail(message_error_newline_before, index + 2);
            return fail(message_error_newline_after, index + 1);
        }
        return true;
    }

    void run() {
        std::int32_t index = 1;
#if MESSAGE_WIDE_SCAN
        // Sixteen units at a time, one mask bit each; most hold no bracket at all.
        const __m128i open = _mm_set1_epi16(static_cast<short>(message_open));
        const __m128i close = _mm_set1_epi16(static_cast<short>(message_close));
        const auto hits = [&](std::int32_t at) {
            const __m128i block = _mm_loadu_si128(static_cast<const __m128i*>(static_cast<const void*>(units + at)));
            return _mm_or_si128(_mm_cmpeq_epi16(block, open), _mm_cmpeq_epi16(block, close));
        };
        for (; index <= count - 16; index += 16) {
            for (auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(hits(index), hits(index + 8))));
                 mask; mask &= mask - 1)
                if (!bracket(index + std::countr_zero(mask))) return;
        }
#endif
        for (; index < count; ++index)
            if ((units[index] == message_open || units[index] == message_close) && !bracket(index)) return;
    }

    // The line of the unit where the scan failed, counted from 1 after the header.
    std::uint32_t failure_line() const {
        std::uint32_t line = 1;
        for (std::int32_t index = 1; index < position; ++index) line += units[index] == message_lf ? 1u : 0u;
        return line;
    }
};

}  // namespace

std::int32_t message_scan(MESSAGE_FILE* entry, std::int32_t count, MESSAGE_FILE_ERROR* error, message_cut_list* cuts) {
    ENTER();
    if (error) {
        error->error = 0;
        error->text = nullptr;
        error->position = MESSAGE_NO_POSITION;
        error->line = MESSAGE_NO_LINE;
    }
    const std::uint16_t* units = entry->file_text;
    if (!units || count < 2) EBUG_RETURN(-1);
    message_scanner scanner{units, count, cuts, false, 0, nullptr, 0, message_cut_state::open, message_cut{}, 0};
    scanner.run();
    if (scanner.failure) {
        if (error) {
            error->error = 1;
            error->text = scanner.failure;
            error->position = static_cast<std::uint32_t>(scanner.position);
            error->line = scanner.failure_line();
        }
        EBUG_RETURN(-2);
    }
    EBUG_RETURN(scanner.brackets - 1);
}

std::int32_t message_count(MESSAGE_FILE* entry, std::int32_t count, MESSAGE_FILE_ERROR* error) {
    ENTER();
    EBUG_RETURN(message_scan(entry, count, error, nullptr));
}

void message_convert_marked_ids(std::uint16_t* id) {
    ENTER();
    char* narrow = MESSAGE_unicode_to_ascii(id);
    char* bytes = reinterpret_cast<char*>(id);
    if (narrow) {
        std::memcpy(bytes, narrow, std::strlen(narrow) + 1);
        std::free(narrow);
    } else {
        message_narrow_in_place(id);  // too long to measure, or no memory
    }
    LEAVE();
}

void mark_messages(MESSAGE_FILE* entry, std::int32_t count, std::int32_t number_of_entries) {
    ENTER();
    std::uint16_t* units = entry->file_text;
    if (!units || count < 1 || units[0] == 0) {
        LEAVE();
        return;
    }
    std::int32_t handle = message_handle_of(entry);
    // Every step is bounded by the unit count: the markup check lets odd layouts such as
    // "[A][B]" through, and those must cut fewer entries rather than run off the end.
    std::int32_t cursor = 1;
    for (std::int32_t done = 0; done < number_of_entries; ++done) {
        std::int32_t open = message_find(units, cursor, count, message_open);
        if (open >= count) break;
        std::int32_t close = message_find(units, open + 1, count, message_close);
        if (close >= count) break;
        units[close] = 0;
        std::uint16_t* id_units = units + open + 1;
        std::int32_t line_end = message_find(units, close + 1, count, message_lf);
        if (line_end >= count) break;
        std::int32_t text_start = line_end + 1;
        std::int32_t next = message_find(units, text_start, count, message_open);
        if (next >= count) break;
        // The unit before the next "[" closes the text; when the "[" follows the id's line
        // directly that unit is the id line's LF, and the text is empty.
        units[next - 1] = 0;
        std::uint16_t* text = next == text_start ? units + next - 1 : units + text_start;
        message_convert_marked_ids(id_units);
        MESSAGE_insert_message(handle, reinterpret_cast<const char*>(id_units), text);
        cursor = next;
    }
    LEAVE();
}

message_id_digest message_digest_id(const char* id) {
    return message_digest_bytes(id, std::strlen(id));
}

void message_cut_entry(std::uint16_t* units, std::int32_t count, const message_cut& cut, message_cut_entry_result* result) {
    std::uint16_t* id_units = units + cut.open + 1;
    const std::int32_t id_length = cut.close - cut.open - 1;
    result->id = reinterpret_cast<const char*>(id_units);
#if MESSAGE_WIDE_SCAN
    // The wide reads come before the terminator is written: a wide read of a unit just written on
    // its own would have to wait for the write.
    if (id_length >= 3 && id_length < 16 && cut.open + 17 <= count) {
        result->digest = message_narrow_short_id(id_units, id_length);
        units[cut.close] = 0;
    } else
#else
    (void)count;  // only the wide reads need to know where the text ends
#endif
    {
        units[cut.close] = 0;
        if (id_length > static_cast<std::int32_t>(MESSAGE_MAX_TEXT_LENGTH)) {
            message_convert_marked_ids(id_units);  // reports the length as it always has
        } else {
            message_narrow_in_place(id_units);
        }
        result->digest = message_digest_id(result->id);
    }
    // The unit before the next "[" closes the text; when the "[" follows the id's line directly
    // that unit is the id line's LF, and the text is empty.
    units[cut.next - 1] = 0;
    result->text = cut.next == cut.text_start ? units + cut.next - 1 : units + cut.text_start;
    // Within the limit the length helper would pass the text, whatever units it holds.
    result->text_within_limit = cut.next - 1 - cut.text_start <= static_cast<std::int32_t>(MESSAGE_MAX_TEXT_LENGTH) ? TRUE : FALSE;
}

void message_encrypt_xor(MESSAGE_FILE* entry, std::uint16_t* image, std::int32_t count) {
    ENTER();
    (void)entry;
    if (!image || count < 1) {
        LEAVE();
        return;
    }
    if (image[0] == message_complemented_header) {
        EBUG_RETAIL_LINE("Data is already encrypted");
    } else if (image[0] != message_header) {
        EBUG_RETAIL_LINE("Invalid unicode header");
    } else {
        message_complement(image, static_cast<std::size_t>(count));
    }
    LEAVE();
}

std::int32_t message_calc_message_id_magic_number(const char* id) {
    ENTER();
    EBUG_RETURN(id ? message_digest_id(id).magic : 0);
}

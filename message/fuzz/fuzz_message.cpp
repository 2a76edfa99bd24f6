// Fuzz target for the message file reader: arbitrary bytes loaded from memory, read-only and
// editable, walked, and (when editable) written back as an image and loaded again.
#include <cstdlib>
#include <string>

#include "MessageInternal.h"

namespace {

// Every record as "id\x01text\x02", texts narrowed to their low and high bytes; notes whether an
// id or a text holds a bracket, which the writer cannot carry (the reader lets a text take in a
// "]" when the next bracket opens on the id's own line).
std::string walk(std::int32_t handle, bool* bracket_in_id) {
    std::string dump;
    for (const char* id = MESSAGE_get_first_message_id(handle); id; id = MESSAGE_get_next_message_id(handle, id)) {
        const std::uint16_t* text = MESSAGE_get_message(handle, id);
        if (!text) std::abort();  // every loaded record has a text
        for (const char* byte = id; *byte; ++byte)
            if (*byte == '[' || *byte == ']') *bracket_in_id = true;
        dump += id;
        dump += '\x01';
        for (; *text; ++text) {
            if (*text == '[' || *text == ']') *bracket_in_id = true;
            dump += static_cast<char>(*text & 0xFF);
            dump += static_cast<char>(*text >> 8);
        }
        dump += '\x02';
    }
    return dump;
}

// What the writer makes of the editable table must load back the same, unless a record holds a
// bracket (in an id, a unit such as 0x015B narrows to "[").
void round_trip(std::int32_t handle, const std::string& loaded, bool bracket_in_id, bool complemented) {
    MESSAGE_set_output_encrypt_state(complemented ? 1 : 0);
    std::size_t count = 0;
    std::uint16_t* image = message_build_image(handle, &count);
    if (!image) return;
    std::int32_t again = MESSAGE_allocate_message_memory("image", image, count * 2, 0, nullptr);
    std::free(image);
    if (again < 0 && !bracket_in_id) std::abort();
    if (again < 0) return;
    bool ignored = false;
    if (!bracket_in_id && walk(again, &ignored) != loaded) std::abort();
    MESSAGE_deallocate_message_file(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = MESSAGE_initialise(2) != 0;
    if (!ready) return 0;
    for (std::uint8_t editable = 0; editable < 2; ++editable) {
        MESSAGE_FILE_ERROR error{};
        std::int32_t handle = MESSAGE_allocate_message_memory("input", data, size, editable, &error);
        std::free(error.file_name);
        if (handle < 0) continue;
        bool bracket_in_id = false;
        std::string loaded = walk(handle, &bracket_in_id);
        if (editable) round_trip(handle, loaded, bracket_in_id, (size & 1) != 0);
        MESSAGE_deallocate_message_file(handle);
    }
    return 0;
}

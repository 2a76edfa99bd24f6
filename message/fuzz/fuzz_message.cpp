// Fuzz target for the message file reader: arbitrary bytes loaded read-only and editable,
// walked, and (when editable) written back and loaded again.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "Message.h"

namespace {

std::string fuzz_path(const char* what) {
    return "/tmp/fuzz_message_" + std::to_string(getpid()) + "_" + what;
}

// Every record as "id\x01text\x02", texts narrowed to their low and high bytes; notes whether an
// id holds a bracket, which the writer cannot carry.
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
            dump += static_cast<char>(*text & 0xFF);
            dump += static_cast<char>(*text >> 8);
        }
        dump += '\x02';
    }
    return dump;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = MESSAGE_initialise(2) != 0;
    if (!ready) return 0;
    static const std::string input = fuzz_path("in.ini");
    static const std::string output = fuzz_path("out.ini");
    std::FILE* file = std::fopen(input.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    for (std::uint8_t editable : {0, 1}) {
        MESSAGE_FILE_ERROR error{};
        std::int32_t handle = MESSAGE_allocate_message_file(input.c_str(), editable, &error);
        std::free(error.file_name);
        if (handle < 0) continue;
        bool bracket_in_id = false;
        std::string loaded = walk(handle, &bracket_in_id);
        if (editable) {
            MESSAGE_set_output_encrypt_state(static_cast<std::uint8_t>(size & 1));
            MESSAGE_write_message_file(handle, output.c_str());
            // What the writer produces must load back the same, unless an id holds a bracket
            // (a unit such as 0x015B narrows to "[").
            std::int32_t again = MESSAGE_allocate_message_file(output.c_str(), 0, nullptr);
            if (again < 0 && !bracket_in_id) std::abort();
            if (again >= 0) {
                bool ignored = false;
                if (!bracket_in_id && walk(again, &ignored) != loaded) std::abort();
                MESSAGE_deallocate_message_file(again);
            }
        }
        MESSAGE_deallocate_message_file(handle);
    }
    return 0;
}

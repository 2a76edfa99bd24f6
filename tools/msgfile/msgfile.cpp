// msgfile's commands: each loads its files through the message store, as the program that reads
// them would, and writes only through the store's own writer.
#include "msgfile.h"

#include <sys/stat.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Message.h"

namespace {

typedef std::vector<std::uint16_t> msgfile_text;  // 16-bit units with their terminator

const char msgfile_help[] =
    "usage: msgfile [--plain|--complemented] COMMAND ...\n"
    "  check FILE...                 every markup error as FILE:LINE: TEXT\n"
    "  list FILE                     every entry as ID, a tab and its text (line breaks as \\n)\n"
    "  get FILE ID                   the entry's text\n"
    "  new FILE                      an empty file: only its end marker\n"
    "  set FILE ID TEXT              change or add an entry (\\n, \\r, \\t and \\\\ in TEXT)\n"
    "  remove FILE ID                take an entry out\n"
    "  convert IN OUT                write IN again as OUT\n"
    "A message file is 16-bit little-endian text: the unit FEFF, then per entry [ID] on a line of\n"
    "its own and the text on the lines after it, ending with [END_OF_FILE]. A complemented file\n"
    "holds every unit inverted (it starts with the bytes 00 01); the program reads both kinds.\n"
    "Ids are 8-bit; a text cannot hold '[' or ']'. Files written here are complemented, as the\n"
    "store writes them, unless --plain is given.\n";

struct msgfile_context {
    std::FILE* out;
    std::FILE* err;
    BOOL8 plain;
};

// UTF-8 to 16-bit units; FALSE for bytes that are not UTF-8.
BOOL8 msgfile_from_utf8(const std::string& text, msgfile_text& units) {
    units.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : 9;
        if (extra == 9 || text.size() - i <= extra) return FALSE;
        std::uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto follow = static_cast<unsigned char>(text[i + k]);
            if ((follow >> 6) != 2) return FALSE;
            code = (code << 6) | (follow & 0x3Fu);
        }
        static const std::uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return FALSE;
        if (code >= 0x10000) {
            units.push_back(static_cast<std::uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(code));
        }
        i += extra + 1;
    }
    units.push_back(0);
    return TRUE;
}

void msgfile_put_code(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// 16-bit text to UTF-8; a surrogate without its partner becomes U+FFFD. escaped shows line
// breaks, tabs and backslashes as the two-character escapes that set reads back.
std::string msgfile_to_utf8(const std::uint16_t* text, bool escaped) {
    std::string out;
    for (; text && *text; ++text) {
        std::uint32_t code = *text;
        if (code >= 0xD800 && code < 0xDC00 && text[1] >= 0xDC00 && text[1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[1] - 0xDC00u);
            ++text;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        const char* escape = !escaped ? nullptr : code == '\n' ? "\\n" : code == '\r' ? "\\r" : code == '\t' ? "\\t"
                                                                     : code == '\\'   ? "\\\\" : nullptr;
        if (escape)
            out += escape;
        else
            msgfile_put_code(out, code);
    }
    return out;
}

std::string msgfile_unescape(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\\' || p[1] == '\0') {
            out += *p;
            continue;
        }
        switch (*++p) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += *p; break;  // not an escape: kept as written
        }
    }
    return out;
}

// Null when the name is a plain file, else what is wrong with it.
const char* msgfile_not_plain_file(const char* name) {
    struct stat status;
    if (stat(name, &status) != 0) return "cannot open";
    if ((status.st_mode & S_IFMT) != S_IFREG) return "not a file";
    return nullptr;
}

// TRUE when the name is a plain file that can be read; else says why.
BOOL8 msgfile_readable(const msgfile_context& context, const char* name) {
    const char* problem = msgfile_not_plain_file(name);
    if (problem) std::fprintf(context.err, "%s: %s\n", name, problem);
    return problem ? FALSE : TRUE;
}

// Loads a file; -1 after saying why (a markup error as FILE:LINE: TEXT on the given stream).
std::int32_t msgfile_load(const msgfile_context& context, const char* name, std::uint8_t editable, std::FILE* findings) {
    if (!msgfile_readable(context, name)) return -1;
    MESSAGE_FILE_ERROR error{};
    std::int32_t handle = MESSAGE_allocate_message_file(name, editable, &error);
    std::free(error.file_name);
    if (handle == MESSAGE_MARKUP_ERROR) {
        std::fprintf(findings, "%s:%u: %s\n", name, static_cast<unsigned>(error.line), error.text ? error.text : "");
        return -1;
    }
    if (handle < 0) std::fprintf(context.err, "%s: cannot load\n", name);
    return handle;
}

// Two 16-bit texts hold the same units.
bool msgfile_same_text(const std::uint16_t* first, const std::uint16_t* second) {
    for (; *first == *second; ++first, ++second)
        if (*first == 0) return true;
    return false;
}

// TRUE when the file reads back as the table: as many entries, each id with its own text.
BOOL8 msgfile_reads_back(std::int32_t handle, const char* name) {
    if (msgfile_not_plain_file(name)) return FALSE;
    const std::int32_t again = MESSAGE_allocate_message_file(name, 0, nullptr);
    BOOL8 same = again >= 0 && MESSAGE_count_messages(again) == MESSAGE_count_messages(handle) ? TRUE : FALSE;
    for (const char* id = MESSAGE_get_first_message_id(handle); same && id; id = MESSAGE_get_next_message_id(handle, id)) {
        const std::uint16_t* text = MESSAGE_get_message(handle, id);
        const std::uint16_t* read = MESSAGE_get_message(again, id);
        same = text && read && msgfile_same_text(text, read) ? TRUE : FALSE;
    }
    MESSAGE_deallocate_message_file(again);
    return same;
}

// Puts the draft in the file's place; a file there that may not be written stays as it is.
BOOL8 msgfile_replace(const char* draft, const char* name) {
#if defined(_WIN32)
    return MoveFileExA(draft, name, MOVEFILE_REPLACE_EXISTING) ? TRUE : FALSE;
#else
    struct stat status;
    if (stat(name, &status) == 0) {
        if (access(name, W_OK) != 0) return FALSE;
        chmod(draft, status.st_mode & 07777);
    }
    return std::rename(draft, name) == 0 ? TRUE : FALSE;
#endif
}

// Writes the table as name. The image goes to a draft beside it first and must read back as the
// table before it replaces the file: a write that fails, or a table that the format cannot carry
// (an id the reader narrowed to a bracket), leaves the file as it was.
BOOL8 msgfile_write(const msgfile_context& context, std::int32_t handle, const char* name) {
    const std::string draft = std::string(name) + ".msgfile-draft";
    std::remove(draft.c_str());
    MESSAGE_set_output_encrypt_state(context.plain ? 0 : 1);
    MESSAGE_write_message_file(handle, draft.c_str());
    const BOOL8 written = msgfile_reads_back(handle, draft.c_str()) && msgfile_replace(draft.c_str(), name) ? TRUE : FALSE;
    if (!written) {
        std::remove(draft.c_str());
        std::fprintf(context.err, "%s: cannot write\n", name);
    }
    return written;
}

BOOL8 msgfile_valid_id(const msgfile_context& context, const char* id) {
    if (id[0] != '\0' && !std::strpbrk(id, "[]\n")) return TRUE;
    std::fprintf(context.err, "msgfile: an id is one line without '[' or ']'\n");
    return FALSE;
}

int msgfile_check(const msgfile_context& context, int count, char** names) {
    int status = 0;
    for (int i = 0; i < count; ++i) {
        std::int32_t handle = msgfile_load(context, names[i], 0, context.out);
        if (handle < 0) status = 1;
        MESSAGE_deallocate_message_file(handle);
    }
    return status;
}

int msgfile_list(const msgfile_context& context, const char* name, const char* only) {
    std::int32_t handle = msgfile_load(context, name, 0, context.err);
    if (handle < 0) return 1;
    int status = 0;
    if (only) {
        const std::uint16_t* text = MESSAGE_get_message(handle, only);
        if (text)
            std::fprintf(context.out, "%s\n", msgfile_to_utf8(text, false).c_str());
        else
            std::fprintf(context.err, "%s: no entry '%s'\n", name, only);
        status = text ? 0 : 1;
    } else {
        for (const char* id = MESSAGE_get_first_message_id(handle); id; id = MESSAGE_get_next_message_id(handle, id))
            std::fprintf(context.out, "%s\t%s\n", id, msgfile_to_utf8(MESSAGE_get_message(handle, id), true).c_str());
    }
    MESSAGE_deallocate_message_file(handle);
    return status;
}

int msgfile_new(const msgfile_context& context, const char* name) {
    struct stat status;
    if (stat(name, &status) == 0) {
        std::fprintf(context.err, "%s: already exists\n", name);
        return 1;
    }
    // A name that holds no file loads as an empty table, ready to be written.
    std::int32_t handle = MESSAGE_allocate_message_file(name, 1, nullptr);
    int result = handle >= 0 && msgfile_write(context, handle, name) ? 0 : 1;
    MESSAGE_deallocate_message_file(handle);
    return result;
}

// set (text given) and remove (text null): edits the file in place.
int msgfile_edit(const msgfile_context& context, const char* name, const char* id, const char* text) {
    if (!msgfile_valid_id(context, id)) return 2;
    msgfile_text units;
    if (text) {
        std::string unescaped = msgfile_unescape(text);
        if (!msgfile_from_utf8(unescaped, units)) {
            std::fprintf(context.err, "msgfile: the text is not UTF-8\n");
            return 2;
        }
        if (unescaped.find_first_of("[]") != std::string::npos) {
            std::fprintf(context.err, "msgfile: a text cannot hold '[' or ']'\n");
            return 2;
        }
    }
    std::int32_t handle = msgfile_load(context, name, 1, context.err);
    if (handle < 0) return 1;
    BOOL8 done = TRUE;
    if (!text) {
        done = MESSAGE_remove_message(handle, id);
        if (!done) std::fprintf(context.err, "%s: no entry '%s'\n", name, id);
    } else if (MESSAGE_get_message(handle, id)) {
        MESSAGE_set_message(handle, id, units.data());
    } else {
        done = MESSAGE_insert_message(handle, id, units.data());
        if (!done) std::fprintf(context.err, "msgfile: the text is too long\n");
    }
    if (done) done = msgfile_write(context, handle, name);
    MESSAGE_deallocate_message_file(handle);
    return done ? 0 : 1;
}

int msgfile_convert(const msgfile_context& context, const char* in, const char* out) {
    std::int32_t handle = msgfile_load(context, in, 1, context.err);
    if (handle < 0) return 1;
    int result = msgfile_write(context, handle, out) ? 0 : 1;
    MESSAGE_deallocate_message_file(handle);
    return result;
}

}  // namespace

int MSGFILE_run(int count, char** names, char** texts, std::FILE* out, std::FILE* err) {
    msgfile_context context = {out, err, FALSE};
    std::vector<char*> words;
    std::vector<char*> word_texts;
    bool options = true;
    for (int i = 1; i < count; ++i) {
        const std::string word = names[i];
        if (options && (word == "--help" || word == "-h")) {
            std::fputs(msgfile_help, out);
            return 0;
        }
        if (options && (word == "--plain" || word == "--complemented")) {
            context.plain = word == "--plain";
        } else if (options && word == "--") {
            options = false;
        } else {
            words.push_back(names[i]);
            word_texts.push_back(texts[i]);
        }
    }
    const std::size_t n = words.size();
    const std::string command = n ? words[0] : "";
    const std::size_t wanted = command == "check" ? (n > 1 ? n : 0)
                               : command == "list" || command == "new" ? 2
                               : command == "get" || command == "remove" || command == "convert" ? 3
                               : command == "set" ? 4 : 0;
    if (wanted == 0 || n != wanted) {
        std::fputs(msgfile_help, err);
        return 2;
    }
    if (!MESSAGE_initialise(2)) {
        std::fprintf(err, "msgfile: no memory\n");
        return 1;
    }
    int result = 0;
    if (command == "check") result = msgfile_check(context, static_cast<int>(n - 1), words.data() + 1);
    if (command == "list") result = msgfile_list(context, words[1], nullptr);
    if (command == "get") result = msgfile_list(context, words[1], word_texts[2]);
    if (command == "new") result = msgfile_new(context, words[1]);
    if (command == "set") result = msgfile_edit(context, words[1], word_texts[2], word_texts[3]);
    if (command == "remove") result = msgfile_edit(context, words[1], word_texts[2], nullptr);
    if (command == "convert") result = msgfile_convert(context, words[1], words[2]);
    MESSAGE_deinitialise();
    return result;
}

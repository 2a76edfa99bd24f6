// The copy-list operations that leave traces in the shell: a shortcut (op 4), an internet
// shortcut file (op 5), a text file holding a path (op 6) and a file type's association (op 11).
#include <shlobj.h>

#include <cstring>

#include "INSTALL.h"
#include "Strings.h"
#include "WINUTILS.h"
#include "copyflst_private.h"
#include "resource.h"

namespace {

const char file_shortcut_description[] = "file shortcut";
const char internet_shortcut_description[] = "Internet Shortcut";
const char internet_shortcut_section[] = "[InternetShortcut]\n";

// The first four characters of b: a dot and three letters.
const std::size_t extension_length = 4;

// Cuts the text at its last backslash, looking from the end down to its second character; with
// none there it becomes empty. What is left is the directory a target lies in.
void cut_to_directory(char* path) {
    for (std::size_t k = std::strlen(path); k-- > 1;) {
        if (path[k] == '\\') {
            path[k] = '\0';
            return;
        }
    }
    path[0] = '\0';
}

// Takes the field that follows the colons at text (colons in a row count as one) up to the next
// colon or the end. Returns where the field ends, or null when it is empty or would not fit.
const char* take_field(const char* text, char* field, std::size_t size) {
    while (*text == ':') ++text;
    std::size_t length = std::strcspn(text, ":");
    if (length == 0 || length >= size) return nullptr;
    std::memcpy(field, text, length);
    field[length] = '\0';
    return text + length;
}

}  // namespace

// A refused path (too long, or below a macro without a value, as in an install that has no
// Start-menu folder) leaves the shortcut nowhere it could be saved: like a link whose save fails,
// it is skipped without a word. A missing path, or one without a buffer, gives no link either:
// the same message as a failed link, and the run stops.
std::uint16_t copyflst_file_shortcut(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion link_file;
    copyflst_expansion target;
    copyflst_expansion working_dir;
    bool refused = false;
    bool linked = copyflst_expand(entry->a, link_file, &refused) && copyflst_expand(entry->b, target, &refused) &&
                  copyflst_expand(entry->b, working_dir, &refused);
    if (refused) return COPY_CONTINUE;
    if (linked) {
        cut_to_directory(working_dir.get());
        linked = WINUTILS_create_file_link(target.get(), link_file.get(), file_shortcut_description, working_dir.get(),
                                           nullptr) != FALSE;
    }
    if (!linked) {
        copyflst_report(MSG_FAILEDLINK, REPORT_TEXT_ALONE, nullptr);
        return COPY_STOP;
    }
    return COPY_CONTINUE;
}

// The link object saves a shell shortcut first; the file is then rewritten as the two-line
// internet shortcut. When it cannot be reopened the saved shortcut stays, and nothing is said.
std::uint16_t copyflst_internet_shortcut(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion file;
    copyflst_expansion address;
    bool linked = copyflst_expand(entry->a, file) && copyflst_expand(entry->b, address);
    if (linked) {
        const char* windows_dir = std::getenv("windir");
        linked = WINUTILS_create_file_link(address.get(), file.get(), internet_shortcut_description,
                                           windows_dir != nullptr ? windows_dir : "", nullptr) != FALSE;
    }
    if (!linked) {
        copyflst_report(MSG_FAILEDURL, REPORT_TEXT_ALONE, nullptr);
        return COPY_CONTINUE;
    }
    copyflst_stream shortcut(std::fopen(file.get(), "w"));
    if (shortcut) {
        std::fputs(internet_shortcut_section, shortcut.get());
        std::fprintf(shortcut.get(), "URL =%s\n", address.get());
    }
    return COPY_CONTINUE;
}

std::uint16_t copyflst_write_path_file(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion file;
    copyflst_expansion path;
    copyflst_stream text;
    if (copyflst_expand(entry->a, file) && copyflst_expand(entry->b, path)) text.reset(std::fopen(file.get(), "w"));
    if (!text) {
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_ALONE, nullptr);
        return COPY_STOP;
    }
    std::fprintf(text.get(), "%s\\", path.get());
    return COPY_CONTINUE;
}

// b is taken as written, without macros: extension, program id and description joined by colons.
std::uint16_t copyflst_file_association(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion program;
    if (!copyflst_expand(entry->a, program) || entry->b == nullptr) return COPY_STOP;

    char extension[extension_length + 1];
    std::size_t length = strnlen(entry->b, extension_length);
    std::memcpy(extension, entry->b, length);
    extension[length] = '\0';

    char program_id[COPYFLST_PATH_SIZE];
    char description[COPYFLST_PATH_SIZE];
    const char* colon = std::strchr(entry->b, ':');
    const char* rest = colon != nullptr ? take_field(colon, program_id, sizeof program_id) : nullptr;
    if (rest == nullptr || take_field(rest, description, sizeof description) == nullptr) return COPY_STOP;

    if (!WINUTILS_set_registry_entry(WINUTILS_ROOT_CLASSES_ROOT, extension, nullptr, program_id, 0)) return COPY_STOP;
    if (!WINUTILS_set_registry_entry(WINUTILS_ROOT_CLASSES_ROOT, program_id, nullptr, description, 0)) return COPY_STOP;

    // The rest are wanted but not needed: their failures are ignored, and so is a key or value
    // that would not fit (it is not written rather than written cut).
    char key[COPYFLST_PATH_SIZE];
    char value[COPYFLST_PATH_SIZE];
    if (STRINGS_format(key, sizeof key, "%s\\DefaultIcon", program_id) &&
        STRINGS_format(value, sizeof value, "%s,0", program.get()))
        WINUTILS_set_registry_entry(WINUTILS_ROOT_CLASSES_ROOT, key, nullptr, value, 0);
    if (STRINGS_format(key, sizeof key, "%s\\shell", program_id)) {
        WINUTILS_set_registry_entry(WINUTILS_ROOT_CLASSES_ROOT, key, nullptr, description, 0);
        if (STRINGS_append(key, "\\open")) {
            WINUTILS_set_registry_entry(WINUTILS_ROOT_CLASSES_ROOT, key, nullptr, description, 0);
            if (STRINGS_append(key, "\\command") && STRINGS_format(value, sizeof value, "\"%s \" %%1", program.get()))
                WINUTILS_set_registry_entry(WINUTILS_ROOT_CLASSES_ROOT, key, nullptr, value, 0);
        }
    }

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    RegFlushKey(HKEY_CLASSES_ROOT);
    return COPY_CONTINUE;
}

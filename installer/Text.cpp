// Text lookup in the string table, one block of ids per language.
#include "INSTALL.h"

BOOL8 INSTALL_load_text(std::int32_t id, char* buffer, std::int32_t size) {
    if (buffer == nullptr || size <= 0) return FALSE;
    // LoadStringA leaves the buffer untouched for an id without a row.
    buffer[0] = '\0';
    std::int32_t resource_id = id + local_install_details.language_offset;
    if (resource_id < 0 || resource_id > 0xFFFF) return FALSE;
    int loaded = LoadStringA(local_install_details.instance, static_cast<UINT>(resource_id), buffer, size);
    if (loaded <= 0) {
        buffer[0] = '\0';
        return FALSE;
    }
    buffer[size - 1] = '\0';
    return TRUE;
}

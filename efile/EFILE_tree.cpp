// File tree: each search-path slot's files and directories as a first-child / next-sibling node
// array, filed from the recursive directory walk and searched one name component at a time. A
// finished build also gets a name index, so that a lookup does not walk levels of thousands of
// names one at a time.
#define EBUG_MODULE "EFILE"

#include <cstring>
#include <initializer_list>

#include "EBUG.h"
#include "EFILE.h"
#include "Memory.h"
#include "Strings.h"
#include "efile_internal.h"

namespace {

// Stored names are cut to 12 characters, so a longer token is matched on that much.
BOOL8 efile_tree_name_matches(const char* stored, const char* token, std::size_t token_length) {
    if (token_length >= EFILE_TREE_NAME_SIZE) return std::strncmp(stored, token, EFILE_TREE_NAME_SIZE - 1) == 0;
    return std::strcmp(stored, token) == 0;
}

// The next token of text at *cursor, backslash runs separating like one (as strtok would split);
// null when none is left. Terminates the token in place.
char* efile_next_token(char** cursor) {
    char* p = *cursor;
    while (*p == '\\') ++p;
    if (*p == '\0') {
        *cursor = p;
        return nullptr;
    }
    char* token = p;
    while (*p != '\0' && *p != '\\') ++p;
    if (*p == '\\') *p++ = '\0';
    *cursor = p;
    return token;
}

// Open addressing over node indices, keyed by the first node of the node's level and its name.
// It answers exactly as walking the level would only because a level never holds a name twice;
// a tree where one does, or whose links do not run forward as the walk files them, goes without.
struct efile_index_layout {
    std::uint32_t num_entries;  // nodes when it was made: any later node drops it
    std::uint32_t mask;         // slots - 1, slots a power of two
    std::uint32_t* levels;      // per node: the first node of its level, EFILE_TREE_NONE = unlinked
    std::uint32_t* slots;       // node + 1; 0 = empty
};

}  // namespace

struct EFILE_TREE_INDEX {
    efile_index_layout layout;
};

namespace {

std::uint32_t efile_index_hash(std::uint32_t level, const char* name) {
    std::uint32_t hash = 2166136261u ^ level;
    for (const char* c = name; *c; ++c) hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
    return hash ^ (hash >> 15);
}

// The node called name on the level that starts at node level; EFILE_TREE_NONE when there is none.
std::uint32_t efile_index_find(const efile_index_layout& index, const EFILE_TREE_ENTRY* file_tree, std::uint32_t level,
                               const char* name) {
    for (std::uint32_t slot = efile_index_hash(level, name) & index.mask; index.slots[slot];
         slot = (slot + 1) & index.mask) {
        std::uint32_t node = index.slots[slot] - 1;
        if (index.levels[node] == level && std::strcmp(file_tree[node].name, name) == 0) return node;
    }
    return EFILE_TREE_NONE;
}

// Links only ever run to later nodes as the walk files them, so one pass in node order knows each
// node's level before it reaches the node.
BOOL8 efile_index_fill(efile_index_layout& index, const EFILE_TREE_ENTRY* file_tree) {
    const std::uint32_t count = index.num_entries;
    for (std::uint32_t node = 0; node < count; ++node) index.levels[node] = EFILE_TREE_NONE;
    index.levels[0] = 0;
    for (std::uint32_t node = 0; node < count; ++node) {
        const std::uint32_t level = index.levels[node];
        if (level == EFILE_TREE_NONE) continue;  // the closing node, or one no level reaches
        const EFILE_TREE_ENTRY& entry = file_tree[node];
        if (efile_index_find(index, file_tree, level, entry.name) != EFILE_TREE_NONE) return FALSE;
        std::uint32_t slot = efile_index_hash(level, entry.name) & index.mask;
        while (index.slots[slot]) slot = (slot + 1) & index.mask;
        index.slots[slot] = node + 1;
        for (std::uint32_t linked : {entry.next, entry.child}) {
            if (linked == EFILE_TREE_NONE) continue;
            if (linked <= node || linked >= count || index.levels[linked] != EFILE_TREE_NONE) return FALSE;
            index.levels[linked] = linked == entry.next ? level : linked;
        }
    }
    return TRUE;
}

// Indexes a finished tree; without memory, or for a tree it cannot answer for, lookups walk.
void efile_build_tree_index(EFILE_TREE_DETAILS* details) {
    efile_free_tree_index(details);
    const std::uint32_t count = details->num_entries;
    if (!details->file_tree || count == 0) return;
    std::uint64_t slots = 16;
    while (slots < static_cast<std::uint64_t>(count) * 2) slots *= 2;
    std::uint64_t bytes = sizeof(EFILE_TREE_INDEX) + (static_cast<std::uint64_t>(count) + slots) * sizeof(std::uint32_t);
    if (bytes > 0x7FFFFFFFu) return;
    EFILE_TREE_INDEX* index = nullptr;
    MEMORY_ALLOCATE(index, static_cast<std::int32_t>(bytes), MEMORY_FILL_ZERO, "EFILE: tree index");
    if (!index) return;
    std::uint32_t* words = reinterpret_cast<std::uint32_t*>(index + 1);
    index->layout = efile_index_layout{count, static_cast<std::uint32_t>(slots - 1), words, words + count};
    if (!efile_index_fill(index->layout, details->file_tree)) {
        MEMORY_FREE(index);
        return;
    }
    details->index = index;
}

// The name's first component past one leading backslash, cut to a stored name's length; the
// result points at what follows the whole component.
const char* efile_cut_component(const char* name, char (&component)[EFILE_TREE_NAME_SIZE]) {
    const char* p = *name == '\\' ? name + 1 : name;
    const std::size_t full_length = std::strcspn(p, "\\");
    const std::size_t kept = full_length < EFILE_TREE_NAME_SIZE - 1 ? full_length : EFILE_TREE_NAME_SIZE - 1;
    std::memcpy(component, p, kept);
    component[kept] = '\0';
    return p + full_length;
}

// The chain walk's answer from the index: one probe per component, the hit spelt out from the
// stored names.
BOOL8 efile_find_indexed(const char* name, char* out, const EFILE_TREE_ENTRY* file_tree,
                         const efile_index_layout& index) {
    char joined[EFILE_PATH_SIZE];
    std::size_t used = 0;
    std::uint32_t level = 0;
    for (const char* p = name;;) {
        char component[EFILE_TREE_NAME_SIZE];
        const char* after = efile_cut_component(p, component);
        const std::size_t kept = std::strlen(component);
        std::uint32_t node = efile_index_find(index, file_tree, level, component);
        if (node == EFILE_TREE_NONE) return FALSE;
        // A hit that cannot be spelt out in full is no hit.
        if (used + (used ? 1 : 0) + kept >= EFILE_PATH_SIZE) return FALSE;
        if (used) joined[used++] = '\\';
        std::memcpy(joined + used, component, kept);
        used += kept;
        if (after[0] == '\0' || (after[0] == '\\' && after[1] == '\0')) {
            joined[used] = '\0';
            return STRINGS_copy(out, EFILE_PATH_SIZE, joined);
        }
        if (file_tree[node].child == EFILE_TREE_NONE) return FALSE;
        level = file_tree[node].child;
        p = after;
    }
}

// The index of the slot that owns this array, when it still describes it.
const efile_index_layout* efile_index_of(const EFILE_TREE_ENTRY* file_tree) {
    const efile_module_state& state = local_efile_details;
    for (std::uint32_t slot = 0; state.search_paths && slot < state.num_search_paths; ++slot) {
        const EFILE_TREE_DETAILS& details = state.search_paths[slot];
        if (details.file_tree != file_tree) continue;
        if (!details.index || details.index->layout.num_entries != details.num_entries) return nullptr;
        return &details.index->layout;
    }
    return nullptr;
}

void efile_build_one(EFILE_TREE_DETAILS* details) {
    efile_allocate_file_tree(details);
    walk_directory("*.*", details->path, efile_file_tree_callback_function, WALK_RECURSIVE);
    efile_add_entry_to_file_tree(details, "");
    efile_build_tree_index(details);
}

}  // namespace

void efile_free_tree_index(EFILE_TREE_DETAILS* tree_details) {
    if (tree_details && tree_details->index) MEMORY_FREE(tree_details->index);
}

BOOL8 EFILE_build_file_tree(std::int32_t index) {
    ENTER();
    efile_module_state& state = local_efile_details;
    // Without a table there are no slots, and so none with a path to build.
    const std::uint32_t slots = state.search_paths ? state.num_search_paths : 0;
    if (index == -1) {
        for (std::uint32_t slot = 0; slot < slots; ++slot)
            if (state.search_paths[slot].path[0] != '\0') efile_build_one(&state.search_paths[slot]);
        EBUG_RETURN(TRUE);
    }
    if (index < 0 || static_cast<std::uint32_t>(index) >= slots) EBUG_RETURN(FALSE);
    if (state.search_paths[index].path[0] == '\0') EBUG_RETURN(FALSE);
    efile_build_one(&state.search_paths[index]);
    EBUG_RETURN(TRUE);
}

BOOL8 efile_allocate_file_tree(EFILE_TREE_DETAILS* tree_details) {
    ENTER();
    if (!tree_details) EBUG_RETURN(FALSE);
    efile_free_tree_index(tree_details);
    if (tree_details->file_tree) MEMORY_FREE(tree_details->file_tree);
    std::uint64_t bytes = static_cast<std::uint64_t>(tree_details->tree_size) * sizeof(EFILE_TREE_ENTRY);
    std::int32_t request = bytes > 0x7FFFFFFFu ? 0 : static_cast<std::int32_t>(bytes);
    MEMORY_ALLOCATE(tree_details->file_tree, request, MEMORY_FILL_ZERO, "EFILE: tree_details->file_tree");
    if (!tree_details->file_tree) {
        EBUG_MESSAGE("EFILE_allocate_file_tree: Failed to allocate memorysize: %d", request);
        EBUG_RETURN(FALSE);
    }
    tree_details->num_entries = 0;
    tree_details->file_tree[0].next = EFILE_TREE_NONE;
    tree_details->file_tree[0].child = EFILE_TREE_NONE;
    tree_details->file_tree[0].name[0] = '\0';
    EBUG_RETURN(TRUE);
}

BOOL8 efile_reallocate_file_tree(EFILE_TREE_DETAILS* tree_details) {
    ENTER();
    if (!tree_details || !tree_details->file_tree) EBUG_RETURN(FALSE);
    std::uint64_t new_size = static_cast<std::uint64_t>(tree_details->tree_size) + local_efile_details.tree_size_increment;
    std::uint64_t bytes = new_size * sizeof(EFILE_TREE_ENTRY);
    // No increment means no growth; a size beyond the allocator's range cannot be asked for.
    if (new_size == tree_details->tree_size || bytes > 0x7FFFFFFFu) EBUG_RETURN(FALSE);
    void* grown = MEMORY_reallocate(tree_details->file_tree, static_cast<std::int32_t>(bytes));
    if (!grown) EBUG_RETURN(FALSE);  // the old array stays as it was, and so does its capacity
    tree_details->file_tree = static_cast<EFILE_TREE_ENTRY*>(grown);
    tree_details->tree_size = static_cast<std::uint32_t>(new_size);
    EBUG_RETURN(TRUE);
}

std::int32_t efile_add_entry_to_file_tree(EFILE_TREE_DETAILS* tree_details, const char* name) {
    ENTER();
    if (!tree_details || !tree_details->file_tree || !name) EBUG_RETURN(-1);
    if (tree_details->num_entries >= tree_details->tree_size && !efile_reallocate_file_tree(tree_details))
        EBUG_RETURN(-1);
    // Indices are handed out as signed values; a tree that large cannot name its next node.
    if (tree_details->num_entries >= 0x7FFFFFFFu) EBUG_RETURN(-1);
    efile_free_tree_index(tree_details);  // it no longer describes the tree
    std::uint32_t index = tree_details->num_entries;
    EFILE_TREE_ENTRY& node = tree_details->file_tree[index];
    node.next = EFILE_TREE_NONE;
    node.child = EFILE_TREE_NONE;
    efile_copy_string(node.name, name, EFILE_TREE_NAME_SIZE);
    ++tree_details->num_entries;
    EBUG_RETURN(static_cast<std::int32_t>(index));
}

void efile_file_tree_callback_function(const char* path, std::int32_t kind) {
    ENTER();
    efile_module_state& state = local_efile_details;
    // Ticks carry nothing for the tree, and a path that does not fit names no entry: cut to a
    // path's size, its last component would be some shorter name that is not on disk (and the
    // layer could not join a hit that deep to its slot anyway).
    if ((kind != WALK_FILE && kind != WALK_DIRECTORY) || !path || !state.search_paths ||
        std::strlen(path) >= EFILE_PATH_SIZE) {
        LEAVE();
        return;
    }
    // The report is kept lowered, as every stored path is.
    char copy[EFILE_PATH_SIZE];
    efile_copy_string(copy, path, EFILE_PATH_SIZE);

    EFILE_TREE_DETAILS* details = nullptr;
    std::size_t prefix = 0;
    for (std::uint32_t slot = 0; slot < state.num_search_paths && !details; ++slot) {
        const char* slot_path = state.search_paths[slot].path;
        prefix = std::strlen(slot_path);
        if (prefix > 0 && std::strncmp(copy, slot_path, prefix) == 0) details = &state.search_paths[slot];
    }
    if (!details || !details->file_tree) {
        LEAVE();
        return;
    }
    char* cursor = copy + prefix;
    if (*cursor == '\\') ++cursor;
    char* token = efile_next_token(&cursor);
    std::uint32_t current = 0;
    while (token) {
        if (details->num_entries == 0) {
            efile_add_entry_to_file_tree(details, token);
            break;
        }
        std::size_t token_length = std::strlen(token);
        std::uint32_t node = current;
        BOOL8 matched = FALSE;
        for (;;) {
            if (efile_tree_name_matches(details->file_tree[node].name, token, token_length)) {
                matched = TRUE;
                break;
            }
            if (details->file_tree[node].next == EFILE_TREE_NONE) break;
            node = details->file_tree[node].next;
        }
        if (!matched) {
            std::int32_t added = efile_add_entry_to_file_tree(details, token);
            // Adding may have moved the array: link through the slot, not a kept pointer.
            if (added >= 0) details->file_tree[node].next = static_cast<std::uint32_t>(added);
            break;
        }
        token = efile_next_token(&cursor);
        if (details->file_tree[node].child == EFILE_TREE_NONE) {
            if (token) {
                std::int32_t added = efile_add_entry_to_file_tree(details, token);
                if (added >= 0) details->file_tree[node].child = static_cast<std::uint32_t>(added);
            }
            break;
        }
        current = details->file_tree[node].child;
    }
    LEAVE();
}

BOOL8 efile_find_full_path(const char* name, char* out, const EFILE_TREE_ENTRY* file_tree, std::uint32_t start) {
    ENTER();
    if (!name || name[0] == '\0' || !out) EBUG_RETURN(FALSE);
    out[0] = '\0';
    if (!file_tree) EBUG_RETURN(FALSE);
    char component[EFILE_TREE_NAME_SIZE];
    const char* after = efile_cut_component(name, component);
    // Only the node that closes a level has an empty name, and it stands for no entry.
    if (component[0] == '\0') EBUG_RETURN(FALSE);
    if (start == 0)
        if (const efile_index_layout* index = efile_index_of(file_tree))
            EBUG_RETURN(efile_find_indexed(name, out, file_tree, *index));

    // The next chain is walked in a loop; only a step down a level recurses, at most once per
    // component of the name.
    for (std::uint32_t node = start;; node = file_tree[node].next) {
        const EFILE_TREE_ENTRY& entry = file_tree[node];
        if (std::strcmp(entry.name, component) == 0) {
            if (after[0] == '\0' || (after[0] == '\\' && after[1] == '\0')) {
                STRINGS_copy(out, EFILE_PATH_SIZE, component);
                EBUG_RETURN(TRUE);
            }
            char below[EFILE_PATH_SIZE];
            if (entry.child != EFILE_TREE_NONE && efile_find_full_path(after, below, file_tree, entry.child)) {
                if (STRINGS_format(out, EFILE_PATH_SIZE, "%s\\%s", entry.name, below)) EBUG_RETURN(TRUE);
                out[0] = '\0';  // a hit that cannot be spelt out in full is no hit
            }
        }
        if (entry.next == EFILE_TREE_NONE) EBUG_RETURN(FALSE);
    }
}

void efile_dump_structured_directory(std::FILE* output, const EFILE_TREE_ENTRY* file_tree, std::uint32_t index,
                                     std::int32_t depth) {
    ENTER();
    if (!file_tree || !output) {
        LEAVE();
        return;
    }
    // Pre-order: recursion follows children, a loop follows the level, so long levels do not nest.
    for (std::uint32_t node = index;; node = file_tree[node].next) {
        for (std::int32_t tab = 0; tab < depth; ++tab) std::fputs("\t", output);
        std::fprintf(output, "%s\n", file_tree[node].name);
        if (file_tree[node].child != EFILE_TREE_NONE)
            efile_dump_structured_directory(output, file_tree, file_tree[node].child, depth + 1);
        if (file_tree[node].next == EFILE_TREE_NONE) break;
    }
    LEAVE();
}

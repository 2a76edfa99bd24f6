// The product's copy lists: what installing the demo creates, copies and links, and what
// removing it deletes.
#include "CopyLists.h"

// The game's web address, the target of the Start menu's website shortcut.
constexpr char QUILLMOOR_WEB_ADDRESS[] = "http://www.quillmoor.com/";

// The subdirectories of the disc's data directory, in the order they are created and copied.
#define QUILLMOOR_DATA_DIRECTORIES(X)                                                                   \
    X("Anims") X("ANM") X("Bink") X("Dialogue") X("fonts") X("INK") X("Interface") X("LCM") X("LMM") \
        X("MCZ") X("Rand") X("Sound") X("str") X("WMC") X("WMD") X("WSD") X("WSM")

#define CREATE_DATA_DIRECTORY(name) {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\data\\" name},
#define COPY_DATA_TREE(name) {COPY_OP_COPY_TREE, "<SRC>\\data\\" name, "<DST>\\data\\" name},

// The whole directory skeleton first, then each data subdirectory as a tree, then the plain files
// of the disc's root and of its data directory, then the Start-menu folder and its shortcuts.
const COPY_LIST_ENTRY INSTALL_COMPACT_LIST[] = {
    {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>"},
    {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\data"},
    QUILLMOOR_DATA_DIRECTORIES(CREATE_DATA_DIRECTORY)
    QUILLMOOR_DATA_DIRECTORIES(COPY_DATA_TREE)
    {COPY_OP_COPY_FILES, "<SRC>", "<DST>"},
    {COPY_OP_COPY_FILES, "<SRC>\\data", "<DST>\\data"},
    {COPY_OP_CREATE_FOLDER, "<STARTMENU>", nullptr},
    {COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Demo.lnk", "<DST>\\quillmain.exe"},
    {COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Website.lnk", QUILLMOOR_WEB_ADDRESS},
    {COPY_OP_END, nullptr, nullptr},
};

// The typical and maximum install types are shown disabled; their lists do nothing.
const COPY_LIST_ENTRY INSTALL_TYPICAL_LIST[] = {
    {COPY_OP_END, nullptr, nullptr},
};
const COPY_LIST_ENTRY INSTALL_MAXIMUM_LIST[] = {
    {COPY_OP_END, nullptr, nullptr},
};

// Each deletion asks first; <SRC> has no value in a remove run and must not appear here.
const COPY_LIST_ENTRY INSTALL_REMOVE_LIST[] = {
    {COPY_OP_DELETE_TREE, nullptr, "<DST>"},
    {COPY_OP_DELETE_TREE, nullptr, "<STARTMENU>"},
    {COPY_OP_END, nullptr, nullptr},
};

// The product's copy lists: what installing creates, copies and links, and what removing deletes.
#pragma once

#include "COPYFLST.h"

extern const COPY_LIST_ENTRY INSTALL_COMPACT_LIST[];
extern const COPY_LIST_ENTRY INSTALL_TYPICAL_LIST[];
extern const COPY_LIST_ENTRY INSTALL_MAXIMUM_LIST[];
extern const COPY_LIST_ENTRY INSTALL_REMOVE_LIST[];

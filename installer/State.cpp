// The installer's run-wide state record: one instance, zero until start-up fills it.
#include "INSTALL.h"

INSTALL_DETAILS local_install_details = {};

// The DirectX set-up library as the sample disc carries it. The set-up program copies it into
// the Windows directory and never calls it; its one entry point reports that it brings no
// run-time of its own.
#include <windows.h>

// Writes version 0 and revision 0 and returns 0: nothing to install from this disc.
extern "C" __declspec(dllexport) INT WINAPI DirectXSetupGetVersion(DWORD* version,
                                                                  DWORD* revision) {
    if (version != nullptr) {
        *version = 0;
    }
    if (revision != nullptr) {
        *revision = 0;
    }
    return 0;
}
